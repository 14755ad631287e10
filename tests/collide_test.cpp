// Touches between balls: bounce, stun, credit, the game types' touch rules, and
// the order of turbo steps and collisions within a frame.
#include "world_fixture.h"

#include <cstring>
#include <functional>
#include <string>
#include <tuple>

class Collide : public World {
protected:
  void SetUp() override {
    World::SetUp();
    fresh();
  }
  // A new roster in the arena, nobody hit yet and no sound asked for.
  void fresh() {
    ResetWorld();
    arena();
    ForgetSoundsAsked();
    for (int i = 0; i < numPlayers; i++)
      players[i]->lastHit = -1;
    a = players[0], b = players[1];
  }
  // a left of (or below) b, each moving towards the other, overlapping by half a radius.
  void headOn(float va, float vb, bool vertical = false) {
    placeBall(a, vertical ? 0 : -.25f, vertical ? -.25f : 0, vertical ? 0 : va, vertical ? va : 0);
    placeBall(b, vertical ? 0 : .25f, vertical ? .25f : 0, vertical ? 0 : vb, vertical ? vb : 0);
    a->moveDelay = b->moveDelay = 0;
  }
  player *a = nullptr, *b = nullptr;
};

// Elastic along the line of centres, a turbo ball hitting with four times its speed and keeping
// a quarter; a ball without positive mass is thrown back as off a wall. Both nodes are let go of.
TEST_F(Collide, HeadOnTouchBouncesStunsCutsRopesAndCrashes) {
  // An unblockable ball is not moved and strips the other's shield.
  struct Case { float ma, mb, va, vb, wantA, wantB; int sparks; float turbo = 0, ua = 0, ub = 0; }
  cases[] = {{1, 1, .1f, -.1f, -.1f, .1f, 44},      {1, 3, .1f, -.1f, -.2f, 0, 54},
             {2, 1, .15f, 0, .05f, .2f, 30},        {3, 1, .1f, 0, .05f, .6f, 204, 5},
             {0, 1, .1f, -.1f, -.3f, -.1f, 84},     {-1, 1, .1f, -.1f, -.3f, -.1f, 84},
             {0, 0, .1f, -.1f, -.1f, .1f, 44},      {1, 1, .1f, -.1f, .1f, .1f, 44, 0, 1},
             {1, 1, .1f, -.1f, .1f, -.1f, 44, 0, 1, 1},
             {1, 1, .4f, -.4f, -.4f, .4f, 406}}; // past a hard enough touch the sparks stop growing
  for (const Case &c : cases)
    for (bool vertical : {false, true}) {
      SCOPED_TRACE(testing::Message() << c.ma << " vs " << c.mb << ", unblockable " << c.ua << c.ub
                                      << " vertical " << vertical);
      fresh();
      headOn(c.va, c.vb, vertical);
      a->mass = c.ma, b->mass = c.mb, a->turbo = c.turbo, a->stop = 5;
      a->unblockable = c.ua, b->unblockable = c.ub, a->shield = b->shield = 9;
      a->block = addNode(kNodeBlinkRelease, 0, 3), b->block = addNode(kNodeBlinkRelease, 0, 4);
      blocks[a->block].h1 = blocks[b->block].h1 = 7;
      CollidePlayers(a, b);
      EXPECT_TRUE(movesBy(a, vertical ? 0 : c.wantA, vertical ? c.wantA : 0));
      EXPECT_TRUE(movesBy(b, vertical ? 0 : c.wantB, vertical ? c.wantB : 0));
      EXPECT_EQ(std::make_tuple(CountParticles(), a->shield, b->shield), // sparks by how hard
                std::make_tuple(c.sparks, c.ub ? 0.f : 9.f, c.ua ? 0.f : 9.f));
      EXPECT_EQ(std::make_tuple(a->moveDelay, b->moveDelay, a->block, b->block, a->stop),
                std::make_tuple(20.f, 20.f, kRopeFree, kRopeFree, 0.f));
      EXPECT_EQ(std::make_tuple(a->collisions, b->collisions, a->lastHit, b->lastHit),
                std::make_tuple(1, 1, 1, 0));
      EXPECT_STREQ(SoundLastEffectAsked(), "Crash");
      EXPECT_EQ(std::make_tuple(blocks[0].blink, blocks[1].blink), std::make_tuple(7.f, 7.f));
    }
}

// A bot dodges with a defensive power-up only while it carries the smaller momentum.
TEST_F(Collide, WhoTouchesGhostsStunnedPairsPartingBallsAndDodgingBots) {
  struct Case { const char *what; std::function<void()> set; bool touches; } cases[] = {
      {"closing", [] {}, true}, {"parting", [&] { headOn(-.1f, .1f); }, false},
      {"previous places coincide",
       [&] { placeBall(a, -.1f, 0, -.1f, 0), placeBall(b, .1f, 0, .1f, 0); }, false},
      {"ghost", [&] { a->ghost = 30; }, false}, {"other ghost", [&] { b->ghost = 30; }, false},
      {"ghost, other unblockable", [&] { a->ghost = 30, b->unblockable = 1; }, true},
      {"both stunned over 25", [&] { a->moveDelay = 26, b->moveDelay = 26; }, false},
      {"one stunned over 25", [&] { a->moveDelay = 26, b->moveDelay = 25; }, true},
      {"turbo, three steps short", [&] { placeBall(a, -.6f, 0, .1f, 0), a->turbo = .5f; }, true},
      {"weaker bot", [&] { headOn(.05f, -.1f), a->powerUpType = kPowerUntouchable; }, false},
      {"weaker bot second", [&] { headOn(.1f, -.05f), b->powerUpType = kPowerPhaseOut; }, false},
      {"weaker human",
       [&] { headOn(.05f, -.1f), a->powerUpType = kPowerUntouchable, a->ai = kHuman; }, true},
      {"weaker bot growing", [&] { headOn(.05f, -.1f), a->powerUpType = kPowerGrowthSpurt; }, true},
      {"stronger bot", [&] { headOn(.2f, -.1f), a->powerUpType = kPowerUntouchable; }, true},
      {"weaker turbo bot",
       [&] { headOn(.02f, -.1f), a->powerUpType = kPowerTemporalDilate, a->turbo = 5; }, false},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    fresh();
    headOn(.1f, -.1f);
    c.set();
    const float va = ballVH(a), vb = ballVH(b);
    CollidePlayers(a, b);
    EXPECT_EQ(std::make_tuple(a->collisions, b->collisions), std::make_tuple(c.touches, c.touches));
    if (!c.touches) {
      EXPECT_TRUE(movesBy(a, va, 0)); // a turbo factor undone too
      EXPECT_TRUE(movesBy(b, vb, 0));
      EXPECT_EQ(std::make_tuple(a->lastHit, b->lastHit), std::make_tuple(-1, -1));
      EXPECT_STREQ(SoundLastEffectAsked(), "");
    }
  }
  // Off the axis: a bot's Growth Spurt goes off at the touch and the push takes the new mass.
  fresh(), placeBall(a, -.25f, 1, .01f, 0), placeBall(b, .25f, 1, -.01f, 0);
  a->powerUpType = kPowerGrowthSpurt;
  CollidePlayers(a, b);
  EXPECT_EQ(std::make_tuple(a->mass, a->powerUpType), std::make_tuple(8.f, kPowerNone));
  EXPECT_TRUE(movesBy(b, .08f, 0));
  EXPECT_TRUE(firstParticle && std::abs(firstParticle->head.v - 1) < .1f); // sparks from midway
  // Missing balls are left bit for bit, even where ×4 then ×¼ in floats would not land back.
  placeBall(a, -.7f, 0, -.3f, 0);
  a->turbo = 5;
  const player before = *a;
  CollidePlayers(a, b);
  CollidePlayers(a, a);
  EXPECT_EQ(std::memcmp(a->x, before.x, sizeof a->x), 0);
}

// a knocks b, the stunned b knocks c, c leaves the arena while still stunned: a killed c.
TEST_F(Collide, StunnedBallPassesItsCreditOnToWhoeverKnockedIt) {
  player *c = players[2];
  headOn(.1f, -.1f);
  CollidePlayers(a, b);
  placeBall(b, 0, 0, .1f, 0);
  placeBall(c, .5f, 0, -.1f, 0);
  c->moveDelay = 0;
  CollidePlayers(b, c);
  EXPECT_EQ(std::make_tuple(c->lastHit, b->lastHit), std::make_tuple(0, 2));
  placeBall(c, 9.5f, 0, .1f, 0);
  for (int step = 0; step < 100 && c->alive; step++)
    MovePlayer(c);
  EXPECT_EQ(std::make_tuple(c->alive, a->playerKills[2], c->suicides), std::make_tuple(0, 1, 0));
}

// A ball out of the match is passed through, and so is the puck outside its games. A turbo ball
// meets a ball after its first step: four steps first would have carried it past.
TEST_F(Collide, OnlyBallsInTheMatchAndThePuckInItsGamesAreHitATurboOneBetweenItsSteps) {
  struct Case { int game; player *target; int active; float h, turbo; int hits; } cases[] = {
      {kDeathmatch, players[2], 1, .5f, 0, 1}, {kDeathmatch, players[2], 0, .5f, 0, 0},
      {kPinata, puck, 1, .5f, 0, 1},           {kDeathmatch, puck, 1, .5f, 0, 0},
      {kDeathmatch, players[2], 1, 1, 1.2f, 1}, {kDeathmatch, players[2], 1, 1, 0, 0}};
  placeBall(b, -5, 5, 0, 0); // far off, so the round never ends
  for (const Case &c : cases) {
    gameType = c.game;
    placeBall(a, 0, 0, .3f, 0), placeBall(c.target, c.h, 0, 0, 0);
    a->turbo = c.turbo, c.target->active = c.active, c.target->collisions = 0;
    Display();
    EXPECT_EQ(c.target->collisions, c.hits) << c.game << " " << c.active << " " << c.turbo;
    c.target->alive = 0;
  }
}

// The game types' own rules for a touch: tag passes it to the ball touched, and only in a pinata
// does a touch on the puck score, whichever way round it is met.
TEST_F(Collide, TagPassesItOnAndThePuckScoresOnlyInPinata) {
  player *const none = nullptr;
  struct Case { int game; player *was, *first, *second, *becomes; const char *lines; int score; }
  cases[] = {{kTag, a, a, b, b, "Yellow IsNowIt", 0}, {kTag, b, a, b, a, "Red IsNowIt", 0},
             {kTag, players[3], a, b, players[3], "", 0}, {kPinata, none, a, puck, none, "", 1},
             {kPinata, none, puck, a, none, "", 1}, {kDeathmatch, none, a, puck, none, "", 0},
             {kPinata, none, b, a, none, "", 0}};
  for (const Case &c : cases) {
    ForgetSoundsAsked();
    gameType = c.game, it = c.was, a->score = a->collisions = 0;
    if (it) c.becomes->itTime = 9;
    headOn(.1f, -.1f);
    placeBall(puck, .25f, 0, -.1f, 0);
    CollidePlayers(c.first, c.second);
    EXPECT_EQ(std::make_tuple(it, a->score, a->collisions), std::make_tuple(c.becomes, c.score, 1))
        << c.game;
    if (!it) continue;
    EXPECT_EQ(it->itTime, c.was == c.becomes ? 9.f : 0.f);
    EXPECT_STREQ(SoundLinesAsked(), c.lines);
  }
}
