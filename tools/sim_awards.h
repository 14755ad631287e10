// tethrix-sim --awards: the leaderboard of a match given as JSON statistics.
#pragma once

#include <cstdio>

// Reads FILE, sets the roster up from it and prints the leaderboard as its first
// frame draws it: the title, one line per active ball, then the award lines.
// A file that cannot be read or is malformed is reported on standard error and
// gives 2; success gives 0.
int PrintLeaderBoard(const char *file, FILE *out);
