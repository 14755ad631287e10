// The keyboard check: which keys arrive while everyone holds theirs, the pairs the keyboard
// drops, and spare keys that arrived with the rest, offered in their place.
#include "TethrixExtern.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr int kKeyCodes = 256;
constexpr unsigned char kFirstPrintable = '!', kLastPrintable = '~';

struct RolloverState {
  bool held[kKeyCodes];
  bool arrived[kKeyCodes];
  bool peak[kKeyCodes]; // the most keys held at once, as they were then
  int heldCount, peakCount;
};

RolloverState check;

bool isPrintable(unsigned char key) { return key >= kFirstPrintable && key <= kLastPrintable; }

int ballsChecked() { return numPlayers < kRosterSize ? numPlayers : kRosterSize; }

// Nobody in play by keys yet: every ball's keys are asked for.
bool anyHumanInPlay() {
  for (int i = 0; i < ballsChecked(); i++)
    if (players[i]->active && players[i]->ai == kHuman) return true;
  return false;
}

unsigned char keyOf(int ball, int which) {
  return static_cast<unsigned char>(which == kCheckRopeKey ? players[ball]->key : players[ball]->powerUpKey);
}

bool someBallsKey(unsigned char key) {
  for (int i = 0; i < ballsChecked(); i++)
    if (keyOf(i, kCheckRopeKey) == key || keyOf(i, kCheckPowerUpKey) == key) return true;
  return false;
}

// A key that arrived with everyone else's and that no ball uses.
bool spare(unsigned char key) {
  return check.peak[key] && isPrintable(key) && !IsGameKey(key) && !someBallsKey(key);
}

} // namespace

void RolloverReset() { std::memset(&check, 0, sizeof check); }

void RolloverDown(unsigned char key) {
  if (check.held[key]) return;
  check.held[key] = check.arrived[key] = true;
  if (++check.heldCount <= check.peakCount) return;
  check.peakCount = check.heldCount;
  std::memcpy(check.peak, check.held, sizeof check.peak);
}

void RolloverUp(unsigned char key) {
  if (!check.held[key]) return;
  check.held[key] = false;
  check.heldCount--;
}

bool RolloverBallChecked(int ball) {
  if (ball < 0 || ball >= ballsChecked()) return false;
  return !anyHumanInPlay() || (players[ball]->active && players[ball]->ai == kHuman);
}

int RolloverKeyState(int ball, int which) {
  const unsigned char key = keyOf(ball, which);
  if (check.held[key]) return kCheckKeyHeld;
  if (check.peak[key]) return kCheckKeyTogether;
  return check.arrived[key] ? kCheckKeyAlone : kCheckKeyMissing;
}

int RolloverMostHeld() { return check.peakCount; }

// A pair is dropped when one of its keys did not arrive while the most keys were held.
bool RolloverPairDropped(int ball) {
  if (!RolloverBallChecked(ball) || check.peakCount == 0) return false;
  return !check.peak[keyOf(ball, kCheckRopeKey)] || !check.peak[keyOf(ball, kCheckPowerUpKey)];
}

// Each dropped key gets a spare key of its own, in roster order.
int RolloverSuggestions(RolloverSuggestion *out, int max) {
  bool offered[kKeyCodes] = {};
  int n = 0;
  for (int i = 0; i < ballsChecked() && n < max; i++) {
    if (!RolloverPairDropped(i)) continue;
    for (int which = kCheckRopeKey; which <= kCheckPowerUpKey && n < max; which++) {
      if (check.peak[keyOf(i, which)]) continue;
      for (int k = kFirstPrintable; k <= kLastPrintable; k++) {
        const unsigned char key = static_cast<unsigned char>(k);
        if (offered[key] || !spare(key)) continue;
        offered[key] = true;
        out[n++] = RolloverSuggestion{i, which, key};
        break;
      }
    }
  }
  return n;
}

bool TakeRolloverSuggestion(const RolloverSuggestion &s, char *why, size_t whySize) {
  if (s.ball < 0 || s.ball >= ballsChecked()) return false;
  player *p = players[s.ball];
  const bool powerUp = s.which == kCheckPowerUpKey;
  if (KeyRefused(p, s.key, powerUp, why, whySize)) return false;
  (powerUp ? p->powerUpKey : p->key) = static_cast<char>(s.key);
  return true;
}
