// Playback: a replay's inputs given back to the game frame by frame, each check held to its hash.
#include "TethrixExtern.h"
#include "cmdline.h"
#include "replay.h"

#include <cinttypes>

namespace {

bool fromPad(int kind) {
  return kind == kReplayRope || kind == kReplayPower || kind == kReplayJoin || kind == kReplayWait ||
         kind == kReplayResume || kind == kReplayHold || kind == kReplayLetGo;
}

// Each input goes where the live one went; Escape ended the match and is never played.
void deliver(ReplayPlayback &pb, const ReplayEvent &e) {
  player *p = e.a >= 0 && e.a < numPlayers ? players[e.a] : nullptr;
  switch (e.kind) {
  case kReplayKey:
    if (e.a != kKeyEscape) Key(static_cast<unsigned char>(e.a), 0, 0);
    break;
  case kReplayKeyUp: KeyUp(static_cast<unsigned char>(e.a), 0, 0); break;
  case kReplayHold: OneSwitchPress(e.a); break;
  case kReplayLetGo: OneSwitchRelease(e.a); break;
  case kReplayMove: MenuPointer(e.a, e.b); break;
  case kReplayPress: MenuButton(true, e.a, e.b); break;
  case kReplayRelease: MenuButton(false, e.a, e.b); break;
  case kReplayRope:
    if (p) RopeAction(p);
    break;
  case kReplayPower:
    if (p) PowerUpAction(p);
    break;
  case kReplayJoin:
    if (p) JoinAsHuman(p);
    break;
  case kReplayWait: PadWaitFor(e.a); break;
  case kReplayResume: PadResumeFor(e.a); break;
  case kReplaySpeed: pb.speed = e.f; break;
  case kReplayDetail: pb.detail = e.a; break;
  default: break;
  }
}

// The live game hears the pads in its idle routine, then the keys and the mouse.
void deliverFrameInputs(ReplayPlayback &pb) {
  const std::vector<ReplayEvent> &events = pb.replay->events;
  bool padsDone = false;
  for (; pb.nextEvent < events.size() && events[pb.nextEvent].frame == pb.frame; pb.nextEvent++) {
    const ReplayEvent &e = events[pb.nextEvent];
    if (!padsDone && !fromPad(e.kind) && e.kind != kReplaySpeed && e.kind != kReplayDetail) {
      PadsMatchFrame();
      padsDone = true;
    }
    deliver(pb, e);
  }
  if (!padsDone) PadsMatchFrame();
}

bool outOfStep(ReplayPlayback &pb) {
  pb.error = OutOfStepMessage(pb.frame, pb.replay->version);
  return false;
}

bool checksHold(ReplayPlayback &pb) {
  const std::vector<ReplayCheck> &checks = pb.replay->checks;
  for (; pb.nextCheck < checks.size() && checks[pb.nextCheck].frame == pb.frame; pb.nextCheck++)
    if (checks[pb.nextCheck].hash != WorldHash()) return outOfStep(pb);
  return true;
}

} // namespace

std::string OutOfStepMessage(long frame, const std::string &recordedBy) {
  return "replay out of step at frame " + std::to_string(frame) + ": recorded by version " + recordedBy +
         ", played by " + TethrixVersion();
}

bool StartPlayback(ReplayPlayback &pb, const Replay &r, std::string &why) {
  pb = ReplayPlayback{};
  pb.replay = &r;
  pb.speed = speedMult;
  pb.detail = spheredetail;
  if (!BeginMatchWorld(r.start, why)) {
    why = r.start.source + ": " + why;
    return false;
  }
  return true;
}

ReplayStepResult PlaybackFrame(ReplayPlayback &pb) {
  const Replay &r = *pb.replay;
  if (!pb.error.empty()) return kReplayOutOfStep;
  if (r.endKind == kReplayEndEscape && pb.frame >= r.endFrame) return kReplayEnded;
  deliverFrameInputs(pb);
  speedMult = pb.speed;
  spheredetail = pb.detail;
  const int shownBefore = ShownScreen();
  Display();
  if (!checksHold(pb)) return kReplayOutOfStep;
  const bool won = ShownScreen() == kScreenLeaderBoard && shownBefore != kScreenLeaderBoard;
  const bool due = r.endKind == kReplayEndLeaderBoard && pb.frame == r.endFrame;
  if (won != due) return outOfStep(pb), kReplayOutOfStep; // the match ended at another frame
  pb.frame++;
  return due ? kReplayEnded : kReplayRunning;
}
