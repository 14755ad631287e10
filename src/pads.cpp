// Gamepads: SDL's game controllers turned into the actions keys call, with hot-plug and bindings.
#include "TethrixExtern.h"
#include "padfeed.h"
#include "replay.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

int padRumble;

namespace {

static_assert(kPadTriggerLeft == SDL_CONTROLLER_BUTTON_MAX, "the triggers follow SDL's buttons");

constexpr int kStickPress = 16000;   // a stick this far over counts as an arrow held
constexpr int kStickRelease = 8000;  // and lets go only below this, so it does not flicker
constexpr int kTriggerPress = 16000; // a trigger pulled this far is a press
constexpr int kRepeatDelayFrames = 15; // a held direction waits this long before it repeats
constexpr int kRepeatFrames = 5;       // and then moves again every this many frames
constexpr int kNoDevice = -1;
constexpr int kNoBall = -1;
constexpr int kNoticeSize = 128;
constexpr unsigned char kPauseKey = 'p'; // Start does what this game key does

struct PadSlot {
  bool connected;
  int device; // SDL's instance id, or the replay's pad number
  SDL_GameController *controller; // null for a replayed pad
  char guid[kPadGuidSize];
  int order; // among connected pads of the same GUID
  bool held[kPadCodes];
  int stickH, stickV;  // the left stick as -1, 0 or 1 each way
  int menuMove;        // the direction it holds in a menu, kMenuNoAction for none
  int repeatIn;        // frames until that direction moves again
};

struct BallPad {
  bool bound;
  char guid[kPadGuidSize];
  int order;
  int rope, powerUp; // pad codes
};

// Player setup waits for two presses on one pad: the rope button, then the power-up button.
struct Capture {
  int stage; // kPadBindNone, kPadBindRope or kPadBindPowerUp
  int ball;
  int slot;  // the pad the rope press came from
  int rope;
  char refusal[kNoticeSize];
};

// What the setup screen shows for each code, in code order.
const char *const kCodeLabels[kPadCodes] = {
    "A",  "B",    "X",    "Y",     "Back",    "Guide",   "Start",   "LS",  "RS",  "LB",  "RB", "Up",
    "Down", "Left", "Right", "Misc", "Paddle 1", "Paddle 2", "Paddle 3", "Paddle 4", "Touchpad", "LT", "RT"};
static_assert(SDL_CONTROLLER_BUTTON_MAX == 21, "a label for every button SDL names");

// The rumble: strengths (0..65535) for the low and high motors, and how long.
constexpr Uint16 kHitLow = 0x6000, kHitHigh = 0x9000, kDeathLow = 0xffff, kDeathHigh = 0xc000;
constexpr Uint32 kHitMs = 120, kDeathMs = 450;

PadSlot slots[kMaxPads];
BallPad ballPads[kRosterSize];
Capture capture;
bool started;
int waitingBall = kNoBall; // the ball whose unplugged pad paused the match
char notice[kNoticeSize];

PadSlot *slotOfDevice(int device) {
  for (PadSlot &s : slots)
    if (s.connected && s.device == device) return &s;
  return nullptr;
}

int slotNumber(const PadSlot *s) { return static_cast<int>(s - slots); }

bool sameIdentity(const BallPad &b, const char *guid, int order) {
  return b.bound && b.order == order && std::strcmp(b.guid, guid) == 0;
}

bool ballOnSlot(int ball, const PadSlot &s) {
  return s.connected && sameIdentity(ballPads[ball], s.guid, s.order);
}

// The first ball the pad plays, in roster order.
int ballOfSlot(const PadSlot &s) {
  for (int i = 0; i < kRosterSize && i < numPlayers; i++)
    if (ballOnSlot(i, s)) return i;
  return kNoBall;
}

// The ball other than `except` that a press of this code on this pad already plays.
int ballOfPress(const char *guid, int order, int code, int except) {
  for (int i = 0; i < kRosterSize && i < numPlayers; i++) {
    const BallPad &b = ballPads[i];
    if (i != except && sameIdentity(b, guid, order) && (b.rope == code || b.powerUp == code)) return i;
  }
  return kNoBall;
}

bool identityConnected(const char *guid, int order) {
  for (const PadSlot &s : slots)
    if (s.connected && s.order == order && std::strcmp(s.guid, guid) == 0) return true;
  return false;
}

// The lowest order no connected pad of this kind holds, so a pad plugged back
// takes the place (and the ball) of the one of its kind that left.
int freeOrder(const char *guid) {
  int order = 0;
  while (identityConnected(guid, order)) order++;
  return order;
}

void clearSlot(PadSlot &s) {
  std::memset(&s, 0, sizeof s);
  s.device = kNoDevice;
  s.menuMove = kMenuNoAction;
}

// True when the match was waiting for this ball.
bool resumeFor(int ball) {
  if (ball == kNoBall || ball != waitingBall) return false;
  if (paused) paused = 0;
  waitingBall = kNoBall;
  notice[0] = '\0';
  return true;
}

// ---- In play --------------------------------------------------------------------------------
// The first ball not taking part and not another pad's, as its score-bar label would be
// clicked; the pad then plays it.
void joinFreeBall(const PadSlot &s) {
  for (int i = 0; i < numPlayers && i < kRosterSize; i++) {
    if (players[i]->active || PadNumberOfBall(i) != 0) continue;
    BindBallToPad(i, s.guid, s.order);
    RecordPadAction(kReplayJoin, i);
    JoinAsHuman(players[i]);
    return;
  }
}

bool isTrigger(int code) { return code == kPadTriggerLeft || code == kPadTriggerRight; }

// With the rope on south, as out of the box, either trigger ropes too, unless another ball
// sharing the pad took that trigger for itself.
bool ropesBall(int ball, int code) {
  const BallPad &b = ballPads[ball];
  if (code == b.rope) return true;
  return isTrigger(code) && b.rope == SDL_CONTROLLER_BUTTON_A && b.powerUp != code &&
         ballOfPress(b.guid, b.order, code, ball) == kNoBall;
}

// Start pauses the pad's ball's match; a ball of its own that is out or played by the computer
// it takes over, as bound in setup.
void startPress(const PadSlot &s) {
  const int ball = ballOfSlot(s);
  if (ball == kNoBall)
    joinFreeBall(s);
  else if (players[ball]->active && players[ball]->ai == kHuman) {
    RecordKey(kPauseKey);
    GameKeyAction(kPauseKey);
  } else {
    RecordPadAction(kReplayJoin, ball);
    JoinAsHuman(players[ball]);
  }
}

void playPress(const PadSlot &s, int code) {
  if (code == SDL_CONTROLLER_BUTTON_START) {
    startPress(s);
    return;
  }
  for (int i = 0; i < kRosterSize && i < numPlayers; i++) {
    player *p = players[i];
    if (!ballOnSlot(i, s) || p->ai != kHuman) continue; // as with keys, a bot's controls are its own
    if (ropesBall(i, code) && OneSwitchOn(i)) {
      RecordPadAction(kReplayHold, i);
      OneSwitchPress(i);
    } else if (ropesBall(i, code)) {
      RecordPadAction(kReplayRope, i);
      RopeAction(p);
    }
    if (code == ballPads[i].powerUp) {
      RecordPadAction(kReplayPower, i);
      PowerUpAction(p);
    }
  }
}

void releasePress(const PadSlot &s, int code) {
  for (int i = 0; i < kRosterSize && i < numPlayers; i++)
    if (ballOnSlot(i, s) && ropesBall(i, code) && OneSwitchOn(i)) {
      RecordPadAction(kReplayLetGo, i);
      OneSwitchRelease(i);
    }
}

// ---- Binding in player setup ------------------------------------------------------------------
void refuse(const char *why) { std::snprintf(capture.refusal, sizeof capture.refusal, "%s", why); }

bool refusedCode(const PadSlot &s, int code) {
  if (code == SDL_CONTROLLER_BUTTON_START || code == SDL_CONTROLLER_BUTTON_GUIDE) {
    refuse("Start and Guide are the pad's own: press another button");
    return true;
  }
  const int other = ballOfPress(s.guid, s.order, code, capture.ball);
  if (other != kNoBall) {
    char why[kNoticeSize];
    std::snprintf(why, sizeof why, "%s on Pad %d plays %s", kCodeLabels[code], slotNumber(&s) + 1,
                  players[other]->name);
    refuse(why);
    return true;
  }
  return false;
}

void bindPress(const PadSlot &s, int code) {
  if (refusedCode(s, code)) return;
  if (capture.stage == kPadBindRope) {
    capture.slot = slotNumber(&s);
    capture.rope = code;
    capture.stage = kPadBindPowerUp;
    capture.refusal[0] = '\0';
    return;
  }
  if (slotNumber(&s) != capture.slot) {
    refuse("Press the second button on the same pad");
    return;
  }
  if (code == capture.rope) {
    refuse("That is its rope button: press another");
    return;
  }
  BindBallToPad(capture.ball, s.guid, s.order);
  SetBallPadButtons(capture.ball, capture.rope, code);
  capture = Capture{kPadBindNone, kNoBall, 0, 0, ""};
}

// ---- In menus -------------------------------------------------------------------------------
int dpadMove(const PadSlot &s) {
  if (s.held[SDL_CONTROLLER_BUTTON_DPAD_UP]) return kMenuActionUp;
  if (s.held[SDL_CONTROLLER_BUTTON_DPAD_DOWN]) return kMenuActionDown;
  if (s.held[SDL_CONTROLLER_BUTTON_DPAD_LEFT]) return kMenuActionLeft;
  if (s.held[SDL_CONTROLLER_BUTTON_DPAD_RIGHT]) return kMenuActionRight;
  return kMenuNoAction;
}

// SDL's stick points down for positive values, as the screen does.
int heldMove(const PadSlot &s) {
  const int dpad = dpadMove(s);
  if (dpad != kMenuNoAction) return dpad;
  if (s.stickV != 0) return s.stickV < 0 ? kMenuActionUp : kMenuActionDown;
  if (s.stickH != 0) return s.stickH < 0 ? kMenuActionLeft : kMenuActionRight;
  return kMenuNoAction;
}

// A new direction moves at once; holding it repeats from PadsFrame. While setup waits for a
// press, nothing moves the menu.
void updateMenuMove(PadSlot &s) {
  const int move = heldMove(s);
  if (move == s.menuMove) return;
  s.menuMove = move;
  s.repeatIn = kRepeatDelayFrames;
  if (move != kMenuNoAction && !MatchKeysShown() && capture.stage == kPadBindNone) MenuAction(move);
}

void menuPress(int code) {
  if (code == SDL_CONTROLLER_BUTTON_A) MenuAction(kMenuActionAccept);
  if (code == SDL_CONTROLLER_BUTTON_B) MenuAction(kMenuActionBack);
}

void codeChanged(PadSlot &s, int code, bool down) {
  if (code < 0 || code >= kPadCodes || s.held[code] == down) return;
  s.held[code] = down;
  updateMenuMove(s);
  if (!down) {
    if (MatchKeysShown()) releasePress(s, code);
    return;
  }
  if (capture.stage != kPadBindNone)
    bindPress(s, code);
  else if (MatchKeysShown())
    playPress(s, code);
  else
    menuPress(code);
}

// How far over a stick is, with the release below the press.
int stickState(int now, int value) {
  const int bound = now != 0 ? kStickRelease : kStickPress;
  if (value >= bound) return 1;
  if (value <= -bound) return -1;
  return 0;
}

// ---- SDL's devices ---------------------------------------------------------------------------
void deviceAdded(int index) {
  SDL_GameController *c = SDL_GameControllerOpen(index);
  if (!c) return;
  const int instance = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(c));
  if (slotOfDevice(instance)) { // told twice (a mapping added later): already ours
    SDL_GameControllerClose(c);
    return;
  }
  char guid[kPadGuidSize];
  SDL_JoystickGetGUIDString(SDL_JoystickGetDeviceGUID(index), guid, sizeof guid);
  if (!PadConnected(instance, guid)) {
    SDL_GameControllerClose(c);
    return;
  }
  slotOfDevice(instance)->controller = c;
}

void handleEvent(const SDL_Event &e) {
  switch (e.type) {
  case SDL_CONTROLLERDEVICEADDED: deviceAdded(e.cdevice.which); break;
  case SDL_CONTROLLERDEVICEREMOVED: PadDisconnected(e.cdevice.which); break;
  case SDL_CONTROLLERBUTTONDOWN:
  case SDL_CONTROLLERBUTTONUP:
    PadButton(e.cbutton.which, e.cbutton.button, e.type == SDL_CONTROLLERBUTTONDOWN);
    break;
  case SDL_CONTROLLERAXISMOTION: PadAxis(e.caxis.which, e.caxis.axis, e.caxis.value); break;
  default: break;
  }
}

} // namespace

void ResetPads() {
  for (PadSlot &s : slots) {
    if (s.controller) SDL_GameControllerClose(s.controller);
    clearSlot(s);
  }
  for (int i = 0; i < kRosterSize; i++) UnbindBallPad(i);
  capture = Capture{kPadBindNone, kNoBall, 0, 0, ""};
  waitingBall = kNoBall;
  notice[0] = '\0';
  padRumble = 1;
}

// SDL keeps no window here: its pads must be heard while freeglut's window has the focus,
// and its event queue must not turn Ctrl-C or a kill into an event nobody reads.
bool StartPads() {
  if (started) return true;
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return false;
  started = true;
  PollPads(); // the pads already plugged in are there before the preferences are read
  return true;
}

void StopPads() {
  if (!started) return;
  StopPadFeed();
  ResetPads();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  started = false;
}

void PollPads() {
  if (!started) return;
  PadFeedFrame();
  SDL_Event e;
  while (SDL_PollEvent(&e)) handleEvent(e);
  PadsFrame();
}

void PadsMatchFrame() {
  if (!paused) waitingBall = kNoBall;
}

void PadsFrame() {
  PadsMatchFrame();
  if (MatchKeysShown()) return;
  for (PadSlot &s : slots) {
    if (!s.connected || s.menuMove == kMenuNoAction || --s.repeatIn > 0) continue;
    s.repeatIn = kRepeatFrames;
    MenuAction(s.menuMove);
  }
}

bool PadConnected(int device, const char *guid) {
  if (slotOfDevice(device)) return true;
  for (PadSlot &s : slots) {
    if (s.connected) continue;
    clearSlot(s);
    std::snprintf(s.guid, sizeof s.guid, "%s", guid);
    s.order = freeOrder(s.guid); // before it counts itself
    s.device = device;
    s.connected = true;
    const int ball = ballOfSlot(s);
    if (resumeFor(ball)) RecordPadAction(kReplayResume, ball);
    return true;
  }
  return false; // every slot taken: this pad is not heard
}

void PadDisconnected(int device) {
  PadSlot *s = slotOfDevice(device);
  if (!s) return;
  const int ball = ballOfSlot(*s);
  if (s->controller) SDL_GameControllerClose(s->controller);
  clearSlot(*s);
  if (ball == kNoBall || !MatchKeysShown()) return;
  if (!players[ball]->active || players[ball]->ai != kHuman) return; // nobody was playing it
  RecordPadAction(kReplayWait, ball);
  PadWaitFor(ball);
}

void PadWaitFor(int ball) {
  if (ball < 0 || ball >= numPlayers) return;
  paused = 1;
  waitingBall = ball;
  std::snprintf(notice, sizeof notice, "%s's pad is gone: reconnect the pad, or press its key",
                players[ball]->name);
}

void PadResumeFor(int ball) { resumeFor(ball); }

void PadButton(int device, int button, bool down) {
  if (PadSlot *s = slotOfDevice(device))
    if (button >= 0 && button < SDL_CONTROLLER_BUTTON_MAX) codeChanged(*s, button, down);
}

void PadAxis(int device, int axis, int value) {
  PadSlot *s = slotOfDevice(device);
  if (!s) return;
  switch (axis) {
  case SDL_CONTROLLER_AXIS_LEFTX: s->stickH = stickState(s->stickH, value); break;
  case SDL_CONTROLLER_AXIS_LEFTY: s->stickV = stickState(s->stickV, value); break;
  case SDL_CONTROLLER_AXIS_TRIGGERLEFT: codeChanged(*s, kPadTriggerLeft, value >= kTriggerPress); return;
  case SDL_CONTROLLER_AXIS_TRIGGERRIGHT: codeChanged(*s, kPadTriggerRight, value >= kTriggerPress); return;
  default: return;
  }
  updateMenuMove(*s);
}

int PadNumberOfBall(int ball) {
  if (ball < 0 || ball >= kRosterSize) return 0;
  for (const PadSlot &s : slots)
    if (ballOnSlot(ball, s)) return slotNumber(&s) + 1;
  return 0;
}

const char *PadNotice() { return paused && waitingBall != kNoBall ? notice : ""; }

void PadKeyPressedFor(int ball) { resumeFor(ball); }

// A new binding starts on the out-of-the-box buttons; a pad bound again keeps its buttons.
void BindBallToPad(int ball, const char *guid, int order) {
  if (ball < 0 || ball >= kRosterSize) return;
  BallPad &b = ballPads[ball];
  if (!sameIdentity(b, guid, order)) b.rope = SDL_CONTROLLER_BUTTON_A, b.powerUp = SDL_CONTROLLER_BUTTON_B;
  b.bound = true;
  std::snprintf(b.guid, sizeof b.guid, "%s", guid);
  b.order = order;
}

void UnbindBallPad(int ball) {
  if (ball < 0 || ball >= kRosterSize) return;
  ballPads[ball] = BallPad{false, "", 0, SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B};
}

bool SetBallPadButtons(int ball, int rope, int powerUp) {
  if (ball < 0 || ball >= kRosterSize || rope == powerUp) return false;
  if (rope < 0 || rope >= kPadCodes || powerUp < 0 || powerUp >= kPadCodes) return false;
  ballPads[ball].rope = rope;
  ballPads[ball].powerUp = powerUp;
  return true;
}

void BallPadButtons(int ball, int &rope, int &powerUp) {
  const bool inRoster = ball >= 0 && ball < kRosterSize;
  rope = inRoster ? ballPads[ball].rope : SDL_CONTROLLER_BUTTON_A;
  powerUp = inRoster ? ballPads[ball].powerUp : SDL_CONTROLLER_BUTTON_B;
}

bool PadButtonsAreDefault(int ball) {
  int rope, powerUp;
  BallPadButtons(ball, rope, powerUp);
  return rope == SDL_CONTROLLER_BUTTON_A && powerUp == SDL_CONTROLLER_BUTTON_B;
}

bool BallPadBinding(int ball, char *guid, int &order) {
  if (ball < 0 || ball >= kRosterSize || !ballPads[ball].bound) return false;
  std::snprintf(guid, kPadGuidSize, "%s", ballPads[ball].guid);
  order = ballPads[ball].order;
  return true;
}

bool PadPresent(const char *guid, int order) { return identityConnected(guid, order); }

int PadCodeOfName(const char *name) {
  const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(name);
  if (button != SDL_CONTROLLER_BUTTON_INVALID) return button;
  const SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(name);
  if (axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT) return kPadTriggerLeft;
  if (axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT) return kPadTriggerRight;
  return kNoPadCode;
}

const char *PadCodeName(int code) {
  if (code == kPadTriggerLeft) return SDL_GameControllerGetStringForAxis(SDL_CONTROLLER_AXIS_TRIGGERLEFT);
  if (code == kPadTriggerRight) return SDL_GameControllerGetStringForAxis(SDL_CONTROLLER_AXIS_TRIGGERRIGHT);
  if (code < 0 || code >= SDL_CONTROLLER_BUTTON_MAX) return "";
  const char *name = SDL_GameControllerGetStringForButton(static_cast<SDL_GameControllerButton>(code));
  return name ? name : "";
}

const char *PadCodeLabel(int code) { return code >= 0 && code < kPadCodes ? kCodeLabels[code] : "?"; }

void PadBindBegin(int ball) {
  capture = Capture{kPadBindNone, kNoBall, 0, 0, ""};
  if (ball >= 0 && ball < kRosterSize) capture.stage = kPadBindRope, capture.ball = ball;
}

void PadBindCancel() { capture = Capture{kPadBindNone, kNoBall, 0, 0, ""}; }

int PadBindStage() { return capture.stage; }

const char *PadBindRefusal() { return capture.refusal; }

bool AnyPadConnected() {
  for (const PadSlot &s : slots)
    if (s.connected) return true;
  return false;
}

// Output only: nothing in play reads it, so a replay without pads plays the same.
void RumbleBall(const player *p, int kind) {
  if (!padRumble) return;
  for (int i = 0; i < kRosterSize && i < numPlayers; i++) {
    if (players[i] != p) continue;
    for (PadSlot &s : slots) {
      if (!s.controller || !ballOnSlot(i, s)) continue;
      if (kind == kRumbleDeath)
        SDL_GameControllerRumble(s.controller, kDeathLow, kDeathHigh, kDeathMs);
      else
        SDL_GameControllerRumble(s.controller, kHitLow, kHitHigh, kHitMs);
    }
  }
}
