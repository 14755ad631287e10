// The menu screens.
#include "TethrixExtern.h"
#include "inclGL.h"

// Until the title picture exists the title screen goes straight back into a
// fresh game, so Escape restarts the match from the first level.
void TitleScreen() {
  glutKeyboardFunc(Key);
  glutSpecialFunc(SpecialKey);
  glutDisplayFunc(Display);
  glutPostRedisplay();
}
