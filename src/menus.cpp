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

// Until the level select exists, every way into it starts the next match at
// once on the level the full reset loaded.
static void startNextMatch() {
  glutKeyboardFunc(Key);
  glutSpecialFunc(SpecialKey);
  glutDisplayFunc(Display);
  ResetPositions();
  glutPostRedisplay();
}

void LevelSelect() { startNextMatch(); }
void LevelKeys(unsigned char, int, int) { startNextMatch(); }
void SpecialLevelSelectKey(int, int, int) { startNextMatch(); }
