// The menu screens driven as a player drives them, one display frame after each input.
#include "inclGL.h"
#include "world_fixture.h"

#include <climits>
#include <tuple>

using std::make_tuple;
using std::string;

// Three levels, and the targets read with each: team deathmatch, the second, has none.
const char kLevels[] = "scores 10 0 5 10 5000 5 3000 2000 30 7 10 10\n"
                       "nextlevel 0\nZero\nlevel -10 10 5 -5\ndeathmatch 10\nblock 0 0\n"
                       "nextlevel 1\nOne\nlevel -5 5 5 -5\nrace 7\nblock 1 1\n"
                       "nextlevel 2\nTwo\nlevel -5 5 5 -5\nctf 4\nblock 2 2\n";

constexpr int kMenuLeft = 80;   // an 800 x 480 window shows the 640 x 480 menu centred across
constexpr float kViewZ = -9.2f; // the window routine puts the menus' plane this far away
constexpr int kLeft = GLUT_KEY_LEFT, kRight = GLUT_KEY_RIGHT, kUp = GLUT_KEY_UP;
constexpr int kDown = GLUT_KEY_DOWN;

static bool near(float a, float b) { return std::isnan(b) || std::fabs(a - b) < 1e-4f; }

class Menus : public World {
protected:
  void SetUp() override {
    World::SetUp();
    writeFile("level.def", kLevels);
    roster();
    StartupReads(true); // prefs.def now holds the start-up settings
    ReadLevelFile(defaultLevels);
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
  // Whether the last frame drew a vertex of the primitive at depth z and (x, y), any for NAN.
  bool drew(float x, float y, float z, unsigned primitive) {
    for (const HeadlessVertex &v : headlessVertices())
      if (v.primitive == primitive && near(v.x, x) && near(v.y, y) && near(v.z, z + kViewZ))
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
  // Menu rows: the options from 180, the player setup from 230.
  void hoverSetup(int line) { hover(330, 242 + 25 * line); }
  void openOptions() { click(310, 385); }
  void chooseOption(int line, unsigned char key = ' ') {
    hover(330, 192 + 25 * line);
    press(key);
  }
};

// A click in a target's circle (60 menu pixels) opens its screen, without the title picture; a
// drag onto one does nothing. Arcade plays the level as a deathmatch, the credits load none.
TEST_F(Menus, EachTitleTargetOpensItsScreenAndADragOntoOneDoesNothing) {
  w().mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 190 + kMenuLeft, 240); // just outside Arcade's circle
  frame();
  w().motion(310 + kMenuLeft, 240); // held onto Play
  frame();
  EXPECT_EQ(w().display, TitleScreen);
  for (auto [h, v, screen] : {make_tuple(310, 240, LevelSelect), make_tuple(310, 385, Options),
                              make_tuple(460, 400, HelpView), make_tuple(130, 240, Display)}) {
    glutDisplayFunc(TitleScreen);
    currentLevel = 1; // a race level
    click(h + 42, v - 42);
    EXPECT_EQ(make_tuple(w().display, headlessEnabled(GL_TEXTURE_2D), w().boundTexture),
              make_tuple(screen, false, kTexSprites));
  }
  EXPECT_EQ(make_tuple(string(levelname), gameType, arcadeMode, w().keyboard),
            make_tuple(string("One"), kDeathmatch, 1, Key));
  glutDisplayFunc(TitleScreen);
  ReadPrefs(); // leaves numLevels at -1
  click(130, 385);
  EXPECT_EQ(make_tuple(w().display, currentLevel, blockNum, w().keyboard),
            make_tuple(CreditsView, 3, -1, HelpKey));
}

TEST_F(Menus, QuitEndsTheGameWithStatusZero) {
  EXPECT_EXIT(click(490, 240), testing::ExitedWithCode(0), "");
}

// Arrows and the list skip game types without a target (the unstable match is row 8); a level
// without width is previewed at full size (its diamond 0.01 in front). Go, space and the Enter
// codes start a match, 13 does not; Escape resets. With no target at all the arrows go round once.
TEST_F(Menus, LevelSelectSkipsTypesWithoutATargetAndStartsTheChosenOne) {
  click(310, 240);
  const std::tuple<int, int, int, int> steps[] = {
      {kLeft, 2, kCaptureTheFlag, 4}, {kRight, 0, kDeathmatch, 10}, {kDown, 0, kBlinkMatch, 10},
      {kUp, 0, kDeathmatch, 10},      {kUp, 0, kCaptureTheFlag, 5}, {kDown, 0, kDeathmatch, 10}};
  for (auto [key, level, type, target] : steps) {
    arrow(key);
    EXPECT_EQ(make_tuple(currentLevel, gameType, maxScore), make_tuple(level, type, target));
  }
  levelLeft = 1, levelRight = -1;
  frame();
  EXPECT_TRUE(drew(NAN, NAN, -0.01f, GL_QUADS));
  click(400, 142);
  press(13);
  EXPECT_EQ(make_tuple(w().display, gameType, maxScore),
            make_tuple(LevelSelect, kUnstableMatch, 7));
  blocks[0].h = 3, blocks[0].v = -1;
  click(420, 467);
  EXPECT_EQ(make_tuple(w().display, w().keyboard, w().special, string(SoundLastEffectAsked())),
            make_tuple(Display, Key, SpecialKey, string("UnstableDeathmatch")));
  EXPECT_EQ(make_tuple(blocks[0].h1, blocks[0].v1), make_tuple(3.0f, -1.0f));
  for (unsigned char key : {' ', '\n', '\3'}) {
    glutDisplayFunc(LevelSelect);
    LevelKeys(key, 0, 0);
    EXPECT_EQ(w().display, Display) << "code " << int(key);
  }
  SpecialLevelSelectKey(GLUT_KEY_LEFT, 0, 0);
  LevelKeys(kKeyEscape, 0, 0);
  EXPECT_EQ(make_tuple(w().display, w().keyboard, w().special, currentLevel, string(levelname)),
            make_tuple(TitleScreen, Key, SpecialKey, 0, string("Zero")));
  writeFile("level.def", "nextlevel 0\nA\ndeathmatch 0\nnextlevel 1\nB\ndeathmatch 0\n");
  ReadLevelFile(defaultLevels);
  SpecialLevelSelectKey(GLUT_KEY_RIGHT, 0, 0);
  EXPECT_EQ(make_tuple(currentLevel, maxScore), make_tuple(0, 0));
  std::fill(std::begin(gameScores), std::end(gameScores), 0);
  SpecialLevelSelectKey(GLUT_KEY_UP, 0, 0);
  EXPECT_EQ(gameType, kDeathmatch);
}

// Cancel and Escape (even on OK) put back the screen mode, the sound and the power-up set, and
// leave the preferences file alone.
TEST_F(Menus, CancelAndEscapeRestoreEverySettingAndLeaveThePreferencesUntouched) {
  writeFile("powerupsets.def", "powerupset Calm\npowerUpFreq 600\npowerUpAvail 1 2\n");
  const string before = readFile("prefs.def");
  for (bool escape : {false, true}) {
    openOptions();
    chooseOption(10, 'x'); // any key chooses a line
    arrow(GLUT_KEY_UP);    // and the arrows move on from it: the screen mode
    press(' ');
    EXPECT_EQ(make_tuple(useFullScreen, soundMode), make_tuple(0, kSoundModeNone));
    chooseOption(2);
    hover(330, 242);    // the power-up set line
    press(' ');         // the set Calm, its choice only remembered
    arrow(GLUT_KEY_UP); // to OK
    press(' ');
    chooseOption(escape ? 0 : 1, escape ? kKeyEscape : ' ');
    EXPECT_EQ(readFile("prefs.def"), before);
    ASSERT_EQ(WritePrefsTo("now.def"), 0);
    EXPECT_EQ(readFile("now.def"), before) << (escape ? "Escape" : "Cancel");
    EXPECT_EQ(make_tuple(powerUpSetID, string(powerUpSetName), w().display, w().keyboard),
              make_tuple(0, string("Custom"), TitleScreen, Key));
  }
}

// Typing replaces the name, up to 63 characters; size and sprite wrap into range; a key another
// active ball or the game uses is refused, with a message. OK, OK writes; no such ball goes back.
TEST_F(Menus, PlayerSetupLinesEditTheBallAndOkWritesThePreferences) {
  openOptions();
  chooseOption(3);
  player *p = players[0];
  const std::pair<string, string> names[] = {
      {string(70, 'x'), string(63, 'x')}, {"\b", ""}, {"a\nb\rc", "abc"},
      {"team 2!", "team !"}, // read back, "team 2" would be a statement, not a name
      {"ab\177c", "ac"}};
  for (const auto &[keys, name] : names) {
    hoverSetup(2);
    hoverSetup(3); // becoming highlighted starts the name again
    for (char k : keys)
      press(static_cast<unsigned char>(k));
    EXPECT_EQ(string(p->name), name);
  }
  const std::tuple<int, int, float, int, float, int> steps[] = {
      {4, kRight, 1.5f, 0, 0.1f, 0}, {4, kLeft, 0.1f, 0, 0.1f, 0}, {4, kRight, 0.5f, 0, 0.6f, 0},
      {5, kLeft, 1, 0, 1, 16},       {5, kRight, 1, 16, 1, 0},     {5, kLeft, 1, -3, 1, 0}};
  for (auto [line, key, size, sprite, wantSize, wantSprite] : steps) {
    p->defaultSize = p->radius = size;
    p->sprite = sprite;
    hoverSetup(line);
    arrow(key);
    EXPECT_EQ(make_tuple(p->defaultSize, p->radius, p->sprite),
              make_tuple(wantSize, wantSize, wantSprite));
  }
  players[1]->active = 1, players[1]->key = 'k';
  players[2]->active = 0, players[2]->key = 'j';
  for (auto [line, key, refused] :
       {make_tuple(1, 'k', true), make_tuple(1, 'j', false), make_tuple(1, 'p', true),
        make_tuple(1, ' ', true), make_tuple(1, 'q', false), make_tuple(2, 'q', true)}) {
    hoverSetup(4); // a new line: no message left from the case before
    hoverSetup(line);
    char &set = line == 1 ? p->key : p->powerUpKey;
    const char before = set;
    const size_t quiet = headlessVertices().size();
    press(static_cast<unsigned char>(key));
    EXPECT_EQ(set, refused ? before : key) << "key " << int(key);
    EXPECT_EQ(headlessVertices().size() > quiet, refused) << "message for key " << int(key);
  }
  hoverSetup(0);
  press(' ');
  chooseOption(0);
  EXPECT_NE(readFile("prefs.def").find("\nac\n"), string::npos);
  EXPECT_EQ(make_tuple(string(p->name), w().display), make_tuple(string("ac"), TitleScreen));
  for (int ball : {-1, 6}) { // no such ball: back to the options
    glutDisplayFunc(PlayerOptions);
    playerSelected = ball;
    frame();
    EXPECT_EQ(w().display, Options) << ball;
  }
}

// A key two balls share, or one the game keeps, is told on loading the preferences, naming the
// file, and in red under the options lines.
TEST_F(Menus, KeyClashesAreToldOnLoadingAndInRedOnTheOptions) {
  const char distinct[] = "zae4bgi801" "69";
  const std::tuple<int, char, char, const char *> cases[] = {
      {3, 'i', 'a', "prefs.def: Red and Purple share the key A: one press works both"},
      {1, 'p', '4', "prefs.def: Yellow's key P is a game key"},
      {4, '1', '1', "prefs.def: Green uses 1 for both its keys"},
      {5, '6', '9', nullptr}};
  for (auto [ball, key, powerUpKey, told] : cases) {
    for (int i = 0; i < kRosterSize; i++)
      players[i]->key = distinct[2 * i], players[i]->powerUpKey = distinct[2 * i + 1];
    players[ball]->key = key, players[ball]->powerUpKey = powerUpKey;
    ASSERT_EQ(WritePrefsTo("prefs.def"), 0);
    players[ball]->key = players[ball]->powerUpKey = 'x'; // the file must set them again
    ForgetReaderWarnings();
    testing::internal::CaptureStderr();
    ReadPrefs();
    const string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(err.find(told ? told : "prefs.def:") != string::npos, told != nullptr) << err;
    openOptions();
    frame();
    const auto &drawn = headlessVertices();
    EXPECT_EQ(std::any_of(drawn.begin(), drawn.end(),
                          [](const HeadlessVertex &v) {
                            return v.color[0] == 1 && near(v.color[1], 0.4f) && near(v.color[2], 0.3f);
                          }),
              told != nullptr)
        << ball;
    press(kKeyEscape);
  }
}

// Sets go round without filling the bag; the overall line steps ticks between power-ups by 60,
// shown as 1 (600) to 10, 0 off; a power-up's line steps 0..9; More scrolls six, once per press.
TEST_F(Menus, PowerUpSetsAndFrequenciesWrapWithoutOverflowAndMoreScrollsOnce) {
  writeFile("powerupsets.def", "powerupset Calm\npowerUpFreq 600\npowerUpAvail 1 2\n"
                               "powerupset Wild\npowerUpFreq 60\npowerUpAvail 1 9\n");
  openOptions();
  chooseOption(2);
  hover(330, 242); // the set line
  for (auto [id, name, infrequency] :
       {make_tuple(1, "Calm", 600), make_tuple(2, "Wild", 60), make_tuple(0, "None", 60)}) {
    arrow(kRight);
    EXPECT_EQ(make_tuple(powerUpSetID, string(powerUpSetName), powerUpInfrequency),
              make_tuple(id, string(name), infrequency));
  }
  EXPECT_LE(powerUpsInList, 9);
  const std::tuple<int, int, int, int> steps[] = {
      {2, 60, kRight, 0},       {2, 0, kRight, 600},       {2, 600, kLeft, 0}, {2, 0, kLeft, 60},
      {2, INT_MAX, kLeft, 127}, {2, INT_MIN, kRight, 600}, {3, 9, kRight, 0},  {3, 0, kLeft, 0},
      {3, 4, kLeft, 3},         {3, INT_MAX, kRight, 8}}; // INT_MAX is 67 past a multiple of 660
  for (auto [line, start, key, want] : steps) {
    int &value = line == 2 ? powerUpInfrequency : powerUpFrequency[kPowerNormalGravity];
    hover(line == 2 ? 330 : 100, line == 2 ? 267 : 317); // the overall line, or power-up 1's
    value = start;
    arrow(key);
    EXPECT_EQ(value, want) << "line " << line << " from " << start;
  }
  for (auto [value, shown] : {make_tuple(0, 0), make_tuple(60, 10), make_tuple(600, 1),
                              make_tuple(301, 5), make_tuple(-5, 10)})
    EXPECT_EQ(OverallFrequencyShown(value), shown) << value;
  for (int id : {1, 7, 13, 19, 25, 31, 37, 43, 1}) {
    const int was = powerUpFrequency[id];
    click(100, 317); // the first row shown
    EXPECT_EQ(powerUpFrequency[id], (was + 1) % 10) << "power-up " << id;
    w().mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 330 + kMenuLeft, 467); // More..., held for two frames
    frame();
    frame();
    w().mouse(GLUT_LEFT_BUTTON, GLUT_UP, 330 + kMenuLeft, 467);
  }
}

// Page 0 shows a node and, while the first leader's key has it on, a rope to it; page 1 a wall.
TEST_F(Menus, HelpPagesTurnWithinTheFirstAndTheLastAndTheLeadersKeyTogglesTheRope) {
  click(460, 400);
  const unsigned char key = static_cast<unsigned char>(teamLeaders[0]->key);
  auto turn = [&](int arrowKey, int pages) { // a page turns after the frame that sees the arrow
    for (int i = 0; i < pages; i++) {
      arrow(arrowKey);
      frame();
    }
    return make_tuple(drew(2.0f, -0.25f, 0, GL_QUADS), drew(3.5f, 0, -5, GL_LINES),
                      drew(4.0f, -1.1f, 0, GL_QUADS));
  };
  press(key);
  EXPECT_EQ(turn(GLUT_KEY_LEFT, 1), make_tuple(true, true, false)); // no page before the first
  EXPECT_EQ(turn(GLUT_KEY_RIGHT, 1), make_tuple(false, false, true));
  press(key); // off again, from another page
  EXPECT_EQ(turn(GLUT_KEY_RIGHT, 4), make_tuple(false, false, false)); // the last page
  EXPECT_EQ(turn(GLUT_KEY_LEFT, 4), make_tuple(true, false, false));   // from the last, not past it
  press(kKeyEscape);
  EXPECT_EQ(make_tuple(w().display, w().keyboard), make_tuple(TitleScreen, Key));
}
