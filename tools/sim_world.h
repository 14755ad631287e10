// Shared by tethrix-sim and the benchmarks: the game's start-up without a
// window, a virtual clock, and the world written as JSON.
#pragma once

#include <cstdio>

// Start-up as the game does it (never writing the preferences), then the level
// list once more and the round start. The working directory must be the data.
void SimStartup(unsigned seed, int level);

// A clock that moves 1/40 s per frame, so frames never wait and speedMult
// ramps as in real play.
void SimClockInstall();
void SimClockAdvanceFrame();

// One frame as the idle and display callbacks run it.
void SimFrame();

void DumpWorld(FILE *out);
void TraceFrame(FILE *out, int frame);
