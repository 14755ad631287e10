// The line reader, its keyword table, gates and mended limits, and the preferences writer.
#include "world_fixture.h"

#include "levelcheck.h"

#include <climits>
#include <cstring>
#include <tuple>
#include <vector>
#include <sys/stat.h>
#include <unistd.h>

using std::make_tuple;

class Reader : public World {
protected:
  void SetUp() override { World::SetUp(), roster(); }
  void read(const std::string &text, const char *name = "level.def") {
    writeFile(name, text);
    ReadLevelFile(name);
  }
  std::string readCapturingErrors(const std::string &text, const char *name = "level.def") {
    testing::internal::CaptureStderr();
    read(text, name);
    return testing::internal::GetCapturedStderr();
  }
  // True when every "file:line:" given was warned about, each once.
  static bool warned(const std::string &err, std::initializer_list<const char *> at) {
    for (const char *where : at)
      if (err.find(where) == std::string::npos) return false;
    // Besides them only the once-a-file notice of how to list the problems.
    const long notices = err.find("--check-levels") != std::string::npos ? 1 : 0;
    return std::count(err.begin(), err.end(), '\n') == static_cast<long>(at.size()) + notices;
  }
};

TEST_F(Reader, OnlyTheCurrentSectionLoadsAndItsNameLineIsNeverAStatement) {
  // The name line reads like a keyword; "fullscreen" has no gate; "player" has one.
  currentLevel = 1;
  useFullScreen = 1;
  read("block 9 9\nnextlevel 0\nFirst\nblock 3 4\nlevel -10 10 7 -7\nfullscreen 0\n"
       "player 2 0 0 0 q w 0.5 7\nSlow\nnextlevel 1\nblock 1 2\nrace 7\nblock 5 6\n");
  EXPECT_STREQ(levelname, "block 1 2");
  EXPECT_STREQ(players[2]->name, "Orange");
  EXPECT_EQ(make_tuple(blockNum, blocks[0].h, blocks[0].type, blocks[0].checkPoint),
            make_tuple(0, 5.f, kNodeStill, kNoCheckPoint));
  EXPECT_EQ(make_tuple(numLevels, levelBottom, gameType, maxScore, useFullScreen),
            make_tuple(1, 0.f, kRace, 7, 0));
}

template <class... T> std::vector<double> values(T... v) { return {static_cast<double>(v)...}; }
// The fields as written, and a reader of their values, for one row of a table.
#define FIELDS(...) #__VA_ARGS__, [] { return values(__VA_ARGS__); }

TEST_F(Reader, StatementsFillTheirFieldsInOrder) {
  struct Case {
    const char *text, *fields;
    std::vector<double> (*got)();
    std::vector<double> want;
  } cases[] = {
      // Only the fourth line is a statement: comments, blank, unknown and indented lines are not.
      {"# block 1 1\r\n\r\nnonsense 1 2\r\nblock 5 6\r\n blocks 7 8", FIELDS(blockNum, blocks[0].v),
       {0, 6}},
      {"unstable 1 2 3\nlinmove 1 2 3 4 -1 50\nblinkRelease 4 5 60",
       FIELDS(blocks[0].type, blocks[0].h, blocks[0].h1, blocks[0].v1, blocks[0].period,
              blocks[1].type, blocks[1].v2, blocks[1].position, blocks[2].type, blocks[2].h1),
       {kNodeUnstable, 1, 1, 2, 3, kNodeLinMove, 4, -1, kNodeBlinkRelease, 60}},
      {"level -9 8 7 -6", FIELDS(levelLeft, levelRight, levelTop, levelBottom), {-9, 8, 7, -6}},
      // A phase past the period starts switched off for off + period - phase.
      {"blinkPeriodic 1 1 100 20 110\nblinkPeriodic 1 1 100 20 100\nblinkPeriodic 1 1 100 20 30",
       FIELDS(blocks[0].blink, blocks[1].blink, blocks[2].blink, blocks[2].position),
       {10, 20, 0, 30}},
      // A missing number reads as zero, not as the last line's value.
      {"orbiter 0 0 3 2 0 200\norbiter 7",
       FIELDS(blocks[0].type, blocks[0].h2, blocks[1].h1, blocks[1].period),
       {kNodeOrbiter, 3, 7, 0}},
      // The checkpoint form wins over "sinmove", whose first number fails on "cp".
      {"sinmovecp 1 2 3 4 5 6 7", FIELDS(blocks[0].type, blocks[0].checkPoint, blocks[0].period),
       {kNodeSinMove, 7, 6}},
      // Checkpoints start neutral only after the domination line.
      {"checkpoint 0 0 2\ndomination 100\ncheckpoint 1 1 4\norbitcp 0 0 1 1 0 10 5",
       FIELDS(blocks[0].checkPoint, blocks[1].checkPoint, blocks[2].checkPoint, numCheckPoints),
       {2, kDominationNeutral, kDominationNeutral, 5}},
      {"wall 0 5 1 2 0.8\nflag 1 2 0\nflipper 1 3 2 2 0.1 0.7",
       FIELDS(walls[0].h2, walls[0].v1, walls[0].elasticity, flags[0].h, flags[0].vstart,
              walls[1].isFlipper, walls[1].defaultH2, walls[1].flipSpeed, walls[1].flipAngle),
       {5, 1, 0.8f, 1, 2, 1, 3, 0.1f, 0.7f}},
      // The current section's start lines begin again with the first ball.
      {"start 1 2 0 0\nstart 5 6 3 4\nnextlevel 0\nOwn\nstart 7 8 0 0",
       FIELDS(players[0]->hStart, players[1]->vStart, players[1]->vvStart, players[2]->hStart),
       {7, 6, 4, 0}},
      {"tag 100", FIELDS(gameType, it != nullptr), {kTag, 0}},
      // Numbers read as scanf reads them, and a missing one as zero.
      {"scores 010 0x10 3\nspeed 1.5e0",
       FIELDS(gameScores[0], gameScores[1], gameScores[2], gameScores[3], gameSpeed),
       {8, 16, 3, 0, 1.5}},
      // Mass: 0.6 cubed, times 37.037. The keys need no blank between them.
      {"player 2 0.1 0.2 0.3 q  w 0.6 7\nSpeedy Gonzo\nplayer 3 0 0 0 qx 0.6 7\nKeys",
       FIELDS(players[2]->key, players[2]->powerUpKey, players[2]->mass, players[2]->sprite,
              players[3]->powerUpKey),
       {'q', 'w', 8, 7, 'x'}},
      // After a damaged player line a statement is read as one, not eaten as a name.
      {"player 2 1 0 0 q\nsound 2\nplayer 3 0 1 0 q w 0.4 3\nFour",
       FIELDS(soundMode, players[3]->radius), {2, 0.4}},
      // The current section empties the arena; a name line saved on Windows keeps no '\r'.
      {"wall 0 1 0 1 1\nnextlevel 0\nDune\r", FIELDS(wallNum, std::strlen(levelname)), {0, 4}},
      // The smallest and the largest ball are both allowed.
      {"player 2 0 0 0 q w 0.1 0\nTiny\nplayer 3 0 0 0 q w 6 0\nHuge",
       FIELDS(players[2]->radius, players[3]->radius), {0.1, 6}},
  };
  for (const Case &c : cases) {
    ResetWorld();
    roster();
    read(std::string(c.text) + "\n");
    const std::vector<double> got = c.got();
    for (size_t i = 0; i < got.size(); i++)
      EXPECT_NEAR(got[i], c.want.at(i), 1e-4) << c.fields << " [" << i << "] after " << c.text;
  }
}

// A seventh start line, a flag of no team and a full table: each refused, told once with its line.
TEST_F(Reader, ExtraLinesAreRefusedWithOneWarningNamingFileAndLine) {
  std::string text;
  for (int i = 0; i < 8; i++) text += "start 1 1 0 0\n";
  text += "flag 1 2 2\nflag 3 4 -1\nflag 5 6 1\n";
  for (int i = 0; i < kMaxBlocks + 5; i++) text += "block 1 1\n";
  for (int i = 0; i < kMaxWalls + 3; i++) text += "wall 0 1 0 1 1\n";
  std::string err = readCapturingErrors(text);
  EXPECT_EQ(make_tuple(blockNum, wallNum, flags[0].h, flags[1].h),
            make_tuple(kMaxBlocks - 1, kMaxWalls, 0.f, 5.f));
  EXPECT_TRUE(warned(err, {"level.def:7:", "level.def:9:", "level.def:10:", "level.def:412:",
                           "level.def:617:"})) << err;
}

TEST_F(Reader, MovingNodesWithoutAPeriodStandStillAndAreToldOnce) {
  const std::string text = "orbiter 1 2 3 4 5 0\nlinmovecp 6 7 8 9 0 0 2\n";
  std::string err = readCapturingErrors(text);
  speedMult = 0.5f;
  MoveBlock(0);
  // On its first point, not NaN.
  EXPECT_EQ(make_tuple(blocks[0].type, blocks[0].h, blocks[0].v, blocks[1].checkPoint),
            make_tuple(kNodeStill, 1.f, 2.f, 2));
  EXPECT_TRUE(warned(err, {"level.def:1:", "level.def:2:"})) << err;
  EXPECT_EQ(readCapturingErrors(text), ""); // the level list is re-read; the fault was told
}

TEST_F(Reader, OverlongLinesZeroBytesAndHugeNumbersAreSafe) {
  const std::string zero("block 1 1\0", 10);
  read("nextlevel 0\n" + std::string(300, 'x') + "block 3 3\nblock 2 2\n" + zero +
       std::string(300, ' ') + "block 9 9\ndeathmatch 7\ndeathmatch 99999999999\n");
  EXPECT_EQ(std::strlen(levelname), static_cast<size_t>(kTextSize - 1));
  // Neither the tail of the long line nor the text past the zero byte is a statement, and a
  // number too large for its field is refused, not cut down to fit.
  EXPECT_EQ(make_tuple(blockNum, blocks[0].h, blocks[1].h, maxScore), make_tuple(1, 2.f, 1.f, 7));
}

// The one reader of the game and the checker: the bound, zero bytes, CRs, a last line
// without its line feed.
TEST_F(Reader, TheLineReaderKeepsAtMostALineAndNeverWritesPastIt) {
  const std::string text = std::string(kLineSize, 'a') + "\n" + std::string(kLineSize + 1, 'b') +
                           "\n\nx\r\r\n" + std::string("ab\0cd\n", 6) + "last";
  writeFile("lines.txt", text);
  FILE *in = std::fopen("lines.txt", "r");
  ASSERT_NE(in, nullptr);
  struct Line { std::string text; bool tooLong; };
  std::vector<Line> got;
  char buf[kLineSize + 2];
  buf[kLineSize + 1] = '#'; // a guard just past the reader's buffer
  bool tooLong = true;
  while (ReadTextLine(in, buf, tooLong)) got.push_back({buf, tooLong});
  std::fclose(in);
  ASSERT_EQ(got.size(), 6u);
  EXPECT_EQ(make_tuple(got[0].text, got[0].tooLong), make_tuple(std::string(kLineSize, 'a'), false));
  EXPECT_EQ(make_tuple(got[1].text, got[1].tooLong), make_tuple(std::string(kLineSize, 'b'), true));
  EXPECT_EQ(make_tuple(got[2].text, got[3].text, got[4].text, got[5].text),
            make_tuple(std::string(), std::string("x"), std::string("ab"), std::string("last")));
  EXPECT_FALSE(got[2].tooLong || got[3].tooLong || got[4].tooLong || got[5].tooLong);
  EXPECT_EQ(buf[kLineSize + 1], '#');
}

// Also in the settings folder, where the preferences are still known by name.
TEST_F(Reader, BagIsEmptiedBeforeEveryPreferencesReadAndKeepsItsBound) {
  ASSERT_EQ(mkdir("config", 0755), 0);
  writeFile("config/prefs.def", "powerUpAvail 20 9\npowerUpAvail 39 1\npowerUpAvail 300 5\n");
  ReadLevelFile("config/prefs.def");
  ReadLevelFile("config/prefs.def");
  EXPECT_EQ(make_tuple(powerUpsInList, std::count(powerUpList, powerUpList + 10, 20)),
            make_tuple(10, 9L));
  EXPECT_EQ(powerUpFrequency[39], 1);
  std::string err = readCapturingErrors("powerUpAvail 1 2000\npowerUpAvail 2 100\n", "prefs.def");
  // The frequency is recorded even when the bag is full.
  EXPECT_EQ(make_tuple(powerUpsInList, powerUpFrequency[2]), make_tuple(kPowerUpListSize, 100));
  EXPECT_TRUE(warned(err, {"prefs.def:2:"})) << err;
}

// "powerUpFreq" and "powerUpAvail" count before the first set and inside the chosen one.
TEST_F(Reader, PowerUpSetLinesCountOnlyInTheSelectedSet) {
  const std::string sets = "powerUpFreq 100\npowerUpAvail 3 1\n"
                           "powerupset First\npowerUpAvail 1 3\npowerUpFreq 200\n"
                           "powerupset Second\npowerUpAvail 2 4\npowerUpFreq 300\n";
  struct Case { int set; const char *name; int freq1, freq2, infrequency, bag; } cases[] = {
      {0, "Custom", 0, 0, 100, 1}, {1, "First", 3, 0, 200, 4}, {2, "Second", 0, 4, 300, 5}};
  for (const Case &c : cases) {
    ResetWorld();
    powerUpSetID = c.set;
    read(sets, "powerupsets.def");
    EXPECT_STREQ(powerUpSetName, c.name);
    EXPECT_EQ(make_tuple(powerUpFrequency[1], powerUpFrequency[2], powerUpInfrequency,
                         powerUpsInList),
              make_tuple(c.freq1, c.freq2, c.infrequency, c.bag));
  }
  powerUpSetID = 5; // past the last set: none is chosen
  read("powerupset A\npowerupset B\npowerupset C\n", "powerupsets.def");
  EXPECT_EQ(make_tuple(powerUpSetID, std::string(powerUpSetName)),
            make_tuple(0, std::string("None")));
}

TEST_F(Reader, MissingPreferencesAreNotAnErrorButAMissingLevelListEndsTheGame) {
  ReadPrefs(); // no file: nothing happens
  EXPECT_EQ(soundMode, 4);
  EXPECT_EXIT(ReadLevelFile("level.def"), testing::ExitedWithCode(1), "level.def");
}

TEST_F(Reader, PreferencesWrittenThenReadBackGiveTheSameSettingsAndEmptyTheArena) {
  player *p = players[1];
  p->r = 0.25f, p->key = 'k', p->powerUpKey = 'l', p->defaultSize = 0.45f, p->sprite = 9;
  std::strcpy(p->name, "#1 block 1 2"); // not a statement, so the name
  useFullScreen = 0, gameSpeed = 1.5f, powerUpInfrequency = 120, soundMode = 2;
  powerUpFrequency[20] = 9, powerUpFrequency[39] = 1;
  WritePrefsFile();
  const std::string text = readFile("prefs.def");
  ResetWorld();
  roster();
  read("checkpoint 1 1 3\nwall 0 1 0 1 1\nnextlevel 0\nA\n");
  ReadPrefs(); // every read empties the arena
  EXPECT_EQ(make_tuple(blockNum, wallNum, numLevels, numCheckPoints), make_tuple(-1, 0, -1, 0));
  ASSERT_EQ(WritePrefsTo("again.def"), 0); // and written again, byte for byte the same
  EXPECT_EQ(readFile("again.def"), text);
}

TEST_F(Reader, PreferencesAreWrittenInTheirOrderWithTheirComments) {
  powerUpFrequency[14] = 2;
  AddPlayer(1, 2); // past the first six: not saved
  WritePrefsFile();
  std::string want = "#First setup the players\n"
                     "player 0 1.000000 0.000000 0.000000 z a 0.300000 1\nRed\n"
                     "player 1 1.000000 1.000000 0.000000 b g 0.300000 2\nYellow\n"
                     "player 2 1.000000 0.500000 0.000000 m j 0.300000 10\nOrange\n"
                     "player 3 1.000000 0.000000 1.000000 / a 0.300000 4\nPurple\n"
                     "player 4 0.000000 1.000000 0.000000 0 1 0.300000 11\nGreen\n"
                     "player 5 0.000000 0.000000 1.000000 . 3 0.300000 8\nBlue\n"
                     "fullscreen 1\nspeed 1.000000\n"
                     "#Then the power up infrequency\npowerUpFreq 301\n";
  for (int id = 0; id < kNumPowerUps; id++) // names, not labels: "#Vacuum Cleaner"
    want += std::string("#") + powerUpName(id) + "\npowerUpAvail " + std::to_string(id) +
            (id == 14 ? " 2\n" : " 0\n");
  EXPECT_EQ(readFile("prefs.def"), want + "sound 4\n");
  numPlayers = 2; // a smaller roster: only its own balls
  WritePrefsFile();
  const std::string two = readFile("prefs.def");
  EXPECT_EQ(two.find("player 1 "), two.rfind("player "));
}

// The file is written beside and renamed over: a failure never leaves a truncated one.
TEST_F(Reader, AFailedPreferencesWriteKeepsTheOldFileAndTheGamePlaysOn) {
  writeFile("prefs.def", "sound 1\n");
  ASSERT_EQ(mkdir("prefs.def.tmp", 0755), 0); // the temporary cannot be created
  EXPECT_NE(WritePrefsTo("prefs.def"), 0);
  testing::internal::CaptureStderr();
  WritePrefsFile(); // told, and the game goes on
  EXPECT_NE(testing::internal::GetCapturedStderr().find("prefs.def"), std::string::npos);
  ASSERT_EQ(rmdir("prefs.def.tmp"), 0);
  if (access("/dev/full", W_OK) == 0) { // a full disk, told by the write's own cause
    ASSERT_EQ(symlink("/dev/full", "prefs.def.tmp"), 0);
    testing::internal::CaptureStderr();
    EXPECT_NE(WritePrefsTo("prefs.def"), 0);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(std::strerror(ENOSPC)), std::string::npos) << err;
  }
  EXPECT_EQ(readFile("prefs.def"), "sound 1\n");
}

// A damaged preferences file: each bad line is told once with its line number,
// the ball or setting keeps what it had, and nothing refused is written back.
TEST_F(Reader, DamagedLinesAreRefusedAndNeverWrittenBack) {
  const std::pair<const char *, const char *> damaged[] = {
      {"player 1 1 0 0\nYellow\n", "damaged"}, // missing or non-numeric fields
      {"player 1 1 0 0 q w -7 2\nYellow\n", "size"},
      {"player 1 1 0 0 q w 0.3 999\nYellow\n", "sprite"},
      {"player 1 1 0 nan q w 0.3 2\nYellow\n", "out of range"},
      {"player 1 1 -1 0 q w 0.3 2\nYellow\n", "colour"},
      {"player 6 1 0 0 q w 0.3 2\nYellow\n", "index"},
      {"player 1 1 0 0 \x01 w 0.3 2\nYellow\n", "printable"},
      {"sound 9\nfullscreen 3\n", "\"sound\" must be"},
      {"speed 0\n", "must be above 0"}, // would stall the frame cap
      {"speed inf\n", "out of range"},
      {"speed 1e400\n", "out of range"},
      {"powerUpFreq 99999999999999999999999\n", "out of range"}, // once cut to 2147483647
      {"powerUpAvail 8 2147483648\n", "out of range"},
      {"powerUpAvail 5 -3\n", "below 0"},
      {"powerUpAvail 101 4\n", "held-only"}, // a bomb in flight is held, never spawned
  };
  for (const auto &[line, reason] : damaged) {
    ResetWorld();
    roster();
    std::strcpy(players[1]->name, "Keep");
    WritePrefsFile();
    const std::string clean = readFile("prefs.def");
    std::string err = readCapturingErrors(line, "prefs.def");
    EXPECT_NE(err.find("prefs.def:1:"), std::string::npos) << line << err;
    EXPECT_NE(err.find(reason), std::string::npos) << line << err;
    WritePrefsFile();
    EXPECT_EQ(readFile("prefs.def"), clean) << line;
  }
}

// A line that reads as a statement is never a ball's name: after a "player" line, whole or
// refused, it is read as what it is, and a whole line's ball keeps its name.
TEST_F(Reader, APlayerLineWithoutItsNameLineLeavesTheNextStatementToBeRead) {
  const std::string err = readCapturingErrors(
      "player 1 1 0 0 q w 0.3 2\nsound 2\nplayer 2 1 0 0 e r 0.3 999\nfullscreen 0\n"
      "player 3 0 0 1 t y 0.3 4\n", "prefs.def");
  EXPECT_EQ(make_tuple(std::string(players[1]->name), players[1]->key, soundMode, useFullScreen,
                       std::string(players[3]->name), players[3]->key),
            make_tuple(std::string("Yellow"), 'q', 2, 0, std::string(""), 't'));
  EXPECT_TRUE(warned(err, {"prefs.def:1: \"player\" line without its name", "prefs.def:3:"}))
      << err;
}

// The shipped prefs.def a first run copies gives the six balls keys of their own and colours
// told apart by colour-blind players too, and otherwise the very settings a first run without
// it would write.
TEST_F(Reader, ShippedPreferencesDifferFromAFirstRunOnlyInDistinctKeysAndColours) {
  UseDefaultPowerUpBag();
  ASSERT_EQ(WritePrefsTo("first.def"), 0);
  player builtIn[kRosterSize];
  for (int i = 0; i < kRosterSize; i++) builtIn[i] = *players[i];
  ReadLevelFile(TETHRIX_SOURCE_DIR "/data/prefs.def");
  char clash[kTextSize] = "";
  EXPECT_FALSE(KeyClash(clash, sizeof clash)) << clash;
  for (int i = 0; i < kRosterSize; i++) {
    player *p = players[i];
    const player &was = builtIn[i];
    EXPECT_NE(std::make_tuple(p->r, p->g, p->b), std::make_tuple(was.r, was.g, was.b)) << i;
    p->key = was.key, p->powerUpKey = was.powerUpKey;
    p->r = was.r, p->g = was.g, p->b = was.b;
  }
  ASSERT_EQ(WritePrefsTo("shipped.def"), 0);
  EXPECT_EQ(readFile("shipped.def"), readFile("first.def"));
}

// Preferences the game cannot make sense of are kept aside, whole, before a first run's
// settings are written over them; an empty file or one of comments is simply read.
TEST_F(Reader, PreferencesNotUnderstoodAreKeptAsideBeforeTheyAreWrittenOver) {
  std::string noise;
  for (unsigned x = 1, i = 0; i < 600; i++) noise += static_cast<char>((x = x * 1103515245u + 12345u) >> 16);
  const std::pair<std::string, const char *> cases[] = {
      {noise, "not understood"},
      {"hello\nworld\n", "not understood (no line of it is a setting)"},
      {std::string("sound 2\n\0\n", 10), "not understood (it holds binary bytes)"},
      {"# only a comment\n\n", nullptr},
      {"", nullptr}};
  for (const auto &[text, told] : cases) {
    std::remove("prefs.def.bad");
    ForgetReaderWarnings();
    const std::string err = readCapturingErrors(text, "prefs.def");
    EXPECT_EQ(err.find(told ? told : "not understood") != std::string::npos, told != nullptr) << err;
    EXPECT_EQ(powerUpsInList > 0, told != nullptr) << "a first run's bag, not an empty one";
    WritePrefsFile();
    EXPECT_EQ(readFile("prefs.def.bad"), told ? text : "") << err;
  }
  // A settings folder's file starts again from the data folder's, as a first run does.
  std::filesystem::create_directory("own");
  writeFile("own/prefs.def", "hello\n");
  writeFile("prefs.def", "sound 1\n");
  testing::internal::CaptureStderr();
  ReadLevelFile("own/prefs.def");
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(make_tuple(soundMode, readFile("own/prefs.def.bad")), make_tuple(1, std::string("hello\n")));
}
