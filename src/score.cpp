// Round and score rules, the score bar and the leaderboard.
#include "TethrixExtern.h"

void UpdateScore() {}
void AddPoint(player *) {}
