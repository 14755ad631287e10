// More options (the keyboard check, colour vision, pads) and the keyboard check itself: what arrives when
// everyone holds their keys, the pairs the keyboard drops, and keys to use instead.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cstdio>

namespace {

// ---- The page -------------------------------------------------------------------------------
enum MoreLine { kMoreBack, kMoreKeyboardCheck, kMoreColourVision, kMoreUiScale, kMoreRumble, kMoreLines };

constexpr int kMoreMouseLeft = 260, kMoreMouseRight = 460, kMoreMouseTop = 180;
constexpr float kMoreH = -1.0f, kMoreTopV = 1.0f, kMoreStep = 0.5f;

void moreText(int line, char *text, size_t size) {
  switch (line) {
  case kMoreBack: std::snprintf(text, size, "Back"); break;
  case kMoreKeyboardCheck: std::snprintf(text, size, "Keyboard check: which keys arrive together"); break;
  case kMoreColourVision: std::snprintf(text, size, "Colour vision: %s", ColourVisionName(colourVision)); break;
  case kMoreUiScale:
    if (uiScale == kUiScaleAuto)
      std::snprintf(text, size, "UI scale: from the window (%d %%)", static_cast<int>(UiScale() * 100 + 0.5f));
    else
      std::snprintf(text, size, "UI scale: %d %%", uiScale);
    break;
  default: std::snprintf(text, size, "Pad rumble: %s", padRumble ? "On" : "Off"); break;
  }
}

void chooseMore(int line) {
  switch (line) {
  case kMoreBack: ShowScreen(kScreenOptionsBack); break;
  case kMoreKeyboardCheck: OpenKeyboardCheck(); break;
  case kMoreColourVision: StepColourVision(); break;
  case kMoreUiScale: StepUiScale(); break;
  default: padRumble = !padRumble; break;
  }
}

// ---- The check ------------------------------------------------------------------------------
constexpr int kMostSuggestions = 2 * kRosterSize;
constexpr float kCheckH = -5.5f, kCheckTopV = 1.0f, kCheckStep = 0.42f, kKeysH = -1.5f;
constexpr float kKeyBox = 0.42f;
constexpr float kHeld[3] = {0.3f, 1.0f, 0.4f}, kTogether[3] = {0.25f, 0.6f, 1.0f};
constexpr float kAlone[3] = {1.0f, 0.8f, 0.2f}, kMissing[3] = {0.35f, 0.35f, 0.35f};
constexpr float kWarn[3] = {1.0f, 0.4f, 0.3f};

struct CheckScreen {
  int chosen;            // the suggestion Return takes
  char told[kTextSize];  // what taking one did
};
CheckScreen checkScreen;

void ink(const float rgb[3]) { glColor3f(rgb[0], rgb[1], rgb[2]); }

const float *stateInk(int state) {
  switch (state) {
  case kCheckKeyHeld: return kHeld;
  case kCheckKeyTogether: return kTogether;
  case kCheckKeyAlone: return kAlone;
  default: return kMissing;
  }
}

void keyBox(float h, float v, char key, int state) {
  ink(stateInk(state));
  glBegin(GL_LINE_LOOP);
  glVertex2f(h - 0.08f, v - 0.1f);
  glVertex2f(h + kKeyBox, v - 0.1f);
  glVertex2f(h + kKeyBox, v + kKeyBox - 0.1f);
  glVertex2f(h - 0.08f, v + kKeyBox - 0.1f);
  glEnd();
  const char text[2] = {toUpper(key), '\0'};
  DrawStr(h, v, text);
}

// What the colours of the keys mean, each in its own colour, and the most keys heard at once.
void drawLegend(float v) {
  const struct {
    const float *rgb;
    const char *text;
    float h;
  } kParts[] = {{kHeld, "held now", kCheckH},
                {kTogether, "came with the rest", kCheckH + 1.7f},
                {kAlone, "came alone", kCheckH + 5.0f},
                {kMissing, "not heard", kCheckH + 7.0f}};
  for (const auto &part : kParts) {
    ink(part.rgb);
    DrawMenuStr(part.h, v, part.text);
  }
  char text[kTextSize];
  std::snprintf(text, sizeof text, "most at once: %d", RolloverMostHeld());
  glColor3f(0.8f, 0.8f, 0.8f);
  DrawMenuStr(kCheckH + 8.8f, v, text);
}

// One row a ball: its name and its two keys, lit as they arrive.
float drawBalls(float v) {
  char text[kTextSize];
  for (int i = 0; i < numPlayers && i < kRosterSize; i++) {
    if (!RolloverBallChecked(i)) continue;
    const player *p = players[i];
    glColor3f(p->r, p->g, p->b);
    std::snprintf(text, sizeof text, "%s", p->name);
    DrawMenuStr(kCheckH, v, text);
    keyBox(kKeysH, v, p->key, RolloverKeyState(i, kCheckRopeKey));
    keyBox(kKeysH + 0.8f, v, p->powerUpKey, RolloverKeyState(i, kCheckPowerUpKey));
    if (RolloverPairDropped(i)) {
      ink(kWarn);
      std::snprintf(text, sizeof text, "dropped with the others held");
      DrawMenuStr(kKeysH + 1.8f, v, text);
    }
    v -= kCheckStep;
  }
  return v;
}

float drawSuggestions(float v) {
  RolloverSuggestion s[kMostSuggestions];
  const int n = RolloverSuggestions(s, kMostSuggestions);
  char text[kTextSize];
  if (n == 0) {
    bool dropped = false;
    for (int i = 0; i < numPlayers && i < kRosterSize; i++) dropped = dropped || RolloverPairDropped(i);
    if (!dropped) return v;
    ink(kWarn);
    std::snprintf(text, sizeof text, "At most %d keys came at once. Try other keys in place of the dark ones,",
                  RolloverMostHeld());
    DrawMenuStr(kCheckH, v, text);
    DrawMenuStr(kCheckH, v - kCheckStep, "or give some players a pad.");
    return v - 2 * kCheckStep;
  }
  if (checkScreen.chosen >= n) checkScreen.chosen = 0;
  for (int k = 0; k < n; k++) {
    const float grey = k == checkScreen.chosen ? 1.0f : 0.55f;
    glColor3f(grey, grey, grey);
    std::snprintf(text, sizeof text, "%s: %s %c instead of %c", players[s[k].ball]->name,
                  s[k].which == kCheckRopeKey ? "key" : "powerup key", toUpper(static_cast<char>(s[k].key)),
                  toUpper(s[k].which == kCheckRopeKey ? players[s[k].ball]->key : players[s[k].ball]->powerUpKey));
    DrawMenuStr(kCheckH, v, text);
    v -= kCheckStep;
  }
  return v;
}

void takeChosen() {
  RolloverSuggestion s[kMostSuggestions];
  const int n = RolloverSuggestions(s, kMostSuggestions);
  if (n == 0) return;
  const RolloverSuggestion &take = s[checkScreen.chosen < n ? checkScreen.chosen : 0];
  char why[kTextSize] = "";
  if (TakeRolloverSuggestion(take, why, sizeof why))
    std::snprintf(checkScreen.told, sizeof checkScreen.told, "%s now uses %c: saved with OK in the options",
                  players[take.ball]->name, toUpper(static_cast<char>(take.key)));
  else
    std::snprintf(checkScreen.told, sizeof checkScreen.told, "%s", why);
  checkScreen.chosen = 0;
}

void moveChoice(int step) {
  RolloverSuggestion s[kMostSuggestions];
  const int n = RolloverSuggestions(s, kMostSuggestions);
  if (n > 0) checkScreen.chosen = (checkScreen.chosen + step + n) % n;
}

} // namespace

void MoreOptions() {
  static int currentLine = 0, lastH = -1, lastV = -1, seen = 0;
  if (MenuStateStale(seen)) currentLine = 0, lastH = lastV = -1;
  SoundIdle();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_COLOR_MATERIAL);
  glDisable(GL_LIGHTING);
  currentLine = MenuStep(currentLine, kMoreLines);
  const bool pointer = MenuPointerActive(lastH, lastV);
  const int hovered = MenuRowUnderMouse(kMoreMouseLeft, kMoreMouseRight, kMoreMouseTop, kMoreLines);
  if (hovered >= 0 && pointer) {
    currentLine = hovered;
    if (buttonDown) lastSpecial = GLUT_KEY_RIGHT;
  }
  if (lastKey != 0 || lastSpecial == GLUT_KEY_LEFT || lastSpecial == GLUT_KEY_RIGHT) chooseMore(currentLine);
  char text[kTextSize];
  for (int n = 0; n < kMoreLines; n++) {
    const float grey = n == currentLine ? 1.0f : 0.5f;
    glColor3f(grey, grey, grey);
    moreText(n, text, sizeof text);
    DrawMenuStr(kMoreH, kMoreTopV - kMoreStep * static_cast<float>(n), text);
  }
  FinishMenuFrame();
}

void OpenKeyboardCheck() {
  RolloverReset();
  checkScreen = CheckScreen{};
  ShowScreen(kScreenKeyboardCheck);
}

void KeyboardCheck() {
  SoundIdle();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_COLOR_MATERIAL);
  glDisable(GL_LIGHTING);
  glColor3f(1, 1, 1);
  DrawMenuStr(kCheckH, kCheckTopV, "Everyone in play: hold both your keys at the same time.");
  drawLegend(kCheckTopV - kCheckStep);
  float v = drawBalls(kCheckTopV - 2.2f * kCheckStep);
  v = drawSuggestions(v - kCheckStep * 0.5f);
  if (checkScreen.told[0]) {
    ink(kHeld);
    DrawMenuStr(kCheckH, v - kCheckStep * 0.5f, checkScreen.told);
  }
  glColor3f(0.6f, 0.6f, 0.6f);
  DrawMenuStr(kCheckH, -4.3f, "Return: take the lit suggestion   Up, Down: choose   Escape: back");
  FinishMenuFrame();
}

// Every key is a press to check; Escape and Return can be no ball's.
void KeyboardCheckKey(unsigned char key, int, int) {
  if (key == kKeyEscape)
    KeyboardCheckAction(kMenuActionBack);
  else if (IsEnterKey(key))
    KeyboardCheckAction(kMenuActionAccept);
  else
    RolloverDown(key);
}

void KeyboardCheckSpecialKey(int key, int, int) {
  const int action = MenuArrowAction(key);
  if (action != kMenuNoAction) KeyboardCheckAction(action);
}

void KeyboardCheckAction(int action) {
  switch (action) {
  case kMenuActionBack: ShowScreen(kScreenOptionsMore); break;
  case kMenuActionAccept: takeChosen(); break;
  case kMenuActionUp: moveChoice(-1); break;
  case kMenuActionDown: moveChoice(1); break;
  default: break;
  }
}

void KeyboardCheckKeyUp(unsigned char key) { RolloverUp(key); }
