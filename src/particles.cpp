// The particle list: sparks, bursts and power-up shots.
#include "TethrixExtern.h"

void DrawParticles(partList *) {}
void CollideParticles(partList *, player *) {}
void ClearParticles() {}
void NewParticles(int, float, float, float, float, float, float, float, float, float *, float *, int) {}
