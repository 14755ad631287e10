// The level checker: every kind of problem is reported on its line, a clean
// level list reports nothing, and the game tells of problems once per file.
#include "world_fixture.h"

#include "levelcheck.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

static const std::string kSixStarts = "start 0 1 0 0\nstart 0 2 0 0\nstart 0 3 0 0\n"
                                      "start 0 4 0 0\nstart 0 5 0 0\nstart 0 6 0 0\n";

// A level whose body starts on line 4, after its number, name and arena; six starts close it.
static std::string arenaLevel(const std::string &body) {
  return "nextlevel 0\nLevel\nlevel -10 10 7 -7\n" + body + kSixStarts;
}

// A clean deathmatch level; lines 1 to 11, so an added line is line 12.
static std::string cleanLevel(const std::string &extra = "") {
  return arenaLevel("deathmatch 10\nblock 0 0\n") + extra;
}

class LevelCheck : public World {
protected:
  struct Expected { int line; const char *says; }; // says: a part of the message
  // Exactly the expected problems, each on its line.
  void expectProblems(const std::string &text, const std::vector<Expected> &want) {
    writeFile("level.def", text);
    std::vector<LevelProblem> got;
    EXPECT_TRUE(CheckLevelList("level.def", got));
    std::string told = text + "reported:";
    for (const LevelProblem &p : got) told += "\n  " + std::to_string(p.line) + ": " + p.text;
    EXPECT_EQ(got.size(), want.size()) << told;
    for (const Expected &w : want)
      EXPECT_TRUE(std::any_of(got.begin(), got.end(), [&](const LevelProblem &p) {
        return p.line == w.line && p.text.find(w.says) != std::string::npos;
      })) << "no \"" << w.says << "\" on line " << w.line << " of\n" << told;
  }
};

// Besides the shipped levels: comments, a player's name line, set lines, left beyond top.
TEST_F(LevelCheck, ACleanListReportsNothing) {
  expectProblems("# a comment\n\nscores 10 10 5 10 5000 5 3000 2000 30 10 10 10\n" +
                     cleanLevel("player 0 1 0 0 a b 0.3 1\nAce\npowerupset Only\n"
                                "powerUpFreq 0\npowerUpAvail 20 0\nnextlevel 1\nLow\n"
                                "level 2 20 -0.5 -20\nbodyCount 1\nblock 5 -5\nstart 3 -1 0 0\n"
                                "start 4 -2 0 0\nstart 5 -3 0 0\nstart 6 -4 0 0\nstart 7 -5 0 0\n"
                                "start 8 -6 0 0\n"),
                 {});
}

// Each line added to a clean level (as line 12) gives one problem on that line.
TEST_F(LevelCheck, EachLineProblemIsReportedOnItsLine) {
  const struct { const char *line; const char *says; } cases[] = {
      {"blokc 1 2", "did you mean \"block\""},
      {"block x y", "reads none of them"},
      {" block 1 2", "first column"},
      {"checkpoint 1 2 1.5", "\".5\" after the values of \"checkpoint\""},
      {"block nan 1", "not a finite number"},
      {"deathmatch 99999999999", "out of range"},
      {"flag 1 1 2", "team 2 is neither 0 nor 1"},
      {"orbiter 0 0 1 1 0 0", "period other than 0"},
      {"linmove 0 0 1 1 0 -10", "period above 0"},
      {"unstable 1 1 0", "mass above 0"},
      {"blinkPeriodic 1 1 0 20 0", "visible time above 0"},
      {"blinkPeriodic 1 1 100 20 121", "phase beyond one cycle"},
      {"wall 1 1 2 2 0.5", "zero length"},
      {"deathmatch 5", "second game-type line"},
      {"maxdist 0", "\"maxdist\" must be above 0"},
      {"speed 0", "\"speed\" must be above 0"},
      {"powerUpAvail 44 2", "power-up 44"},
      {"powerUpAvail 3 -1", "count below 0"},
      {"player 6 1 1 1 a b 0.3 1", "outside the roster"},
  };
  for (const auto &c : cases)
    expectProblems(cleanLevel(std::string(c.line) + "\n"), {{12, c.says}});
}

TEST_F(LevelCheck, EachLevelProblemIsReportedOnTheLineThatCausesIt) {
  std::string walls;
  for (int i = 0; i <= kMaxWalls; i++) walls += "wall 0 1 0 0 1\n";
  const struct { std::string text; std::vector<Expected> want; } cases[] = {
      {cleanLevel(walls), {{12 + kMaxWalls, "more than 200 walls"}}},
      {cleanLevel("player 0 1 0 0 a b 0.3 1\nmaxdist 5\n"), {{13, "no name line"}}},
      {arenaLevel("deathmatch 10\nstart 20 0 0 0\n"),
       {{5, "start outside the arena"}, {11, "more than six"}}},
      {"nextlevel 0\nNone\nlevel -10 10 7 -7\ndeathmatch 10\n", {{1, "0 \"start\" lines"}}},
      // Still and moving nodes wholly outside; an orbiter and a sinmove that come inside are fine.
      {cleanLevel("block 15 0\norbiter 15 0 1 1 0 100\nsinmove 11 0 15 0 0 10\n"
                  "orbiter 12 0 3 1 0 100\nsinmove 0 -9 0 0 0 30\n"),
       {{12, "never comes inside"}, {13, "never comes inside"}, {14, "never comes inside"}}},
      {arenaLevel("hockey 5\n"), {{1, "flag 0 is missing"}, {1, "flag 1 is missing"}}},
      {arenaLevel("ctf 5\nflag -8 0 0\nflag 30 0 1\n"), {{6, "flag 1 stands outside the arena"}}},
      {"nextlevel 0\nAbove\nlevel -10 10 7 0.5\npinata 30\n" + kSixStarts,
       {{1, "the puck starts at (0, 0)"}}},
      {arenaLevel("race 10\ncheckpoint 0 0 1\nlinmovecp 0 0 1 1 0 9 3\ncheckpoint 2 2 0\n"),
       {{1, "checkpoint 2 is missing"}, {7, "checkpoint 0 is never touched"}}},
      {arenaLevel("race 0\nblock 0 0\n"), {{1, "Race without checkpoints"}, {4, "target below 1"}}},
      {arenaLevel("domination 5000\nblock 0 0\n"), {{1, "Domination without checkpoint nodes"}}},
      {arenaLevel("checkpoint 0 0 1\ndomination 5000\n"), {{4, "before the level's game-type"}}},
      {arenaLevel("unstableMatch 10\nblock 0 0\nblinkPeriodic 1 1 9 9 0\nblinkRelease 2 2 9\n"
                  "unstable 3 3 5\n"),
       {{5, "use \"unstable\""}, {6, "use \"unstable\""}, {7, "use \"unstable\""}}},
      {cleanLevel("nextlevel 2\n\nlevel -10 10 7 -7\ndeathmatch 10\n" + kSixStarts),
       {{12, "level number 2 where 1 was expected"}, {13, "has no name"}}},
      {cleanLevel("nextlevel 1\nrace 3\nlevel -10 10 7 -7\ndeathmatch 10\n" + kSixStarts),
       {{13, "reads as a statement"}}},
      {"nextlevel 0\nBare\nblock 0 0\n" + kSixStarts,
       {{1, "no \"level\" line"}, {1, "no game-type line"}}},
      {"block 1 1\nwall 0 1 0 0 1\n" + cleanLevel(),
       {{1, "before the first \"nextlevel\""}, {2, "before the first \"nextlevel\""}}},
      // An arena, a game type and a flag before the first level hold for every level.
      {"level -10 10 7 -7\nctf 5\nflag -8 0 0\nnextlevel 0\nShared\nflag 8 0 1\n" + kSixStarts, {}},
  };
  for (const auto &c : cases)
    expectProblems(c.text, c.want);
}

TEST_F(LevelCheck, TheGameTellsOfProblemsOncePerFile) {
  roster();
  writeFile("level.def", cleanLevel("blokc 1 2\n"));
  testing::internal::CaptureStderr();
  ReadLevelFile("level.def");
  ReadLevelFile("level.def");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("level.def: the level list has 1 problem; list them with: tethrix "
                     "--check-levels level.def"), std::string::npos) << err;
  EXPECT_EQ(err.find("check-levels"), err.rfind("check-levels")) << "told twice: " << err;
}

// A word far from every keyword gets no spelling hint.
TEST_F(LevelCheck, PrintingGivesFileAndLineAndTheExitStatus) {
  writeFile("level.def", cleanLevel("block 3\ncxx 5\n"));
  writeFile("clean.def", cleanLevel());
  FILE *out = std::fopen("out.txt", "w");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(PrintLevelCheck("level.def", out), 1);
  EXPECT_EQ(PrintLevelCheck("clean.def", out), 0);
  EXPECT_EQ(PrintLevelCheck("missing.def", out), 2);
  std::fclose(out);
  EXPECT_EQ(readFile("out.txt"), "level.def:12: \"block\" wants 2 values and reads only 1 in "
                                 "\"block 3\"; the rest become 0\n"
                                 "level.def:13: \"cxx 5\" is not a statement the game knows; "
                                 "it is ignored\nlevel.def: 2 problems\n"
                                 "clean.def: no problems\nmissing.def: cannot be read\n");
}

// The shipped sets as the options screen reads them: each by its number, with
// a bag to draw from and the whole frequency table replaced.
TEST_F(LevelCheck, EveryShippedPowerUpSetLoadsByItsNumber) {
  for (int id = 1; id <= 6; id++) {
    SCOPED_TRACE(id);
    powerUpSetID = id;
    powerUpsInList = 0;
    std::fill(powerUpFrequency, powerUpFrequency + kPowerUpIDs, -1);
    ReadLevelFile(TETHRIX_SOURCE_DIR "/data/powerupsets.def");
    EXPECT_GT(powerUpsInList, 0);
    EXPECT_GT(powerUpInfrequency, 0);
    EXPECT_GE(*std::min_element(powerUpFrequency + 1, powerUpFrequency + kNumPowerUps), 0);
  }
}

// Every game type's key is read, once, at its rank; the scores line takes one value per
// type; no pattern asks more values than a match can hold.
TEST_F(LevelCheck, TheReaderTakesEveryTypeKeyAndTheScoresLineFromTheTable) {
  std::vector<int> ranksInReaderOrder;
  for (int k = 0; k < ReaderPatternCount(); k++)
    for (int type = kFirstGameType; type <= kLastGameType; type++)
      if (std::string(ReaderPattern(k)) == GameTypeLevelKey(type))
        ranksInReaderOrder.push_back(GameTypeKeyRank(type));
  std::vector<int> expected(kNumGameTypes);
  for (int i = 0; i < kNumGameTypes; i++) expected[i] = i;
  EXPECT_EQ(ranksInReaderOrder, expected); // each key once, ranks 0 to n-1, tried in rank order
  StatementMatch m;
  std::string scores = "scores";
  for (int i = 1; i <= kNumGameTypes; i++) scores += " " + std::to_string(i);
  ASSERT_TRUE(MatchStatement(scores.c_str(), m));
  EXPECT_EQ(m.wanted, kNumGameTypes);
  EXPECT_EQ(m.i[kNumGameTypes - 1], kNumGameTypes);
  for (int k = 0; k < ReaderPatternCount(); k++)
    EXPECT_LE(std::count(ReaderPattern(k), ReaderPattern(k) + std::strlen(ReaderPattern(k)), '%'),
              StatementMatch::kValues) << ReaderPattern(k);
}

// A type that needs checkpoints or flags says what is missing, and only such a type does.
TEST_F(LevelCheck, ATypeNeedingCheckPointsOrFlagsNamesItsShortfall) {
  for (int type = kFirstGameType; type <= kLastGameType; type++) {
    const bool needs = GameTypeHas(type, kTraitCheckPointNodes | kTraitFlags);
    EXPECT_EQ(GameTypeShortfall(type) != nullptr, needs) << GameTypeName(type);
    EXPECT_EQ(GameTypeTeamPoint(type) != nullptr && !GameTypeHas(type, kTraitTeams), false)
        << GameTypeName(type) << ": a team point line needs teams";
  }
  EXPECT_FALSE(GameTypeHas(kLastGameType + 1, ~0u));
  EXPECT_EQ(GameTypeShortfall(kFirstGameType - 1), nullptr);
}
