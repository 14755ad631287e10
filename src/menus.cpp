// The title screen, its picture as the other menus' heading, and what the menu screens share.
#include "TethrixExtern.h"
#include "inclGL.h"

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
  glutKeyboardFunc(Key);
  glutDisplayFunc(Display);
  arcadeMode = 1;
  gameType = kDeathmatch;
}

void openLevelSelect() {
  ReadLevelFile(defaultLevels);
  glutDisplayFunc(LevelSelect);
  glutSpecialFunc(SpecialLevelSelectKey);
  glutKeyboardFunc(LevelKeys);
  arcadeMode = 0;
}

// One past the last level loads no level section. The count must be the level
// list's: after the preferences or the power-up sets were read it is -1, which
// would load level 0, so the list is counted first.
void openCredits() {
  if (numLevels < 0) ReadLevelFile(defaultLevels);
  currentLevel = numLevels + 1;
  ReadLevelFile(defaultLevels);
  glutDisplayFunc(CreditsView);
  glutKeyboardFunc(HelpKey);
  glutSpecialFunc(HelpSpecial);
}

void openHelp() {
  glutDisplayFunc(HelpView);
  glutKeyboardFunc(HelpKey);
  glutSpecialFunc(HelpSpecial);
}

void quitGame() {
  glutSetCursor(GLUT_CURSOR_LEFT_ARROW);
  ShutdownSound();
  std::exit(0);
}

struct TitleButton {
  Rect shape;   // where it is drawn
  Rect picture; // its part of the title picture (s, t)
  int targetH, targetV; // centre of its mouse target on the menu screen
  void (*act)();
};

const TitleButton kTitleButtons[] = {
    {{-6.0f, -1.8f, -1.40625f, 1.40625f}, {0, 0.35f, 0.35f, 0.65f}, 130, 240, startArcade},
    {{-1.8f, 1.8f, -1.40625f, 1.40625f}, {0.35f, 0.65f, 0.35f, 0.65f}, 310, 240, openLevelSelect},
    {{-6.0f, -1.8f, -4.6875f, -1.40625f}, {0, 0.35f, 0, 0.35f}, 130, 385, openCredits},
    {{-1.8f, 1.8f, -4.6875f, -1.40625f}, {0.35f, 0.65f, 0, 0.35f}, 310, 385, OpenOptions},
    {{1.8f, 6.0f, -4.6875f, -1.40625f}, {0.65f, 1, 0, 0.35f}, 460, 400, openHelp},
    {{1.8f, 6.0f, -1.40625f, 1.40625f}, {0.65f, 1, 0.35f, 0.65f}, 490, 240, quitGame},
};

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

} // namespace

void TitleScreen() {
  static float phase = 0;
  static int seen = 0;
  if (MenuStateStale(seen)) phase = 0;
  SoundIdle();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_COLOR_MATERIAL);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexTitle);
  glColor3f(1, 1, 1);
  drawPicturePart(kPicture, kWholePicture);
  phase += kPulseStep;
  if (phase > kTwoPi) phase -= kTwoPi; // a float that only grows would stop the pulse one day
  const float pulse = kPulseMiddle + kPulseSwing * std::cos(phase);
  for (const TitleButton &b : kTitleButtons) {
    const bool over = underMouse(b);
    const bool pressed = over && buttonDown;
    if (pressed) {
      buttonDown = 0; // one click, one action
      b.act();
    }
    if (pressed)
      glColor3f(1, 0, 0);
    else if (over)
      glColor3f(pulse, pulse, pulse);
    else
      glColor3f(1, 1, 1);
    drawPicturePart(b.shape, b.picture);
  }
  SwapFrame();
  buttonDown = 0;
  glEnable(GL_DEPTH_TEST);
  leavePicture();
}

void DrawTitle() {
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexTitle);
  glColor3f(1, 1, 1);
  drawPicturePart(kBand, kBandPicture);
  leavePicture();
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
