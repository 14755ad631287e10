// Shared by tethrix-sim and the benchmarks: the game's start-up without a
// window, a virtual clock, and the world written as JSON.
#pragma once

#include <cstdio>

// Start-up as the game does it (never writing the preferences), then the level
// list once more and the round start. The working directory must be the data.
void SimStartup(unsigned seed, int level);

// The two teams trade sides: each red ball (roster slots 0-2) takes the start of the blue
// ball three slots on (Red <-> Purple, Yellow <-> Green, Orange <-> Blue), with its start
// velocity, and the two flags (goals in air hockey) trade places. Team membership and the
// roster order stay as they were, so red still moves first in every frame. Call after the
// level is read: the balls are put on their new starts (a free-for-all's shuffle of
// starts is not redone).
void SimSwapTeamSides();

// Each ball i takes the start line, with its start velocity, of ball (i + k) mod
// numPlayers; the roster order stays, so a slot's wins can be told from its start's.
// Call after the level is read; the balls are put on their new starts (a free-for-all's
// shuffle of the round's first places is not redone).
void SimRotateStarts(int k);

// A clock that moves 1/40 s per frame, so frames never wait and speedMult
// ramps as in real play.
void SimClockInstall();
void SimClockAdvanceFrame();

// Keeps `live` particles in the list for the particle-heavy benchmark scene.
void SimParticleScene(int live);

// One frame as the idle and display callbacks run it.
void SimFrame();

// The window callbacks the game installs at start-up, in a window of 800 x 480
// pixels: its 4:3 menu area is exactly 640 x 480, centred across, so the menu
// point (H, V) is the pixel (H + kSimMenuLeft, V).
constexpr int kSimWindowWidth = 800, kSimWindowHeight = 480, kSimMenuLeft = 80;
void SimInstallCallbacks();
// The name of a display routine: "Display", "LeaderBoard", "TitleScreen", ...; "none" for null.
const char *ScreenName(void (*display)());

void DumpWorld(FILE *out);
// screen: the display routine that ran this frame.
void TraceFrame(FILE *out, int frame, void (*screen)());

// The benchmarks' match: enters `folder` (once), six balls in play, all swinging.
void SimBenchMatch(const char *folder);
