// The level select: a live preview of the level, the game type and its target, and the start of a match.
#include "TethrixExtern.h"
#include "inclGL.h"
#include "replay.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The page: the heading and the level on the left, the game types on the right.
constexpr float kPreviewH = -3.1f, kPreviewV = -1.15f;
constexpr float kPreviewWidth = 5.8f, kPreviewHeight = 6.3f;
constexpr float kCornerReach = 2.0f; // the level's corner spheres reach past each edge

constexpr float kLogoLeft = -5.9f, kLogoRight = -0.8f, kLogoBottom = 3.3f;
constexpr float kLevelNameV = 2.75f, kCaptionV = 2.35f, kTitleSize = 0.32f, kCaptionSize = 0.22f;
constexpr float kListH = 1.0f, kListScoreH = 4.0f, kListBottomV = -2.0f, kListStep = 0.5f;
constexpr float kListHeadV = 4.05f, kReasonSize = 0.17f;

// Mouse regions, menu pixels.
constexpr int kListLeft = 350, kListRight = 600;
constexpr int kButtonLeft = 350, kButtonRight = 500, kRowPixels = 25;


// Space starts a match, and so does Enter: Return and keypad Enter arrive as 13 here,
// other keyboards send 10, 3 or 11.
constexpr unsigned char kStartKeys[] = {' ', kKeyReturn, kKeyLineFeed, 3, 11};

// The title picture's night and the colours of its buttons.
constexpr float kNight[3] = {0.02f, 0.025f, 0.07f};
constexpr float kNightGlow[3] = {0.08f, 0.05f, 0.16f};
constexpr float kChosen[3] = {0.31f, 1, 0.47f};
constexpr float kCaptionColour[3] = {0.27f, 0.78f, 1};
constexpr float kGrey[3] = {0.45f, 0.47f, 0.55f};
constexpr float kWhite[3] = {1, 1, 1};
constexpr float kPlainBorder = 0.5f; // what the match starts with
constexpr float kMenuRightEdge = 6.0f;
constexpr float kBandPictureBottom = 0.66f; // the title picture's top third is its heading
constexpr float kBandAspect = (1 - kBandPictureBottom) * 768 / 1024;

void colour(const float (&c)[3], float alpha = 1) { glColor4f(c[0], c[1], c[2], alpha); }

// Text leaves depth testing on; these panels lie on the page, over the preview's border.
void quad(float left, float right, float bottom, float top) {
  glDisable(GL_DEPTH_TEST);
  glBegin(GL_QUADS);
  glVertex3f(left, bottom, 0);
  glVertex3f(right, bottom, 0);
  glVertex3f(right, top, 0);
  glVertex3f(left, top, 0);
  glEnd();
  glEnable(GL_DEPTH_TEST);
}

// Night with a glow at the top, as on the title; the preview's border fades into it.
void drawBackdrop() {
  glDisable(GL_DEPTH_TEST);
  glBegin(GL_QUADS);
  colour(kNight);
  glVertex3f(-7, -5, 0);
  glVertex3f(7, -5, 0);
  colour(kNightGlow);
  glVertex3f(7, 5, 0);
  glVertex3f(-7, 5, 0);
  glEnd();
  glEnable(GL_DEPTH_TEST);
}

void drawLogo() {
  if (!TextureLoaded(kTexTitle)) return;
  glDisable(GL_DEPTH_TEST); // the preview's border lies nearer
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexTitle);
  glColor3f(1, 1, 1);
  const float top = kLogoBottom + (kLogoRight - kLogoLeft) * kBandAspect;
  glBegin(GL_QUADS);
  glTexCoord2f(0, kBandPictureBottom);
  glVertex3f(kLogoLeft, kLogoBottom, 0);
  glTexCoord2f(1, kBandPictureBottom);
  glVertex3f(kLogoRight, kLogoBottom, 0);
  glTexCoord2f(1, 1);
  glVertex3f(kLogoRight, top, 0);
  glTexCoord2f(0, 1);
  glVertex3f(kLogoLeft, top, 0);
  glEnd();
  glDisable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, kTexSprites);
  glEnable(GL_DEPTH_TEST);
}

float previewScale() {
  const float w = levelRight - levelLeft + kCornerReach, h = levelTop - levelBottom + kCornerReach;
  if (!(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return 1; // a level without extents
  const float byWidth = kPreviewWidth / w, byHeight = kPreviewHeight / h;
  return byWidth < byHeight ? byWidth : byHeight;
}

void drawPreview() {
  const float k = previewScale();
  glPushMatrix();
  glTranslatef(kPreviewH, kPreviewV, 0);
  glScalef(k, k, k);
  glTranslatef(-(levelLeft + levelRight) / 2, -(levelTop + levelBottom) / 2, 0);
  // Nothing moves particles on this screen: hint sparkles would pile up on one node.
  // The border fades into the page's night, not into grey.
  const int hintsWere = hints;
  hints = 0;
  borderRed = kNight[0], borderGreen = kNight[1], borderBlue = kNight[2];
  DrawBackground();
  borderRed = borderGreen = borderBlue = kPlainBorder;
  hints = hintsWere;
  glPopMatrix();
}

void drawCaption(float v, float size, const char *text) {
  DrawStrWithin(kLogoLeft, v, size, kLogoRight - kLogoLeft + 0.6f, text);
}

// The target a type is played to: the current one's is the match's own.
int shownTarget(int type) { return type == gameType ? maxScore : gameScores[type - kFirstGameType]; }

void drawCaptions() {
  glColor3f(1, 1, 1);
  drawCaption(kLevelNameV, kTitleSize, levelname);
  char caption[kTextSize * 2];
  char target[kTextSize];
  std::snprintf(target, sizeof target, GameTypeCaption(gameType), maxScore);
  const char *missing = GameTypeUnplayable(gameType);
  if (missing)
    std::snprintf(caption, sizeof caption, "%s: not on this level (%s)", GameTypeName(gameType), missing);
  else
    std::snprintf(caption, sizeof caption, "%s", target);
  colour(missing ? kGrey : kCaptionColour);
  drawCaption(kCaptionV, kCaptionSize, caption);
}

bool mouseIn(int left, int right, int top, int bottom) {
  return mouseH > left && mouseH < right && mouseV > top && mouseV < bottom;
}

float rowV(int row) { return kListBottomV + kListStep * static_cast<float>(row); }

// A row's click region is the band it is drawn in: half a step either side of its text's middle.
bool mouseOnRow(int row) {
  const float middle = rowV(row) + kGlyphSize / 2;
  const int top = static_cast<int>(MenuPixelV(middle + kListStep / 2));
  const int bottom = static_cast<int>(MenuPixelV(middle - kListStep / 2));
  return mouseH > kListLeft && mouseH < kListRight && mouseV >= top && mouseV < bottom;
}

void drawRowBand(int row, const float (&c)[3], float alpha) {
  const float middle = rowV(row) + kGlyphSize / 2;
  glEnable(GL_BLEND);
  colour(c, alpha);
  quad(MenuUnitsH(kListLeft), MenuUnitsH(kListRight), middle - kListStep / 2 + 0.03f,
       middle + kListStep / 2 - 0.03f);
}

void drawTypeRow(int row, int type) {
  const bool chosen = type == gameType;
  const char *missing = GameTypeUnplayable(type);
  if (chosen) drawRowBand(row, kChosen, 0.25f);
  else if (mouseOnRow(row)) drawRowBand(row, kCaptionColour, 0.12f);
  const float v = rowV(row);
  colour(missing ? kGrey : chosen ? kChosen : kWhite);
  DrawStr(kListH, v, GameTypeName(type));
  if (missing) {
    DrawStrWithin(kListScoreH, v + 0.04f, kReasonSize, kMenuRightEdge - kListScoreH, missing);
    return;
  }
  char score[16];
  std::snprintf(score, sizeof score, "%i", shownTarget(type));
  DrawStrWithin(kListScoreH, v, kGlyphSize, kMenuRightEdge - kListScoreH, score);
}

// Types with a winning score of 0 are not offered; the list grows upward. A type the
// level cannot be played as is shown, greyed, and cannot be chosen.
void drawTypeList() {
  colour(kGrey);
  DrawStr2(kListH, kListHeadV, kCaptionSize, "Game type");
  DrawStr2(kListScoreH, kListHeadV, kCaptionSize, "Target");
  int row = 0;
  for (int i = 0; i < kNumGameTypes; i++) {
    if (gameScores[i] == 0) continue;
    const int type = kFirstGameType + i;
    if (buttonDown && mouseOnRow(row) && !GameTypeUnplayable(type) && type != gameType) {
      gameType = type;
      maxScore = gameScores[i];
    }
    drawTypeRow(row, type);
    row++;
  }
}

void nextMap() { LevelSelectAction(kMenuActionRight); }
void previousMap() { LevelSelectAction(kMenuActionLeft); }
void go_() { LevelSelectAction(kMenuActionAccept); }

struct LevelButton {
  const char *label;
  float v;
  int top; // the region runs 25 menu pixels down from here
  void (*act)();
};

const LevelButton kLevelButtons[] = {
    {"Next Map", -3.0f, 380, nextMap},
    {"Previous Map", -3.5f, 405, previousMap},
    {"Go!", -4.5f, 455, go_},
};

// A held button would act every frame: each of these takes the click. The pill drawn
// round each label is its click region.
void drawButtons() {
  for (const LevelButton &b : kLevelButtons) {
    const bool over = mouseIn(kButtonLeft, kButtonRight, b.top, b.top + kRowPixels);
    const bool go = b.act == go_;
    const bool blocked = go && GameTypeUnplayable(gameType);
    const float left = MenuUnitsH(kButtonLeft), right = MenuUnitsH(kButtonRight);
    const float top = MenuUnitsV(b.top) - 0.03f, bottom = MenuUnitsV(b.top + kRowPixels) + 0.03f;
    glEnable(GL_BLEND);
    colour(blocked ? kGrey : go ? kChosen : kCaptionColour, over ? 0.35f : 0.15f);
    quad(left, right, bottom, top);
    colour(blocked ? kGrey : kWhite);
    DrawStr(kListH, b.v, b.label);
    if (buttonDown && over) {
      buttonDown = 0;
      b.act();
    }
  }
}

void stepLevel(int step) {
  const int last = numLevels > 0 ? numLevels : 0;
  currentLevel += step;
  if (currentLevel > last) currentLevel = 0;
  if (currentLevel < 0) currentLevel = last;
  ReadLevelFile(defaultLevels);
}

// The arrows run from the first type to the last one they reach.
int lastArrowType() {
  int last = kLastGameType;
  while (last > kFirstGameType && GameTypeHas(last, kTraitOffArrows)) last--;
  return last;
}

void stepGameType(int step) {
  gameType += step;
  const int last = lastArrowType();
  if (gameType > last || gameType < kFirstGameType) gameType = step > 0 ? kFirstGameType : last;
  maxScore = gameScores[gameType - kFirstGameType];
}

// False for a key that is not an arrow.
bool applyArrow(int key) {
  switch (key) {
  case GLUT_KEY_RIGHT: stepLevel(1); return true;
  case GLUT_KEY_LEFT: stepLevel(-1); return true;
  case GLUT_KEY_UP: stepGameType(1); return true;
  case GLUT_KEY_DOWN: stepGameType(-1); return true;
  default: return false;
  }
}

bool isStartKey(unsigned char key) {
  for (unsigned char k : kStartKeys)
    if (key == k) return true;
  return false;
}

void startMatch() {
  PlaySoundFile(GameTypeStartSound(gameType));
  StartLiveMatch();
}

// Choices whose winning score is 0 are skipped, and so are types the level cannot be
// played as; when every choice the arrow can reach is, one full cycle brings it back.
void stepChoice(int arrow) {
  const bool levels = arrow == GLUT_KEY_LEFT || arrow == GLUT_KEY_RIGHT;
  const int choices = levels ? (numLevels > 0 ? numLevels + 1 : 1) : lastArrowType() - kFirstGameType + 1;
  for (int n = 0; n < choices; n++) {
    if (!applyArrow(arrow)) return;
    if (maxScore != 0 && (levels || !GameTypeUnplayable(gameType))) return;
  }
}

} // namespace

void LevelSelect() {
  borderRed = borderGreen = borderBlue = kPlainBorder;
  SoundIdle();
  glDisable(GL_LIGHTING);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawBackdrop();
  drawPreview();
  drawLogo();
  drawCaptions();
  drawTypeList();
  drawButtons();
  glDisable(GL_BLEND);
  SwapFrame();
}

// Why the loaded level cannot be played as the type, or null when it can.
const char *GameTypeUnplayable(int type) {
  if (GameTypeHas(type, kTraitCheckPointNodes) && numCheckPoints <= 0) return GameTypeShortfall(type);
  if (GameTypeHas(type, kTraitFlags) && (flagsPlaced & kBothFlags) != kBothFlags)
    return GameTypeShortfall(type);
  return nullptr;
}

// Left and right step the level, up and down the game type; a type the level
// cannot be played as does not start.
void LevelSelectAction(int action) {
  switch (action) {
  case kMenuActionAccept:
    if (!GameTypeUnplayable(gameType)) startMatch();
    break;
  case kMenuActionBack: BackToTitle(); break;
  default: stepChoice(MenuActionArrow(action)); break;
  }
}

// Other special keys, F12 among them, do nothing here.
void SpecialLevelSelectKey(int key, int, int) {
  const int action = MenuArrowAction(key);
  if (action != kMenuNoAction) LevelSelectAction(action);
}

void LevelKeys(unsigned char key, int, int) {
  if (key == kKeyEscape)
    LevelSelectAction(kMenuActionBack);
  else if (isStartKey(key))
    LevelSelectAction(kMenuActionAccept);
}
