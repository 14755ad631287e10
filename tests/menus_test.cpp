// The menu screens driven as a player drives them, one display frame after each input.
#include "inclGL.h"
#include "world_fixture.h"

#include <climits>
#include <map>
#include <set>
#include <tuple>
#include <utility>

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
  EXPECT_EQ(make_tuple(string(levelname), gameType, arcadeMode, w().keyboard, w().special),
            make_tuple(string("One"), kDeathmatch, 1, Key, SpecialKey)); // no title arrows in play
  glutDisplayFunc(TitleScreen);
  ReadPrefs(); // leaves numLevels at -1
  click(130, 385);
  EXPECT_EQ(make_tuple(w().display, currentLevel, blockNum, w().keyboard),
            make_tuple(CreditsView, 3, -1, HelpKey));
}

TEST_F(Menus, QuitEndsTheGameWithStatusZero) {
  EXPECT_EXIT(click(490, 240), testing::ExitedWithCode(0), "");
}

// Arrows and the list skip game types without a target, and those the level lacks the flags or
// checkpoints for (the unstable match is row 8); a level without width is previewed at full size
// (its diamond 0.01 in front). Go, space and Enter start a match; Escape resets. With no target
// at all the arrows go round once.
TEST_F(Menus, LevelSelectSkipsTypesWithoutATargetAndStartsTheChosenOne) {
  click(310, 240);
  const std::tuple<int, int, int, int> steps[] = {
      {kLeft, 2, kCaptureTheFlag, 4}, {kRight, 0, kDeathmatch, 10}, {kDown, 0, kBlinkMatch, 10},
      {kUp, 0, kDeathmatch, 10},      {kUp, 0, kEndurance, 3000},   {kDown, 0, kDeathmatch, 10}};
  for (auto [key, level, type, target] : steps) {
    arrow(key);
    EXPECT_EQ(make_tuple(currentLevel, gameType, maxScore), make_tuple(level, type, target));
  }
  levelLeft = 1, levelRight = -1;
  hints = 1; // the preview draws without hints, and gives the player's choice back
  frame();
  EXPECT_EQ(hints, 1);
  EXPECT_TRUE(drew(NAN, NAN, -0.01f, GL_QUADS));
  click(400, 129);
  EXPECT_EQ(make_tuple(w().display, gameType, maxScore),
            make_tuple(LevelSelect, kUnstableMatch, 7));
  const float levelH = blocks[0].h, levelV = blocks[0].v;
  blocks[0].h = 3, blocks[0].v = -1; // a match starts from the level's own lines, not from this
  click(420, 467);
  EXPECT_EQ(make_tuple(w().display, w().keyboard, w().special, string(SoundLastEffectAsked())),
            make_tuple(Display, Key, SpecialKey, string("UnstableDeathmatch")));
  EXPECT_EQ(make_tuple(blocks[0].h, blocks[0].v, blocks[0].h1, blocks[0].v1),
            make_tuple(levelH, levelV, levelH, levelV));
  for (unsigned char key : {' ', '\r', '\n', '\3', '\13'}) {
    glutDisplayFunc(LevelSelect);
    LevelKeys(key, 0, 0);
    EXPECT_EQ(w().display, Display) << "code " << int(key);
  }
  SpecialLevelSelectKey(GLUT_KEY_LEFT, 0, 0);
  LevelKeys(kKeyEscape, 0, 0);
  EXPECT_EQ(make_tuple(w().display, w().keyboard, w().special, currentLevel, string(levelname)),
            make_tuple(TitleScreen, TitleKey, TitleSpecialKey, 0, string("Zero")));
  writeFile("level.def", "nextlevel 0\nA\ndeathmatch 0\nnextlevel 1\nB\ndeathmatch 0\n");
  ReadLevelFile(defaultLevels);
  SpecialLevelSelectKey(GLUT_KEY_RIGHT, 0, 0);
  EXPECT_EQ(make_tuple(currentLevel, maxScore), make_tuple(0, 0));
  std::fill(std::begin(gameScores), std::end(gameScores), 0);
  SpecialLevelSelectKey(GLUT_KEY_UP, 0, 0);
  EXPECT_EQ(gameType, kDeathmatch);
  writeFile("level.def", "nextlevel 0\nA\ndeathmatch 0\nnextlevel 1\nB\ndeathmatch 5\n"
                         "nextlevel 2\nC\ndeathmatch 0\n");
  ReadLevelFile(defaultLevels);
  SpecialLevelSelectKey(GLUT_KEY_LEFT, 0, 0); // past C, without a target, to B
  EXPECT_EQ(make_tuple(currentLevel, maxScore), make_tuple(1, 5));
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
              make_tuple(0, string("Custom"), TitleScreen, TitleKey));
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
  EXPECT_EQ(make_tuple(w().display, w().keyboard), make_tuple(TitleScreen, TitleKey));
}

// The window pixel a vertex of the menus' plane lands on, through the window routine's frustum.
static std::pair<int, int> windowPixel(float x, float y, float z, int width, int height) {
  const double *f = headlessState().frustum; // left, right, bottom, top, near, far
  const double ndcX = (f[4] * x / -z - (f[1] + f[0]) / 2) / ((f[1] - f[0]) / 2);
  const double ndcY = (f[4] * y / -z - (f[3] + f[2]) / 2) / ((f[3] - f[2]) / 2);
  return {static_cast<int>((ndcX + 1) / 2 * width), static_cast<int>((1 - ndcY) / 2 * height)};
}

// A tap (down and up before the next frame) on the middle of each game type's row as drawn picks
// that row, at every window shape; one on the title's Play opens the level select.
TEST_F(Menus, ATapOnTheMiddleOfEachDrawnRowPicksItAtEveryWindowSize) {
  writeFile("level.def", "scores 10 3 5 10 5000 5 3000 2000 30 7 10 10\nnextlevel 0\nFull\n"
                         "level -10 10 5 -5\ndeathmatch 10\nflag -5 0 0\nflag 5 0 1\n"
                         "checkpoint 0 0 1\ncheckpoint 1 1 2\n");
  ReadLevelFile(defaultLevels);
  for (auto [width, height] : {std::pair{800, 600}, {1280, 1024}, {800, 480}, {1000, 600}, {600, 800}}) {
    Reshape(width, height);
    glutDisplayFunc(TitleScreen);
    const auto play = windowPixel(MenuUnitsH(310), MenuUnitsV(240), kViewZ, width, height);
    w().mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, play.first, play.second);
    w().mouse(GLUT_LEFT_BUTTON, GLUT_UP, play.first, play.second);
    frame();
    ASSERT_EQ(w().display, LevelSelect) << width << "x" << height;
    frame();
    std::vector<float> rows; // the bottom of each name's first glyph, the list's rows
    int lastBegin = -1;
    for (const HeadlessVertex &v : headlessVertices())
      if (std::exchange(lastBegin, v.begin) != v.begin && v.primitive == GL_QUADS && near(v.x, 1.0f) &&
          v.y > -2.2f && v.y < 3.8f &&
          std::find_if(rows.begin(), rows.end(), [&](float r) { return near(r, v.y); }) == rows.end())
        rows.push_back(v.y);
    std::sort(rows.begin(), rows.end());
    ASSERT_EQ(rows.size(), 12u);
    for (int pick : {3, 0, 11, 5, 1, 10, 7}) { // never the one already chosen
      const auto at = windowPixel(1.5f, rows[pick] + 0.125f, kViewZ, width, height);
      w().mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, at.first, at.second);
      w().mouse(GLUT_LEFT_BUTTON, GLUT_UP, at.first, at.second);
      frame();
      EXPECT_EQ(gameType, kFirstGameType + pick) << width << "x" << height << " row " << pick;
    }
    LevelKeys(kKeyEscape, 0, 0);
  }
}

// Arrows walk the two rows of three (wrapping), Tab reads on, Return or Space takes the lit
// button (Play when none is) and F12 still asks for a picture; moving the mouse drops the ring.
TEST_F(Menus, TheTitleKeyboardLightsAButtonAndTakesIt) {
  glutDisplayFunc(TitleScreen);
  ShowScreen(kScreenTitle);
  auto ringDrawn = [&] {
    for (const HeadlessVertex &v : headlessVertices())
      if (v.primitive == GL_LINE_LOOP && v.color[0] == 1 && v.color[1] == 1 && v.color[2] == 1)
        return true;
    return false;
  };
  const std::tuple<int, unsigned char, int> steps[] = {
      {kDown, 0, kTitleOptions}, {kLeft, 0, kTitleCredits}, {kLeft, 0, kTitleHelp},
      {kUp, 0, kTitleQuit},      {kRight, 0, kTitleArcade}, {0, '\t', kTitlePlay},
      {0, '\t', kTitleQuit},     {0, '\t', kTitleCredits},  {kUp, 0, kTitleArcade}};
  arrow(kRight); // the first press lights Play
  EXPECT_EQ(make_tuple(TitleFocus(), ringDrawn()), make_tuple(kTitlePlay, true));
  for (auto [special, key, want] : steps) {
    if (special)
      arrow(special);
    else
      press(key);
    EXPECT_EQ(make_tuple(TitleFocus(), ringDrawn()), make_tuple(want, true)) << special << key;
  }
  w().passiveMotion(10, 10);
  frame();
  EXPECT_EQ(make_tuple(TitleFocus(), ringDrawn()), make_tuple(kNoTitleFocus, false));
  for (auto [arrows, key, screen] : {make_tuple(2, '\r', Options), make_tuple(0, ' ', LevelSelect),
                                     make_tuple(3, ' ', HelpView)}) {
    ShowScreen(kScreenTitle);
    for (int k : {kRight, kDown, kRight}) // Play, Options, Help
      if (arrows-- > 0) arrow(k);
    press(static_cast<unsigned char>(key));
    EXPECT_EQ(w().display, screen) << int{key};
  }
  ShowScreen(kScreenTitle);
  arrow(GLUT_KEY_F12);
  press('x'); // only Return, Space and Tab mean anything here
  EXPECT_EQ(w().display, TitleScreen);
  press('\n');
  EXPECT_EQ(w().display, LevelSelect);
}

// Lighting a button touches only its pill, never the night around it; without the picture every
// button is still drawn as a pill with its name, and still answers.
TEST_F(Menus, ALitTitleButtonStaysOnItsPillAndThePictureIsNotNeeded) {
  // The menu screen is 9.2 units high at the menus' plane, centred on the view.
  EXPECT_TRUE(isNear(MenuUnitsH(130), MenuUnitsV(400), -3.6417f, -3.0667f, 1e-3f));
  EXPECT_NEAR(MenuPixelV(-3.0667f), 400, 0.01);
  std::filesystem::copy_file(TETHRIX_SOURCE_DIR "/data/tethrix.sgi", "tethrix.sgi");
  LoadTextures();
  glutDisplayFunc(TitleScreen);
  for (auto [h, v] : {std::pair{130, 240}, {310, 385}, {460, 400}}) {
    hover(h, v);
    float sumH = 0, sumV = 0;
    int corners = 0;
    for (const HeadlessVertex &q : headlessVertices()) {
      const bool picture = std::fabs(q.x) == 6 && std::fabs(q.y) == 4.5f;
      // Every quad shows the picture where it lies, so the lit part lines up with the rest.
      EXPECT_TRUE(near(q.s, (q.x + 6) / 12) && near(q.t, (q.y + 4.5f) / 9)) << q.x << ", " << q.y;
      if (q.primitive != GL_QUADS || picture) continue;
      EXPECT_TRUE(std::fabs(q.x - MenuUnitsH(h)) < 1.3f && std::fabs(q.y - MenuUnitsV(v)) < 0.6f)
          << "(" << q.x << ", " << q.y << ") for the button at " << h << "," << v;
      sumH += q.x, sumV += q.y, corners++;
    }
    EXPECT_TRUE(corners == 4 && isNear(sumH / 4, sumV / 4, MenuUnitsH(h), MenuUnitsV(v), 1e-4f));
  }
  auto bandQuads = [] {
    headlessClearVertices();
    DrawTitle();
    int quads = 0;
    for (const HeadlessVertex &q : headlessVertices()) quads += q.primitive == GL_QUADS && q.y == 4.5f;
    return quads;
  };
  EXPECT_EQ(bandQuads(), 2); // the picture's top third
  std::filesystem::remove("tethrix.sgi");
  LoadTextures();
  EXPECT_EQ(bandQuads(), 0); // the word instead, no taller than the band
  hover(10, 10);
  std::set<int> pills;
  for (const HeadlessVertex &q : headlessVertices())
    if (q.primitive == GL_POLYGON) pills.insert(q.begin);
  EXPECT_EQ(pills.size(), 6u);
  click(460, 400);
  EXPECT_EQ(w().display, HelpView);
}

// The characters of the glyphs drawn with their bottom at height y, left to right.
static string textAt(float y) {
  std::vector<std::pair<float, char>> glyphs;
  int lastBegin = -1;
  for (const HeadlessVertex &v : headlessVertices()) {
    if (std::exchange(lastBegin, v.begin) == v.begin || v.primitive != GL_QUADS || !near(v.y, y))
      continue;
    const int column = static_cast<int>(std::lround(v.s * 16));
    const int row = 15 - static_cast<int>(std::lround(v.t * 16));
    glyphs.push_back({v.x, static_cast<char>(32 + row * 16 + column)});
  }
  std::sort(glyphs.begin(), glyphs.end());
  string text;
  for (auto [x, c] : glyphs) text += c;
  return text;
}

// The level's own target is the one the list shows for its type, and the match plays to it; a
// type the level cannot be played as says why, and neither Go nor Enter starts it.
TEST_F(Menus, TheListShowsTheTargetTheMatchUsesAndAnUnplayableTypeCannotStart) {
  writeFile("level.def", "scores 10 3 5 10 5000 5 3000 2000 30 7 10 10\n"
                         "nextlevel 0\nLoop\nlevel -10 10 5 -5\nrace 12\ncheckpoint 0 0 1\n"
                         "nextlevel 1\nBare\nlevel -10 10 5 -5\nrace 12\nblock 0 0\n");
  click(310, 240);
  frame();
  const float raceRow = -2.0f + 0.5f * (kRace - kFirstGameType);
  EXPECT_EQ(make_tuple(gameType, maxScore, textAt(raceRow)), make_tuple(kRace, 12, string("Race12")));
  EXPECT_EQ(textAt(2.35f), "Race:Touch12checkpoints"); // the caption
  arrow(kRight);
  EXPECT_EQ(make_tuple(textAt(raceRow), textAt(raceRow + 0.04f)), make_tuple(string("Race"), string("nocheckpoints")));
  EXPECT_EQ(textAt(2.35f), "Race:notonthislevel(nocheckpoints)");
  press('\r');
  click(420, 467); // Go!
  EXPECT_EQ(w().display, LevelSelect);
  click(400, static_cast<int>(MenuPixelV(raceRow + 0.125f)));
  arrow(kUp);
  EXPECT_EQ(gameType, kEndurance) << "no checkpoints or goals: no race, domination or hockey";
}

// Every help page's lines are drawn, none of them empty where the page has a line, and their
// baselines keep apart above the footer.
TEST_F(Menus, HelpPagesDrawEveryLineInOrderAboveTheFooter) {
  click(460, 400);
  for (int page = 0; page < 5; page++) {
    frame();
    std::map<int, float> bottom; // each glyph's lowest corner
    for (const HeadlessVertex &v : headlessVertices())
      if (v.primitive == GL_QUADS)
        bottom[v.begin] = bottom.count(v.begin) ? std::min(bottom[v.begin], v.y) : v.y;
    std::vector<float> lines;
    for (const auto &[begin, y] : bottom)
      if (y < 1.2f && y > -4.45f) lines.push_back(y);
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end(), [](float a, float b) { return near(a, b); }), lines.end());
    for (size_t i = 1; i < lines.size(); i++)
      EXPECT_GE(lines[i] - lines[i - 1], 0.3f - 1e-4f) << "page " << page;
    for (float y : lines) EXPECT_EQ(textAt(y).find("(null)"), string::npos) << "page " << page;
    w().special(GLUT_KEY_RIGHT, 0, 0);
  }
}
