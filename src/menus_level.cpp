// The level select: a live preview of the level, the game type and its target, and the start of a match.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// The preview box, left of the list and below the captions. The level's corner
// spheres reach one unit past each edge, so they are fitted in too.
constexpr float kPreviewH = -2.75f, kPreviewV = -0.5f;
constexpr float kPreviewWidth = 6.5f, kPreviewHeight = 7.0f;
constexpr float kCornerReach = 2.0f;

constexpr float kHalfGlyph = 0.05f; // the captions are placed by their length
constexpr float kLevelNameV = 4.3f, kCaptionV = 3.9f; // the top of a 4:3 view is 4.6
constexpr float kListH = 1.0f, kListScoreH = 4.0f, kListBottomV = -2.0f, kListStep = 0.5f;

// Mouse regions, menu pixels.
constexpr int kListLeft = 350, kListRight = 600, kListBottomTop = 330, kRowPixels = 25;
constexpr int kButtonLeft = 350, kButtonRight = 500;

constexpr int kArrowTypes = kBlinkMatch - kFirstGameType + 1; // the arrows never reach body count

// Space starts a match, and so do the codes some keyboards send for Enter; 13 does not.
constexpr unsigned char kStartKeys[] = {' ', 10, 3, 11};

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
  const int hintsWere = hints;
  hints = 0;
  DrawBackground();
  hints = hintsWere;
  glPopMatrix();
}

void drawCaption(float v, const char *text) {
  DrawMenuStr(-kHalfGlyph * static_cast<float>(std::strlen(text)), v, text);
}

void drawCaptions() {
  glColor3f(0, 0, 0);
  drawCaption(kLevelNameV, levelname);
  char caption[kTextSize];
  std::snprintf(caption, sizeof caption, GameTypeCaption(gameType), maxScore);
  drawCaption(kCaptionV, caption);
}

bool mouseIn(int left, int right, int top, int bottom) {
  return mouseH > left && mouseH < right && mouseV > top && mouseV < bottom;
}

// Types with a winning score of 0 are not offered; the list grows upward.
void drawTypeList() {
  int row = 0;
  for (int i = 0; i < kNumGameTypes; i++) {
    if (gameScores[i] == 0) continue;
    const int top = kListBottomTop - kRowPixels * row;
    if (buttonDown && mouseIn(kListLeft, kListRight, top, top + kRowPixels)) {
      gameType = kFirstGameType + i;
      maxScore = gameScores[i];
    }
    const float v = kListBottomV + kListStep * static_cast<float>(row);
    glColor3f(gameType == kFirstGameType + i ? 1.0f : 0.0f, 0, 0);
    DrawStr(kListH, v, GameTypeName(kFirstGameType + i));
    char score[16];
    std::snprintf(score, sizeof score, "%i", gameScores[i]);
    DrawStr(kListScoreH, v, score);
    row++;
  }
}

void nextMap() { SpecialLevelSelectKey(GLUT_KEY_RIGHT, 0, 0); }
void previousMap() { SpecialLevelSelectKey(GLUT_KEY_LEFT, 0, 0); }
void go() { LevelKeys(' ', 0, 0); }

struct LevelButton {
  const char *label;
  float v;
  int top; // the region runs 25 menu pixels down from here
  void (*act)();
};

const LevelButton kLevelButtons[] = {
    {"Next Map", -3.0f, 380, nextMap},
    {"Previous Map", -3.5f, 405, previousMap},
    {"Go!", -4.5f, 455, go},
};

// A held button would act every frame: each of these takes the click.
void drawButtons() {
  glColor3f(0, 0, 0);
  for (const LevelButton &b : kLevelButtons) {
    DrawStr(kListH, b.v, b.label);
    if (buttonDown && mouseIn(kButtonLeft, kButtonRight, b.top, b.top + kRowPixels)) {
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

void stepGameType(int step) {
  gameType += step;
  if (gameType > kBlinkMatch || gameType < kFirstGameType) gameType = step > 0 ? kFirstGameType : kBlinkMatch;
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
  if (gameType == kUnstableMatch) PrepareUnstableMatch();
  PlaySoundFile(GameTypeStartSound(gameType));
  glutKeyboardFunc(Key);
  glutDisplayFunc(Display);
  glutSpecialFunc(SpecialKey);
  ResetPositions();
}

} // namespace

void LevelSelect() {
  borderRed = borderGreen = borderBlue = 0.5f;
  SoundIdle();
  glDisable(GL_LIGHTING);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  drawPreview();
  drawCaptions();
  drawTypeList();
  drawButtons();
  SwapFrame();
}

// Choices whose winning score is 0 are skipped; when every choice the key can
// reach has 0, one full cycle brings it back where it started.
void SpecialLevelSelectKey(int key, int, int) {
  const bool levels = key == GLUT_KEY_LEFT || key == GLUT_KEY_RIGHT;
  const int choices = levels ? (numLevels > 0 ? numLevels + 1 : 1) : kArrowTypes;
  for (int n = 0; n < choices; n++) {
    if (!applyArrow(key)) return;
    if (maxScore != 0) return;
  }
}

void LevelKeys(unsigned char key, int, int) {
  if (key == kKeyEscape) {
    glutKeyboardFunc(Key);
    glutDisplayFunc(TitleScreen);
    glutSpecialFunc(SpecialKey);
    ResetAll();
  } else if (isStartKey(key)) {
    startMatch();
  }
}
