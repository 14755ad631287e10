// Start-up roster, frame-rate regulation, window shape, round resets and the first frames.
#include "world_fixture.h"

#include "gl/headless.h"
#include "inclGL.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <tuple>

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
    EXPECT_STREQ(players[i]->sound, colours[i]);
    EXPECT_STREQ(players[i]->name, colours[i]);
    EXPECT_EQ(players[i]->playerID, i);
    EXPECT_EQ(players[i]->active, i == 0 || i == 5) << i; // one ball a team starts in play
  }
  EXPECT_EQ(std::make_tuple(players[5]->r, players[5]->b), std::make_tuple(0.f, 1.f)); // "Blue"
  EXPECT_EQ(std::make_tuple(teamLeaders[0], teamLeaders[1], it),
            std::make_tuple(players[0], players[5], players[5]));
  ASSERT_NE(puck, nullptr);
  EXPECT_EQ(std::make_tuple(puck->playerID, puck->team, puck->sprite),
            std::make_tuple(kPuckID, kPuckTeam, 0));
  // Built-in identities run out after six.
  player *seventh = AddPlayer(1, 2);
  EXPECT_STREQ(seventh->name, "");
  EXPECT_EQ(std::make_tuple(seventh->key, seventh->sprite, seventh->block),
            std::make_tuple('\0', 4, kRopeFree));
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
  void frames(int n, double seconds) {
    for (int i = 0; i < n; i++) fakeNow += seconds, RegulateFrameRate();
  }
};

TEST_F(Regulator, SpeedMultRampsOverTwentyFramesThenHoldsHalfATick) {
  spheredetail = 27;
  frames(1, 0.025);
  EXPECT_NEAR(speedMult, 0.025, 1e-6);
  frames(18, 0.025);
  EXPECT_LT(speedMult, 0.5f);
  frames(1, 0.025);
  EXPECT_NEAR(speedMult, 0.5, 1e-6);
  EXPECT_EQ(spheredetail, 30); // more detail while the machine keeps up, to a cap
  spheredetail = 20;
  frames(50, 0.3); // a slow machine still steps half a tick
  EXPECT_NEAR(speedMult, 0.5, 1e-5);
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

TEST_F(Regulator, AVirtualClockIsNeverSleptOn) {
  SetClock(nullptr);
  fakeNow = newTime = mtime() + 3; // virtual time ahead of the real clock: a sleep would show
  SetClock(creepingClock);
  const auto start = std::chrono::steady_clock::now();
  frames(40, 0.025);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
}

TEST_F(Regulator, BotsFinishARoundEverFasterOnceEveryHumanIsOut) {
  // A thousandth more a frame, averaged over the ring; steady again with a human back in
  // play, and no growth at all in a match without humans.
  for (auto [present, humans, step] : {std::make_tuple(1, 0, 0.5048), std::make_tuple(1, 1, 0.5),
                                       std::make_tuple(0, 0, 0.5)}) {
    playerPresent = present, humansNum = humans;
    frames(20, 0.025);
    EXPECT_NEAR(speedMult, step, 1e-4) << present << " " << humans;
  }
}

// ---- Window ---------------------------------------------------------------------------------
TEST_F(World, ReshapeKeepsAtLeastTheFourByThreeViewAndAHiddenWindowIdles) {
  const HeadlessState &s = headlessState();
  Reshape(1600, 600); // wide: the height decides
  EXPECT_EQ(std::make_tuple(s.frustum[1], s.frustum[3], heightRatio),
            std::make_tuple(double(8.f / 3), 1.0, 1.25f));
  Reshape(800, 800); // tall: the width decides
  EXPECT_EQ(std::make_tuple(s.frustum[1], s.frustum[3], s.viewport[2]),
            std::make_tuple(double(4.f / 3), double(4.f / 3), 800));
  Reshape(640, 0); // a minimised window
  EXPECT_TRUE(std::isfinite(ar));
  vis(GLUT_VISIBLE);
  EXPECT_EQ(s.idle, Idle);
  vis(GLUT_NOT_VISIBLE);
  EXPECT_EQ(s.idle, nullptr);
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

// One ball by ResetPlayer, or every ball by a round reset: the same ball comes back.
TEST_F(RoundReset, BallComesBackToItsStartButKeepsItsMatch) {
  randomPos = 0;
  for (bool round : {false, true}) {
    SCOPED_TRACE(round ? "ResetPositions" : "ResetPlayer");
    player *p = players[2];
    p->hStart = 3, p->vStart = 4, p->hvStart = 0.1f, p->vvStart = -0.2f;
    p->score = 7, p->suicides = 2, p->shield = 100, p->chase = 40, p->turbo = 9, p->stop = 5;
    p->alive = 0, p->block = 3, p->moveDelay = 6, p->ghost = 0;
    round ? ResetPositions() : ResetPlayer(p);
    EXPECT_FLOAT_EQ(ballH(p), 3.1f);
    EXPECT_FLOAT_EQ(ballVV(p), -0.2f);
    EXPECT_EQ(std::make_tuple(p->alive, p->score, p->suicides, p->block),
              std::make_tuple(1, 7, 2, kRopeFree));
    // The chase's shield is taken back; turbo is kept.
    EXPECT_EQ(std::make_tuple(p->shield, p->turbo, p->stop, p->moveDelay, p->ghost),
              std::make_tuple(60.f, 9.f, 0.f, 0.f, 30.f));
  }
  EXPECT_FLOAT_EQ(ballH(players[5]), 5.05f);
}

TEST_F(RoundReset, SwapsMixPlacesButNotIdentitiesOutsideTeamGames) {
  for (int type : {kTeamDeathmatch, kDeathmatch}) {
    SCOPED_TRACE(type);
    gameType = type;
    ResetPositions();
    bool mixed = false;
    float seen[6];
    for (int i = 0; i < 6; i++) {
      seen[i] = ballV(players[i]);
      mixed = mixed || seen[i] != 10.0f + i;
    }
    EXPECT_EQ(mixed, type == kDeathmatch);
    std::sort(seen, seen + 6);
    for (int i = 0; i < 6; i++) EXPECT_FLOAT_EQ(seen[i], 10.0f + i); // a permutation
    EXPECT_STREQ(players[0]->name, "Red");
  }
}

TEST_F(RoundReset, SwapExchangesPlaceVelocitySpinAndRope) {
  placeBall(players[1], 1, 2, 0.1f, 0.2f);
  placeBall(players[4], 5, 6, -0.3f, 0.4f);
  players[1]->block = 3, players[1]->anglev = 0.5f, players[1]->distance = 2;
  players[1]->frame = 57; // rings are read at each ball's own frame
  players[1]->x[57] = 1, players[1]->y[57] = 2, players[1]->x[56] = 0.9f, players[1]->y[56] = 1.8f;
  Swap(1, 4);
  EXPECT_FLOAT_EQ(ballH(players[1]), 5);
  EXPECT_TRUE(movesBy(players[1], -0.3f, 0.4f));
  EXPECT_FLOAT_EQ(ballH(players[4]), 1);
  EXPECT_TRUE(movesBy(players[4], 0.1f, 0.2f));
  EXPECT_EQ(std::make_tuple(players[4]->block, players[4]->distance, players[4]->anglev),
            std::make_tuple(3, 2.f, 0.5f));
  EXPECT_EQ(players[1]->block, kRopeFree);
  placeBall(players[2], 7, 8, 0.5f, 0);
  Swap(2, 2);
  EXPECT_FLOAT_EQ(ballH(players[2]), 7);
  EXPECT_TRUE(movesBy(players[2], 0.5f, 0));
}

TEST_F(RoundReset, VanishedNodesReturnUnstableNodesGoHomeAndThePuckPlaysOnlyInItsGames) {
  blockNum = 3;
  blocks[0].type = kNodeStill, blocks[0].blink = -1;
  blocks[1].type = kNodeBlinkPeriodic, blocks[1].blink = 80;
  blocks[2].type = kNodeBlinkRelease, blocks[2].blink = 80;
  blocks[3].type = kNodeUnstable, blocks[3].h = 9, blocks[3].h1 = 1, blocks[3].h2 = 0.5f;
  ResetPositions();
  EXPECT_EQ(std::make_tuple(blocks[0].blink, blocks[1].blink, blocks[2].blink),
            std::make_tuple(50.f, 80.f, 50.f));
  EXPECT_EQ(std::make_tuple(blocks[3].h, blocks[3].h2), std::make_tuple(1.f, 0.f));
  EXPECT_EQ(puck->alive, 0);
  gameType = kPinata;
  puck->mass = 9;
  ResetPositions();
  EXPECT_EQ(std::make_tuple(puck->alive, puck->mass, ballH(puck)), std::make_tuple(1, 1.f, 0.f));
  // An unstable match sets still nodes drifting from where they stand.
  blockNum = 1;
  blocks[0].type = kNodeStill, blocks[0].h = 3, blocks[0].v = 4, blocks[0].h2 = 1;
  blocks[1].type = kNodeOrbiter, blocks[1].h = 5, blocks[1].h1 = 0;
  PrepareUnstableMatch();
  EXPECT_EQ(std::make_tuple(blocks[0].h1, blocks[0].v1, blocks[0].h2, blocks[1].h1),
            std::make_tuple(3.f, 4.f, 0.f, 0.f));
  // A round start in an unstable match stops every node; a blinking one stays where
  // it drifted (its h1 is a time), a read "block" line goes home to where it stood.
  writeFile("level.def", "block 1 2\nblock 5 0\n");
  ReadLevelFile("level.def");
  gameType = kUnstableMatch;
  blocks[0].h = 7, blocks[0].h2 = 1;
  blocks[1].type = kNodeBlinkRelease, blocks[1].h = 5, blocks[1].h1 = 40, blocks[1].h2 = 1;
  blockNum = 1;
  ResetPositions();
  EXPECT_EQ(std::make_tuple(blocks[0].h, blocks[0].h2, blocks[1].h, blocks[1].h2),
            std::make_tuple(1.f, 0.f, 5.f, 0.f));
}

TEST_F(RoundReset, FullResetRereadsPreferencesAndStartsFromTheFirstLevel) {
  writeFile("level.def", "nextlevel 0\nFirst\nblock 1 1\nnextlevel 1\nSecond\nblock 2 2\n");
  writeFile("prefs.def", "powerUpAvail 20 3\nsound 3\n");
  currentLevel = 1, playerPresent = 2;
  players[0]->score = 4, players[0]->powerUpType = kPowerNova;
  ResetAll();
  EXPECT_STREQ(levelname, "First");
  EXPECT_EQ(std::make_tuple(currentLevel, blockNum, soundMode, powerUpsInList),
            std::make_tuple(0, 0, 3, 3));
  EXPECT_EQ(std::make_tuple(players[0]->score, players[0]->powerUpType, playerPresent),
            std::make_tuple(0, kPowerNone, 0));
}

// ---- Start-up and frames ----------------------------------------------------------------------
TEST_F(World, StartUpCreatesMissingPreferencesAndTheFrameRuns) {
  writeFile("level.def", "nextlevel 0\nOnly\nlevel -10 10 7 -7\nblock 0 0\nstart 1 1 0 0\n");
  roster();
  StartupReads(true);
  const std::string prefs = readFile("prefs.def");
  EXPECT_NE(prefs.find("player 5 "), std::string::npos);
  // A first run ships a full bag, and saves it.
  EXPECT_EQ(powerUpsInList, 43 * 3);
  EXPECT_NE(prefs.find("#Twiddle\npowerUpAvail 43 3\n"), std::string::npos);
  EXPECT_NE(prefs.find("powerUpAvail 0 0\n"), std::string::npos);
  ReadLevelFile(defaultLevels);
  ResetPositions();
  EXPECT_STREQ(levelname, "Only");
  testing::internal::CaptureStdout();
  frameReport = stdout;
  Display();
  Display();
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "done displaying a frame\ndone displaying a frame\n");
  const HeadlessState &s = headlessState();
  EXPECT_EQ(std::make_tuple(cyclingCount, s.swaps, s.matrixDepth), std::make_tuple(2, 2, 0));
}
