// The line reader, its keyword table and gates, its mended limits, and the
// preferences writer.
#include "world_fixture.h"

#include <climits>
#include <cstring>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

class Reader : public World {
protected:
  void SetUp() override {
    World::SetUp();
    roster();
  }
  void read(const std::string &text, const char *name = "level.def") {
    writeFile(name, text);
    ReadLevelFile(name);
  }
  // Standard error of one read, for the warnings.
  std::string readCapturingErrors(const std::string &text, const char *name = "level.def") {
    writeFile(name, text);
    testing::internal::CaptureStderr();
    ReadLevelFile(name);
    return testing::internal::GetCapturedStderr();
  }
};

TEST_F(Reader, SectionOfCurrentLevelLoadsAndNameLineIsNeverAStatement) {
  read("block 9 9\n"
       "nextlevel 0\n"
       "block 1 2\n" // the name line, even though it reads like a keyword
       "block 3 4\n"
       "level -10 10 7 -7\n"
       "nextlevel 1\n"
       "Second\n"
       "block 5 6\n");
  EXPECT_STREQ(levelname, "block 1 2");
  EXPECT_EQ(blockNum, 0);
  EXPECT_FLOAT_EQ(blocks[0].h, 3);
  EXPECT_FLOAT_EQ(blocks[0].v, 4);
  EXPECT_EQ(blocks[0].type, kNodeStill);
  EXPECT_EQ(blocks[0].checkPoint, kNoCheckPoint);
  EXPECT_EQ(numLevels, 1);
  EXPECT_FLOAT_EQ(levelLeft, -10);
  EXPECT_FLOAT_EQ(levelBottom, -7);
}

TEST_F(Reader, OtherSectionsAreSkippedButUngatedKeywordsApply) {
  currentLevel = 1;
  read("nextlevel 0\nZero\nblock 1 1\ndeathmatch 3\nfullscreen 0\n"
       "nextlevel 1\nOne\nrace 7\nblock 2 2\n");
  EXPECT_STREQ(levelname, "One");
  EXPECT_EQ(blockNum, 0);
  EXPECT_FLOAT_EQ(blocks[0].h, 2);
  EXPECT_EQ(gameType, kRace);
  EXPECT_EQ(maxScore, 7);
  EXPECT_EQ(useFullScreen, 0); // "fullscreen" has no gate
}

TEST_F(Reader, CommentsCarriageReturnsAndUnknownLinesAreHarmless) {
  read("# block 1 1\r\n\r\nnonsense 1 2\r\nblock 5 6\r\n blocks 7 8\r\n");
  EXPECT_EQ(blockNum, 0); // " blocks" does not start in the first column
  EXPECT_FLOAT_EQ(blocks[0].v, 6);
}

TEST_F(Reader, NodeKindsTakeTheirFields) {
  read("unstable 1 2 3\n"
       "blinkRelease 4 5 60\n"
       "blinkPeriodic 1 1 100 20 110\n"
       "blinkPeriodic 1 1 100 20 30\n"
       "orbiter 0 0 3 2 0 200\n"
       "sinmovecp 1 2 3 4 5 6 7\n"
       "linmove 1 2 3 4 -1 50\n"
       "checkpoint 8 9 3\n");
  ASSERT_EQ(blockNum, 7);
  EXPECT_EQ(blocks[0].type, kNodeUnstable);
  EXPECT_FLOAT_EQ(blocks[0].h1, 1);
  EXPECT_FLOAT_EQ(blocks[0].v1, 2);
  EXPECT_FLOAT_EQ(blocks[0].period, 3);
  EXPECT_EQ(blocks[1].type, kNodeBlinkRelease);
  EXPECT_FLOAT_EQ(blocks[1].h1, 60);
  // Phase past the period: starts switched off for off + period - phase.
  EXPECT_EQ(blocks[2].type, kNodeBlinkPeriodic);
  EXPECT_FLOAT_EQ(blocks[2].blink, 10);
  EXPECT_FLOAT_EQ(blocks[2].position, 0);
  EXPECT_FLOAT_EQ(blocks[3].blink, 0);
  EXPECT_FLOAT_EQ(blocks[3].position, 30);
  EXPECT_EQ(blocks[4].type, kNodeOrbiter);
  EXPECT_FLOAT_EQ(blocks[4].h2, 3);
  EXPECT_FLOAT_EQ(blocks[4].period, 200);
  // The checkpoint form wins over "sinmove", whose first number fails on "cp".
  EXPECT_EQ(blocks[5].type, kNodeSinMove);
  EXPECT_EQ(blocks[5].checkPoint, 7);
  EXPECT_FLOAT_EQ(blocks[5].period, 6);
  EXPECT_EQ(blocks[6].type, kNodeLinMove);
  EXPECT_FLOAT_EQ(blocks[6].position, -1);
  EXPECT_EQ(blocks[7].checkPoint, 3);
  EXPECT_EQ(numCheckPoints, 7);
}

TEST_F(Reader, WallsReadBothHValuesFirstAndFlippersRememberTheirRest) {
  read("wall 0 5 1 1 0.8\nflipper 1 3 2 2 0.1 0.7\n");
  ASSERT_EQ(wallNum, 2);
  EXPECT_FLOAT_EQ(walls[0].h1, 0);
  EXPECT_FLOAT_EQ(walls[0].h2, 5);
  EXPECT_FLOAT_EQ(walls[0].v1, 1);
  EXPECT_FLOAT_EQ(walls[0].v2, 1);
  EXPECT_FLOAT_EQ(walls[0].elasticity, 0.8f);
  EXPECT_EQ(walls[1].isFlipper, 1);
  EXPECT_FLOAT_EQ(walls[1].defaultH2, 3);
  EXPECT_FLOAT_EQ(walls[1].defaultV2, 2);
  EXPECT_FLOAT_EQ(walls[1].flipSpeed, 0.1f);
  EXPECT_FLOAT_EQ(walls[1].flipAngle, 0.7f);
  EXPECT_EQ(walls[1].elasticity, 0);
}

TEST_F(Reader, DominationCheckpointsStartNeutralOnlyAfterTheGameTypeLine) {
  read("checkpoint 0 0 2\ndomination 100\ncheckpoint 1 1 4\norbitcp 0 0 1 1 0 10 5\n");
  EXPECT_EQ(blocks[0].checkPoint, 2);
  EXPECT_EQ(blocks[1].checkPoint, kDominationNeutral);
  EXPECT_EQ(blocks[2].checkPoint, kDominationNeutral);
  EXPECT_EQ(numCheckPoints, 5);
}

TEST_F(Reader, StartLinesGoToPlayersInOrderAndTagClearsIt) {
  ASSERT_NE(it, nullptr);
  read("start 1 2 3 4\nstart 5 6 0 0\ntag 100\n");
  EXPECT_FLOAT_EQ(players[0]->hStart, 1);
  EXPECT_FLOAT_EQ(players[0]->vvStart, 4);
  EXPECT_FLOAT_EQ(players[1]->hStart, 5);
  EXPECT_FLOAT_EQ(players[2]->hStart, 0); // untouched
  EXPECT_EQ(gameType, kTag);
  EXPECT_EQ(it, nullptr);
}

TEST_F(Reader, MissingNumbersReadAsZeroNotAsTheLastLinesValues) {
  read("orbiter 1 2 3 4 5 6\norbiter 7\n");
  ASSERT_EQ(blockNum, 1);
  EXPECT_FLOAT_EQ(blocks[1].h1, 7);
  EXPECT_FLOAT_EQ(blocks[1].v1, 0);
  EXPECT_FLOAT_EQ(blocks[1].period, 0);
  read("scores 1 2 3\n");
  EXPECT_EQ(gameScores[0], 1);
  EXPECT_EQ(gameScores[2], 3);
  EXPECT_EQ(gameScores[3], 0);
}

TEST_F(Reader, NumbersReadAsScanfReadsThem) {
  read("deathmatch 0x10\nspeed 1.5e0\n");
  EXPECT_EQ(maxScore, 16);
  EXPECT_FLOAT_EQ(gameSpeed, 1.5f);
  read("deathmatch 010\n"); // a leading 0 is octal
  EXPECT_EQ(maxScore, 8);
}

TEST_F(Reader, TableOverflowIsRefusedWithOneWarningNamingFileAndLine) {
  std::string text;
  for (int i = 0; i < kMaxBlocks + 5; i++) text += "block 1 1\n";
  for (int i = 0; i < kMaxWalls + 3; i++) text += "wall 0 1 0 1 1\n";
  std::string err = readCapturingErrors(text);
  EXPECT_EQ(blockNum, kMaxBlocks - 1);
  EXPECT_EQ(wallNum, kMaxWalls);
  EXPECT_NE(err.find("level.def:401:"), std::string::npos) << err;
  EXPECT_NE(err.find("level.def:606:"), std::string::npos) << err;
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 2) << err;
}

TEST_F(Reader, BadStartFlagAndPlayerLinesAreRefused) {
  std::string text;
  for (int i = 0; i < 8; i++) text += "start 1 1 0 0\n";
  text += "flag 1 2 2\nflag 3 4 -1\nflag 5 6 1\n";
  text += "player 9 1 1 1 q w 0.3 1\nblock 7 7\nplayer -1 1 1 1 q w 0.3 1\nName\n";
  std::string err = readCapturingErrors(text);
  EXPECT_FLOAT_EQ(flags[1].h, 5);
  EXPECT_FLOAT_EQ(flags[0].h, 0);
  EXPECT_NE(err.find("level.def:7:"), std::string::npos) << err; // seventh start line
  EXPECT_NE(err.find("level.def:9:"), std::string::npos) << err;
  EXPECT_NE(err.find("level.def:10:"), std::string::npos) << err;
  EXPECT_NE(err.find("level.def:12:"), std::string::npos) << err;
  EXPECT_NE(err.find("level.def:14:"), std::string::npos) << err;
  // The refused player's name line is still its name, not a node.
  EXPECT_EQ(blockNum, -1);
  EXPECT_STREQ(players[0]->name, "Red");
}

TEST_F(Reader, OverlongLinesAndNamesAreCut) {
  std::string longName(300, 'x');
  read("player 0 0.5 0.5 0.5 q w 0.4 3\n" + longName + "\nnextlevel 0\n" + longName +
       "block 1 1\nblock 2 2\n");
  EXPECT_EQ(std::strlen(players[0]->name), static_cast<size_t>(kNameSize - 1));
  EXPECT_EQ(std::strlen(levelname), static_cast<size_t>(kTextSize - 1));
  // The tail of the long name line is not read as a statement.
  EXPECT_EQ(blockNum, 0);
  EXPECT_FLOAT_EQ(blocks[0].h, 2);
}

TEST_F(Reader, ZeroBytesAndHugeNumbersAreSafe) {
  std::string line = "block 1 1";
  line += '\0';
  line += std::string(300, ' ') + "block 9 9\n";
  read(line + "deathmatch 99999999999\n");
  EXPECT_EQ(blockNum, 0); // the tail past the zero byte is not a second line
  EXPECT_EQ(maxScore, INT_MAX);
}

TEST_F(Reader, PlayerLineSetsIdentitySizeAndMass) {
  read("player 2 0.1 0.2 0.3 q  w 0.6 7\nSpeedy Gonzo\n", "prefs.def");
  const player *p = players[2];
  EXPECT_FLOAT_EQ(p->r, 0.1f);
  EXPECT_EQ(p->key, 'q');
  EXPECT_EQ(p->powerUpKey, 'w');
  EXPECT_FLOAT_EQ(p->radius, 0.6f);
  EXPECT_FLOAT_EQ(p->defaultSize, 0.6f);
  EXPECT_NEAR(p->mass, 0.6 * 0.6 * 0.6 * 37.037, 1e-4);
  EXPECT_EQ(p->sprite, 7);
  EXPECT_STREQ(p->name, "Speedy Gonzo");
}

TEST_F(Reader, BagIsEmptiedBeforeEveryPreferencesReadAndKeepsItsBound) {
  writeFile("prefs.def", "powerUpAvail 20 9\npowerUpAvail 39 1\npowerUpAvail 300 5\n");
  ReadPrefs();
  ReadLevelFile("prefs.def");
  EXPECT_EQ(powerUpsInList, 10);
  EXPECT_EQ(std::count(powerUpList, powerUpList + 10, 20), 9);
  EXPECT_EQ(powerUpFrequency[39], 1);
  std::string err = readCapturingErrors("powerUpAvail 1 2000\npowerUpAvail 2 100\n", "prefs.def");
  EXPECT_EQ(powerUpsInList, kPowerUpListSize);
  EXPECT_EQ(powerUpFrequency[2], 100); // recorded even when the bag is full
  EXPECT_NE(err.find("prefs.def:2:"), std::string::npos) << err;
}

TEST_F(Reader, PowerUpSetSectionsFollowTheSelectedSet) {
  powerUpSetID = 2;
  read("powerUpFreq 100\n"
       "powerupset First\npowerUpAvail 1 3\npowerUpFreq 200\n"
       "powerupset Second\npowerUpAvail 2 4\npowerUpFreq 300\n",
       "powerupsets.def");
  EXPECT_STREQ(powerUpSetName, "Second");
  EXPECT_EQ(powerUpFrequency[1], 0);
  EXPECT_EQ(powerUpFrequency[2], 4);
  EXPECT_EQ(powerUpInfrequency, 300);
  powerUpSetID = 5;
  read("powerupset A\npowerupset B\npowerupset C\n", "powerupsets.def");
  EXPECT_EQ(powerUpSetID, 0);
  EXPECT_STREQ(powerUpSetName, "None");
}

TEST_F(Reader, EveryReadEmptiesTheArena) {
  read("block 1 1\nwall 0 1 0 1 1\nnextlevel 0\nA\n");
  EXPECT_EQ(numLevels, 0);
  writeFile("prefs.def", "sound 2\n");
  ReadPrefs();
  EXPECT_EQ(blockNum, -1);
  EXPECT_EQ(wallNum, 0);
  EXPECT_EQ(numLevels, -1);
  EXPECT_EQ(soundMode, 2);
}

TEST_F(Reader, MissingPreferencesAreNotAnErrorButAMissingLevelListEndsTheGame) {
  ReadPrefs(); // no file: nothing happens
  EXPECT_EQ(soundMode, 4);
  EXPECT_EXIT(ReadLevelFile("level.def"), testing::ExitedWithCode(1), "level.def");
}

// ---- Preferences writer ----------------------------------------------------------------
class Prefs : public Reader {};

TEST_F(Prefs, WrittenThenReadBackGivesTheSameSettingsPlayersAndBag) {
  players[1]->r = 0.25f;
  players[1]->key = 'k';
  players[1]->powerUpKey = 'l';
  players[1]->defaultSize = 0.45f;
  players[1]->sprite = 9;
  std::strcpy(players[1]->name, "block 1 2");
  useFullScreen = 0;
  gameSpeed = 1.5f;
  powerUpInfrequency = 120;
  soundMode = 2;
  powerUpFrequency[20] = 9;
  powerUpFrequency[39] = 1;
  WritePrefsFile();
  const std::string text = readFile("prefs.def");
  EXPECT_EQ(text.rfind("#First setup the players\nplayer 0 ", 0), 0u) << text;
  EXPECT_NE(text.find("#Nova\npowerUpAvail 20 9\n"), std::string::npos);
  EXPECT_NE(text.find("speed 1.500000\n"), std::string::npos);

  ResetWorld();
  roster();
  ReadPrefs();
  EXPECT_FLOAT_EQ(players[1]->r, 0.25f);
  EXPECT_EQ(players[1]->key, 'k');
  EXPECT_EQ(players[1]->powerUpKey, 'l');
  EXPECT_FLOAT_EQ(players[1]->radius, 0.45f);
  EXPECT_EQ(players[1]->sprite, 9);
  EXPECT_STREQ(players[1]->name, "block 1 2");
  EXPECT_EQ(blockNum, -1);
  EXPECT_EQ(useFullScreen, 0);
  EXPECT_FLOAT_EQ(gameSpeed, 1.5f);
  EXPECT_EQ(powerUpInfrequency, 120);
  EXPECT_EQ(soundMode, 2);
  EXPECT_EQ(powerUpsInList, 10);
  EXPECT_EQ(powerUpFrequency[20], 9);
  EXPECT_EQ(powerUpFrequency[39], 1);
  // Writing again gives the same file byte for byte.
  ASSERT_EQ(WritePrefsTo("again.def"), 0);
  EXPECT_EQ(readFile("again.def"), text);
}

TEST_F(Prefs, AFailedWriteKeepsTheOldFileAndEndsWithStatusOne) {
  writeFile("prefs.def", "sound 1\n");
  ASSERT_EQ(mkdir("prefs.def.tmp", 0755), 0); // the temporary cannot be created
  EXPECT_NE(WritePrefsTo("prefs.def"), 0);
  EXPECT_EQ(readFile("prefs.def"), "sound 1\n");
  EXPECT_EXIT(WritePrefsFile(), testing::ExitedWithCode(1), "prefs.def");
}

TEST_F(Prefs, AFullDiskNeverLeavesATruncatedFile) {
  if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
  writeFile("prefs.def", "sound 1\n");
  ASSERT_EQ(symlink("/dev/full", "prefs.def.tmp"), 0);
  EXPECT_NE(WritePrefsTo("prefs.def"), 0);
  EXPECT_EQ(readFile("prefs.def"), "sound 1\n");
}
