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
using std::string;

namespace {

// Three levels; the "scores" line before them is read with every level.
const char kScores[] = "scores 10 10 5 10 5000 5 3000 2000 30 10 10 10\n";
const char kNoTeamScores[] = "scores 10 0 5 10 5000 5 3000 2000 30 7 10 10\n";
const char kLevels[] = "nextlevel 0\nZero\nlevel -10 10 5 -5\ndeathmatch 10\nblock 0 0\n"
                       "nextlevel 1\nOne\nlevel -5 5 5 -5\nrace 7\nblock 1 1\n"
                       "nextlevel 2\nTwo\nlevel -5 5 5 -5\nctf 4\nblock 2 2\n";

constexpr int kMenuLeft = 80;   // an 800 x 480 window shows the 640 x 480 menu centred across
constexpr float kViewZ = -9.2f; // the window routine puts the menus' plane this far away

} // namespace

class Menus : public World {
protected:
  void SetUp() override {
    World::SetUp();
    writeFile("level.def", string(kScores) + kLevels);
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
    for (int from : {1, 0}) {
      w().passiveMotion(h + from + kMenuLeft, v);
      frame();
    }
  }
  // Menu rows: the options from 180, the player setup from 230, the power-up top lines from 205.
  void hoverSetup(int line) { hover(330, 242 + 25 * line); }
  void hoverPowerUpLine(int line) { hover(330, 217 + 25 * line); }
  void openOptions() { click(310, 385); }
  void chooseOption(int line, unsigned char key = ' ') {
    hover(330, 192 + 25 * line);
    press(key);
  }
};

// ---- Title --------------------------------------------------------------------------------------
TEST_F(Menus, TitleTargetsAreCirclesOf60MenuPixels) {
  for (auto [h, v, screen] : {make_tuple(130, 240, Display), make_tuple(310, 240, LevelSelect),
                              make_tuple(130, 385, CreditsView), make_tuple(310, 385, Options),
                              make_tuple(460, 400, HelpView)}) {
    for (auto [dh, dv, acts] : {make_tuple(60, 0, false), make_tuple(43, 42, false),
                                make_tuple(0, -59, true), make_tuple(42, 42, true)}) {
      glutDisplayFunc(TitleScreen);
      click(h + dh, v + dv);
      EXPECT_EQ(w().display, acts ? screen : TitleScreen) << h << "," << v << " +" << dh;
    }
  }
}

// Arcade plays the current level as a deathmatch; the credits load no level, even when the
// last file read was the preferences.
TEST_F(Menus, ArcadeAndCreditsLoadTheirLevels) {
  currentLevel = 1; // a race level
  click(130, 240);
  EXPECT_EQ(make_tuple(string(levelname), gameType, arcadeMode, w().keyboard),
            make_tuple(string("One"), kDeathmatch, 1, Key));
  glutDisplayFunc(TitleScreen);
  ReadPrefs(); // leaves numLevels at -1
  click(130, 385);
  EXPECT_EQ(make_tuple(currentLevel, blockNum, w().keyboard), make_tuple(3, -1, HelpKey));
}

TEST_F(Menus, AClickActsOnceAndADragOntoAButtonDoesNothing) {
  w().mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 320 + kMenuLeft, 60); // no button there
  frame();
  // The next screen must not draw with the title picture.
  EXPECT_EQ(make_tuple(headlessEnabled(GL_TEXTURE_2D), w().boundTexture),
            make_tuple(false, kTexSprites));
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

// ---- Level select -------------------------------------------------------------------------------
// Left and right step the level, up and down the game type; team deathmatch has no target.
TEST_F(Menus, ArrowsCycleLevelsAndGameTypesSkippingThoseWithoutATarget) {
  writeFile("level.def", string(kNoTeamScores) + kLevels);
  click(310, 240);
  const int right = GLUT_KEY_RIGHT, left = GLUT_KEY_LEFT, up = GLUT_KEY_UP, down = GLUT_KEY_DOWN;
  const std::tuple<int, int, int, int> steps[] = {
      {right, 1, kRace, 7},          {right, 2, kCaptureTheFlag, 4}, {right, 0, kDeathmatch, 10},
      {left, 2, kCaptureTheFlag, 4}, {down, 2, kDeathmatch, 10},     {down, 2, kBlinkMatch, 10},
      {up, 2, kDeathmatch, 10},      {up, 2, kCaptureTheFlag, 5}};
  for (auto [key, level, type, target] : steps) {
    arrow(key);
    EXPECT_EQ(make_tuple(currentLevel, gameType, maxScore), make_tuple(level, type, target))
        << "key " << key;
  }
  writeFile("level.def", "nextlevel 0\nA\ndeathmatch 0\nnextlevel 1\nB\ndeathmatch 0\n");
  currentLevel = 0;
  ReadLevelFile(defaultLevels);
  arrow(GLUT_KEY_RIGHT); // nothing has a target: one cycle, and back
  EXPECT_EQ(make_tuple(currentLevel, maxScore), make_tuple(0, 0));
  for (int &score : gameScores)
    score = 0;
  arrow(GLUT_KEY_UP);
  EXPECT_EQ(gameType, kDeathmatch);
}

// Without team deathmatch the unstable match moves down to row 8; starting one freezes the nodes
// where they stand.
TEST_F(Menus, TheListOffersOnlyTypesWithATargetAndGoStartsTheChosenOne) {
  writeFile("level.def", string(kNoTeamScores) + kLevels);
  click(310, 240);
  click(400, 142);
  EXPECT_EQ(make_tuple(gameType, maxScore), make_tuple(kUnstableMatch, 7));
  blocks[0].h = 3, blocks[0].v = -1;
  click(420, 467);
  EXPECT_EQ(make_tuple(w().display, w().keyboard, w().special, string(SoundLastEffectAsked())),
            make_tuple(Display, Key, SpecialKey, string("UnstableDeathmatch")));
  EXPECT_EQ(make_tuple(blocks[0].h1, blocks[0].v1), make_tuple(3.0f, -1.0f));
}

// Space and the codes some keyboards send for Enter start a match, 13 does not; Escape resets.
TEST_F(Menus, LevelSelectKeysStartAMatchOrGoBackToTheTitle) {
  for (auto [key, screen] : {make_tuple(13, LevelSelect), make_tuple(int{' '}, Display),
                             make_tuple(10, Display), make_tuple(3, Display),
                             make_tuple(11, Display), make_tuple(int{kKeyEscape}, TitleScreen)}) {
    glutDisplayFunc(TitleScreen);
    click(310, 240);
    arrow(GLUT_KEY_LEFT);
    press(static_cast<unsigned char>(key));
    EXPECT_EQ(w().display, screen) << "code " << key;
  }
  EXPECT_EQ(make_tuple(w().keyboard, w().special, currentLevel, string(levelname)),
            make_tuple(Key, SpecialKey, 0, string("Zero")));
}

// The preview fits the level's box; one the corner reach cancels, across or down, is shown at
// full size. The node's diamond, 0.01 in front of the level, tells the scale.
TEST_F(Menus, ThePreviewFitsTheLevelAndOneWithoutExtentsIsShownAtFullSize) {
  click(310, 240);
  for (auto [left, right, bottom, top, scale] :
       {make_tuple(-10, 10, -10, 10, 6.5f / 22), make_tuple(1, -1, -10, 10, 1.f),
        make_tuple(-10, 10, 1, -1, 1.f)}) {
    levelLeft = left, levelRight = right, levelBottom = bottom, levelTop = top;
    frame();
    bool node = false;
    for (const HeadlessVertex &v : headlessVertices()) {
      ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y));
      node |= v.primitive == GL_QUADS && std::fabs(v.z - kViewZ + 0.01f * scale) < 1e-5f;
    }
    EXPECT_TRUE(node) << left << " " << bottom;
  }
}

// ---- Options and player setup -------------------------------------------------------------------
TEST_F(Menus, OptionLinesAreChosenByAnyKeyAndAResetStartsAgainAtTheFirst) {
  openOptions();
  chooseOption(9);
  chooseOption(10, 'x');
  EXPECT_EQ(make_tuple(useFullScreen, soundMode), make_tuple(0, kSoundModeNone));
  chooseOption(5);
  EXPECT_EQ(make_tuple(w().display, playerSelected), make_tuple(PlayerOptions, 2));
  for (int ball : {-1, 6}) { // no such ball: back to the options
    glutDisplayFunc(PlayerOptions);
    playerSelected = ball;
    frame();
    EXPECT_EQ(w().display, Options) << ball;
  }
  hover(0, 0); // off the list: only the arrows choose
  arrow(GLUT_KEY_DOWN);
  ResetMenus();
  arrow(GLUT_KEY_DOWN);
  arrow(GLUT_KEY_DOWN);
  arrow(GLUT_KEY_RIGHT);
  EXPECT_EQ(w().display, PowerUpOptions);
}

TEST_F(Menus, CancelAndEscapeRestoreEverySettingAndLeaveThePreferencesUntouched) {
  writeFile("powerupsets.def", "powerupset Calm\npowerUpFreq 600\npowerUpAvail 1 2\n");
  const string before = readFile("prefs.def");
  for (bool escape : {false, true}) {
    openOptions();
    chooseOption(10);
    chooseOption(3);
    hoverSetup(3);
    press('Q');
    hoverSetup(4);
    arrow(GLUT_KEY_RIGHT);
    hoverSetup(0);
    press(' ');
    chooseOption(2);
    hoverPowerUpLine(1);
    press(' ');
    EXPECT_EQ(string(powerUpSetName), "Calm");
    hoverPowerUpLine(0);
    press(' ');
    chooseOption(escape ? 0 : 1, escape ? kKeyEscape : ' '); // Escape even on OK
    EXPECT_EQ(readFile("prefs.def"), before);
    ASSERT_EQ(WritePrefsTo("now.def"), 0);
    EXPECT_EQ(readFile("now.def"), before) << (escape ? "Escape" : "Cancel");
    EXPECT_EQ(make_tuple(powerUpSetID, string(powerUpSetName), w().display, w().keyboard),
              make_tuple(0, string("Custom"), TitleScreen, Key));
  }
}

// Typing replaces the name, up to 63 characters; size and sprite step and wrap into range; a key
// another active ball or the game uses is refused, with a message.
TEST_F(Menus, PlayerSetupLinesEditTheBallAndOkWritesThePreferences) {
  openOptions();
  chooseOption(3);
  player *p = players[0];
  const string x70(70, 'x'), x63(63, 'x');
  const std::pair<string, string> names[] = {
      {"abc", "abc"}, {x70, x63}, {"\b", ""}, {"a\nb\rc", "abc"}, {"ab\177c", "ac"}};
  for (const auto &[keys, name] : names) {
    hoverSetup(2);
    hoverSetup(3); // becoming highlighted starts the name again
    for (char k : keys)
      press(static_cast<unsigned char>(k));
    EXPECT_EQ(string(p->name), name);
  }
  const int right = GLUT_KEY_RIGHT, left = GLUT_KEY_LEFT;
  const std::tuple<int, int, float, int, float, int> steps[] = {
      {4, right, 1.5f, 0, 0.1f, 0}, {4, left, 0.1f, 0, 0.1f, 0}, {4, right, 0.5f, 0, 0.6f, 0},
      {5, left, 1, 0, 1, 16},       {5, right, 1, 16, 1, 0},     {5, right, 1, 40, 1, 0},
      {5, left, 1, -3, 1, 0}};
  for (auto [line, key, size, sprite, wantSize, wantSprite] : steps) {
    p->defaultSize = p->radius = size;
    p->sprite = sprite;
    hoverSetup(line);
    arrow(key);
    EXPECT_NEAR(p->defaultSize, wantSize, 1e-6f);
    EXPECT_EQ(make_tuple(p->radius, p->sprite), make_tuple(p->defaultSize, wantSprite));
  }
  players[1]->active = 1, players[1]->key = 'k';
  players[2]->active = 0, players[2]->key = 'j';
  for (auto [line, key, refused] :
       {make_tuple(1, 'k', true), make_tuple(1, 'j', false), make_tuple(1, 'p', true),
        make_tuple(2, 'r', true), make_tuple(1, ' ', true), make_tuple(1, '\t', true),
        make_tuple(1, 'q', false), make_tuple(2, 'q', true), make_tuple(2, 'w', false)}) {
    hoverSetup(4); // a new line: no message left from the case before
    hoverSetup(line);
    char &set = line == 1 ? p->key : p->powerUpKey;
    const char before = set;
    const size_t quiet = headlessVertices().size();
    press(static_cast<unsigned char>(key));
    EXPECT_EQ(set, refused ? before : key) << "key " << int(key);
    EXPECT_EQ(headlessVertices().size() > quiet, refused) << "message for key " << int(key);
  }
  hoverSetup(0); // and OK, OK: written to the preferences
  press(' ');
  chooseOption(0);
  EXPECT_NE(readFile("prefs.def").find("\nac\n"), string::npos);
  EXPECT_EQ(make_tuple(string(p->name), w().display), make_tuple(string("ac"), TitleScreen));
}

// ---- Power-up options ---------------------------------------------------------------------------
class PowerUpMenu : public Menus {
protected:
  void SetUp() override {
    Menus::SetUp();
    openOptions();
    chooseOption(2);
  }
};

// More scrolls six at a time and back to the first; up from OK is the last, scrolled into view.
TEST_F(PowerUpMenu, MoreScrollsAndTheSelectionIsKeptShown) {
  for (int id : {1, 7, 13, 19, 25, 31, 37, 43, 1}) {
    const int was = powerUpFrequency[id];
    click(100, 317); // the first row shown
    EXPECT_EQ(powerUpFrequency[id], was + 1) << "power-up " << id;
    w().mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 330 + kMenuLeft, 467); // More..., held for two frames
    frame();
    frame();
    w().mouse(GLUT_LEFT_BUTTON, GLUT_UP, 330 + kMenuLeft, 467);
  }
  powerUpFrequency[kPowerTwiddle] = 0;
  hoverPowerUpLine(0);
  arrow(GLUT_KEY_UP);
  arrow(GLUT_KEY_RIGHT);
  click(100, 442); // the sixth row shown
  EXPECT_EQ(powerUpFrequency[kPowerTwiddle], 2);
  arrow(GLUT_KEY_DOWN);
  press(' ');
  EXPECT_EQ(w().display, Options);
}

// The overall line counts ticks between power-ups in steps of 60, shown as 1 (600) to 10; 0 is
// off. A power-up's own line steps 0..9.
TEST_F(PowerUpMenu, FrequenciesStepAndWrapWithoutOverflowAndShowZeroOnlyWhenOff) {
  const int right = GLUT_KEY_RIGHT, left = GLUT_KEY_LEFT;
  for (auto [line, start, key, want] :
       {make_tuple(2, 60, right, 0), make_tuple(2, 0, right, 600), make_tuple(2, 600, left, 0),
        make_tuple(2, 0, left, 60), make_tuple(2, INT_MAX, left, (INT_MAX % 660 + 60) % 660),
        make_tuple(2, INT_MIN, right, 600), make_tuple(3, 9, right, 0), make_tuple(3, 0, left, 0),
        make_tuple(3, 4, left, 3), make_tuple(3, INT_MAX, right, 8)}) {
    int &value = line == 2 ? powerUpInfrequency : powerUpFrequency[kPowerNormalGravity];
    hover(line == 2 ? 330 : 100, line == 2 ? 267 : 317); // the overall line, or power-up 1's
    value = start;
    arrow(key);
    EXPECT_EQ(value, want) << "line " << line << " from " << start;
  }
  for (auto [value, shown] : {make_tuple(0, 0), make_tuple(60, 10), make_tuple(600, 1),
                              make_tuple(301, 5), make_tuple(-5, 10)})
    EXPECT_EQ(OverallFrequencyShown(value), shown) << value;
}

TEST_F(PowerUpMenu, TheSetLineGoesRoundTheSetsWithoutFillingTheBag) {
  writeFile("powerupsets.def", "powerupset Calm\npowerUpFreq 600\npowerUpAvail 1 2\n"
                               "powerupset Wild\npowerUpFreq 60\npowerUpAvail 1 9\n");
  hoverPowerUpLine(1);
  for (auto [id, name, frequency, infrequency] :
       {make_tuple(1, "Calm", 2, 600), make_tuple(2, "Wild", 9, 60),
        make_tuple(0, "None", 9, 60)}) {
    arrow(GLUT_KEY_RIGHT);
    EXPECT_EQ(
        make_tuple(powerUpSetID, string(powerUpSetName), powerUpFrequency[1], powerUpInfrequency),
        make_tuple(id, string(name), frequency, infrequency));
  }
  for (int i = 0; i < 30; i++)
    press('x');
  EXPECT_LE(powerUpsInList, 9);
}

// ---- Help ---------------------------------------------------------------------------------------
// Page 0 shows a node and, while the first leader's key has it on, a rope to it; page 1 a wall.
TEST_F(Menus, HelpPagesTurnWithinTheFirstAndTheLastAndTheLeadersKeyTogglesTheRope) {
  click(460, 400);
  const unsigned char key = static_cast<unsigned char>(teamLeaders[0]->key);
  auto turn = [&](int arrowKey, int pages = 1) { // a page turns after the frame that sees the arrow
    for (int i = 0; i < pages; i++) {
      arrow(arrowKey);
      frame();
    }
  };
  auto demo = [&] {
    return make_tuple(drew(2.5f, 0.25f, 0, GL_QUADS), drew(3.5f, 0, -5, GL_LINES));
  };
  frame();
  EXPECT_EQ(demo(), make_tuple(true, false));
  press(key);
  EXPECT_EQ(demo(), make_tuple(true, true));
  turn(GLUT_KEY_LEFT);
  turn(GLUT_KEY_RIGHT);
  EXPECT_TRUE(drew(4.0f, -1.1f, 0, GL_QUADS)); // the wall
  press(key);                                  // off again, from another page
  turn(GLUT_KEY_RIGHT, 3);
  const size_t lastPage = headlessVertices().size();
  turn(GLUT_KEY_RIGHT);
  EXPECT_EQ(make_tuple(headlessVertices().size(), std::get<0>(demo())),
            make_tuple(lastPage, false));
  turn(GLUT_KEY_LEFT, 4);
  EXPECT_EQ(demo(), make_tuple(true, false));
  std::strcpy(players[0]->name, "Changed");
  press(kKeyEscape); // the preferences read again
  EXPECT_EQ(make_tuple(string(players[0]->name), w().display, w().keyboard, w().special),
            make_tuple(string("Red"), TitleScreen, Key, SpecialKey));
}
