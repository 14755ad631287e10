// Watching a replay in the game window: pause, speed, leaving, and the "Replay" mark.
#include "TethrixExtern.h"
#include "inclGL.h"
#include "replay.h"
#include "replay_tables.h"

#include <cstring>

namespace {

constexpr int kSpeeds[] = {1, 2, 4}; // frames played each time the window is drawn
constexpr int kSpeedCount = sizeof kSpeeds / sizeof kSpeeds[0];
constexpr float kOverlay = 10.0f; // the mark's overlay: 0..10 both ways, as the score bar's
constexpr float kMarkLeft = 0.2f, kMarkV = 8.7f, kMarkSize = 0.3f, kMarkWidth = 4.0f;
constexpr float kHintV = 8.4f, kHintSize = 0.18f, kHintWidth = 6.0f;
constexpr float kMessageSize = 0.25f; // the out-of-step message, in view units
constexpr float kMessageV = 0.3f, kMessageHintV = -0.5f;

// What the leaderboard showed, to go back to it.
struct Board {
  ReplayStart world;
  char awards[kAwardLines][kAwardLineSize];
  int awardLines;
  bool awardsComputed;
  char levelname[kTextSize];
};

struct Watch {
  bool showing = false;
  bool fromBoard = false;
  bool paused = false, pausing = false;
  int speed = 0; // into kSpeeds
  Replay replay;
  ReplayPlayback playback;
  Board board;
};

Watch watch;

void keepBoard() {
  Board &b = watch.board;
  CaptureMatchStart(b.world);
  std::memcpy(b.awards, awards, sizeof awards);
  b.awardLines = awardLines;
  b.awardsComputed = awardsComputed;
  std::memcpy(b.levelname, levelname, sizeof levelname);
}

void restoreBoard() {
  const Board &b = watch.board;
  ApplyCapturedValues(b.world);
  std::memcpy(awards, b.awards, sizeof awards);
  awardLines = b.awardLines;
  awardsComputed = b.awardsComputed;
  std::memcpy(levelname, b.levelname, sizeof levelname);
}

bool begin() {
  std::string why;
  watch.paused = watch.pausing = false;
  watch.speed = 0;
  if (!StartPlayback(watch.playback, watch.replay, why)) {
    std::fprintf(stderr, "tethrix: %s\n", why.c_str());
    return false;
  }
  watch.showing = true;
  ShowScreen(kScreenReplay);
  return true;
}

// Escape, or the end of a match that was left by Escape.
void leave() {
  watch.showing = false;
  if (watch.fromBoard) {
    restoreBoard();
    ShowScreen(kScreenLeaderBoard);
  } else {
    BackToTitle();
  }
}

// At its end the replay shows the leaderboard the match ended with.
void ended() {
  watch.showing = false;
  if (watch.fromBoard) restoreBoard();
  ShowScreen(kScreenLeaderBoard);
}

void drawOutOfStep() {
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glDisable(GL_LIGHTING);
  glColor3f(1, 1, 1);
  DrawCentredStr(0, kMessageV, kMessageSize, watch.playback.error.c_str());
  DrawCentredStr(0, kMessageHintV, kMessageSize, "Escape: leave");
  SwapFrame();
}

} // namespace

bool WatchReplayFile(const char *file) {
  std::string why;
  if (!LoadReplay(file, watch.replay, why)) {
    std::fprintf(stderr, "tethrix: %s\n", why.c_str());
    return false;
  }
  watch.fromBoard = false;
  return begin();
}

void WatchLastReplay() {
  const Replay *last = LastReplay();
  if (!last) return; // recording is off: nothing to watch
  keepBoard();
  watch.replay = *last;
  watch.fromBoard = true;
  if (!begin()) restoreBoard();
}

void ReplayScreen() {
  if (!watch.playback.error.empty()) return drawOutOfStep();
  if (watch.paused) return; // the last frame stays on the screen
  for (int k = 0; k < kSpeeds[watch.speed]; k++) {
    const ReplayStepResult r = PlaybackFrame(watch.playback);
    if (r == kReplayOutOfStep) {
      std::fprintf(stderr, "tethrix: %s\n", watch.playback.error.c_str());
      return;
    }
    if (r == kReplayEnded) return ended();
    if (watch.pausing) {
      watch.paused = true; // this frame was drawn marked paused
      watch.pausing = false;
      return;
    }
  }
}

void ReplayKey(unsigned char key, int, int) {
  if (key == kKeyEscape)
    ReplayAction(kMenuActionBack);
  else if (key == ' ')
    ReplayAction(kMenuActionAccept);
}

void ReplaySpecialKey(int key, int, int) {
  if (key == GLUT_KEY_RIGHT) ReplayAction(kMenuActionRight);
  if (key == GLUT_KEY_F12) RequestScreenshot();
}

// Accept pauses and goes on, right cycles the speed, back leaves.
void ReplayAction(int action) {
  if (action == kMenuActionBack) {
    leave();
  } else if (action == kMenuActionAccept && watch.playback.error.empty()) {
    if (watch.paused)
      watch.paused = false;
    else
      watch.pausing = true;
  } else if (action == kMenuActionRight) {
    watch.speed = (watch.speed + 1) % kSpeedCount;
  }
}

bool ReplayShowing() { return watch.showing; }

void ResetReplayWatch() { watch = Watch{}; }

void DrawReplayMark() {
  if (!watch.showing) return;
  char text[64];
  std::snprintf(text, sizeof text, watch.pausing ? "Replay - paused" : "Replay %dx", kSpeeds[watch.speed]);
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, kOverlay, 0, kOverlay, -kOverlay, kOverlay);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_LIGHTING);
  glDisable(GL_DEPTH_TEST);
  glColor3f(1, 0.8f, 0.2f);
  DrawStrWithin(kMarkLeft, kMarkV, kMarkSize, kMarkWidth, text);
  glColor3f(1, 1, 1);
  DrawStrWithin(kMarkLeft, kHintV, kHintSize, kHintWidth, "Space: pause   Right: speed   Escape: leave");
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}
