// Fuzz target: the one line reader on any bytes, as the level list, the
// preferences and the power-up sets, in a scratch folder of its own.
#include "TethrixExtern.h"
#include "fuzz_scratch.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

const char *const kFiles[] = {"level.def", "prefs.def", "powerupsets.def"};
char scratch[] = "/tmp/tethrix-fuzz-XXXXXX";

void removeScratch() {
  for (const char *name : kFiles)
    unlink(name);
  unlink("prefs.def.bad"); // where preferences the game cannot read are kept
  rmdir(scratch);
}

// A new file each time: truncating one in place makes ext4 flush it on close,
// which slows the run a hundredfold.
void writeInput(const char *name, const uint8_t *data, size_t size) {
  unlink(name);
  FILE *out = std::fopen(name, "wb");
  if (!out || std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) {
    std::perror(name);
    std::abort();
  }
}

// The tables the reader fills must stay inside their bounds whatever it read.
void checkBounds() {
  if (blockNum >= kMaxBlocks || wallNum < 0 || wallNum > kMaxWalls) std::abort();
  if (powerUpsInList < 0 || powerUpsInList > kPowerUpListSize) std::abort();
  if (std::strlen(levelname) >= kTextSize || std::strlen(powerUpSetName) >= kTextSize) std::abort();
  for (int i = 0; i < numPlayers; i++)
    if (std::strlen(players[i]->name) >= kNameSize) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  EnterScratch(scratch, removeScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  ResetWorld();
  BuildRoster();
  for (const char *name : kFiles)
    writeInput(name, data, size);
  ReadLevelFile("level.def");
  checkBounds();
  currentLevel = 1; // a second level, so sections other than the first are read too
  ReadLevelFile("level.def");
  checkBounds();
  ReadPrefs();
  checkBounds();
  powerUpSetID = 1;
  ReadLevelFile("powerupsets.def");
  checkBounds();
  ResetWorld(); // frees the roster, so leaks show per input
  return 0;
}
