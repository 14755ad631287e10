// One-switch play: a ball's one key (or pad button) ropes on a tap and fires the power-up on a
// hold. The hold is counted in frames, so a replay decides as the match did.
#include "TethrixExtern.h"

int oneSwitchMs[kRosterSize];

namespace {

struct SwitchState {
  bool down;
  bool fired; // the hold has fired the power-up: the release does nothing more
  int frames;
};

SwitchState switches[kRosterSize];

bool inRoster(int ball) { return ball >= 0 && ball < kRosterSize && ball < numPlayers; }

} // namespace

// A frame lasts half a tick of game time, wherever the machine can keep up: counting frames at
// that length keeps the threshold the same felt time at every game speed.
double NominalFrameMs() { return kMsPerSecond * kHalfTick / (gameSpeed * kTicksPerSecond); }

bool OneSwitchOn(int ball) { return inRoster(ball) && oneSwitchMs[ball] > 0; }

void OneSwitchPress(int ball) {
  if (!OneSwitchOn(ball) || switches[ball].down) return;
  switches[ball] = SwitchState{true, false, 0};
}

void OneSwitchRelease(int ball) {
  if (!inRoster(ball) || !switches[ball].down) return;
  const bool tap = !switches[ball].fired;
  switches[ball] = SwitchState{};
  player *p = players[ball];
  if (tap && p->ai == kHuman) RopeAction(p);
}

// The frames a key has been held reach the threshold: the power-up goes at once, not on release.
void OneSwitchFrame() {
  if (paused) return;
  const double frameMs = NominalFrameMs();
  for (int i = 0; i < kRosterSize && i < numPlayers; i++) {
    SwitchState &s = switches[i];
    if (!s.down || s.fired) continue;
    s.frames++;
    if (s.frames * frameMs + 1e-9 < oneSwitchMs[i]) continue;
    s.fired = true;
    if (players[i]->ai == kHuman) PowerUpAction(players[i]);
  }
}

void ResetOneSwitch() {
  for (SwitchState &s : switches) s = SwitchState{};
}

void ForgetOneSwitch() {
  ResetOneSwitch();
  for (int &ms : oneSwitchMs) ms = 0;
}
