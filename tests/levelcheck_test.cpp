// The level checker: every kind of problem is reported on its line, a clean
// level list reports nothing, and the game tells of problems once per file.
#include "world_fixture.h"

#include "levelcheck.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string kSixStarts = "start 0 1 0 0\nstart 0 2 0 0\nstart 0 3 0 0\n"
                               "start 0 4 0 0\nstart 0 5 0 0\nstart 0 6 0 0\n";

struct Expected {
  int line;
  const char *says; // a part of the message
};

// A clean deathmatch level; lines 1 to 11, so an added line is line 12.
std::string cleanLevel(const std::string &extra = "", const char *type = "deathmatch 10") {
  std::string text =
      std::string("nextlevel 0\nClean\nlevel -10 10 7 -7\n") + type + "\nblock 0 0\n";
  for (int i = 0; i < 6; i++)
    text += "start " + std::to_string(i - 3) + " 2 0 0\n";
  return text + extra;
}

// A level whose body starts on line 4, after its number, name and arena; six starts close it.
std::string arenaLevel(const std::string &body) {
  return "nextlevel 0\nLevel\nlevel -10 10 7 -7\n" + body + kSixStarts;
}

std::string describe(const std::vector<LevelProblem> &problems) {
  std::string out;
  for (const LevelProblem &p : problems)
    out += "\n  " + std::to_string(p.line) + ": " + p.text;
  return out.empty() ? " (none)" : out;
}

} // namespace

class LevelCheck : public World {
protected:
  std::vector<LevelProblem> check(const std::string &text) {
    writeFile("level.def", text);
    std::vector<LevelProblem> problems;
    EXPECT_TRUE(CheckLevelList("level.def", problems));
    return problems;
  }
  // Exactly the expected problems, each on its line.
  void expectProblems(const std::string &text, const std::vector<Expected> &want) {
    const std::vector<LevelProblem> got = check(text);
    EXPECT_EQ(got.size(), want.size()) << text << "\nreported:" << describe(got);
    for (const Expected &w : want) {
      bool found = false;
      for (const LevelProblem &p : got)
        found |= p.line == w.line && p.text.find(w.says) != std::string::npos;
      EXPECT_TRUE(found) << "no \"" << w.says << "\" on line " << w.line << " of\n"
                         << text << "reported:" << describe(got);
    }
  }
};

TEST_F(LevelCheck, ACleanListOfEveryKindOfLevelReportsNothing) {
  const std::string text =
      "# a comment, and a blank line\n\nscores 10 10 5 10 5000 5 3000 2000 30 10 10 10\n" +
      cleanLevel("orbiter 12 0 3 1 0 100\nlinmove 11 0 5 0 0 50\nsinmove 0 -9 0 0 0 30\n"
                 "blinkPeriodic 1 1 100 20 120\nblinkRelease 2 2 -1\nunstable 3 3 4\n"
                 "wall -5 5 -5 -5 0.8\nflipper -4 -1 -4 -5 0.2 0.9\n"
                 "player 0 1 0 0 a b 0.3 1\nblock 1 2\n") +
      "nextlevel 1\nFlags\nlevel -10 10 7 -7\nctf 1\nflag -8 0 0\nflag 8 0 1\n" + kSixStarts +
      "nextlevel 2\nLoop\nlevel -10 10 7 -7\nrace 9\ncheckpoint -5 0 1\norbitcp 0 0 2 2 0 100 2\n"
      "sinmovecp 5 0 5 4 0 30 3\nlinmovecp 0 -4 4 -4 0 80 4\n" + kSixStarts +
      "nextlevel 3\nHills\nlevel -10 10 7 -7\ndomination 5000\ncheckpoint 0 0 1\n" + kSixStarts +
      "nextlevel 4\nRink\nlevel -10 10 7 -7\nhockey 5\nflag -8 0 0\nflag 8 0 1\nunstable 0 3 5\n" +
      kSixStarts + "nextlevel 5\nDrift\nlevel -10 10 7 -7\nunstableMatch 10\nunstable 0 0 5\n" +
      "orbiter 0 0 3 3 0 100\n" + kSixStarts +
      "nextlevel 6\nLow\nlevel 2 20 -0.5 -20\nbodyCount 9\nblock 5 -5\n" // left beyond top
      "start 3 -1 0 0\nstart 4 -2 0 0\nstart 5 -3 0 0\nstart 6 -4 0 0\nstart 7 -5 0 0\n"
      "start 8 -6 0 0\npowerupset Only\npowerUpFreq 0\npowerUpAvail 20 0\n";
  expectProblems(text, {});
}

// Each line added to a clean level (as line 12) gives one problem on that line.
TEST_F(LevelCheck, EachLineProblemIsReportedOnItsLine) {
  const struct { const char *line; const char *says; } cases[] = {
      {"blokc 1 2", "did you mean \"block\""},
      {"spxxd 1", "did you mean \"speed\""},
      {"linmovec 1", "did you mean \"linmove\""}, // a tie: the first keyword
      {"frobnicate 1 2", "not a statement the game knows"},
      {"block 3", "wants 2 values and reads only 1"},
      {"block x y", "reads none of them"},
      {" block 1 2", "first column"},
      {"block 1 2 3", "\"3\" after the values of \"block\""},
      {"checkpoint 1 2 1.5", "\".5\" after the values"},
      {"block nan 1", "not a finite number"},
      {"flag 1 1 2", "team 2 is neither 0 nor 1"},
      {"orbiter 0 0 1 1 0 0", "period other than 0"},
      {"linmove 0 0 1 1 0 -10", "period above 0"},
      {"unstable 1 1 0", "mass above 0"},
      {"blinkPeriodic 1 1 0 20 0", "visible time above 0"},
      {"blinkPeriodic 1 1 100 20 121", "phase beyond one cycle"},
      {"wall 1 1 2 2 0.5", "zero length"},
      {"start 1 1 0 0", "more than six \"start\" lines"},
      {"deathmatch 5", "second game-type line"},
      {"maxdist 0", "\"maxdist\" must be above 0"},
      {"speed 0", "\"speed\" must be above 0"},
      {"powerUpAvail 44 2", "power-up 44"},
      {"powerUpAvail 3 -1", "count below 0"},
      {"player 6 1 1 1 a b 0.3 1", "outside the roster"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.line);
    std::string text = cleanLevel(std::string(c.line) + "\n");
    if (std::string(c.line).rfind("player", 0) == 0) text += "Name\n";
    expectProblems(text, {{12, c.says}});
  }
}

TEST_F(LevelCheck, EachLevelProblemIsReportedOnTheLineThatCausesIt) {
  std::string walls;
  for (int i = 0; i <= kMaxWalls; i++) walls += "wall 0 1 0 0 1\n";
  const struct { std::string text; std::vector<Expected> want; } cases[] = {
      {cleanLevel(walls), {{12 + kMaxWalls, "more than 200 walls"}}},
      {cleanLevel("start 0 0 0 0\n").replace(cleanLevel().find("start -3 2"), 10, "start 20 2"),
       {{6, "start outside the arena"}, {12, "more than six"}}},
      {"nextlevel 0\nFew\nlevel -10 10 7 -7\ndeathmatch 10\nstart 0 0 0 0\n",
       {{1, "1 \"start\" lines for six balls"}}},
      {cleanLevel("block 15 0\norbiter 15 0 1 1 0 100\nsinmove 11 0 15 0 0 10\nunstable 0 9 3\n"
                  "orbiter 12 0 3 1 0 100\n"),
       {{12, "never comes inside"}, {13, "never comes inside"}, {14, "never comes inside"},
        {15, "never comes inside"}}},
      {arenaLevel("hockey 5\n"), {{1, "flag 0 is missing"}, {1, "flag 1 is missing"}}},
      {arenaLevel("ctf 5\nflag -8 0 0\nflag 30 0 1\n"), {{6, "flag 1 stands outside the arena"}}},
      {"nextlevel 0\nOff centre\nlevel 1 20 7 -7\npinata 30\nblock 5 0\nstart 5 1 0 0\n"
       "start 5 2 0 0\nstart 5 3 0 0\nstart 5 4 0 0\nstart 5 5 0 0\nstart 5 6 0 0\n",
       {{1, "the puck starts at (0, 0)"}}},
      {arenaLevel("race 10\ncheckpoint 0 0 1\nlinmovecp 0 0 1 1 0 9 3\ncheckpoint 2 2 0\n"),
       {{1, "checkpoint 2 is missing"}, {7, "checkpoint 0 is never touched"}}},
      {arenaLevel("race 10\nblock 0 0\n"), {{1, "Race without checkpoints"}}},
      {arenaLevel("domination 5000\nblock 0 0\n"), {{1, "Domination without checkpoint nodes"}}},
      {arenaLevel("checkpoint 0 0 1\ndomination 5000\n"),
       {{4, "before the level's game-type line"}}},
      {arenaLevel("unstableMatch 10\nblock 0 0\nblinkPeriodic 1 1 9 9 0\nblinkRelease 2 2 9\n"
                  "unstable 3 3 5\n"),
       {{5, "use \"unstable\""}, {6, "use \"unstable\""}, {7, "use \"unstable\""}}},
      {cleanLevel() + "nextlevel 2\nSkipped\nlevel -10 10 7 -7\ndeathmatch 10\n" + kSixStarts,
       {{12, "level number 2 where 1 was expected"}}},
      {cleanLevel() + "nextlevel 1\n\nlevel -10 10 7 -7\ndeathmatch 10\n" + kSixStarts,
       {{13, "has no name"}}},
      {cleanLevel() + "nextlevel 1\nrace 3\nlevel -10 10 7 -7\ndeathmatch 10\n" + kSixStarts,
       {{13, "reads as a statement"}}},
      {arenaLevel("bodyCount 0\n"), {{4, "target below 1"}}},
      {"nextlevel 0\nBare\nblock 0 0\n" + kSixStarts,
       {{1, "no \"level\" line"}, {1, "no game-type line"}}},
      {"block 1 1\nwall 0 1 0 0 1\n" + cleanLevel(),
       {{1, "before the first \"nextlevel\""}, {2, "before the first \"nextlevel\""}}},
      // An arena, a game type and a flag before the first level hold for every level.
      {"level -10 10 7 -7\nctf 5\nflag -8 0 0\nnextlevel 0\nShared\nflag 8 0 1\n" + kSixStarts, {}},
  };
  for (const auto &c : cases)
    expectProblems(c.text, c.want);
  // A word far from every keyword gets no spelling hint.
  const std::vector<LevelProblem> far = check(cleanLevel("cxx 5\n"));
  ASSERT_EQ(far.size(), 1u);
  EXPECT_EQ(far[0].text.find("did you mean"), std::string::npos) << far[0].text;
}

TEST_F(LevelCheck, TheGameTellsOfProblemsOncePerFileAndStillLoadsTheLevel) {
  roster();
  writeFile("level.def", cleanLevel("blokc 1 2\nblock 4 4\n"));
  testing::internal::CaptureStderr();
  ReadLevelFile("level.def");
  ReadLevelFile("level.def");
  const std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(blockNum, 1); // the good lines load; the typo is skipped
  EXPECT_STREQ(levelname, "Clean");
  EXPECT_NE(err.find("level.def: the level list has 1 problem; list them with: tethrix-sim "
                     "--check-levels level.def"), std::string::npos) << err;
  EXPECT_EQ(err.find("check-levels"), err.rfind("check-levels")) << "told twice: " << err;
}

TEST_F(LevelCheck, PrintingGivesFileAndLineAndTheExitStatus) {
  writeFile("level.def", cleanLevel("block 3\n"));
  writeFile("clean.def", cleanLevel());
  FILE *out = std::fopen("out.txt", "w");
  ASSERT_NE(out, nullptr);
  EXPECT_EQ(PrintLevelCheck("level.def", out), 1);
  EXPECT_EQ(PrintLevelCheck("clean.def", out), 0);
  EXPECT_EQ(PrintLevelCheck("missing.def", out), 2);
  std::fclose(out);
  const std::string text = readFile("out.txt");
  EXPECT_NE(text.find("level.def:12: \"block\" wants 2 values"), std::string::npos) << text;
  EXPECT_NE(text.find("level.def: 1 problem\n"), std::string::npos) << text;
  EXPECT_NE(text.find("clean.def: no problems\n"), std::string::npos) << text;
  EXPECT_NE(text.find("missing.def: cannot be read\n"), std::string::npos) << text;
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
    EXPECT_EQ(powerUpSetID, id);
    EXPECT_GT(powerUpsInList, 0);
    EXPECT_GT(powerUpInfrequency, 0);
    for (int k = 1; k < kNumPowerUps; k++)
      EXPECT_GE(powerUpFrequency[k], 0) << "power-up " << k << " not listed";
  }
}
