// Start-up roster, frame-rate regulation, camera, window shape and round resets.
#include "world_fixture.h"

#include "gl/headless.h"
#include "inclGL.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
double fakeNow = 0;
// Each read moves the clock on a little, so a busy wait always ends.
double creepingClock() { return fakeNow += 0.0001; }
} // namespace

// ---- Roster ------------------------------------------------------------------------------
TEST_F(World, DefaultRosterHasSixBallsWhoseLooksMatchTheirAnnouncerNames) {
  roster();
  ASSERT_EQ(numPlayers, 6);
  const char *colours[] = {"Red", "Yellow", "Orange", "Purple", "Green", "Blue"};
  for (int i = 0; i < 6; i++) {
    EXPECT_EQ(players[i]->playerID, i);
    EXPECT_STREQ(players[i]->sound, colours[i]);
    EXPECT_STREQ(players[i]->name, colours[i]);
    EXPECT_EQ(players[i]->active, i == 0 || i == 5) << i;
    EXPECT_EQ(players[i]->ai, kComputer);
  }
  EXPECT_EQ(players[0]->r, 1);
  EXPECT_EQ(players[0]->b, 0);
  EXPECT_EQ(players[5]->b, 1);
  EXPECT_EQ(players[5]->r, 0);
  EXPECT_EQ(players[0]->key, 'z');
  EXPECT_EQ(teamLeaders[0], players[0]);
  EXPECT_EQ(teamLeaders[1], players[5]);
  EXPECT_EQ(it, players[5]);
  ASSERT_NE(puck, nullptr);
  EXPECT_EQ(puck->playerID, kPuckID);
  EXPECT_EQ(puck->team, kPuckTeam);
  EXPECT_EQ(puck->sprite, 0);
  EXPECT_EQ(puck->g, 1);
}

TEST_F(World, NewPlayerIdentitiesRunOutAfterSix) {
  const char *names[] = {"Blue", "Green", "Purple", "Orange", "Yellow", "Red"};
  for (const char *name : names) EXPECT_STREQ(AddPlayer(0, 1)->name, name);
  player *seventh = AddPlayer(1, 2);
  EXPECT_STREQ(seventh->name, "");
  EXPECT_EQ(seventh->key, 0);
  EXPECT_EQ(seventh->sprite, 4); // team + 3
  EXPECT_EQ(seventh->r, 1);
  EXPECT_EQ(seventh->turbo, -1.0f);
  EXPECT_EQ(seventh->block, kRopeFree);
}

TEST_F(World, ResetPlayerBringsTheBallBackButKeepsItsMatch) {
  roster();
  player *p = players[2];
  p->hStart = 3, p->vStart = 4, p->hvStart = 0.1f, p->vvStart = -0.2f;
  p->score = 7, p->suicides = 2, p->shield = 100, p->chase = 40, p->turbo = 9, p->stop = 5;
  p->alive = 0, p->block = 3, p->moveDelay = 6;
  ResetPlayer(p);
  EXPECT_EQ(p->alive, 1);
  EXPECT_FLOAT_EQ(ballH(p), 3.1f);
  EXPECT_FLOAT_EQ(ballVV(p), -0.2f);
  EXPECT_EQ(p->score, 7);
  EXPECT_EQ(p->suicides, 2);
  EXPECT_FLOAT_EQ(p->shield, 60); // the chase's shield is taken back
  EXPECT_FLOAT_EQ(p->turbo, 9);
  EXPECT_EQ(p->stop, 0);
  EXPECT_EQ(p->block, kRopeFree);
  EXPECT_EQ(p->ghost, 30);
}

TEST_F(World, TeamGamesAreExactlyTheFour) {
  int teams = 0;
  for (gameType = kFirstGameType; gameType <= kLastGameType; gameType++) teams += isTeamGame();
  EXPECT_EQ(teams, 4);
  gameType = kAirHockey;
  EXPECT_EQ(isTeamGame(), 1);
  gameType = kPinata;
  EXPECT_EQ(isTeamGame(), 0);
}

// ---- Frame-rate regulation ------------------------------------------------------------------
class Regulator : public World {
protected:
  void SetUp() override {
    World::SetUp();
    SetClock(creepingClock);
    fakeNow = 0;
    newTime = 0;
  }
  void TearDown() override {
    SetClock(nullptr);
    World::TearDown();
  }
  void frame(double seconds) {
    fakeNow += seconds;
    RegulateFrameRate();
  }
};

TEST_F(Regulator, SpeedMultRampsOverTwentyFramesThenHoldsHalfATick) {
  frame(0.025);
  EXPECT_NEAR(speedMult, 0.025, 1e-6);
  for (int i = 1; i < 19; i++) frame(0.025);
  EXPECT_LT(speedMult, 0.5f);
  frame(0.025);
  EXPECT_NEAR(speedMult, 0.5, 1e-6);
  for (int i = 0; i < 50; i++) frame(0.3); // a slow machine still steps half a tick
  EXPECT_NEAR(speedMult, 0.5, 1e-5);
}

TEST_F(Regulator, SphereDetailRisesOnlyWhileTheMachineKeepsUp) {
  spheredetail = 28;
  frame(0.025);
  frame(0.025);
  frame(0.025);
  EXPECT_EQ(spheredetail, 30);
  spheredetail = 20;
  frame(0.1); // 2 ticks of real time: too slow
  EXPECT_EQ(spheredetail, 20);
}

TEST_F(Regulator, FastMachinesWaitUntilTheFrameIsDue) {
  gameSpeed = 2; // a cap of 80 frames a second
  RegulateFrameRate();
  const double before = newTime;
  RegulateFrameRate();
  EXPECT_GE(newTime - before, 0.0125 - 1e-9);
  EXPECT_LT(newTime - before, 0.0125 + 0.0002);
}

TEST_F(Regulator, BotsFinishARoundEverFasterOnceEveryHumanIsOut) {
  playerPresent = 1;
  humansNum = 0;
  for (int i = 0; i < 20; i++) frame(0.025);
  const float grown = speedMult;
  EXPECT_GT(grown, 0.5f);
  EXPECT_NEAR(grown, 0.5 * (std::pow(1.001, 20) - 1) / 0.001 / 20, 1e-4);
  humansNum = 1; // a human back in play: steady steps again
  for (int i = 0; i < 20; i++) frame(0.025);
  EXPECT_NEAR(speedMult, 0.5, 1e-6);
  playerPresent = 0; // no human in the match at all: no growth
  humansNum = 0;
  for (int i = 0; i < 20; i++) frame(0.025);
  EXPECT_NEAR(speedMult, 0.5, 1e-6);
}

TEST_F(World, HiddenWindowRunsNoFrames) {
  vis(GLUT_VISIBLE);
  EXPECT_EQ(headlessState().idle, Idle);
  vis(GLUT_NOT_VISIBLE);
  EXPECT_EQ(headlessState().idle, nullptr);
}

// ---- Window shape -----------------------------------------------------------------------
TEST_F(World, ReshapeKeepsAtLeastTheFourByThreeView) {
  Reshape(1600, 600);
  EXPECT_NEAR(ar, 8.0 / 3.0, 1e-6);
  EXPECT_NEAR(headlessState().frustum[1], 8.0 / 3.0, 1e-6); // 24.5 units across at 9.2 away
  EXPECT_NEAR(headlessState().frustum[3], 1.0, 1e-6);
  EXPECT_FLOAT_EQ(heightRatio, 1.25f);
  Reshape(800, 800);
  EXPECT_NEAR(headlessState().frustum[1], 4.0 / 3.0, 1e-6);
  EXPECT_NEAR(headlessState().frustum[3], 4.0 / 3.0, 1e-6);
  EXPECT_EQ(headlessState().viewport[2], 800);
  Reshape(640, 0); // a minimised window
  EXPECT_TRUE(std::isfinite(ar));
}

// ---- Camera -------------------------------------------------------------------------------
class Camera : public World {
protected:
  void SetUp() override {
    World::SetUp();
    roster();
    levelLeft = -10, levelRight = 10, levelTop = 7.5f, levelBottom = -7.5f;
    blockNum = -1;
  }
};

TEST_F(Camera, WithoutHumansTheWholeLevelIsFramed) {
  for (int i = 0; i < 200; i++) FrameCamera();
  EXPECT_NEAR(screenScale, 12.0 / 20.0, 1e-6);
  EXPECT_NEAR(actualScale, 0.6, 1e-3);
  EXPECT_NEAR(actualScreenV, 0, 1e-3);
  // The view is a little wider than the level; the left edge rule is applied last.
  EXPECT_NEAR(actualScreenH, -10 + 6.25 / actualScale, 1e-4);
}

TEST_F(Camera, FollowsAHumanButNeverShowsBeyondTheLevel) {
  players[0]->ai = kHuman;
  placeBall(players[0], 9, 7, 0, 0);
  for (int i = 0; i < 200; i++) FrameCamera();
  EXPECT_FLOAT_EQ(actualScale, 1.0f);
  EXPECT_NEAR(actualScreenH, 10 - 6.25, 1e-4);
  EXPECT_NEAR(actualScreenV, 7.5 - 4.25, 1e-4);
}

TEST_F(Camera, ZoomOutFollowsAtOnceAndZoomInLags) {
  quantisedScale = 1;
  screenScale = 0.5f;
  QuantiseScale();
  EXPECT_FLOAT_EQ(quantisedScale, 0.5f);
  screenScale = 0.9f;
  QuantiseScale();
  EXPECT_FLOAT_EQ(quantisedScale, 0.7f);
  screenScale = 1.0f;
  QuantiseScale();
  EXPECT_FLOAT_EQ(quantisedScale, 1.0f);
}

TEST_F(Camera, SmallLevelsAreCentredOnTheOrigin) {
  levelLeft = -5, levelRight = 5; // 10 wide
  players[0]->ai = kHuman;
  placeBall(players[0], 4, 3, 0, 0);
  for (int i = 0; i < 50; i++) FrameCamera();
  EXPECT_EQ(actualScreenH, 0);
  EXPECT_NE(actualScreenV, 0);
  levelTop = 4, levelBottom = -4; // and 8 high
  FrameCamera();
  EXPECT_EQ(actualScreenV, 0);
  EXPECT_EQ(actualScale, 1);
}

// ---- Round reset ----------------------------------------------------------------------------
class RoundReset : public World {
protected:
  void SetUp() override {
    World::SetUp();
    roster();
    for (int i = 0; i < 6; i++) {
      players[i]->hStart = static_cast<float>(i);
      players[i]->vStart = 10.0f + i;
      players[i]->hvStart = 0.01f * i;
    }
  }
};

TEST_F(RoundReset, NoSwapsLeaveEveryBallOnItsOwnStart) {
  randomPos = 0;
  ResetPositions();
  for (int i = 0; i < 6; i++) {
    EXPECT_FLOAT_EQ(ballH(players[i]), i + 0.01f * i);
    EXPECT_FLOAT_EQ(ballV(players[i]), 10.0f + i);
    EXPECT_EQ(players[i]->ghost, 30);
  }
  randomPos = 10;
  gameType = kTeamDeathmatch; // teams keep their sides
  ResetPositions();
  for (int i = 0; i < 6; i++) EXPECT_FLOAT_EQ(ballV(players[i]), 10.0f + i);
}

TEST_F(RoundReset, SwapsMixPlacesButNotIdentities) {
  ResetPositions();
  bool mixed = false;
  float seen[6];
  for (int i = 0; i < 6; i++) {
    seen[i] = ballV(players[i]);
    mixed = mixed || seen[i] != 10.0f + i;
    // Velocity travels with the place.
    const int from = static_cast<int>(std::lround(seen[i] - 10.0f));
    EXPECT_NEAR(ballVH(players[i]), 0.01f * from, 1e-6);
  }
  EXPECT_TRUE(mixed);
  std::sort(seen, seen + 6);
  for (int i = 0; i < 6; i++) EXPECT_FLOAT_EQ(seen[i], 10.0f + i); // a permutation
  EXPECT_STREQ(players[0]->name, "Red");
}

TEST_F(RoundReset, SwapExchangesPlaceVelocitySpinAndRope) {
  placeBall(players[1], 1, 2, 0.1f, 0.2f);
  placeBall(players[4], 5, 6, -0.3f, 0.4f);
  players[1]->block = 3, players[1]->anglev = 0.5f, players[1]->distance = 2;
  players[1]->frame = 57; // rings are read at each ball's own frame
  players[1]->x[57] = 1, players[1]->y[57] = 2, players[1]->x[56] = 0.9f, players[1]->y[56] = 1.8f;
  Swap(1, 4);
  EXPECT_FLOAT_EQ(ballH(players[1]), 5);
  EXPECT_NEAR(ballVH(players[1]), -0.3f, 1e-6);
  EXPECT_FLOAT_EQ(ballH(players[4]), 1);
  EXPECT_NEAR(ballVV(players[4]), 0.2f, 1e-6);
  EXPECT_EQ(players[4]->block, 3);
  EXPECT_EQ(players[1]->block, kRopeFree);
  EXPECT_FLOAT_EQ(players[4]->distance, 2);
  Swap(2, 2);
  placeBall(players[2], 7, 8, 0.5f, 0);
  Swap(2, 2);
  EXPECT_FLOAT_EQ(ballH(players[2]), 7);
  EXPECT_NEAR(ballVH(players[2]), 0.5f, 1e-6);
}

TEST_F(RoundReset, VanishedNodesReturnAndUnstableNodesGoHome) {
  blockNum = 3;
  blocks[0].type = kNodeStill, blocks[0].blink = -1;
  blocks[1].type = kNodeBlinkPeriodic, blocks[1].blink = 80;
  blocks[2].type = kNodeBlinkRelease, blocks[2].blink = 80;
  blocks[3].type = kNodeUnstable, blocks[3].h = 9, blocks[3].h1 = 1, blocks[3].h2 = 0.5f;
  ResetPositions();
  EXPECT_EQ(blocks[0].blink, 50);
  EXPECT_EQ(blocks[1].blink, 80);
  EXPECT_EQ(blocks[2].blink, 50);
  EXPECT_EQ(blocks[3].h, 1);
  EXPECT_EQ(blocks[3].h2, 0);
}

TEST_F(RoundReset, PuckPlaysOnlyInAirHockeyAndPinata) {
  ResetPositions();
  EXPECT_EQ(puck->alive, 0);
  gameType = kPinata;
  puck->mass = 9;
  ResetPositions();
  EXPECT_EQ(puck->alive, 1);
  EXPECT_EQ(puck->mass, 1);
  EXPECT_EQ(ballH(puck), 0);
}

TEST_F(RoundReset, UnstableMatchMakesStillNodesDriftFromWhereTheyStand) {
  blockNum = 1;
  blocks[0].type = kNodeStill, blocks[0].h = 3, blocks[0].v = 4, blocks[0].h2 = 1;
  blocks[1].type = kNodeOrbiter, blocks[1].h = 5, blocks[1].h1 = 0;
  PrepareUnstableMatch();
  EXPECT_EQ(blocks[0].h1, 3);
  EXPECT_EQ(blocks[0].v1, 4);
  EXPECT_EQ(blocks[0].h2, 0);
  EXPECT_EQ(blocks[1].h1, 0);
}

TEST_F(RoundReset, FullResetRereadsPreferencesAndStartsFromTheFirstLevel) {
  writeFile("level.def", "nextlevel 0\nFirst\nblock 1 1\nnextlevel 1\nSecond\nblock 2 2\nblock 3 3\n");
  writeFile("prefs.def", "powerUpAvail 20 3\nsound 3\n");
  currentLevel = 1;
  ReadLevelFile("level.def");
  ReadPrefs();
  players[0]->score = 4;
  players[0]->powerUpType = kPowerNova;
  playerPresent = 2;
  soundMode = 1;
  ResetAll();
  EXPECT_EQ(currentLevel, 0);
  EXPECT_STREQ(levelname, "First");
  EXPECT_EQ(blockNum, 0);
  EXPECT_EQ(soundMode, 3);
  EXPECT_EQ(powerUpsInList, 3);
  EXPECT_EQ(players[0]->score, 0);
  EXPECT_EQ(players[0]->powerUpType, kPowerNone);
  EXPECT_EQ(playerPresent, 0);
}

// ---- Start-up and frames ----------------------------------------------------------------------
TEST_F(World, StartUpCreatesMissingPreferencesAndTheFrameRuns) {
  writeFile("level.def", "nextlevel 0\nOnly\nlevel -10 10 7 -7\nblock 0 0\nstart 1 1 0 0\n");
  roster();
  StartupReads(true);
  EXPECT_NE(readFile("prefs.def").find("player 5 "), std::string::npos);
  // A first run ships a full bag, and saves it.
  EXPECT_EQ(powerUpsInList, 43 * 3);
  EXPECT_NE(readFile("prefs.def").find("#Twiddle\npowerUpAvail 43 3\n"), std::string::npos);
  EXPECT_NE(readFile("prefs.def").find("powerUpAvail 0 0\n"), std::string::npos);
  ReadLevelFile(defaultLevels);
  ResetPositions();
  EXPECT_STREQ(levelname, "Only");
  FILE *log = std::tmpfile();
  frameReport = log;
  Display();
  Display();
  std::rewind(log);
  char line[64];
  int lines = 0;
  while (std::fgets(line, sizeof line, log)) {
    EXPECT_STREQ(line, "done displaying a frame\n");
    lines++;
  }
  std::fclose(log);
  EXPECT_EQ(lines, 2);
  EXPECT_EQ(cyclingCount, 2);
  EXPECT_EQ(headlessState().swaps, 2);
  EXPECT_EQ(headlessState().matrixDepth, 0);
}
