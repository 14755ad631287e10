// Node paths and blink cycles, node lookup, the camera framing and teams alive.
#include "world_fixture.h"

#include <cmath>
#include <vector>

namespace {
constexpr double kPi = 3.141592653589793;
}

class Nodes : public World {
protected:
  void SetUp() override {
    World::SetUp();
    speedMult = 0.5f;
    levelLeft = levelBottom = -10;
    levelRight = levelTop = 10;
    blockNum = -1;
  }
  block &addNode(int type, float h, float v) {
    block &b = blocks[++blockNum];
    b = block{};
    b.type = type;
    b.h = h;
    b.v = v;
    b.checkPoint = kNoCheckPoint;
    return b;
  }
  void frames(int id, int n) {
    for (int k = 0; k < n; k++) MoveBlock(id);
  }
  void human(player *p, float h, float v) {
    placeBall(p, h, v, 0, 0);
    p->ai = kHuman;
  }
};

// ---- Paths -----------------------------------------------------------------------------

TEST_F(Nodes, OrbiterTracesItsEllipseAndClosesItAfterOnePeriod) {
  block &b = addNode(kNodeOrbiter, 0, 0);
  b.h1 = 1, b.v1 = 2, b.h2 = 3, b.v2 = 1.5f, b.period = 40;
  MoveBlock(0); // phase 0 sits at the top of the ellipse: sine across, cosine up
  EXPECT_FLOAT_EQ(b.h, 1);
  EXPECT_FLOAT_EQ(b.v, 3.5f);
  EXPECT_FLOAT_EQ(b.position, 0.5f);
  for (int k = 1; k < 20; k++) {
    MoveBlock(0);
    const float eh = (b.h - 1) / 3, ev = (b.v - 2) / 1.5f;
    EXPECT_NEAR(eh * eh + ev * ev, 1, 1e-5) << "frame " << k;
  }
  MoveBlock(0); // a quarter period: phase 10 of 40
  EXPECT_NEAR(b.h, 4, 1e-5);
  EXPECT_NEAR(b.v, 2, 1e-5);
  frames(0, 60);
  EXPECT_NEAR(b.h, 1, 1e-5); // a full period later it is back at the top
  EXPECT_NEAR(b.v, 3.5f, 1e-5);
}

TEST_F(Nodes, SinMoveSwingsBetweenItsEndsWithPhaseOverPeriodInRadians) {
  block &b = addNode(kNodeSinMove, 0, 0);
  b.h1 = -2, b.v1 = 1, b.h2 = 6, b.v2 = 5, b.period = 10;
  MoveBlock(0);
  EXPECT_FLOAT_EQ(b.h, 2); // the midpoint at phase 0
  EXPECT_FLOAT_EQ(b.v, 3);
  EXPECT_FLOAT_EQ(b.position, 0.5f);
  b.position = static_cast<float>(10 * kPi / 2); // a quarter swing is period * pi/2, not period/4
  MoveBlock(0);
  EXPECT_NEAR(b.h, 6, 1e-5);
  EXPECT_NEAR(b.v, 5, 1e-5);
  b.position = static_cast<float>(-10 * kPi / 2);
  MoveBlock(0);
  EXPECT_NEAR(b.h, -2, 1e-5);
  EXPECT_NEAR(b.v, 1, 1e-5);
}

TEST_F(Nodes, LinMoveWrapsOnlyOncePhaseExceedsOneAndRunsOneLegPerPeriod) {
  block &b = addNode(kNodeLinMove, 0, 0);
  b.h1 = 0, b.v1 = 4, b.h2 = 10, b.v2 = 0, b.period = 4, b.position = 1;
  std::vector<float> hs;
  for (int k = 0; k < 12; k++) {
    MoveBlock(0);
    hs.push_back(b.h);
  }
  // Phase steps by 0.5/4: at exactly 1 it stays, then wraps to -1 and runs back.
  const std::vector<float> want = {10, 10, 8.75f, 7.5f, 6.25f, 5, 3.75f, 2.5f, 1.25f, 0, 1.25f, 2.5f};
  for (size_t k = 0; k < want.size(); k++) EXPECT_NEAR(hs[k], want[k], 1e-5) << "frame " << k;
  EXPECT_NEAR(b.v, 4 - 4 * 0.25f, 1e-5); // v follows the same fraction
}

TEST_F(Nodes, UnstableNodeDriftsAndFlipsItsVelocityEveryFrameOutside) {
  block &b = addNode(kNodeUnstable, 12, 0);
  b.h2 = 0.1f, b.v2 = -0.2f;
  std::vector<float> signs;
  for (int k = 0; k < 4; k++) {
    MoveBlock(0);
    signs.push_back(b.h2);
  }
  EXPECT_EQ(signs, (std::vector<float>{-0.1f, 0.1f, -0.1f, 0.1f}));
  EXPECT_GT(b.h, 10); // never pulled back inside
  EXPECT_FLOAT_EQ(b.v, -0.4f);
  EXPECT_FLOAT_EQ(b.v2, -0.2f); // inside vertically: no flip

  // In an unstable match still nodes drift too, but blinking ones keep blinking.
  gameType = kUnstableMatch;
  block &still = addNode(kNodeStill, 0, 0);
  still.h2 = 1;
  block &periodic = addNode(kNodeBlinkPeriodic, 5, 5);
  periodic.h2 = 1, periodic.period = 100;
  MoveBlock(1);
  MoveBlock(2);
  EXPECT_FLOAT_EQ(still.h, 0.5f);
  EXPECT_FLOAT_EQ(periodic.h, 5);
  EXPECT_FLOAT_EQ(periodic.position, 0.5f);
}

// ---- Blinking and pause ------------------------------------------------------------------

TEST_F(Nodes, BlinkPeriodicAlternatesVisibleAndHiddenSpans) {
  block &b = addNode(kNodeBlinkPeriodic, 0, 0);
  b.period = 2, b.h1 = 1;
  std::vector<float> blink;
  for (int k = 0; k < 12; k++) {
    MoveBlock(0);
    blink.push_back(b.blink);
  }
  // Visible until the phase passes 2 (not on reaching it), hidden for 1 tick.
  const std::vector<float> want = {0, 0, 0, 0, 1, 0.5f, 0, 0, 0, 0, 0, 1};
  EXPECT_EQ(blink, want);
}

TEST_F(Nodes, HiddenNodeKeepsItsPhaseAndPlaceAndCountsDownToZero) {
  block &periodic = addNode(kNodeBlinkPeriodic, 0, 0);
  periodic.period = 10, periodic.h1 = 4, periodic.position = 7;
  periodic.blink = 1.2f; // switched off by a touch in mid-cycle
  block &orbiter = addNode(kNodeOrbiter, 0, 0);
  orbiter.h1 = 1, orbiter.h2 = 1, orbiter.v2 = 1, orbiter.period = 8, orbiter.position = 2;
  orbiter.h = 9, orbiter.v = 9, orbiter.blink = 0.3f;
  block &removed = addNode(kNodeLinMove, 3, 3);
  removed.h2 = 8, removed.period = 1, removed.blink = -1;

  frames(0, 3);
  EXPECT_EQ(periodic.blink, 0); // 1.2 - 1.5 is clamped, never negative
  EXPECT_FLOAT_EQ(periodic.position, 7);
  frames(0, 6); // 3 more ticks visible: the phase reaches 10 but must pass it
  EXPECT_EQ(periodic.blink, 0);
  MoveBlock(0);
  EXPECT_FLOAT_EQ(periodic.blink, 4);

  MoveBlock(1);
  EXPECT_EQ(orbiter.blink, 0);
  EXPECT_FLOAT_EQ(orbiter.h, 9); // the frame it returns it still does not move
  EXPECT_FLOAT_EQ(orbiter.position, 2);
  MoveBlock(1);
  EXPECT_FLOAT_EQ(orbiter.h, 2);

  frames(2, 5);
  EXPECT_EQ(removed.blink, -1);
  EXPECT_FLOAT_EQ(removed.h, 3);
}

TEST_F(Nodes, PauseFreezesPathsAndBlinkTimers) {
  block &orbiter = addNode(kNodeOrbiter, 7, 7);
  orbiter.period = 8, orbiter.h2 = 1, orbiter.v2 = 1, orbiter.position = 3;
  block &hidden = addNode(kNodeBlinkRelease, 0, 0);
  hidden.blink = 2;
  block &drifter = addNode(kNodeUnstable, 1, 1);
  drifter.h2 = 1;
  paused = 1;
  for (int i = 0; i <= blockNum; i++) frames(i, 5);
  EXPECT_FLOAT_EQ(orbiter.h, 7);
  EXPECT_FLOAT_EQ(orbiter.position, 3);
  EXPECT_FLOAT_EQ(hidden.blink, 2);
  EXPECT_FLOAT_EQ(drifter.h, 1);
}

// ---- Lookup ---------------------------------------------------------------------------------

TEST_F(Nodes, NearestBlockIsStrictlyInsideMaxDistPresentAndLowestOnTies) {
  EXPECT_EQ(FindNearestBlock(0, 0), -1); // no nodes, even though slot 0 sits at the origin
  maxDist = 2;
  addNode(kNodeStill, 2, 0); // exactly at maxDist: out of reach
  EXPECT_EQ(FindNearestBlock(0, 0), -1);
  addNode(kNodeStill, 0, -1.5f);
  addNode(kNodeStill, 1.5f, 0); // same distance as node 1
  EXPECT_EQ(FindNearestBlock(0, 0), 1);
  blocks[1].blink = 3; // hidden
  EXPECT_EQ(FindNearestBlock(0, 0), 2);
  blocks[2].blink = -1; // removed
  EXPECT_EQ(FindNearestBlock(0, 0), -1);
  addNode(kNodeStill, 0.1f, 0.1f); // the last node in use is searched too
  EXPECT_EQ(FindNearestBlock(0, 0), 3);
}

TEST_F(Nodes, FindNodeMatchesCheckPointWithinHundredUnitsEvenWhenHidden) {
  EXPECT_EQ(findNode(0, 0, kNoCheckPoint), nullptr);
  addNode(kNodeStill, 1, 0).checkPoint = 2;
  addNode(kNodeStill, 5, 0).checkPoint = 3;
  block &far = addNode(kNodeStill, 0, 100);
  far.checkPoint = 4;
  block &hidden = addNode(kNodeStill, 2, 0);
  hidden.checkPoint = 3, hidden.blink = -1;
  EXPECT_EQ(findNode(0, 0, 3), &hidden);
  EXPECT_EQ(findNode(6, 0, 3), &blocks[1]);
  EXPECT_EQ(findNode(0, 0, 4), nullptr); // exactly 100 away is out of range
  EXPECT_EQ(findNode(0, 0.5f, 4), &far);
  EXPECT_EQ(findNode(0, 0, 9), nullptr);
}

// ---- Camera framing ---------------------------------------------------------------------------

TEST_F(Nodes, WithoutLiveHumansTheWholeLevelIsFramed) {
  roster();
  human(players[1], 3, 3);
  players[1]->alive = 0;               // a dead human is not framed
  placeBall(players[2], 50, 50, 0, 0); // nor is a bot
  levelLeft = -10, levelRight = 30, levelBottom = 0, levelTop = 6;
  EXPECT_EQ(FindCenter(), 0);
  EXPECT_EQ(humansNum, 0);
  EXPECT_FLOAT_EQ(screenH, 10);
  EXPECT_FLOAT_EQ(screenV, 3);
  EXPECT_FLOAT_EQ(screenScale, 12.0f / 40);
  levelLeft = 0, levelRight = 6, levelBottom = -15, levelTop = 15; // tall: height * 4/3 wins
  FindCenter();
  EXPECT_FLOAT_EQ(screenScale, 0.3f);
  levelRight = 12, levelBottom = 0, levelTop = 2; // small: never zoomed beyond 1
  FindCenter();
  EXPECT_FLOAT_EQ(screenScale, 1);
}

TEST_F(Nodes, LiveHumansAndTheMatchPuckAreFramed) {
  roster();
  human(players[2], 4, -3);
  EXPECT_EQ(FindCenter(), 1);
  EXPECT_EQ(humans[0], players[2]);
  EXPECT_FLOAT_EQ(screenH, 4); // one still human: span 0, the box starts inverted
  EXPECT_FLOAT_EQ(screenV, -3);
  EXPECT_FLOAT_EQ(screenScale, 1);

  human(players[4], -2, 6);
  EXPECT_EQ(FindCenter(), 2);
  EXPECT_FLOAT_EQ(screenH, 1);
  EXPECT_FLOAT_EQ(screenV, 1.5f);
  EXPECT_FLOAT_EQ(screenScale, 8.0f / 12); // height 9 * 4/3 beats width 6

  placeBall(puck, 14, -3, 0, 0);
  FindCenter();
  EXPECT_FLOAT_EQ(screenH, 1); // the puck counts only where it is played
  gameType = kPinata;
  FindCenter();
  EXPECT_FLOAT_EQ(screenH, 6);
  EXPECT_FLOAT_EQ(screenScale, 8.0f / 16);
}

TEST_F(Nodes, SixteenHumansFillTenSlotsAndAllWidenTheBox) {
  roster();
  while (numPlayers < kMaxPlayers) AddPlayer(0, 1);
  for (int i = 0; i < numPlayers; i++) human(players[i], 0, 0);
  human(players[15], 8, 0);
  FindCenter();
  EXPECT_EQ(humansNum, kMaxHumans);
  EXPECT_EQ(humans[kMaxHumans - 1], players[9]);
  EXPECT_FLOAT_EQ(screenH, 4);
  EXPECT_FLOAT_EQ(screenScale, 1);
}

TEST_F(Nodes, QuantisedZoomHoldsWithinItsLagAndNeverExceedsOne) {
  quantisedScale = 0.5f, screenScale = 0.7f; // exactly 0.2 closer: not yet
  QuantiseScale();
  EXPECT_FLOAT_EQ(quantisedScale, 0.5f);
  quantisedScale = 1.5f, screenScale = 1.3f;
  QuantiseScale();
  EXPECT_FLOAT_EQ(quantisedScale, 1);
}

TEST_F(Nodes, TeamIsAliveOnlyWithAMemberBothAliveAndActive) {
  roster();
  EXPECT_EQ(teamAlive(0), 0);
  placeBall(players[4], 0, 0, 0, 0);
  players[4]->active = 0;
  placeBall(players[5], 0, 0, 0, 0);
  players[5]->alive = 0;
  EXPECT_EQ(teamAlive(1), 0);
  players[5]->alive = 1;
  EXPECT_EQ(teamAlive(1), 1);
  EXPECT_EQ(teamAlive(0), 0);
  EXPECT_EQ(teamAlive(kPuckTeam), 0);
}
