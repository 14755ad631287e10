// The SGI image reader and the game's textures.
#include "TethrixExtern.h"

void LoadTextures() {}
