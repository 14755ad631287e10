// Text drawn from the texture font.
#include "TethrixExtern.h"

void InitCharArray() {}
void DrawStr(float, float, const char *) {}
void DrawStr2(float, float, const char *) {}
