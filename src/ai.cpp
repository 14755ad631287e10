// Computer players: steering, targets and power-up use.
#include "TethrixExtern.h"

void DoAI(player *) {}
