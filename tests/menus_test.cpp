// The menu screens driven as a player drives them: clicks, arrows and keys to
// the routines each screen installs, one display frame after each.
#include "world_fixture.h"

#include "gl/headless.h"
#include "inclGL.h"

#include <climits>
#include <cmath>
#include <cstring>
#include <string>
#include <tuple>

using std::make_tuple;

namespace {

// Three levels; the "scores" line before them is read with every level.
const char kScores[] = "scores 10 10 5 10 5000 5 3000 2000 30 10 10 10\n";
const char kNoTeamScores[] = "scores 10 0 5 10 5000 5 3000 2000 30 10 10 10\n";
const char kLevels[] = "nextlevel 0\nZero\nlevel -10 10 5 -5\ndeathmatch 10\nblock 0 0\n"
                       "nextlevel 1\nOne\nlevel -5 5 5 -5\nrace 7\nblock 1 1\n"
                       "nextlevel 2\nTwo\nlevel -5 5 5 -5\nctf 4\nblock 2 2\n";

constexpr int kMenuLeft = 80; // an 800 x 480 window shows the 640 x 480 menu centred across
constexpr float kViewZ = -9.2f; // the window routine puts the menus' plane this far away

} // namespace

class Menus : public World {
protected:
  void SetUp() override {
    World::SetUp();
    writeFile("level.def", std::string(kScores) + kLevels);
    roster();
    StartupReads(true); // prefs.def now holds the start-up settings
    ReadLevelFile(defaultLevels);
    ResetPositions();
    Reshape(800, 480);
    InstallCallbacks(TitleScreen);
    ForgetSoundsAsked();
  }
  HeadlessState &w() { return headlessState(); }
  void frame() {
    headlessClearVertices();
    w().display();
  }
  void move(int h, int v) {
    w().passiveMotion(h + kMenuLeft, v);
    frame();
  }
  void click(int h, int v) {
    w().mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, h + kMenuLeft, v);
    frame();
    w().mouse(GLUT_LEFT_BUTTON, GLUT_UP, h + kMenuLeft, v);
  }
  void press(unsigned char key) {
    if (w().keyboard) w().keyboard(key, 0, 0);
    frame();
  }
  void arrow(int key) {
    w().special(key, 0, 0);
    frame();
  }
  bool drew(float x, float y, float z, unsigned primitive) {
    z += kViewZ;
    for (const HeadlessVertex &v : headlessVertices())
      if (v.primitive == primitive && std::fabs(v.x - x) < 1e-4f && std::fabs(v.y - y) < 1e-4f &&
          std::fabs(v.z - z) < 1e-4f)
        return true;
    return false;
  }
  // Only a mouse that moves picks a line, so the pointer comes from one pixel aside.
  void hover(int h, int v) {
    move(h + 1, v);
    move(h, v);
  }
  // Menu rows: the options from 180, the player setup from 230, the power-up top lines from 205.
  void hoverOption(int line) { hover(330, 192 + 25 * line); }
  void hoverSetup(int line) { hover(330, 242 + 25 * line); }
  void hoverPowerUpLine(int line) { hover(330, 217 + 25 * line); }
  void openOptions() { click(310, 385); }
  void openSetup(int ball) {
    hoverOption(3 + ball);
    press(' ');
  }
};

// ---- Title ----------------------------------------------------------------------------------------
TEST_F(Menus, TitleTargetsAreCirclesOf60MenuPixels) {
  struct Case { int h, v; void (*screen)(); } buttons[] = {
      {130, 240, Display}, {310, 240, LevelSelect}, {130, 385, CreditsView}, {310, 385, Options},
      {460, 400, HelpView}};
  for (const Case &b : buttons) {
    for (auto [dh, dv, acts] : {make_tuple(60, 0, false), make_tuple(43, 42, false),
                                make_tuple(0, -59, true), make_tuple(42, 42, true)}) {
      glutDisplayFunc(TitleScreen);
      click(b.h + dh, b.v + dv);
      EXPECT_EQ(w().display, acts ? b.screen : TitleScreen) << b.h << "," << b.v << " +" << dh;
    }
  }
}

TEST_F(Menus, ArcadeIsADeathmatchOnTheCurrentLevelWhateverItsType) {
  currentLevel = 1; // a race level
  click(130, 240);
  EXPECT_EQ(make_tuple(std::string(levelname), gameType, arcadeMode, w().keyboard),
            make_tuple(std::string("One"), kDeathmatch, 1, Key));
}

TEST_F(Menus, AClickActsOnceAndADragOntoAButtonDoesNothing) {
  w().mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 320 + kMenuLeft, 60); // no button there
  frame();
  w().motion(310 + kMenuLeft, 240); // held onto Play
  frame();
  w().mouse(GLUT_LEFT_BUTTON, GLUT_UP, 310 + kMenuLeft, 240);
  EXPECT_EQ(w().display, TitleScreen);
  w().mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 310 + kMenuLeft, 240);
  frame();
  EXPECT_EQ(make_tuple(w().display, buttonDown), make_tuple(LevelSelect, 0));
}

TEST_F(Menus, QuitEndsTheGameWithStatusZero) {
  EXPECT_EXIT(click(490, 240), testing::ExitedWithCode(0), "");
}

TEST_F(Menus, TitleLeavesTexturingOffSoTheGameIsNotDrawnWithThePicture) {
  frame();
  EXPECT_FALSE(headlessEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(w().boundTexture, kTexSprites);
  EXPECT_TRUE(drew(-6, -4.5f, 0, GL_QUADS) && drew(6, 4.5f, 0, GL_QUADS));
}

TEST_F(Menus, CreditsLoadNoLevelEvenAfterTheLastReadWasThePreferences) {
  ReadPrefs(); // leaves numLevels at -1
  click(130, 385);
  EXPECT_EQ(make_tuple(currentLevel, blockNum, w().keyboard), make_tuple(3, -1, HelpKey));
}

// ---- Level select ---------------------------------------------------------------------------------
TEST_F(Menus, ArrowsCycleLevelsAndGameTypesSkippingThoseWithoutATarget) {
  writeFile("level.def", std::string(kNoTeamScores) + kLevels);
  click(310, 240);
  struct Step { int key, level, type, target; } steps[] = {
      {GLUT_KEY_RIGHT, 1, kRace, 7},       {GLUT_KEY_RIGHT, 2, kCaptureTheFlag, 4},
      {GLUT_KEY_RIGHT, 0, kDeathmatch, 10}, {GLUT_KEY_LEFT, 2, kCaptureTheFlag, 4},
      {GLUT_KEY_DOWN, 2, kDeathmatch, 10},  {GLUT_KEY_DOWN, 2, kBlinkMatch, 10},
      {GLUT_KEY_UP, 2, kDeathmatch, 10},    {GLUT_KEY_UP, 2, kCaptureTheFlag, 5}};
  for (const Step &s : steps) {
    arrow(s.key);
    EXPECT_EQ(make_tuple(currentLevel, gameType, maxScore), make_tuple(s.level, s.type, s.target))
        << "key " << s.key;
  }
}

TEST_F(Menus, ArrowsStopAfterOneCycleWhenNothingHasATarget) {
  writeFile("level.def", "nextlevel 0\nA\ndeathmatch 0\nnextlevel 1\nB\ndeathmatch 0\n");
  click(310, 240);
  arrow(GLUT_KEY_RIGHT);
  EXPECT_EQ(make_tuple(currentLevel, maxScore), make_tuple(0, 0));
  for (int &score : gameScores) score = 0;
  arrow(GLUT_KEY_UP);
  EXPECT_EQ(gameType, kDeathmatch);
}

TEST_F(Menus, TheListOffersOnlyTypesWithATargetAndGoStartsTheChosenOne) {
  writeFile("level.def", std::string(kNoTeamScores) + kLevels); // capture the flag moves down to row 1
  click(310, 240);
  click(400, 317);
  EXPECT_EQ(make_tuple(gameType, maxScore), make_tuple(kCaptureTheFlag, 5));
  click(420, 467);
  EXPECT_EQ(make_tuple(w().display, w().keyboard, w().special, std::string(SoundLastEffectAsked())),
            make_tuple(Display, Key, SpecialKey, std::string("CTF")));
}

TEST_F(Menus, SpaceAndTheEnterCodesStartAMatchButCarriageReturnDoesNot) {
  for (auto [key, starts] : {std::make_pair(13, false), std::make_pair(int{' '}, true),
                             std::make_pair(10, true), std::make_pair(3, true), std::make_pair(11, true)}) {
    glutDisplayFunc(TitleScreen);
    click(310, 240);
    press(static_cast<unsigned char>(key));
    EXPECT_EQ(w().display, starts ? Display : LevelSelect) << "code " << key;
  }
}

TEST_F(Menus, AnUnstableMatchFreezesTheNodesWhereTheyStand) {
  click(310, 240);
  arrow(GLUT_KEY_DOWN);
  arrow(GLUT_KEY_DOWN);
  blocks[0].h = 3, blocks[0].v = -1;
  press(' ');
  EXPECT_EQ(make_tuple(blocks[0].h1, blocks[0].v1, std::string(SoundLastEffectAsked())),
            make_tuple(3.0f, -1.0f, std::string("UnstableDeathmatch")));
}

TEST_F(Menus, EscapeFromTheLevelSelectIsAFullReset) {
  click(310, 240);
  arrow(GLUT_KEY_LEFT);
  press(kKeyEscape);
  EXPECT_EQ(make_tuple(w().display, w().keyboard, w().special, currentLevel, std::string(levelname)),
            make_tuple(TitleScreen, Key, SpecialKey, 0, std::string("Zero")));
}

// The preview fits the level's box; one the corner reach cancels, across or down, is shown at
// full size. The node's diamond, 0.01 in front of the level, tells the scale.
TEST_F(Menus, ThePreviewFitsTheLevelAndOneWithoutExtentsIsShownAtFullSize) {
  click(310, 240);
  struct Case { float left, right, bottom, top, scale; } cases[] = {
      {-10, 10, -10, 10, 6.5f / 22}, {1, -1, -10, 10, 1}, {-10, 10, 1, -1, 1}, {1, -1, 1, -1, 1}};
  for (const Case &c : cases) {
    levelLeft = c.left, levelRight = c.right, levelBottom = c.bottom, levelTop = c.top;
    frame();
    bool node = false;
    for (const HeadlessVertex &v : headlessVertices()) {
      ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
      node |= v.primitive == GL_QUADS && std::fabs(v.z - kViewZ + 0.01f * c.scale) < 1e-5f;
    }
    EXPECT_TRUE(node) << c.left << " " << c.bottom;
  }
}

// ---- Options and player setup ---------------------------------------------------------------------
TEST_F(Menus, OptionLinesAreChosenByAnyKey) {
  openOptions();
  hoverOption(9);
  press(' ');
  hoverOption(10);
  press('x');
  EXPECT_EQ(make_tuple(useFullScreen, soundMode), make_tuple(0, kSoundModeNone));
  hoverOption(5);
  press(' ');
  EXPECT_EQ(make_tuple(w().display, playerSelected), make_tuple(PlayerOptions, 2));
  glutDisplayFunc(Options);
  hoverOption(2);
  arrow(GLUT_KEY_RIGHT);
  EXPECT_EQ(w().display, PowerUpOptions);
  for (int ball : {-1, 6}) { // no such ball: back to the options
    glutDisplayFunc(PlayerOptions);
    playerSelected = ball;
    frame();
    EXPECT_EQ(w().display, Options) << ball;
  }
}

TEST_F(Menus, AResetStartsTheOptionsAgainAtTheirFirstLine) {
  openOptions();
  move(0, 0); // off the list: only the arrows choose
  arrow(GLUT_KEY_DOWN);
  ResetMenus();
  arrow(GLUT_KEY_DOWN);
  arrow(GLUT_KEY_DOWN);
  press(' ');
  EXPECT_EQ(w().display, PowerUpOptions);
}

TEST_F(Menus, CancelAndEscapeRestoreEverySettingAndLeaveThePreferencesUntouched) {
  writeFile("powerupsets.def", "powerupset Calm\npowerUpFreq 600\npowerUpAvail 1 2\n");
  const std::string before = readFile("prefs.def");
  for (bool escape : {false, true}) {
    openOptions();
    hoverOption(10);
    press(' ');
    openSetup(0);
    hoverSetup(3);
    press('Q');
    hoverSetup(4);
    arrow(GLUT_KEY_RIGHT);
    hoverSetup(0);
    press(' ');
    hoverOption(2);
    press(' ');
    hoverPowerUpLine(1);
    press(' ');
    EXPECT_EQ(std::string(powerUpSetName), "Calm");
    hoverPowerUpLine(0);
    press(' ');
    if (escape) {
      press(kKeyEscape);
    } else {
      hoverOption(1);
      press(' ');
    }
    EXPECT_EQ(readFile("prefs.def"), before);
    ASSERT_EQ(WritePrefsTo("now.def"), 0);
    EXPECT_EQ(readFile("now.def"), before) << (escape ? "Escape" : "Cancel");
    EXPECT_EQ(make_tuple(powerUpSetID, std::string(powerUpSetName), w().display, w().keyboard),
              make_tuple(0, std::string("Custom"), TitleScreen, Key));
  }
}

TEST_F(Menus, TypingOnTheNameLineReplacesTheNameUpTo63Characters) {
  struct Case { std::string keys, name; } cases[] = {
      {"abc", "abc"}, {std::string(70, 'x'), std::string(63, 'x')}, {"ab\b", "a"}, {"\b", ""},
      {"a\nb\rc", "abc"}, {"ab\x7f" "c", "ac"}};
  openOptions();
  openSetup(0);
  for (const Case &c : cases) {
    hoverSetup(2);
    hoverSetup(3); // becoming highlighted starts the name again
    for (char k : c.keys) press(static_cast<unsigned char>(k));
    EXPECT_EQ(std::string(players[0]->name), c.name);
  }
  hoverSetup(0); // and OK, OK: written to the preferences
  press(' ');
  hoverOption(0);
  press(' ');
  EXPECT_NE(readFile("prefs.def").find("\nac\n"), std::string::npos);
  EXPECT_EQ(make_tuple(std::string(players[0]->name), w().display),
            make_tuple(std::string("ac"), TitleScreen));
}

TEST_F(Menus, SizeAndSpriteStepAndWrapIntoRange) {
  struct Case { int line, key; float size; int sprite; float wantSize; int wantSprite; } cases[] = {
      {4, GLUT_KEY_RIGHT, 1.5f, 0, 0.1f, 0}, {4, GLUT_KEY_LEFT, 0.1f, 0, 0.1f, 0},
      {4, GLUT_KEY_RIGHT, 0.5f, 0, 0.6f, 0}, {5, GLUT_KEY_LEFT, 1, 0, 1, 16},
      {5, GLUT_KEY_RIGHT, 1, 16, 1, 0},      {5, GLUT_KEY_RIGHT, 1, 40, 1, 0},
      {5, GLUT_KEY_LEFT, 1, -3, 1, 0}};
  openOptions();
  openSetup(0);
  player *p = players[0];
  for (const Case &c : cases) {
    p->defaultSize = p->radius = c.size;
    p->sprite = c.sprite;
    hoverSetup(c.line);
    arrow(c.key);
    EXPECT_NEAR(p->defaultSize, c.wantSize, 1e-6f);
    EXPECT_EQ(make_tuple(p->radius, p->sprite), make_tuple(p->defaultSize, c.wantSprite));
  }
}

TEST_F(Menus, AKeyAnotherActiveBallOrTheGameUsesIsRefusedVisibly) {
  openOptions();
  openSetup(1);
  player *p = players[1];
  players[0]->active = 1, players[0]->key = 'k';
  players[2]->active = 0, players[2]->key = 'j';
  struct Case { int line; unsigned char key; bool refused; } cases[] = {
      {1, 'k', true}, {1, 'j', false}, {1, 'p', true}, {2, 'r', true}, {1, ' ', true},
      {1, 9, true},   {1, 'q', false}, {2, 'q', true}, {2, 'w', false}};
  for (const Case &c : cases) {
    hoverSetup(4); // a new line: no message left from the case before
    hoverSetup(c.line);
    const char before = c.line == 1 ? p->key : p->powerUpKey;
    const size_t quiet = headlessVertices().size();
    press(c.key);
    const char after = c.line == 1 ? p->key : p->powerUpKey;
    EXPECT_EQ(after, c.refused ? before : static_cast<char>(c.key)) << "key " << int(c.key);
    EXPECT_EQ(headlessVertices().size() > quiet, c.refused) << "message for key " << int(c.key);
  }
}

// ---- Power-up options ------------------------------------------------------------------------------
class PowerUpMenu : public Menus {
protected:
  void SetUp() override {
    Menus::SetUp();
    for (int &f : powerUpFrequency) f = 0;
    openOptions();
    hoverOption(2);
    press(' ');
  }
};

TEST_F(PowerUpMenu, MoreScrollsSixAtATimeAndBackToTheFirst) {
  const int firstShown[] = {1, 7, 13, 19, 25, 31, 37, 43, 1};
  for (int id : firstShown) {
    const int was = powerUpFrequency[id];
    click(100, 317); // the first row shown
    EXPECT_EQ(powerUpFrequency[id], was + 1) << "power-up " << id;
    w().mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 330 + kMenuLeft, 467); // More..., held for two frames
    frame();
    frame();
    w().mouse(GLUT_LEFT_BUTTON, GLUT_UP, 330 + kMenuLeft, 467);
  }
}

TEST_F(PowerUpMenu, UpFromOkSelectsTwiddleAndShowsIt) {
  hoverPowerUpLine(0);
  arrow(GLUT_KEY_UP);
  arrow(GLUT_KEY_RIGHT);
  click(100, 442); // the sixth row shown
  EXPECT_EQ(powerUpFrequency[kPowerTwiddle], 2);
  arrow(GLUT_KEY_DOWN);
  press(' ');
  EXPECT_EQ(w().display, Options);
}

TEST_F(PowerUpMenu, FrequenciesStepAndWrapWithoutOverflowAndShowZeroOnlyWhenOff) {
  const int right = GLUT_KEY_RIGHT, left = GLUT_KEY_LEFT;
  struct Case { int line, start, key, presses, want; } cases[] = {
      {2, 301, right, 5, 1}, {2, 301, right, 6, 600}, {2, 60, right, 1, 0},  {2, 0, right, 1, 600},
      {2, 600, left, 1, 0},  {2, 0, left, 1, 60},     {2, INT_MAX, left, 1, (INT_MAX % 660 + 60) % 660},
      {2, INT_MIN, right, 1, 600}, {3, 9, right, 1, 0}, {3, 0, left, 1, 0}, {3, 4, left, 1, 3},
      {3, INT_MAX, right, 1, 8}};
  for (const Case &c : cases) {
    int &value = c.line == 2 ? powerUpInfrequency : powerUpFrequency[kPowerNormalGravity];
    if (c.line == 2)
      hoverPowerUpLine(2);
    else
      hover(100, 317); // the first row: power-up 1, line 3
    value = c.start;
    for (int i = 0; i < c.presses; i++) arrow(c.key);
    EXPECT_EQ(value, c.want) << "line " << c.line << " from " << c.start;
  }
  for (auto [value, shown] : {std::make_pair(0, 0), std::make_pair(60, 10), std::make_pair(600, 1),
                              std::make_pair(301, 5), std::make_pair(1, 10), std::make_pair(540, 2)})
    EXPECT_EQ(OverallFrequencyShown(value), shown) << value;
}

TEST_F(PowerUpMenu, TheSetLineGoesRoundTheSetsWithoutFillingTheBag) {
  writeFile("powerupsets.def", "powerupset Calm\npowerUpFreq 600\npowerUpAvail 1 2\n"
                               "powerupset Wild\npowerUpFreq 60\npowerUpAvail 1 9\n");
  hoverPowerUpLine(1);
  struct Want { int id; const char *name; int frequency, infrequency; } wants[] = {
      {1, "Calm", 2, 600}, {2, "Wild", 9, 60}, {0, "None", 9, 60}};
  for (const Want &want : wants) {
    arrow(GLUT_KEY_RIGHT);
    EXPECT_EQ(make_tuple(powerUpSetID, std::string(powerUpSetName), powerUpFrequency[1],
                         powerUpInfrequency),
              make_tuple(want.id, std::string(want.name), want.frequency, want.infrequency));
  }
  for (int i = 0; i < 30; i++) press('x');
  EXPECT_LE(powerUpsInList, 9);
}

// ---- Help and credits ------------------------------------------------------------------------------
class HelpMenu : public Menus {
protected:
  void SetUp() override {
    Menus::SetUp();
    click(460, 400);
  }
  // The page turns at the end of the frame that sees the arrow; the next frame shows it.
  void turn(int key) {
    arrow(key);
    frame();
  }
  bool demoNode() { return drew(2.5f, 0.25f, 0, GL_QUADS); }
  bool rope() { return drew(3.5f, 0, -5, GL_LINES); }
};

TEST_F(HelpMenu, ArrowsTurnThePagesWithinTheFirstAndTheLast) {
  frame();
  EXPECT_TRUE(demoNode());
  for (int i = 0; i < 4; i++) turn(GLUT_KEY_RIGHT);
  const size_t lastPage = headlessVertices().size();
  turn(GLUT_KEY_RIGHT);
  EXPECT_EQ(make_tuple(headlessVertices().size(), demoNode()), make_tuple(lastPage, false));
  for (int i = 0; i < 4; i++) turn(GLUT_KEY_LEFT);
  EXPECT_TRUE(demoNode());
  turn(GLUT_KEY_LEFT);
  EXPECT_TRUE(demoNode());
  turn(GLUT_KEY_RIGHT);
  EXPECT_TRUE(drew(4.0f, -1.1f, 0, GL_QUADS)); // page 1's wall
}

TEST_F(HelpMenu, TheFirstLeadersKeyTogglesTheRopeOnAnyPage) {
  const unsigned char key = static_cast<unsigned char>(teamLeaders[0]->key);
  press(key);
  EXPECT_TRUE(rope());
  turn(GLUT_KEY_RIGHT);
  press(key);
  turn(GLUT_KEY_LEFT);
  EXPECT_FALSE(rope());
}

TEST_F(HelpMenu, EscapeReadsThePreferencesAgainAndReturnsToTheTitle) {
  std::strcpy(players[0]->name, "Changed");
  press(kKeyEscape);
  EXPECT_EQ(make_tuple(std::string(players[0]->name), w().display, w().keyboard, w().special),
            make_tuple(std::string("Red"), TitleScreen, Key, SpecialKey));
}
