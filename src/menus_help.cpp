// The five help pages, with a ball to try the attach key on, and the credits.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cstdio>

namespace {

constexpr int kHelpPages = 5;
constexpr int kMaxPageLines = 15;
constexpr float kTextGrey = 0.7f;
constexpr float kLineH = -6.0f, kHeadingH = -5.0f, kHeadingV = 1.0f, kFooterH = -5.0f, kFooterV = -4.5f;

struct HelpPage {
  const char *heading; // null for none
  float firstV;
  int lines;
  const float *gaps; // y of each line where the page leaves room for a picture; null: evenly spaced
  const char *text[kMaxPageLines];
};

constexpr float kPage0V[] = {1.0f, 0.5f, -1.0f, -1.5f, -2.5f, -3.0f, -3.5f};
constexpr float kPage1V[] = {1.0f, 0.5f, 0.0f, -0.5f, -1.0f, -2.0f, -2.5f, -3.0f};
// Joining, and the ways to play besides two keys: closer lines, down to the footer.
constexpr float kPage2V[] = {0.45f,  0.1f,   -0.25f, -0.6f,  -0.95f, -1.3f,  -1.65f,
                             -2.0f,  -2.35f, -2.75f, -3.1f,  -3.45f, -3.8f,  -4.15f};

// Lines 3 and 4 of page 0 name the first team leader and its attach key.
const HelpPage kHelp[kHelpPages] = {
    {nullptr, 1.0f, 7, kPage0V,
     {"The object of Tethrix is to knock your opponents off the screen.",
      "You move by attatching your ball to the nodes with a rope,",
      "and detatching to fling yourself across the screen. %s uses %c to attatch",
      "and detatch. Try pressing %c now and see the ball attatch to the node.",
      "While attatched, your ball orbits the node faster and faster.",
      "A hit knocks you off your rope, and a node that blinks out lets go of you.",
      "Once free, you fly on under gravity until you attatch again."}},
    {nullptr, 1.0f, 8, kPage1V,
     {"When two balls collide they bounce apart, heavier balls pushing harder.",
      "A collision knocks both balls off their ropes and stuns them",
      "for about a second: a stunned ball cannot hold on to a node.",
      "Knock someone out of the arena while they are stunned and the kill is yours.",
      "Some levels have walls. Balls bounce off them, some more than others:",
      "some walls are elastic, some soak up your speed. Flippers are walls",
      "that swing when a ball near them is on a rope, so you work them with",
      "your attach key. A flipper can throw you much faster than a rope."}},
    {"Joining the game:", 0.45f, 14, kPage2V,
     {"A game starts with two computer players, shown along the bottom.",
      "Click a computer player's name to take control of it from the keyboard;",
      "its two keys then show beside its name.",
      "Click a name shown as \"Out\" to bring that player in as a computer player.",
      "Click a human player's name to take that player out of the game.",
      "The last two players can't be removed: they switch between the",
      "keyboard and the computer instead.",
      "Keys and names are set in Options, under Setup Player.",
      "Up to six players can share one keyboard.",
      "A gamepad's Start joins the game; Setup Player can give a ball a pad of its own.",
      "One key: Setup Player lets a ball rope with a tap and use powerups with a hold.",
      "Options, More: the keyboard check finds keys a keyboard drops when many are held;",
      "colour vision shows the game as colour-blind players see it; UI scale grows text.",
      "Each ball wears its own shape, so nobody has to tell the balls apart by colour."}},
    {"Tethrix has several different game modes:", 0.0f, 9, nullptr,
     {"Deathmatch: The simplest game mode. Every man for himself, the last one alive gets a point.",
      "Team Deathmatch: Red against blue; the last team with a ball left scores.",
      "Capture the Flag: Carry the other team's flag to your own, while yours is home.",
      "Race: Attatch to the checkpoints in order, 1, 2, 3 and round again.",
      "Domination: Attatch to white nodes to claim them; each one you own scores.",
      "Air Hockey: Knock the puck into the other team's goal.",
      "Tag: Whoever is it scores nothing; hit someone to pass it on.",
      "Endurance Match: Stay alive; the longer you last, the faster you score.",
      "Pinata: Every hit on the puck is a point."}},
    {"Using Powerups:", 0.5f, 10, nullptr,
     {"Powerups appear as glowing diamonds on the nodes.",
      "Attatch to a node to collect the powerup on it.",
      "Press your powerup key to use the powerup you hold.",
      "You can only hold one powerup at a time: a new one replaces it.",
      "Powerups marked (AUTO) act the moment you collect them.",
      "Computer players use their powerups too, so watch out.",
      "There are no powerups in arcade mode.",
      "The Setup Powerups page in Options says what each one does,",
      "and sets how often each appears.",
      "Try them all: some are better at close range, some from afar."}},
};

constexpr float kLineStep = 0.5f;

void drawHelpLine(int page, int line, float v) {
  const player *leader = teamLeaders[0];
  const char *name = leader ? leader->name : "";
  const char key = leader ? leader->key : ' ';
  char text[kTextSize];
  if (page == 0 && line == 2)
    std::snprintf(text, sizeof text, kHelp[0].text[2], name, key);
  else if (page == 0 && line == 3)
    std::snprintf(text, sizeof text, kHelp[0].text[3], key);
  else
    std::snprintf(text, sizeof text, "%s", kHelp[page].text[line] ? kHelp[page].text[line] : "");
  DrawMenuStr(kLineH, v, text);
}

// A ball, a node, and the rope while the first leader's key holds it. The rope
// runs at the depth of the ball, so it ends where the node appears.
void drawAttachDemo() {
  const player *leader = teamLeaders[0];
  constexpr float kBallSize = 0.5f, kDepth = -5.0f, kRopeEnd = 3.5f;
  glEnable(GL_LIGHTING);
  glEnable(GL_COLOR_MATERIAL);
  if (leader) glColor3f(leader->r, leader->g, leader->b);
  SphereAt2d(0, 0, kBallSize);
  glDisable(GL_LIGHTING);
  glColor3f(0.5f, 0.5f, 0.5f);
  glBegin(GL_QUADS);
  glVertex3f(2.0f, 0.25f, 0);
  glVertex3f(2.0f, -0.25f, 0);
  glVertex3f(2.5f, -0.25f, 0);
  glVertex3f(2.5f, 0.25f, 0);
  glEnd();
  if (attatched != 1) return;
  glColor3f(1, 1, 1);
  glBegin(GL_LINES);
  glVertex3f(0, 0, kDepth);
  glVertex3f(kRopeEnd, 0, kDepth);
  glEnd();
}

void drawWallDemo() {
  glDisable(GL_LIGHTING);
  glColor3f(0.7f, 0.5f, 0.3f);
  glBegin(GL_QUADS);
  glVertex3f(-4.0f, -1.5f, 0);
  glVertex3f(4.0f, -1.5f, 0);
  glVertex3f(4.0f, -1.1f, 0);
  glVertex3f(-4.0f, -1.1f, 0);
  glEnd();
}

void textGrey() { glColor3f(kTextGrey, kTextGrey, kTextGrey); }

void drawHelpPage(int page) {
  const HelpPage &p = kHelp[page];
  if (p.heading) DrawMenuStr(kHeadingH, kHeadingV, p.heading);
  for (int i = 0; i < p.lines; i++) {
    const float v = p.gaps ? p.gaps[i] : p.firstV - kLineStep * static_cast<float>(i);
    drawHelpLine(page, i, v);
    if (page == 0 && i == 1) drawAttachDemo();
    if (page == 1 && i == 4) drawWallDemo();
    textGrey();
  }
}

// Left and right turn the page, within 0..last.
int turnPage(int page, int last) {
  if (lastSpecial == GLUT_KEY_LEFT && page > 0) return page - 1;
  if (lastSpecial == GLUT_KEY_RIGHT && page < last) return page + 1;
  return page;
}

void finishHelpFrame() {
  FinishMenuFrame();
  glDisable(GL_LIGHTING);
}

struct Credit {
  const char *text;
  float v;
};

const Credit kCredits[] = {
    {"Concept: the Tethrix team, after an evening with a yo-yo", 0.0f},
    {"Programming: the Tethrix team", -0.5f},
    {"Sounds: synthesised speech and sox, by the Tethrix team", -1.0f},
    {"Testing: everyone who ever shared a keyboard with us", -1.5f},
    {"Level design: the Tethrix team and friends", -2.0f},
    {"Thanks to everyone who played, and to the ones who lost gracefully.", -3.0f},
};

// Twice the size of the text, between the title band and the first credit.
constexpr float kCreditsHeadingH = -1.15f, kCreditsHeadingV = 0.75f, kCreditsHeadingSize = 0.5f;
constexpr float kCreditH = -5.0f;

} // namespace

void HelpView() {
  static int page = 0, seen = 0;
  if (MenuStateStale(seen)) page = 0;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SoundIdle();
  textGrey();
  drawHelpPage(page);
  DrawMenuStr(kFooterH, kFooterV, "Left Arrow: Previous Page; Right Arrow: Next Page; Escape: Exit Help");
  page = turnPage(page, kHelpPages - 1);
  finishHelpFrame();
}

void CreditsView() {
  static int page = 0, seen = 0;
  if (MenuStateStale(seen)) page = 0;
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SoundIdle();
  textGrey();
  DrawStr2(kCreditsHeadingH, kCreditsHeadingV, kCreditsHeadingSize, "Credits");
  for (const Credit &c : kCredits) DrawMenuStr(kCreditH, c.v, c.text);
  DrawMenuStr(kFooterH, kFooterV, "Press Escape to return to main menu.");
  page = turnPage(page, 0);
  finishHelpFrame();
}

// Back leaves for the title; the rest is latched, and the pages read left and right.
void HelpAction(int action) {
  if (action == kMenuActionBack) {
    ReadPrefs();
    BackToTitle();
  } else {
    LatchMenuAction(action);
  }
}

void HelpKey(unsigned char key, int, int) {
  if (key == kKeyEscape) HelpAction(kMenuActionBack);
  if (teamLeaders[0] && key == static_cast<unsigned char>(teamLeaders[0]->key)) attatched = 1 - attatched;
}

void HelpSpecial(int key, int, int) {
  const int action = MenuArrowAction(key);
  if (action == kMenuNoAction)
    lastSpecial = key;
  else
    HelpAction(action);
}
