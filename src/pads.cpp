// Gamepads: SDL's game controllers turned into the actions keys call, with hot-plug and bindings.
#include "TethrixExtern.h"
#include "replay.h"

#include <SDL.h>

#include <cstdio>
#include <cstring>

int padRumble;

namespace {

// Button codes this layer knows: SDL's, and the two triggers (axes in SDL) after them.
constexpr int kPadTriggerLeft = SDL_CONTROLLER_BUTTON_MAX;
constexpr int kPadTriggerRight = SDL_CONTROLLER_BUTTON_MAX + 1;
constexpr int kPadCodes = SDL_CONTROLLER_BUTTON_MAX + 2;

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
};

PadSlot slots[kMaxPads];
BallPad ballPads[kRosterSize];
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

int ballOfSlot(const PadSlot &s) {
  if (!s.connected) return kNoBall;
  for (int i = 0; i < kRosterSize && i < numPlayers; i++)
    if (sameIdentity(ballPads[i], s.guid, s.order)) return i;
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

bool isRopeCode(int code) {
  return code == SDL_CONTROLLER_BUTTON_A || code == kPadTriggerLeft || code == kPadTriggerRight;
}

void playPress(const PadSlot &s, int code) {
  const int ball = ballOfSlot(s);
  if (ball == kNoBall) {
    if (code == SDL_CONTROLLER_BUTTON_START) joinFreeBall(s);
    return;
  }
  player *p = players[ball];
  if (code == SDL_CONTROLLER_BUTTON_START) {
    if (p->active) {
      RecordKey(kPauseKey);
      GameKeyAction(kPauseKey);
    } else {
      RecordPadAction(kReplayJoin, ball);
      JoinAsHuman(p); // its own ball, taken out earlier, comes back
    }
    return;
  }
  if (p->ai != kHuman) return; // as with keys, a bot's controls are its own
  if (isRopeCode(code)) {
    RecordPadAction(kReplayRope, ball);
    RopeAction(p);
  }
  if (code == SDL_CONTROLLER_BUTTON_B) {
    RecordPadAction(kReplayPower, ball);
    PowerUpAction(p);
  }
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

// A new direction moves at once; holding it repeats from PadsFrame.
void updateMenuMove(PadSlot &s) {
  const int move = heldMove(s);
  if (move == s.menuMove) return;
  s.menuMove = move;
  s.repeatIn = kRepeatDelayFrames;
  if (move != kMenuNoAction && !MatchKeysShown()) MenuAction(move);
}

void menuPress(int code) {
  if (code == SDL_CONTROLLER_BUTTON_A) MenuAction(kMenuActionAccept);
  if (code == SDL_CONTROLLER_BUTTON_B) MenuAction(kMenuActionBack);
}

void codeChanged(PadSlot &s, int code, bool down) {
  if (code < 0 || code >= kPadCodes || s.held[code] == down) return;
  s.held[code] = down;
  updateMenuMove(s);
  if (!down) return;
  if (MatchKeysShown())
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
  std::memset(ballPads, 0, sizeof ballPads);
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
  ResetPads();
  SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
  started = false;
}

void PollPads() {
  if (!started) return;
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
  for (const PadSlot &s : slots)
    if (s.connected && ballOfSlot(s) == ball) return slotNumber(&s) + 1;
  return 0;
}

const char *PadNotice() { return paused && waitingBall != kNoBall ? notice : ""; }

void PadKeyPressedFor(int ball) { resumeFor(ball); }

void BindBallToPad(int ball, const char *guid, int order) {
  if (ball < 0 || ball >= kRosterSize) return;
  ballPads[ball].bound = true;
  std::snprintf(ballPads[ball].guid, sizeof ballPads[ball].guid, "%s", guid);
  ballPads[ball].order = order;
}

bool BallPadBinding(int ball, char *guid, int &order) {
  if (ball < 0 || ball >= kRosterSize || !ballPads[ball].bound) return false;
  std::snprintf(guid, kPadGuidSize, "%s", ballPads[ball].guid);
  order = ballPads[ball].order;
  return true;
}

bool PadPresent(const char *guid, int order) { return identityConnected(guid, order); }
