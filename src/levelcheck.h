// The level checker: what in a level list the game would skip or get wrong.
#pragma once

#include "Tethrix.h"

#include <cstdio>
#include <string>
#include <vector>

// What the line reader makes of one line (files.cpp).
struct StatementMatch {
  static constexpr int kValues = kNumGameTypes > 8 ? kNumGameTypes : 8; // "scores", or "player"
  const char *pattern = nullptr; // the pattern that takes the line
  int converted = 0;             // values converted before the first mismatch
  int wanted = 0;                // values the pattern asks for
  int used = 0;                  // characters of the line those values took
  int outOfRange = 0;            // 1-based number of the first value too large or not finite
  float f[kValues] = {};
  int i[kValues] = {};
};
bool MatchStatement(const char *line, StatementMatch &m); // false: no pattern takes it
// Reads one line into buf (kLineSize + 1 long): at most kLineSize characters kept, the rest
// dropped and tooLong set; a zero byte ends the kept text; CRs before the line feed go.
// False at the end of the file. The game and the checker both read with it.
bool ReadTextLine(FILE *in, char *buf, bool &tooLong);
int ReaderPatternCount();
const char *ReaderPattern(int k); // in matching order

struct LevelProblem {
  int line; // 1-based line of the file
  std::string text;
};

// Reads the file as the game reads a level list and lists every problem in
// line order. Returns false when the file cannot be opened.
bool CheckLevelList(const char *file, std::vector<LevelProblem> &problems);
// The problems as "FILE:LINE: text" lines and a summary line; returns 0 when
// there are none, 1 when there are, 2 when the file cannot be read.
int PrintLevelCheck(const char *file, FILE *out);
