// The options screen and the player setup: settings edited in place, saved on OK, dropped on Cancel.
#include "TethrixExtern.h"
#include "inclGL.h"
#include "levelcheck.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

// ---- What Cancel goes back to ------------------------------------------------------------------
// Reading the preferences again restores only what the file holds; the set
// choice and anything a hand-made file leaves out would survive a Cancel.
struct SavedBall {
  char key, powerUpKey;
  char name[kNameSize];
  float defaultSize, radius, mass;
  int sprite;
  bool padBound;
  char padGuid[kPadGuidSize];
  int padOrder, padRope, padPowerUp;
  int oneSwitchMs;
};

struct SavedSettings {
  bool valid;
  int balls;
  SavedBall ball[kRosterSize];
  int useFullScreen, soundMode, powerUpInfrequency, powerUpSetID, powerUpsInList, rumble, vision, scale;
  int powerUpFrequency[kPowerUpIDs];
  int powerUpList[kPowerUpListSize];
  char powerUpSetName[kTextSize];
};

SavedSettings saved;

void saveSettings() {
  saved.balls = imin(numPlayers, kRosterSize);
  for (int i = 0; i < saved.balls; i++) {
    const player *p = players[i];
    SavedBall &b = saved.ball[i];
    b.key = p->key, b.powerUpKey = p->powerUpKey, b.sprite = p->sprite;
    b.defaultSize = p->defaultSize, b.radius = p->radius, b.mass = p->mass;
    std::memcpy(b.name, p->name, sizeof b.name);
    b.padBound = BallPadBinding(i, b.padGuid, b.padOrder);
    BallPadButtons(i, b.padRope, b.padPowerUp);
    b.oneSwitchMs = oneSwitchMs[i];
  }
  saved.useFullScreen = useFullScreen, saved.soundMode = soundMode, saved.rumble = padRumble;
  saved.vision = colourVision;
  saved.scale = uiScale;
  saved.powerUpInfrequency = powerUpInfrequency, saved.powerUpSetID = powerUpSetID;
  saved.powerUpsInList = powerUpsInList;
  std::memcpy(saved.powerUpFrequency, powerUpFrequency, sizeof powerUpFrequency);
  std::memcpy(saved.powerUpList, powerUpList, sizeof powerUpList);
  std::memcpy(saved.powerUpSetName, powerUpSetName, sizeof powerUpSetName);
  saved.valid = true;
}

void restoreSettings() {
  if (!saved.valid) return;
  for (int i = 0; i < saved.balls && i < numPlayers; i++) {
    player *p = players[i];
    const SavedBall &b = saved.ball[i];
    p->key = b.key, p->powerUpKey = b.powerUpKey, p->sprite = b.sprite;
    p->defaultSize = b.defaultSize, p->radius = b.radius, p->mass = b.mass;
    std::memcpy(p->name, b.name, sizeof p->name);
    UnbindBallPad(i);
    if (b.padBound) BindBallToPad(i, b.padGuid, b.padOrder);
    SetBallPadButtons(i, b.padRope, b.padPowerUp);
    oneSwitchMs[i] = b.oneSwitchMs;
  }
  useFullScreen = saved.useFullScreen, soundMode = saved.soundMode, padRumble = saved.rumble;
  colourVision = saved.vision;
  uiScale = saved.scale;
  powerUpInfrequency = saved.powerUpInfrequency, powerUpSetID = saved.powerUpSetID;
  powerUpsInList = saved.powerUpsInList;
  std::memcpy(powerUpFrequency, saved.powerUpFrequency, sizeof powerUpFrequency);
  std::memcpy(powerUpList, saved.powerUpList, sizeof powerUpList);
  std::memcpy(powerUpSetName, saved.powerUpSetName, sizeof powerUpSetName);
}

void backToTitle() {
  BackToTitle();
  saved.valid = false;
}

void cancelOptions() {
  restoreSettings();
  ReadPrefs();
  backToTitle();
}

// Set when the options open a ball's setup, so its name is never typed into at
// a write position left over from another ball.
bool setupOpened = false;

// ---- The options screen ------------------------------------------------------------------------
enum OptionLine {
  kOptionOK = 0,
  kOptionCancel = 1,
  kOptionPowerUps = 2,
  kOptionFirstPlayer = 3,
  kOptionScreenMode = 3 + kRosterSize,
  kOptionSound,
  kOptionMore,
  kOptionLines
};


constexpr int kOptionsMouseLeft = 260, kOptionsMouseRight = 400, kOptionsMouseTop = 180;
constexpr float kOptionsH = -1.0f, kOptionsTopV = 1.0f, kLineStep = 0.5f;
constexpr float kWarningR = 1.0f, kWarningG = 0.4f, kWarningB = 0.3f; // refusals and clashes

const char *const kSoundLabels[] = {"Sound: None", "Sound: No announcer or powerup sounds",
                                    "Sound: No announcer sounds", "Sound: No powerup sounds",
                                    "Sound: All sounds enabled"};

bool isSoundMode(int mode) { return mode >= kSoundModeNone && mode <= kSoundModeAll; }

void optionText(int line, char *text, size_t size) {
  if (line >= kOptionFirstPlayer && line < kOptionScreenMode) {
    const int ball = line - kOptionFirstPlayer;
    std::snprintf(text, size, "Setup Player: %s", ball < numPlayers ? players[ball]->name : "");
    return;
  }
  switch (line) {
  case kOptionOK: std::snprintf(text, size, "OK"); break;
  case kOptionCancel: std::snprintf(text, size, "Cancel"); break;
  case kOptionPowerUps: std::snprintf(text, size, "Setup Powerups"); break;
  case kOptionMore: std::snprintf(text, size, "More: keyboard check, colour vision, UI scale, pads"); break;
  case kOptionScreenMode:
    std::snprintf(text, size, "%s",
                  useFullScreen == 0 ? "Change to full screen mode (requires restart)"
                                     : "Change to windowed mode (requires restart)");
    break;
  default:
    std::snprintf(text, size, "%s", kSoundLabels[isSoundMode(soundMode) ? soundMode : kSoundModeAll]);
    break;
  }
}

void chooseOption(int line) {
  if (line >= kOptionFirstPlayer && line < kOptionScreenMode) {
    if (line - kOptionFirstPlayer >= numPlayers) return;
    playerSelected = line - kOptionFirstPlayer;
    setupOpened = true;
    ShowScreen(kScreenPlayerSetup);
    return;
  }
  switch (line) {
  case kOptionOK:
    WritePrefsFile();
    ReadPrefs();
    backToTitle();
    break;
  case kOptionCancel: cancelOptions(); break;
  case kOptionPowerUps: ShowScreen(kScreenPowerUps); break;
  case kOptionScreenMode: useFullScreen = useFullScreen == 0 ? 1 : 0; break;
  case kOptionMore: ShowScreen(kScreenOptionsMore); break;
  default: soundMode = isSoundMode(soundMode + 1) ? soundMode + 1 : kSoundModeNone; break;
  }
}

// The left of the list is free: a warning goes there a few words a line.
constexpr float kClashH = -6.0f, kClashStep = 0.35f;
constexpr size_t kClashLine = 28;

void drawWrapped(float h, float v, const char *text) {
  std::string rest = text;
  while (!rest.empty()) {
    size_t cut = rest.size();
    if (cut > kClashLine) {
      cut = rest.rfind(' ', kClashLine);
      if (cut == std::string::npos || cut == 0) cut = kClashLine;
    }
    DrawMenuStr(h, v, rest.substr(0, cut).c_str());
    rest = cut < rest.size() ? rest.substr(cut + (rest[cut] == ' ')) : "";
    v -= kClashStep;
  }
}

void drawOptionLines(int current) {
  char text[kTextSize];
  for (int n = 0; n < kOptionLines; n++) {
    const float grey = n == current ? 1.0f : 0.5f;
    glColor3f(grey, grey, grey);
    optionText(n, text, sizeof text);
    DrawMenuStr(kOptionsH, kOptionsTopV - kLineStep * static_cast<float>(n), text);
  }
  if (KeyClash(text, sizeof text)) { // beside the balls' lines, in the refusals' red
    glColor3f(kWarningR, kWarningG, kWarningB);
    drawWrapped(kClashH, kOptionsTopV - kLineStep * static_cast<float>(kOptionFirstPlayer), text);
  }
}

} // namespace

void OpenOptions() {
  saveSettings();
  ShowScreen(kScreenOptions);
}

// Back cancels; the rest is latched for the next frame of whichever page is shown.
void OptionsAction(int action) {
  if (action == kMenuActionBack)
    cancelOptions();
  else
    LatchMenuAction(action);
}

// A typed key is latched as it is: the setup page takes it as a ball's key or a letter of a name.
void OptionsKey(unsigned char key, int, int) {
  if (key == kKeyEscape)
    OptionsAction(kMenuActionBack);
  else
    lastKey = key;
}

void OptionsSpecialKey(int key, int, int) {
  const int action = MenuArrowAction(key);
  if (action == kMenuNoAction)
    lastSpecial = key; // latched, though no page reads it
  else
    OptionsAction(action);
}

void Options() {
  static int currentOption = 0, lastH = -1, lastV = -1, seen = 0;
  if (MenuStateStale(seen)) currentOption = 0, lastH = lastV = -1;
  SoundIdle();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_COLOR_MATERIAL);
  glDisable(GL_LIGHTING);
  currentOption = MenuStep(currentOption, kOptionLines);
  const bool pointer = MenuPointerActive(lastH, lastV);
  const int hovered = MenuRowUnderMouse(kOptionsMouseLeft, kOptionsMouseRight, kOptionsMouseTop, kOptionLines);
  if (hovered >= 0 && pointer) {
    currentOption = hovered;
    if (buttonDown) lastSpecial = GLUT_KEY_LEFT;
  }
  if (lastKey != 0 || lastSpecial == GLUT_KEY_LEFT || lastSpecial == GLUT_KEY_RIGHT)
    chooseOption(currentOption);
  drawOptionLines(currentOption);
  FinishMenuFrame();
}

// ---- The player setup ------------------------------------------------------------------------------
namespace {

enum SetupLine {
  kSetupOK,
  kSetupKey,
  kSetupPowerUpKey,
  kSetupName,
  kSetupSize,
  kSetupSprite,
  kSetupOneSwitch,
  kSetupPad,
  kSetupLines
};

// The "Pad" line sits under the keys, and only where a pad is or was: without pads the page
// is the one it always was.
// One-switch play goes last, so the rows above stay where players know them.
constexpr int kRowsWithPad[kSetupLines] = {kSetupOK,   kSetupKey,  kSetupPowerUpKey, kSetupPad,
                                           kSetupName, kSetupSize, kSetupSprite,     kSetupOneSwitch};
constexpr int kRowsWithoutPad[kSetupLines - 1] = {kSetupOK,   kSetupKey,    kSetupPowerUpKey,
                                                  kSetupName, kSetupSize,   kSetupSprite,
                                                  kSetupOneSwitch};

constexpr int kSetupMouseLeft = 260, kSetupMouseRight = 460, kSetupMouseTop = 230;
constexpr float kLabelH = -1.0f, kValueH = 2.0f, kSetupTopV = 0.0f;
constexpr float kRefusalV = -3.5f;
constexpr float kPreviewH = -3.0f, kPreviewV = -2.0f;

constexpr double kSizeStep = 0.1, kSmallestSize = 0.1, kLargestSize = 1.6;
constexpr int kLastSprite = 16; // 0 is a plain sphere, 1..16 the faces
constexpr unsigned char kBackspace = 8, kDelete = 127;

const char *const kSetupLabels[kSetupLines] = {"OK",    "Key:",    "Powerup Key:", "Name:",
                                               "Size:", "Sprite:", "One key:",     "Pad:"};

bool padLineShown(int ball) {
  char guid[kPadGuidSize];
  int order;
  return AnyPadConnected() || BallPadBinding(ball, guid, order);
}

int setupRows(int ball) { return padLineShown(ball) ? kSetupLines : kSetupLines - 1; }

int setupLineAt(int ball, int row) {
  if (row < 0 || row >= setupRows(ball)) return kSetupOK;
  return padLineShown(ball) ? kRowsWithPad[row] : kRowsWithoutPad[row];
}

bool printable(unsigned char key) { return key >= ' ' && key < kDelete; }

struct NameEdit {
  int charInName;
};

// Typing replaces the name from its first character. Only printable characters
// go in: a line break would split the name's line in the preferences file, and
// a name that reads as a statement would be read back as one.
void editName(player *p, NameEdit &edit, unsigned char key, char *refusal, size_t size) {
  if (key == kBackspace || key == kDelete) {
    if (edit.charInName > 0) edit.charInName--;
    p->name[edit.charInName] = '\0';
    return;
  }
  if (!printable(key) || edit.charInName >= kNameSize - 1) return; // the NUL needs the last byte
  p->name[edit.charInName++] = static_cast<char>(key);
  p->name[edit.charInName] = '\0';
  StatementMatch m;
  if (!MatchStatement(p->name, m)) return;
  p->name[--edit.charInName] = '\0';
  std::snprintf(refusal, size, "A name can't read as a settings line");
}

// A size is stored in single precision and compared in double, so 1.5 + 0.1 wraps.
void stepSize(player *p, int step) {
  p->defaultSize = static_cast<float>(p->defaultSize + step * kSizeStep);
  if (p->defaultSize > kLargestSize) p->defaultSize = static_cast<float>(kSmallestSize);
  if (p->defaultSize < kSmallestSize) p->defaultSize = static_cast<float>(kSmallestSize);
  p->radius = p->defaultSize;
}

// 16 wraps to 0 and 0 to 16; a value outside the sheet, whatever put it
// there, comes back to 0 rather than counting its way home (or overflowing).
void stepSprite(player *p, int step) {
  if (p->sprite < 0 || p->sprite > kLastSprite) {
    p->sprite = 0;
    return;
  }
  const int s = p->sprite + (step > 0 ? 1 : -1);
  p->sprite = s > kLastSprite ? 0 : s < 0 ? kLastSprite : s;
}

void assignKey(player *p, bool powerUpKey, unsigned char key, char *refusal, size_t size) {
  if (KeyRefused(p, key, powerUpKey, refusal, size)) return;
  (powerUpKey ? p->powerUpKey : p->key) = static_cast<char>(key);
  refusal[0] = '\0';
}

void padValue(int ball, char *text, size_t size) {
  const int stage = PadBindStage();
  if (stage != kPadBindNone) {
    std::snprintf(text, size, "%s", stage == kPadBindRope ? "Press its rope button on a pad" : "Now its powerup button");
    return;
  }
  char guid[kPadGuidSize];
  int order, rope, powerUp;
  if (!BallPadBinding(ball, guid, order)) {
    std::snprintf(text, size, "None (choose it, then press)");
    return;
  }
  BallPadButtons(ball, rope, powerUp);
  const int number = PadNumberOfBall(ball);
  if (number > 0)
    std::snprintf(text, size, "Pad %d: %s / %s", number, PadCodeLabel(rope), PadCodeLabel(powerUp));
  else
    std::snprintf(text, size, "Not plugged in: %s / %s", PadCodeLabel(rope), PadCodeLabel(powerUp));
}

void oneSwitchValue(int ball, char *text, size_t size) {
  if (OneSwitchOn(ball))
    std::snprintf(text, size, "Hold %d ms: powerup", oneSwitchMs[ball]);
  else
    std::snprintf(text, size, "Off (two keys)");
}

// Right from off starts at the usual hold; left below the shortest hold is off again.
void stepOneSwitch(int ball, int step) {
  int &ms = oneSwitchMs[ball];
  if (ms == 0)
    ms = step > 0 ? kOneSwitchDefaultMs : 0;
  else
    ms += step * kOneSwitchStepMs;
  if (ms > kOneSwitchMaxMs) ms = kOneSwitchMaxMs;
  if (ms != 0 && ms < kOneSwitchMinMs) ms = 0;
}

void setupValue(const player *p, int line, char *text, size_t size) {
  switch (line) {
  case kSetupOneSwitch: oneSwitchValue(playerSelected, text, size); break;
  case kSetupPad: padValue(playerSelected, text, size); break;
  case kSetupKey: std::snprintf(text, size, "%c", toUpper(p->key)); break;
  case kSetupPowerUpKey: std::snprintf(text, size, "%c", toUpper(p->powerUpKey)); break;
  case kSetupName: std::snprintf(text, size, "%s", p->name); break;
  case kSetupSize: std::snprintf(text, size, "%.1f", p->defaultSize); break;
  default: text[0] = '\0'; break;
  }
}

void drawSetupLines(const player *p, int current, const char *refusal) {
  char text[kTextSize];
  for (int n = 0; n < setupRows(playerSelected); n++) {
    const float grey = n == current ? 1.0f : 0.5f, v = kSetupTopV - kLineStep * static_cast<float>(n);
    const int line = setupLineAt(playerSelected, n);
    glColor3f(grey, grey, grey);
    DrawMenuStr(kLabelH, v, kSetupLabels[line]);
    setupValue(p, line, text, sizeof text);
    DrawMenuStr(kValueH, v, text);
  }
  if (!refusal[0]) refusal = PadBindRefusal();
  if (refusal[0]) {
    glColor3f(kWarningR, kWarningG, kWarningB);
    DrawMenuStr(kLabelH, kRefusalV, refusal);
  }
}

void drawPreviewBall(player *p) {
  p->x[0] = kPreviewH;
  p->y[0] = kPreviewV;
  p->frame = 0;
  p->ghost = 0; // the face, not the round-start wire frame; the full reset on leaving restores it
  playersDrawn = 0;
  DrawPlayer(p);
}

struct SetupScreen {
  int currentOption, lastH, lastV;
  NameEdit edit;
  char refusal[kTextSize];
};

int setupLineNow(SetupScreen &s) {
  const int rows = setupRows(playerSelected);
  int line = MenuStep(s.currentOption < rows ? s.currentOption : 0, rows);
  const bool pointer = MenuPointerActive(s.lastH, s.lastV);
  const int hovered = MenuRowUnderMouse(kSetupMouseLeft, kSetupMouseRight, kSetupMouseTop, rows);
  if (hovered >= 0 && pointer) {
    line = hovered;
    if (buttonDown) lastSpecial = GLUT_KEY_RIGHT;
  }
  return line;
}

// Choosing the line waits for the pad's presses; a key while it waits stops waiting, and
// Backspace or Delete forgets the pad.
void actOnPadLine(int ball, int step) {
  if (lastKey == kBackspace || lastKey == kDelete) {
    PadBindCancel();
    UnbindBallPad(ball);
  } else if (lastKey != 0 || step != 0) {
    if (PadBindStage() == kPadBindNone)
      PadBindBegin(ball);
    else
      PadBindCancel();
  }
}

void actOnSetupLine(player *p, SetupScreen &s) {
  const int step = lastSpecial == GLUT_KEY_RIGHT ? 1 : lastSpecial == GLUT_KEY_LEFT ? -1 : 0;
  switch (setupLineAt(playerSelected, s.currentOption)) {
  case kSetupPad: actOnPadLine(playerSelected, step); break;
  case kSetupOneSwitch:
    if (step != 0) stepOneSwitch(playerSelected, step);
    else if (lastKey != 0) oneSwitchMs[playerSelected] = OneSwitchOn(playerSelected) ? 0 : kOneSwitchDefaultMs;
    break;
  case kSetupOK:
    if (lastKey != 0 || step != 0) ShowScreen(kScreenOptionsBack);
    break;
  case kSetupKey:
  case kSetupPowerUpKey:
    if (lastKey != 0) assignKey(p, s.currentOption == kSetupPowerUpKey, lastKey, s.refusal, sizeof s.refusal);
    break;
  case kSetupName:
    if (lastKey != 0) editName(p, s.edit, lastKey, s.refusal, sizeof s.refusal);
    break;
  case kSetupSize:
    if (step != 0) stepSize(p, step);
    break;
  case kSetupSprite:
    if (step != 0) stepSprite(p, step);
    break;
  default: break;
  }
}

} // namespace

void PlayerOptions() {
  static SetupScreen screen = {0, -1, -1, {0}, ""};
  static int seen = 0;
  if (MenuStateStale(seen)) screen = SetupScreen{0, -1, -1, {0}, ""};
  if (playerSelected < 0 || playerSelected >= imin(numPlayers, kRosterSize)) {
    ShowScreen(kScreenOptionsBack); // no such ball to set up
    return;
  }
  player *p = players[playerSelected];
  SoundIdle();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glEnable(GL_COLOR_MATERIAL);
  glDisable(GL_LIGHTING);
  const int line = setupLineNow(screen);
  if (line != screen.currentOption || setupOpened) {
    screen.refusal[0] = '\0';
    PadBindCancel(); // waiting for a press ends where the highlight leaves the line
    if (setupLineAt(playerSelected, line) == kSetupName) screen.edit.charInName = 0; // the name line became highlighted
  }
  setupOpened = false;
  screen.currentOption = line;
  actOnSetupLine(p, screen);
  drawSetupLines(p, screen.currentOption, screen.refusal);
  drawPreviewBall(p);
  FinishMenuFrame();
}

// ---- Keys that cannot be a ball's ------------------------------------------------------------------
// Two balls on one key cannot both be played, a game key would pause or restart
// as well, and a blank or control key cannot be read back from the preferences.
bool KeyRefused(const player *p, unsigned char key, bool powerUpKey, char *why, size_t whySize) {
  const char shown = toUpper(static_cast<char>(key));
  if (!printable(key) || key == ' ') {
    std::snprintf(why, whySize, "That key can't be saved: choose a letter, digit or sign");
    return true;
  }
  if (IsGameKey(key)) {
    std::snprintf(why, whySize, "%c is a game key (p pause, r restart, + and - detail)", shown);
    return true;
  }
  if (key == static_cast<unsigned char>(powerUpKey ? p->key : p->powerUpKey)) {
    std::snprintf(why, whySize, "%c is already this ball's %s", shown, powerUpKey ? "key" : "powerup key");
    return true;
  }
  for (int i = 0; i < numPlayers; i++) {
    const player *q = players[i];
    if (q == p || !q->active) continue;
    if (key == static_cast<unsigned char>(q->key) || key == static_cast<unsigned char>(q->powerUpKey)) {
      std::snprintf(why, whySize, "%c is taken by %s", shown, q->name);
      return true;
    }
  }
  return false;
}

namespace {

enum BallKey { kRopeKey, kPowerUpKey, kKeysPerBall };

char ballKey(const player *p, int k) { return k == kRopeKey ? p->key : p->powerUpKey; }
const char *keyLabel(int k) { return k == kRopeKey ? "key" : "powerup key"; }

} // namespace

// Any of the six balls may be brought into play, so a key two of them share,
// or one the game takes for itself, is worth a word before the match.
bool KeyClash(char *why, size_t whySize) {
  const int balls = imin(numPlayers, kRosterSize);
  for (int i = 0; i < balls; i++)
    for (int k = kRopeKey; k < kKeysPerBall; k++) {
      const unsigned char key = static_cast<unsigned char>(ballKey(players[i], k));
      if (!printable(key)) continue; // cannot be pressed, so clashes with nothing
      const char shown = toUpper(static_cast<char>(key));
      if (IsGameKey(key)) {
        std::snprintf(why, whySize, "%s's %s %c is a game key (p pause, r restart, + and - detail)",
                      players[i]->name, keyLabel(k), shown);
        return true;
      }
      for (int j = i; j < balls; j++)
        for (int l = j == i ? k + 1 : kRopeKey; l < kKeysPerBall; l++) {
          if (static_cast<unsigned char>(ballKey(players[j], l)) != key) continue;
          if (j == i)
            std::snprintf(why, whySize, "%s uses %c for both its keys", players[i]->name, shown);
          else
            std::snprintf(why, whySize, "%s and %s share the key %c: one press works both",
                          players[i]->name, players[j]->name, shown);
          return true;
        }
    }
  return false;
}
