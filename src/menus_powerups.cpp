// The power-up options: how often power-ups appear, how often each one is drawn, and the named sets.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cstdio>

namespace {

// Lines: OK, the set, the overall frequency, then power-up n on line n + 2.
constexpr int kLineOK = 0, kLineSet = 1, kLineOverall = 2;
constexpr int kFirstPowerUp = kPowerNormalGravity, kLastPowerUp = kNumPowerUps - 1;
constexpr int kPowerUpLineOffset = 2;
constexpr int kLines = kLastPowerUp + kPowerUpLineOffset + 1;
constexpr int kRowsShown = 6;
constexpr int kLastScrollPoint = kNumPowerUps; // past it "More..." starts again from the first power-up

// The overall frequency is stored as the mean ticks between spawns, in steps of 60.
constexpr int kInfrequencyStep = 60, kInfrequencyWrap = 660, kRarest = 600;
constexpr int kMaxShown = 10;
constexpr int kFrequencyWrap = 10; // a power-up's entries in the bag: 0..9

// Mouse regions, menu pixels.
constexpr int kTopLeft = 260, kTopRight = 400, kTopFirst = 205, kRowPixels = 25;
constexpr int kRowsBase = 330, kMoreTop = 455, kMoreBottom = 480;

constexpr float kOKH = -1.0f, kOKV = 0.5f, kLabelH = -3.0f, kSetNameH = 0.0f, kSetV = 0.0f;
constexpr float kOverallV = -0.5f, kHeadingV = -1.0f, kFirstRowV = -1.5f, kRowStep = 0.5f;
constexpr float kNameH = -6.0f, kFrequencyH = -3.5f, kDescriptionH = -2.5f, kMoreV = -4.5f;

struct PowerUpScreen {
  int currentOption, scrollPoint, buttonWasDown, lastH, lastV;
};

int lineOf(int id) { return id + kPowerUpLineOffset; }

void selectWithMouse(PowerUpScreen &s) {
  if (!MenuPointerActive(s.lastH, s.lastV)) return;
  const int top = MenuRowUnderMouse(kTopLeft, kTopRight, kTopFirst, kPowerUpLineOffset + 1);
  if (top >= 0) {
    s.currentOption = top;
    if (buttonDown) lastSpecial = GLUT_KEY_RIGHT;
  }
  for (int l = lineOf(s.scrollPoint); l < lineOf(s.scrollPoint) + kRowsShown && l < kLines; l++) {
    const int y = (l - s.scrollPoint - kPowerUpLineOffset - 1) * kRowPixels;
    if (mouseV > kRowsBase + y && mouseV < kRowsBase + kRowPixels + y) {
      s.currentOption = l;
      if (buttonDown) lastSpecial = GLUT_KEY_RIGHT;
    }
  }
}

// One press scrolls once, however long the button is held.
void clickMore(PowerUpScreen &s) {
  if (mouseV <= kMoreTop || mouseV >= kMoreBottom) return;
  if (!buttonDown) {
    s.buttonWasDown = 0;
    return;
  }
  if (s.buttonWasDown) return;
  s.buttonWasDown = 1;
  s.scrollPoint += kRowsShown;
  if (s.scrollPoint > kLastScrollPoint) s.scrollPoint = kFirstPowerUp;
  s.currentOption = lineOf(s.scrollPoint);
}

void keepSelectionShown(PowerUpScreen &s) {
  if (s.currentOption <= kLineOverall) return;
  if (s.currentOption < lineOf(s.scrollPoint)) s.scrollPoint = s.currentOption - kPowerUpLineOffset;
  if (s.currentOption > lineOf(s.scrollPoint) + kRowsShown - 1)
    s.scrollPoint = s.currentOption - kPowerUpLineOffset - kRowsShown + 1;
}

// The set file adds its entries to the bag; it starts empty here so that going
// round the sets never fills it. OK rebuilds the bag from the frequencies.
void nextSet() {
  powerUpSetID++;
  powerUpsInList = 0;
  ReadLevelFile("powerupsets.def");
}

// Left: fewer power-ups (600 wraps to 0, off); right: more (0 wraps to 600, the rarest).
// Written so that a value from a hand-edited file cannot overflow.
void stepOverall(int step) {
  if (step < 0)
    powerUpInfrequency = (powerUpInfrequency % kInfrequencyWrap + kInfrequencyStep) % kInfrequencyWrap;
  else
    powerUpInfrequency = powerUpInfrequency < kInfrequencyStep ? kRarest : powerUpInfrequency - kInfrequencyStep;
}

void stepFrequency(int id, int step) {
  int &f = powerUpFrequency[id];
  if (step > 0)
    f = f < 0 ? 1 : (f % kFrequencyWrap + 1) % kFrequencyWrap;
  else if (f > 0)
    f--;
}

void shade(bool selected) {
  const float grey = selected ? 1.0f : 0.5f;
  glColor3f(grey, grey, grey);
}

void drawTopLines(int current, bool act, int step) {
  shade(current == kLineOK);
  DrawStr(kOKH, kOKV, "OK");
  if (current == kLineOK && act) ShowScreen(kScreenOptionsBack);
  if (current == kLineSet && act) nextSet();
  shade(current == kLineSet);
  DrawStr(kLabelH, kSetV, "Powerup set: ");
  DrawMenuStr(kSetNameH, kSetV, powerUpSetName);
  if (current == kLineOverall && step != 0) stepOverall(step);
  shade(current == kLineOverall);
  char text[kTextSize];
  std::snprintf(text, sizeof text, "Overall Powerup Frequency (0 means all powerups off):   %i",
                OverallFrequencyShown(powerUpInfrequency));
  DrawMenuStr(kLabelH, kOverallV, text);
  shade(false);
  DrawStr(kLabelH, kHeadingV, "Powerup Frequencies (0 means disabled):");
}

void drawPowerUpRows(const PowerUpScreen &s, int step) {
  char text[kTextSize];
  for (int id = kFirstPowerUp; id <= kLastPowerUp; id++) {
    if (s.currentOption == lineOf(id) && step != 0) stepFrequency(id, step);
    if (id < s.scrollPoint || id >= s.scrollPoint + kRowsShown) continue;
    const float v = kFirstRowV - kRowStep * static_cast<float>(id - s.scrollPoint);
    shade(s.currentOption == lineOf(id));
    std::snprintf(text, sizeof text, "%s:", powerUpName(id));
    DrawStr(kNameH, v, text);
    std::snprintf(text, sizeof text, "%i", powerUpFrequency[id]);
    DrawStr(kFrequencyH, v, text);
    DrawMenuStr(kDescriptionH, v, powerUpDescription(id));
  }
  glColor3f(1, 1, 1);
  std::snprintf(text, sizeof text, "More... (%i to %i of %i)", s.scrollPoint,
                imin(s.scrollPoint + kRowsShown - 1, kLastPowerUp), kLastPowerUp);
  DrawStr(kNameH, kMoreV, text);
}

} // namespace

// 0 only when spawning is off (the value 0); otherwise 1 for the rarest, 600,
// up to 10 for the most frequent, so the label's promise holds.
int OverallFrequencyShown(int infrequency) {
  if (infrequency == 0) return 0;
  if (infrequency < 0) return kMaxShown;
  const int shown = kMaxShown - (infrequency - 1) / kInfrequencyStep;
  return shown < 1 ? 1 : shown;
}

void PowerUpOptions() {
  static PowerUpScreen screen = {kLineOK, kFirstPowerUp, 0, -1, -1};
  static int seen = 0;
  if (MenuStateStale(seen)) screen = PowerUpScreen{kLineOK, kFirstPowerUp, 0, -1, -1};
  SoundIdle();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_COLOR_MATERIAL);
  glDisable(GL_LIGHTING);
  screen.currentOption = MenuStep(screen.currentOption, kLines);
  selectWithMouse(screen);
  clickMore(screen);
  keepSelectionShown(screen);
  const int step = lastSpecial == GLUT_KEY_RIGHT ? 1 : lastSpecial == GLUT_KEY_LEFT ? -1 : 0;
  drawTopLines(screen.currentOption, lastKey != 0 || step != 0, step);
  drawPowerUpRows(screen, step);
  FinishMenuFrame();
}
