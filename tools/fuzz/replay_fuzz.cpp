// Fuzz target: the replay reader on any bytes; what it accepts is started and played a little,
// so the values it let through are used as the game would use them.
#include "TethrixExtern.h"
#include "fuzz_scratch.h"
#include "replay.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

constexpr long kFramesPlayed = 30; // enough to use every start value and a few inputs
char scratch[] = "/tmp/tethrix-fuzz-replay-XXXXXX";

void removeScratch() {
  unlink("level.def");
  rmdir(scratch);
}

void checkBounds() {
  if (blockNum >= kMaxBlocks || wallNum < 0 || wallNum > kMaxWalls) std::abort();
  if (powerUpsInList < 0 || powerUpsInList > kPowerUpListSize) std::abort();
  if (gameType < kFirstGameType || gameType > kLastGameType) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  EnterScratch(scratch, removeScratch);
  FILE *out = std::fopen("level.def", "w"); // the playback reads none of it: the replay has its level
  if (!out || std::fputs("nextlevel 0\nEmpty\nlevel -5 5 5 -5\n", out) < 0 || std::fclose(out) != 0) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Replay replay;
  std::string why;
  const std::string text(reinterpret_cast<const char *>(data), size);
  if (!ParseReplay(text, "fuzz.replay", replay, why)) {
    if (why.rfind("fuzz.replay:", 0) != 0) std::abort(); // every refusal names the file and line
    return 0;
  }
  ResetWorld();
  frameReport = nullptr;
  BuildRoster();
  ReadLevelFile("level.def");
  ReplayPlayback pb;
  if (StartPlayback(pb, replay, why)) {
    checkBounds();
    for (long f = 0; f < kFramesPlayed && PlaybackFrame(pb) == kReplayRunning; f++) checkBounds();
  }
  ResetWorld(); // frees the roster, so leaks show per input
  return 0;
}
