// Using power-ups, their ongoing effects, and collisions between balls.
#include "TethrixExtern.h"

void CollidePlayers(player *, player *) {}
void SpecialPlayer(player *) {}
void ProcessPowerUp(player *) {}
