// Using power-ups and their ongoing effects.
#include "TethrixExtern.h"

void SpecialPlayer(player *) {}
void ProcessPowerUp(player *) {}
