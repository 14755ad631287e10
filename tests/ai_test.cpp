// Bots: when they rope on and let go, what they head for, whom they hunt, when they fire.
#include "world_fixture.h"

#include <functional>
#include <vector>

using Ints = std::vector<int>;
static Ints tried; // power-ups the bots fired, in order

class Bots : public World {
protected:
  void SetUp() override {
    World::SetUp();
    arena();
    for (int i = 1; i < numPlayers; i++) players[i]->active = players[i]->alive = 0;
    bot = players[0];
    placeBall(bot, 0, 0, 0, 0);
    addNode(kNodeStill, 0, -1);
    tried.clear();
    SetBotUseHook([](const player *, int id) { tried.push_back(id); });
  }
  void TearDown() override { SetBotUseHook(nullptr), World::TearDown(); }
  player *bot = nullptr;
};

TEST_F(Bots, RopesOnPastTheClosestApproachUnlessItIsTheNodeJustLeft) {
  // Moving right at 0.1 along v = 0; node 0 at (0, -1), the only checkpoint.
  struct Case { int type; float h, dist; int last; bool grabs; float stun = 0, v = 0; } cases[] = {
      {kDeathmatch, 0.5f, 0.1f, -1, true}, {kDeathmatch, 0.5f, 5, -1, false},
      {kDeathmatch, 0.5f, 0.1f, 0, false}, {kDeathmatch, 9.5f, 5, 0, true}, // an edge
      {kEndurance, 0.5f, 0.1f, -1, true},  {kEndurance, 0.5f, 0.1f, 0, false},
      {kLastGameType + 1, 3.5f, 5, 0, true}, {kRace, 0.5f, 5, 0, true}, // out of the middle; next
      {kDeathmatch, -5, 5, -1, false, 0, 3}, // straight above its goal: on course, it flies on
      {kDeathmatch, 0.5f, 5, 0, false, 0, 9}, {kEndurance, 0.5f, 100, 0, true, 0, 3.3f},
      {kDeathmatch, -9.5f, 5, 0, true}, {kDeathmatch, 0.5f, 5, 0, true, 0, 9.5f}, // each edge
      {kDeathmatch, 0.5f, 5, 0, true, 0, -9.5f},
      {kEndurance, 4.5f, 100, 0, true},    {kEndurance, 4.5f, 100, 0, false, 5}, // stunned
  };
  placeBall(players[1], -5, 0, 0, 0); // the hunted ball is behind: off course
  numCheckPoints = 1, blocks[0].checkPoint = 1;
  for (const Case &c : cases) {
    gameType = c.type;
    placeBall(bot, c.h, c.v, 0.1f, 0);
    bot->block = kRopeFree, bot->distance = c.dist, bot->lastBlock = c.last;
    bot->moveDelay = c.stun;
    DoAI(bot);
    EXPECT_EQ(bot->block, c.grabs ? kRopeRequested : kRopeFree) << c.type << " at " << c.h;
  }
  maxDist = 1; // no node in reach: nothing to track or grab; nor did the stunned bot track
  placeBall(bot, 0.5f, 3, 0.1f, 0);
  bot->moveDelay = 0;
  DoAI(bot);
  EXPECT_EQ(std::make_pair(bot->block, bot->distance), std::make_pair(kRopeFree, 100.0f));
  maxDist = 100; // node 0 was let go last, but a bot back on its start has let go of nothing
  ResetPlayer(bot);
  placeBall(bot, 0.5f, 0, 0.1f, 0);
  bot->distance = 5, blocks[0].h = -2; // 7.25 away
  DoAI(bot);
  EXPECT_EQ(bot->block, kRopeRequested);
  // Flying past node 0 at (0, -1) from afar, each strategy ropes on one step after the nearest.
  blocks[0].h = 0;
  for (int type : {kEndurance, kDeathmatch}) {
    gameType = type;
    ResetPlayer(bot);
    bot->lastBlock = -1, bot->distance = 10000;
    float grabbedAt = -1;
    for (int step = -3; step <= 3 && grabbedAt < 0; step++) {
      placeBall(bot, 0.1f * static_cast<float>(step), 0, 0.1f, 0);
      DoAI(bot);
      if (bot->block == kRopeRequested) grabbedAt = ballH(bot);
    }
    EXPECT_FLOAT_EQ(grabbedAt, 0.1f) << type;
  }
}

TEST_F(Bots, LetsGoOnlyWhenSpinningFastTowardsItsGoal) {
  // At (h, v), tied to node 0.
  struct Case { int type; float vh, vv, spin; bool lets; float h = 2, v = 2; } cases[] = {
      {kDeathmatch, .1f, .1f, .11f, true},    {kDeathmatch, .1f, .1f, .09f, false},
      {kDeathmatch, -.1f, -.1f, .2f, false},  {kDeathmatch, .025f, .1f, .2f, false}, // off course
      {kEndurance, -.1f, -.1f, .11f, true},   {kEndurance, -.1f, -.1f, .09f, false},
      {kEndurance, .1f, -.1f, .2f, false},    {kBlinkMatch, -.1f, -.1f, .11f, true},
      {kEndurance, -.1f, -.1f, .2f, false, 0, 2}, // level with the middle: not heading across it
      {kEndurance, -.1f, -.1f, .2f, false, 2, 0}, {kLastGameType + 1, -.1f, -.1f, .049f, false},
      {kLastGameType + 1, -.1f, -.1f, .051f, true}, // the middle
  };
  placeBall(players[1], 6, 6, 0, 0); // the hunted ball, up and to the right
  for (const Case &c : cases) {
    gameType = c.type;
    blocks[0].blink = 0;
    placeBall(bot, c.h, c.v, c.vh, c.vv);
    bot->block = 0, bot->anglev = c.spin, bot->distance = 3, bot->lastBlock = -1;
    bot->moveDelay = 0;
    DoAI(bot);
    const bool middle = c.type > kLastGameType;
    EXPECT_EQ(bot->block, c.lets ? kRopeFree : 0) << c.type << " " << c.spin;
    if (!c.lets) continue;
    EXPECT_EQ(bot->lastBlock, middle ? -1 : 0);
    EXPECT_EQ(bot->distance, middle ? 3 : 10000);
    EXPECT_EQ(bot->moveDelay, middle ? 10 : 0);                 // the middle bot waits to regrab
    EXPECT_EQ(blocks[0].blink, c.type == kBlinkMatch ? -1 : 0); // released as a key would
  }
}

TEST_F(Bots, GoalOffsetFollowsTheGameType) {
  player *blue = players[3], *blue2 = players[4]; // the bot: at (1, 1) on team 0
  struct Case { int type; std::function<void()> setup; bool has; float temph, tempv; } cases[] = {
      {kCaptureTheFlag, [] {}, true, -4, 1}, // both flags home: steal theirs
      {kCaptureTheFlag, [] { flags[1].h = flags[1].v = 1; }, true, 6, 1}, // carrying: home
      {kCaptureTheFlag, [] { flags[0].h = -2, flags[0].v = 3; }, true, 3, -2}, // chase the thief
      {kCaptureTheFlag, [] { flags[0].h = -2; }, true, 3, 1},
      {kRace, [&] { numCheckPoints = 3, players[0]->score = 2; }, true, -3, 0},
      {kRace, [&] { numCheckPoints = 3, players[0]->score = 3; }, true, 1, 2}, // back to 1
      {kRace, [] { numCheckPoints = 0; }, false, 0, 0},
      {kRace, [&] { numCheckPoints = 2, players[0]->score = 1; }, false, 0, 0}, // no node 2
      {kDomination, [] { blocks[1].checkPoint = kDominationNeutral; }, true, 1, 2},
      {kDomination, [] { blocks[2].checkPoint = 5; }, true, -3, 0},
      {kDomination, [] { blocks[2].checkPoint = 0; }, true, 0, 0}, // all ours: no goal
      {kAirHockey, [] { placeBall(puck, 2, 4, 0, 0); }, true, -0.88f, -3.16f}, // behind the puck
      {kPinata, [] { placeBall(puck, 5, 0, 0, 0); }, true, -4, 1},     // on the goal: the puck
      {kTag, [&] { it = players[0], blue->score = 5; }, true, -3, -3},  // the leader
      {kTag, [&] { it = blue2; }, true, 5, 5},                           // away from it
      {kTag, [] { it = nullptr; }, false, 0, 0},
      {kCaptureTheFlag, [] { players[0]->team = 2; }, false, 0, 0}, // a third team has no flag
      {kAirHockey, [] { players[0]->team = 2; }, false, 0, 0},      // nor a goal
      {kDeathmatch, [&] { players[0]->target = players[2], players[1]->score = 1; }, true, 3, 3},
      {kCaptureTheFlag, [] { players[0]->team = 1; }, true, 6, 1}, // the bot on the other team
  };
  for (const Case &c : cases) {
    gameType = c.type;
    flags[0] = {-5, 0, -5, 0, 0}, flags[1] = {5, 0, 5, 0, 0};
    blockNum = 0, addNode(kNodeStill, 0, -1), addNode(kNodeStill, 4, 1);
    blocks[1].checkPoint = 1, blocks[2].checkPoint = 3;
    placeBall(bot, 1, 1, 0, 0), placeBall(blue, 4, 4, 0, 0), placeBall(blue2, 6, 6, 0, 0);
    placeBall(players[1], -2, -2, 0, 0), players[1]->alive = c.type == kDeathmatch;
    for (int i = 0; i < numPlayers; i++) players[i]->score = 0;
    bot->target = nullptr, bot->team = 0;
    c.setup();
    float h = 0, v = 0;
    EXPECT_EQ(BotGoal(bot, &h, &v), c.has) << c.type;
    EXPECT_TRUE(!c.has || isNear(h, v, c.temph, c.tempv)) << c.type;
  }
}

TEST_F(Bots, HuntsTheHighestScoreEarliestOnATieAndNeverItsTeamOutsideDeathmatch) {
  struct Case { int type, self; Ints alive; int expect, count = 6; } cases[] = { // roster indices
      {kDeathmatch, 0, {0, 1, 2, 3, 4, 5}, 2}, // 2 and 3 tie on 5: the earlier
      {kBodyCount, 0, {0, 1, 2, 3, 4, 5}, 3},  // teammates 1 and 2 are spared
      {kDeathmatch, 0, {0, 1, 4}, 1},          // the dead are not hunted
      {kTag, 0, {0, 1, 2}, 1},                 // nobody eligible: the next ball
      {kTag, 3, {3, 4, 5}, 0},
      {kDeathmatch, 3, {0, 3, 5}, 0}, // the first in the roster wins a tie too
      {kTag, 0, {}, 1, 2}, // a roster of two, nobody eligible: still the other
      {kTag, 0, {}, 0, 1}, // alone: itself
  };
  const Ints scores = {0, 3, 5, 5, 1, 0};
  for (const Case &c : cases) {
    gameType = c.type;
    for (int i = 0; i < numPlayers; i++)
      players[i]->score = scores[i], players[i]->active = 1, players[i]->alive = 0;
    for (int i : c.alive) players[i]->alive = 1;
    players[c.self]->target = nullptr;
    numPlayers = c.count;
    Retarget(players[c.self]);
    EXPECT_EQ(players[c.self]->target, players[c.expect]) << c.type;
  }
}

TEST_F(Bots, EachPowerUpRuleFiresAtItsMomentAndNotBefore) {
  player *q = players[3];
  unsigned keeper = 1; // a seed whose first draw is divisible by 300 keeps the Twiddle
  for (gameSrand(keeper); gameRand() % 300 != 0; gameSrand(++keeper)) {}
  // The bot at (0, 1), still, unstunned, in a deathmatch.
  struct Case { int held; std::function<void()> setup; bool fires; } cases[] = {
      {kPowerShotgun, [&] { placeBall(bot, 0, 0, .2f, .1f), placeBall(q, 2, 1, 0, 0); }, true},
      {kPowerShotgun, [&] { placeBall(bot, 0, 0, .2f, .1f), placeBall(q, 2, -1, 0, 0); }, false},
      {kPowerShotgun, // level with it: not aimed at
       [&] { placeBall(bot, 0, 0, .2f, .01f), placeBall(q, 2, 0, 0, 0); }, false},
      {kPowerShotgun, // straight up: not closing in along h
       [&] { placeBall(bot, 0, 0, 0, .2f), placeBall(q, 0, 2, 0, 0); }, false},
      // The shot leaves along the bot's flight at half a unit a step, less the target's own.
      {kPowerShotgunSecond,
       [&] { placeBall(bot, 0, 0, .1f, .2f), placeBall(q, 2, 2, -.2236f, 0); }, true},
      {kPowerShotgunSecond,
       [&] { placeBall(bot, 1, 0, .2f, .1f), placeBall(q, 1.4f, .25f, 0, 0); }, true},
      {kPowerShotgunSecond, // the same shot a unit higher
       [&] { placeBall(bot, 1, 1, .2f, .1f), placeBall(q, 1.4f, 1.25f, 0, 0); }, true},
      {kPowerShotgunSecond,
       [&] { placeBall(bot, 0, 0, .2f, .1f), placeBall(q, 4, 1.88f, 0, 0); }, false}, // just wide
      {kPowerReverse, [&] { placeBall(bot, 9, 0, .3f, 0), bot->moveDelay = 5; }, true}, // escape
      {kPowerReverse, [&] { placeBall(bot, 8.75f, 0, .25f, 0); }, false}, // lands on the edge
      {kPowerReverse, [&] { placeBall(bot, 0, -9, 0, -.3f); }, true}, // out the bottom
      {kPowerShield, [&] { bot->moveDelay = 10.5f; }, true},
      {kPowerShield, [&] { bot->moveDelay = 10; }, false},
      {kPowerSupernova, [] {}, true}, {kPowerSupernova, [&] { bot->supernovaCharge = .5f; }, false},
      {kPowerReversedGravity, [&] { placeBall(bot, 0, -1, 0, 0); }, true}, // below the middle
      {kPowerReversedGravity, [&] { placeBall(bot, 0, 0, 0, 0); }, false},  // level: neither
      {kPowerIncreasedGravity, [&] { placeBall(bot, 0, 0, 0, 0); }, false},
      {kPowerPlanetaryGravity, [&] { placeBall(bot, 0, -2, 0, 0); }, false}, // just out of reach
      {kPowerPlanetaryGravity, [&] { placeBall(bot, 1, 1, 0, 0); }, true}, // near the middle
      {kPowerPlanetaryGravity, [&] { placeBall(bot, 2, 1, 0, 0); }, false},
      {kPowerIncreasedGravity, [] {}, true}, {kPowerTurboBoost, [] {}, true}, // the first: above
      {kPowerTurboBoost, [&] { bot->moveDelay = 11; }, false}, // stunned: only a Shield or Nova
      {kPowerChase, [&] { gameType = kTag, it = bot; }, true},
      {kPowerChase, [&] { gameType = kTag, it = q; }, false},
      {kPowerSlam, [&] { placeBall(q, .5f, -2, 0, 0); }, true},
      {kPowerSlam, [&] { placeBall(q, .5f, 2, 0, 0); }, false},
      {kPowerSlam, // a teammate is spared
       [&] { gameType = kTeamDeathmatch, placeBall(players[1], .5f, -2, 0, 0); }, false},
      {kPowerBungieRope, [] {}, false}, {kPowerTwiddle, [&] { gameSrand(keeper + 1); }, true},
      {kPowerTwiddle, [&] { gameSrand(keeper); }, false},
      {kPowerNone, [&] { bot->charge = .5f, bot->target = q, q->alive = 0; }, true}, // the chain
      {kPowerNone, [&] { bot->target = q, q->alive = 0; }, false},
      {kPowerNone, [&] { bot->charge = 10, bot->target = q, placeBall(q, 5, 5, 0, 0); }, false},
      {kPowerShotgun, [&] { placeBall(bot, 0, 0, .2f, .1f), placeBall(players[1], 2, 1, 0, 0); },
       true}, // a teammate is fair game outside team games
      {kPowerShotgun, // but not in a team game, where the other team's ball is
       [&] {
         gameType = kTeamDeathmatch, placeBall(bot, 0, 0, .2f, .1f);
         placeBall(players[1], 2, 1, 0, 0), placeBall(q, 2, -1, 0, 0);
       },
       false},
      {kPowerShotgun,
       [&] {
         gameType = kTeamDeathmatch, placeBall(bot, 0, 0, .2f, .1f);
         placeBall(players[1], 2, -1, 0, 0), placeBall(q, 2, 1, 0, 0);
       },
       true},
  };
  for (const Case &c : cases) {
    gameType = kDeathmatch;
    q->active = q->alive = players[1]->active = players[1]->alive = 0;
    placeBall(bot, 0, 1, 0, 0);
    bot->powerUpType = c.held, bot->moveDelay = 0, bot->supernovaCharge = 0, bot->charge = 0;
    c.setup();
    tried.clear();
    DoAI(bot);
    const int id = c.held == kPowerNone ? kPowerChainCharge : c.held;
    EXPECT_EQ(tried, c.fires ? Ints{id} : Ints{}) << c.held;
  }
}

// A power-up added without a bot rule would never be used by any bot.
TEST_F(Bots, EveryCataloguedPowerUpHasAUseRuleAndOthersAreKept) {
  for (int id = 0; id < kNumPowerUps; id++)
    EXPECT_NE(powerUpBotUse(id), BotUse::kUnset) << powerUpName(id);
  for (int id : {-1, int{kNumPowerUps}, int{kPowerShotgunSecond}, int{kPowerBombInFlight}})
    EXPECT_EQ(powerUpBotUse(id), BotUse::kKeep) << id;
  // The detonator has no row but is still set off at once.
  bot->powerUpType = kPowerBombInFlight;
  ClearBotPowerUpUses();
  DoAI(bot);
  EXPECT_EQ(tried, Ints{kPowerBombInFlight});
  EXPECT_EQ(BotPowerUpUses(), 1); // the count the bot statistics read
}
