// tethrix-sim --tournament: six bots play whole matches on every level and game type.
#pragma once

#include <cstdio>
#include <string>

struct TournamentOptions {
  int level = -1;            // -1: every level of the list
  int gameType = 0;          // 0: every type whose target is not 0
  bool ownType = false;      // each level only with the game type its own lines give
  int matches = 3;           // per level and type, each from its own seed
  long frames = -1;          // a match not over by then is cut off and reported; -1: 30000,
                             // or with totalFrames that total spread over one sweep's matches
  long totalFrames = 0;      // sweep again, with new seeds, until this many frames were played
  unsigned seed = 1;         // the first match's seed; each next match takes the next one
  int powerUpFrequency = -1; // every power-up this many times in the bag; -1: as the files say
  std::string json;          // also write the results here; empty for none
  bool swapTeams = false;    // the teams trade starts and flags (see SimSwapTeamSides)
  int rotateStarts = 0;      // ball i takes the start of ball i + this (see SimRotateStarts)
};

// The working directory must be the data folder. Prints a table per level and game type,
// each with its fairness line (a team game's share of wins under an exact two-sided
// binomial test at 5%, a free-for-all's wins by roster slot under a chi-square test),
// then the flags raised, the frames played and the peak resident memory. 0 when every match ran; a match cut
// off by the frame cap is reported, not a failure. 2 for a level or type the list lacks,
// 1 when the JSON file cannot be written.
int RunTournament(const TournamentOptions &options, FILE *out);
