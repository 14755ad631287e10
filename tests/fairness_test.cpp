// The tournament's fairness tests and the side swap it measures the first move with.
#include "sim_fairness.h"
#include "sim_world.h"
#include "world_fixture.h"

TEST(Fairness, TeamShareIsAnExactTwoSidedBinomialTest) {
  EXPECT_NEAR(TwoSidedBinomialP(10, 10), 2.0 / 1024, 1e-12);
  EXPECT_NEAR(TwoSidedBinomialP(0, 10), 2.0 / 1024, 1e-12); // both tails: a blue sweep too
  EXPECT_NEAR(TwoSidedBinomialP(7, 10), 352.0 / 1024, 1e-12);
  EXPECT_NEAR(TwoSidedBinomialP(15, 20), 43400.0 / 1048576, 1e-12);
  EXPECT_NEAR(TwoSidedBinomialP(14, 20), 120920.0 / 1048576, 1e-12);
  EXPECT_DOUBLE_EQ(TwoSidedBinomialP(10, 20), 1.0); // an even split is capped, not doubled past 1
  EXPECT_DOUBLE_EQ(TwoSidedBinomialP(0, 0), 1.0);
  EXPECT_TRUE(TeamShareFlagged(10, 10));
  EXPECT_FALSE(TeamShareFlagged(7, 10));
  EXPECT_TRUE(TeamShareFlagged(15, 20));
  EXPECT_TRUE(TeamShareFlagged(5, 20));
  EXPECT_FALSE(TeamShareFlagged(14, 20));
  EXPECT_FALSE(TeamShareFlagged(6, 20));
  EXPECT_FALSE(TeamShareFlagged(0, 0)); // no decided match says nothing
  EXPECT_FALSE(TeamShareFlagged(5, 5)); // five matches cannot show an edge at 5% (p = 1/16)
  EXPECT_TRUE(TeamShareFlagged(6, 6));
}

TEST(Fairness, SlotSpreadIsAChiSquareTest) {
  // The tables' 5% and 1% points, odd and even degrees of freedom.
  EXPECT_NEAR(ChiSquareTail(3.8415, 1), 0.05, 1e-4);
  EXPECT_NEAR(ChiSquareTail(9.4877, 4), 0.05, 1e-4);
  EXPECT_NEAR(ChiSquareTail(11.0705, 5), 0.05, 1e-4);
  EXPECT_NEAR(ChiSquareTail(15.0863, 5), 0.01, 1e-4);
  EXPECT_DOUBLE_EQ(ChiSquareEvenP({4, 4, 4, 4, 4, 4}), 1.0);
  EXPECT_FALSE(SlotSpreadFlagged({5, 3, 4, 2, 3, 3}));
  EXPECT_TRUE(SlotSpreadFlagged({12, 2, 2, 1, 2, 1}));
  EXPECT_TRUE(SlotSpreadFlagged({0, 0, 0, 0, 0, 20}));
  EXPECT_FALSE(SlotSpreadFlagged({0, 0, 0, 0, 0, 0}));
}

TEST_F(World, SwapTeamsTradesStartsAndFlagsNotTeamsOrOrder) {
  roster();
  for (int i = 0; i < kRosterSize; i++) {
    players[i]->hStart = static_cast<float>(i + 1);
    players[i]->vStart = static_cast<float>(-i);
    players[i]->hvStart = 0.01f * static_cast<float>(i);
    players[i]->vvStart = 0.02f * static_cast<float>(i);
  }
  flags[0] = {-5, -1, -5, -1, 0};
  flags[1] = {5, 1, 5, 1, 0};
  flagsPlaced = 1; // only red's flag was read
  const player *before[kRosterSize];
  for (int i = 0; i < kRosterSize; i++) before[i] = players[i];
  SimSwapTeamSides();
  for (int i = 0; i < kRosterSize; i++) {
    const int other = (i + 3) % kRosterSize; // Red <-> Purple, Yellow <-> Green, Orange <-> Blue
    SCOPED_TRACE(i);
    EXPECT_EQ(players[i], before[i]);           // the roster order, so who moves first, stays
    EXPECT_EQ(players[i]->team, i < 3 ? 0 : 1); // and so do the teams
    EXPECT_FLOAT_EQ(players[i]->hStart, static_cast<float>(other + 1));
    EXPECT_FLOAT_EQ(players[i]->vStart, static_cast<float>(-other));
    EXPECT_FLOAT_EQ(players[i]->hvStart, 0.01f * static_cast<float>(other));
    EXPECT_FLOAT_EQ(players[i]->vvStart, 0.02f * static_cast<float>(other));
    EXPECT_FLOAT_EQ(players[i]->x[0], players[i]->hStart); // put on the new start at once
    EXPECT_FLOAT_EQ(players[i]->x[1], players[i]->hStart + players[i]->hvStart);
  }
  EXPECT_FLOAT_EQ(flags[0].hstart, 5);
  EXPECT_FLOAT_EQ(flags[0].v, 1);
  EXPECT_FLOAT_EQ(flags[1].hstart, -5);
  EXPECT_FLOAT_EQ(flags[1].h, -5);
  EXPECT_EQ(flagsPlaced, 2); // the one flag placed is now blue's
}
