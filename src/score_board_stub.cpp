// Stand-ins for the leaderboard screen, so the match end has routines to install.
#include "TethrixExtern.h"

void LeaderBoard() {}
void LeaderBoardKey(unsigned char, int, int) {}
