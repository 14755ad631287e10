// Input actions: what a ball, the game and a menu can be told to do, whichever device tells them.
#include "TethrixExtern.h"
#include "inclGL.h"

// ---- A ball's two actions ----------------------------------------------------------------
// A free ball asks for a rope, which the next step attaches; otherwise it lets go.
void RopeAction(player *p) {
  if (p->block == kRopeFree) {
    p->attatches++;
    p->block = kRopeRequested;
  } else {
    LetGo(p);
  }
}

void PowerUpAction(player *p) { ProcessPowerUp(p); }

// ---- The game's own keys -------------------------------------------------------------------
namespace {

void togglePause() { paused = !paused; }
void moreDetail() { spheredetail++; }
void lessDetail() { spheredetail--; }

struct GameKey {
  unsigned char key;
  void (*act)();
};

// No ball may take one of these keys: the options refuse them from this table too.
const GameKey kGameKeys[] = {
    {'p', togglePause}, {'r', ResetPositions}, {'+', moreDetail}, {'-', lessDetail}, {kKeyEscape, BackToTitle},
};

const GameKey *gameKeyOf(unsigned char key) {
  for (const GameKey &k : kGameKeys)
    if (k.key == key) return &k;
  return nullptr;
}

} // namespace

bool IsGameKey(unsigned char key) { return gameKeyOf(key) != nullptr; }

void GameKeyAction(unsigned char key) {
  if (const GameKey *k = gameKeyOf(key)) k->act();
}

// ---- The menus' six actions ----------------------------------------------------------------
int MenuArrowAction(int key) {
  switch (key) {
  case GLUT_KEY_UP: return kMenuActionUp;
  case GLUT_KEY_DOWN: return kMenuActionDown;
  case GLUT_KEY_LEFT: return kMenuActionLeft;
  case GLUT_KEY_RIGHT: return kMenuActionRight;
  default: return kMenuNoAction;
  }
}

int MenuActionArrow(int action) {
  switch (action) {
  case kMenuActionUp: return GLUT_KEY_UP;
  case kMenuActionDown: return GLUT_KEY_DOWN;
  case kMenuActionLeft: return GLUT_KEY_LEFT;
  case kMenuActionRight: return GLUT_KEY_RIGHT;
  default: return 0;
  }
}

// The latched screens read an arrow or a typed key in their next frame; accepting
// is what Return does there.
void LatchMenuAction(int action) {
  if (action == kMenuActionAccept)
    lastKey = kKeyReturn;
  else if (MenuActionArrow(action) != 0)
    lastSpecial = MenuActionArrow(action);
}
