// The title screen, its picture as the other menus' heading, and what the menu screens share.
#include "TethrixExtern.h"
#include "inclGL.h"
#include "replay.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

struct Rect {
  float left, right, bottom, top;
};

// The picture fills the view the window routine sets up; its top third heads the other menus.
constexpr Rect kPicture = {-6.0f, 6.0f, -4.5f, 4.5f};
constexpr Rect kWholePicture = {0, 1, 0, 1};
constexpr Rect kBand = {-6.0f, 6.0f, 1.5f, 4.5f};
constexpr Rect kBandPicture = {0, 1, 0.66f, 1};

constexpr float kPulseStep = 0.3f;
constexpr float kPulseMiddle = 0.75f, kPulseSwing = 0.25f;
constexpr float kTwoPi = 6.2831853f;
constexpr int kTargetRadiusSquared = 60 * 60; // menu pixels: the targets are circles

void startArcade() {
  ReadLevelFile(defaultLevels);
  arcadeMode = 1;
  gameType = kDeathmatch;
  StartLiveMatch();
}

void openLevelSelect() {
  ReadLevelFile(defaultLevels);
  ShowScreen(kScreenLevelSelect);
  arcadeMode = 0;
}

// One past the last level loads no level section. The count must be the level
// list's: after the preferences or the power-up sets were read it is -1, which
// would load level 0, so the list is counted first.
void openCredits() {
  if (numLevels < 0) ReadLevelFile(defaultLevels);
  currentLevel = numLevels + 1;
  ReadLevelFile(defaultLevels);
  ShowScreen(kScreenCredits);
}

void openHelp() { ShowScreen(kScreenHelp); }

void quitGame() {
  glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
  ShutdownSound();
  std::exit(0);
}

struct TitleButton {
  const char *name;
  int targetH, targetV; // centre of its mouse target on the menu screen, and of its pill
  float red, green, blue; // its colour in the picture, for the plain buttons
  void (*act)();
};

const TitleButton kTitleButtons[] = {
    {"Arcade", 130, 240, 1, 0.59f, 0.16f, startArcade},
    {"Play", 310, 240, 0.31f, 1, 0.47f, openLevelSelect},
    {"Credits", 130, 385, 0.75f, 0.47f, 1, openCredits},
    {"Options", 310, 385, 0.27f, 0.78f, 1, OpenOptions},
    {"Help", 460, 400, 1, 0.9f, 0.35f, openHelp},
    {"Quit", 490, 240, 1, 0.27f, 0.31f, quitGame},
};
static_assert(sizeof kTitleButtons / sizeof kTitleButtons[0] == kTitleButtonCount, "one row per title button");

// The keyboard walks the buttons as they sit on the picture: two rows of three.
constexpr int kGridRows = 2, kGridColumns = 3;
constexpr int kTitleGrid[kGridRows][kGridColumns] = {{kTitleArcade, kTitlePlay, kTitleQuit},
                                                     {kTitleCredits, kTitleOptions, kTitleHelp}};

// The pill each button is painted as, centred on its mouse target: the glow and
// the keyboard's ring stay on it rather than on the whole rectangle.
constexpr float kPillHalfWidth = 0.93f * 60 / kMenuPixelsPerUnit;
constexpr float kPillHalfHeight = 0.387f;
constexpr float kRingGap = 0.08f;
constexpr float kPlainLabelSize = 0.4f;

Rect pillOf(const TitleButton &b, float grow) {
  const float h = MenuUnitsH(b.targetH), v = MenuUnitsV(b.targetV);
  return {h - kPillHalfWidth - grow, h + kPillHalfWidth + grow, v - kPillHalfHeight - grow,
          v + kPillHalfHeight + grow};
}

// The part of the picture under a pill, so that what is drawn there lines up with it.
Rect pictureUnder(const Rect &pill) {
  const Rect &r = kPicture, &p = kWholePicture;
  auto s = [&](float h) { return p.left + (h - r.left) / (r.right - r.left) * (p.right - p.left); };
  auto t = [&](float v) { return p.bottom + (v - r.bottom) / (r.top - r.bottom) * (p.top - p.bottom); };
  return {s(pill.left), s(pill.right), t(pill.bottom), t(pill.top)};
}

void drawPicturePart(const Rect &shape, const Rect &picture) {
  glNormal3f(0, 0, 1); // lit the same whatever was drawn last
  glBegin(GL_QUADS);
  glTexCoord2f(picture.left, picture.bottom);
  glVertex3f(shape.left, shape.bottom, 0);
  glTexCoord2f(picture.right, picture.bottom);
  glVertex3f(shape.right, shape.bottom, 0);
  glTexCoord2f(picture.right, picture.top);
  glVertex3f(shape.right, shape.top, 0);
  glTexCoord2f(picture.left, picture.top);
  glVertex3f(shape.left, shape.top, 0);
  glEnd();
}

// The next screen must not draw with the title picture: texturing off and the
// sprites bound again, as the text routines leave them.
void leavePicture() {
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexSprites);
}

bool underMouse(const TitleButton &b) {
  const int dh = mouseH - b.targetH, dv = mouseV - b.targetV;
  return dh * dh + dv * dv < kTargetRadiusSquared;
}

int menuEpoch = 0;

constexpr int kMenuRowPixels = 25;
constexpr float kMenuRight = 6.0f; // the right edge of the 4:3 menu area, less a margin
constexpr float kMenuTextSize = 0.25f;
constexpr float kBandWordV = 3.4f, kBandWordSize = 0.9f; // the heading without its picture

constexpr int kPillCorners = 8; // segments in each rounded end

void pillOutline(const Rect &r, GLenum mode) {
  const float radius = (r.top - r.bottom) / 2, mid = (r.top + r.bottom) / 2;
  glBegin(mode);
  for (int end = 0; end < 2; end++) {
    const float centre = end == 0 ? r.right - radius : r.left + radius;
    for (int k = 0; k <= kPillCorners; k++) {
      const float a = kTwoPi / 2 * (static_cast<float>(k) / kPillCorners + static_cast<float>(end)) - kTwoPi / 4;
      glVertex3f(centre + radius * std::cos(a), mid + radius * std::sin(a), 0);
    }
  }
  glEnd();
}

// Without its picture the title still offers every button, drawn plainly.
void drawPlainButton(const TitleButton &b) {
  const Rect pill = pillOf(b, 0);
  glDisable(GL_TEXTURE_2D);
  glColor3f(0.25f * b.red, 0.25f * b.green, 0.25f * b.blue);
  pillOutline(pill, GL_POLYGON);
  glColor3f(b.red, b.green, b.blue);
  pillOutline(pill, GL_LINE_LOOP);
  glColor3f(1, 1, 1);
  DrawCentredStr(MenuUnitsH(b.targetH), MenuUnitsV(b.targetV), kPlainLabelSize, b.name);
}

bool titlePictureShown = true;

// A lit button brightens its own bright parts: the picture is multiplied onto
// itself, so the night around it stays as dark as it was.
void lightButton(const TitleButton &b, float strength) {
  glEnable(GL_BLEND);
  glBlendFunc(GL_DST_COLOR, GL_ONE);
  glColor3f(strength, strength, strength);
  if (titlePictureShown) {
    const Rect pill = pillOf(b, kRingGap * 2);
    drawPicturePart(pill, pictureUnder(pill));
  } else {
    pillOutline(pillOf(b, 0), GL_POLYGON);
  }
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void ringButton(const TitleButton &b, float strength) {
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
  glColor4f(1, 1, 1, strength);
  glLineWidth(3);
  pillOutline(pillOf(b, kRingGap), GL_LINE_LOOP);
  glLineWidth(1);
  if (titlePictureShown) glEnable(GL_TEXTURE_2D);
}

int titleFocus = kNoTitleFocus; // the button the keyboard moved to
int titleFocusSeen = 0;

void keepTitleFocusFresh() {
  if (MenuStateStale(titleFocusSeen)) titleFocus = kNoTitleFocus;
}

} // namespace

float MenuUnitsH(int h) { return static_cast<float>(h - kMenuWidth / 2) / kMenuPixelsPerUnit; }
float MenuUnitsV(int v) { return static_cast<float>(kMenuHeight / 2 - v) / kMenuPixelsPerUnit; }
float MenuPixelV(float v) { return static_cast<float>(kMenuHeight) / 2 - v * kMenuPixelsPerUnit; }

int TitleFocus() {
  keepTitleFocusFresh();
  return titleFocus;
}

void TitleScreen() {
  static float phase = 0;
  static int seen = 0;
  static int lastH = 0, lastV = 0;
  if (MenuStateStale(seen)) phase = 0, lastH = mouseH, lastV = mouseV;
  keepTitleFocusFresh();
  if (MenuPointerActive(lastH, lastV)) titleFocus = kNoTitleFocus; // the mouse takes over
  SoundIdle();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_COLOR_MATERIAL);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexTitle);
  glColor3f(1, 1, 1);
  titlePictureShown = TextureLoaded(kTexTitle);
  if (titlePictureShown)
    drawPicturePart(kPicture, kWholePicture);
  else
    for (const TitleButton &b : kTitleButtons) drawPlainButton(b);
  phase += kPulseStep;
  if (phase > kTwoPi) phase -= kTwoPi; // a float that only grows would stop the pulse one day
  const float pulse = kPulseMiddle + kPulseSwing * std::cos(phase);
  for (int i = 0; i < kTitleButtonCount; i++) {
    const TitleButton &b = kTitleButtons[i];
    const bool over = underMouse(b);
    const bool pressed = over && buttonDown;
    if (pressed) {
      buttonDown = 0; // one click, one action
      b.act();
    }
    if (pressed) {
      glColor3f(1, 0, 0);
      const Rect pill = pillOf(b, kRingGap * 2);
      if (titlePictureShown) drawPicturePart(pill, pictureUnder(pill));
    } else if (over || i == titleFocus) {
      lightButton(b, pulse);
    }
    if (i == titleFocus) ringButton(b, pulse);
    if (titlePictureShown) {
      const Rect pill = pillOf(b, 0); // the picture's label for this button
      LogTextBox(b.name, pill.left, pill.bottom, pill.right, pill.top);
    }
  }
  glDisable(GL_BLEND);
  SwapFrame();
  buttonDown = 0;
  glEnable(GL_DEPTH_TEST);
  leavePicture();
}

void DrawTitle() {
  if (!TextureLoaded(kTexTitle)) {
    glColor3f(0.6f, 0.75f, 1);
    DrawCentredStr(0, kBandWordV, kBandWordSize, "TETHRIX");
    return;
  }
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexTitle);
  glColor3f(1, 1, 1);
  drawPicturePart(kBand, kBandPicture);
  leavePicture();
}

// The button beside `from` on the two rows of three; Tab reads on into the next row.
int TitleGridStep(int from, int dh, int dv, bool readOn) {
  int row = 0, column = 0;
  for (int r = 0; r < kGridRows; r++)
    for (int c = 0; c < kGridColumns; c++)
      if (kTitleGrid[r][c] == from) row = r, column = c;
  if (readOn) {
    const int cell = (row * kGridColumns + column + 1) % kTitleButtonCount;
    return kTitleGrid[cell / kGridColumns][cell % kGridColumns];
  }
  row = (row + dv + kGridRows) % kGridRows;
  column = (column + dh + kGridColumns) % kGridColumns;
  return kTitleGrid[row][column];
}

// The moves walk the buttons, accepting takes the one lit (Play when none is);
// the title has nothing to go back to.
void TitleAction(int action) {
  keepTitleFocusFresh();
  int dh = 0, dv = 0;
  switch (action) {
  case kMenuActionAccept: {
    const int chosen = titleFocus == kNoTitleFocus ? kTitlePlay : titleFocus;
    titleFocus = kNoTitleFocus;
    kTitleButtons[chosen].act();
    return;
  }
  case kMenuActionLeft: dh = -1; break;
  case kMenuActionRight: dh = 1; break;
  case kMenuActionUp: dv = -1; break;
  case kMenuActionDown: dv = 1; break;
  default: return;
  }
  titleFocus = titleFocus == kNoTitleFocus ? kTitlePlay : TitleGridStep(titleFocus, dh, dv, false);
}

// Tab reads on through the buttons; Return or Space accepts.
void TitleKey(unsigned char key, int, int) {
  keepTitleFocusFresh();
  if (key == kKeyTab)
    titleFocus = titleFocus == kNoTitleFocus ? kTitleArcade : TitleGridStep(titleFocus, 1, 0, true);
  else if (IsEnterKey(key) || key == ' ')
    TitleAction(kMenuActionAccept);
}

void TitleSpecialKey(int key, int, int) {
  keepTitleFocusFresh();
  const int action = MenuArrowAction(key);
  if (action == kMenuNoAction)
    SpecialKey(key, 0, 0); // F12 still takes a picture
  else
    TitleAction(action);
}

bool IsEnterKey(unsigned char key) { return key == kKeyReturn || key == kKeyLineFeed; }

// Centred on (h, v) in both directions.
void DrawCentredStr(float h, float v, float size, const char *text) {
  const size_t n = std::strlen(text);
  const float width = n > 0 ? size * (kGlyphAdvance * static_cast<float>(n - 1) + 1) : 0;
  DrawStr2(h - width / 2, v - size / 2, size, text);
}

char toUpper(char in) { return in >= 'a' && in <= 'z' ? static_cast<char>(in - 'a' + 'A') : in; }

int imin(int a, int b) { return a < b ? a : b; }

// ---- Shared by the menu screens -------------------------------------------------------------
void ResetMenus() { menuEpoch++; }

bool MenuStateStale(int &seen) {
  if (seen == menuEpoch) return false;
  seen = menuEpoch;
  return true;
}

// A pointer resting over a list must not pin the highlight, or the arrow keys
// could never move it: only a moved or pressed mouse picks a line.
bool MenuPointerActive(int &lastH, int &lastV) {
  const bool active = buttonDown || mouseH != lastH || mouseV != lastV;
  lastH = mouseH;
  lastV = mouseV;
  return active;
}

int MenuStep(int line, int lines) {
  if (lines <= 0) return 0;
  if (lastSpecial == GLUT_KEY_DOWN) return (line + 1) % lines;
  if (lastSpecial == GLUT_KEY_UP) return (line + lines - 1) % lines;
  return line;
}

int MenuRowUnderMouse(int left, int right, int top, int rows) {
  if (mouseH <= left || mouseH >= right) return -1;
  for (int n = 0; n < rows; n++)
    if (mouseV > top + kMenuRowPixels * n && mouseV < top + kMenuRowPixels * (n + 1)) return n;
  return -1;
}

// Names may be 63 characters: a line that would run off the screen is drawn
// smaller rather than cut.
void DrawMenuStr(float x, float y, const char *text) {
  DrawStrWithin(x, y, kMenuTextSize, x < kMenuRight ? kMenuRight - x : 0, text);
}

void FinishMenuFrame() {
  glEnable(GL_LIGHTING);
  DrawTitle();
  SwapFrame();
  lastKey = 0;
  lastSpecial = 0;
  buttonDown = 0;
}
