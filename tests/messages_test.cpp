// Floating messages and the power-up spawn.
#include "world_fixture.h"

#include <cstring>
#include <string>
#include <tuple>

class Messages : public World {
protected:
  void SetUp() override {
    World::SetUp();
    speedMult = 0.5f;
  }
  int countText(const char *text) {
    int n = 0;
    for (messList *m = firstMessage; m; m = m->tail) n += std::strcmp(m->head.text, text) == 0;
    return n;
  }
};

TEST_F(Messages, UsingThePowerUpBurstsTheLabelIntoLettersThatLiveTheirLifetime) {
  int held = kPowerParticleBeam;
  PushMessage(2, 1, 0, 0, 100, "ParticleBm", nullptr, nullptr, &held, held);
  DrawMessages(firstMessage);
  EXPECT_EQ(CountMessages(), 1); // still held: nothing bursts
  held = kPowerNone;
  DrawMessages(firstMessage);
  ASSERT_EQ(CountMessages(), 11);
  // Letters are at the front, last letter first, 0.16 apart from 0.4 left of centre.
  std::string letters;
  messList *m = firstMessage;
  for (int i = 9; i >= 0; i--, m = m->tail) {
    letters += m->head.text;
    EXPECT_NEAR(m->head.h, 2 - 0.4f + 0.16f * i, 1e-5);
    EXPECT_EQ(std::make_tuple(m->head.lifetime, m->head.flagP), std::make_tuple(100.f, nullptr));
  }
  EXPECT_EQ(letters, "mBelcitraP");
  EXPECT_EQ(m->head.flagP, nullptr); // the label itself stops watching and goes
  EXPECT_LT(m->head.lifetime, 0);
  // Letters live 100 ticks, half a tick a frame, and go on the frame after they run out.
  for (int pass = 0; pass < 202; pass++) {
    ASSERT_EQ(CountMessages(), pass == 0 ? 11 : 10) << pass;
    DrawMessages(firstMessage);
  }
  EXPECT_EQ(CountMessages(), 0);
}

TEST_F(Messages, DoubleShotgunBurstsOneWordPerShotAndABombLeavesAFollowingDetonator) {
  int held = kPowerShotgun;
  PushMessage(0, 0, 0, 0, 100, "Double Shotgun", nullptr, nullptr, &held, held);
  held = kPowerShotgunSecond;
  DrawMessages(firstMessage);
  EXPECT_EQ(CountMessages(), 7); // "Double" in letters, and the label now "Shotgun"
  DrawMessages(firstMessage);
  EXPECT_EQ(countText("Shotgun"), 1); // waits for the second shot
  held = kPowerNone;
  for (int i = 0; i < 3; i++) DrawMessages(firstMessage);
  EXPECT_EQ(std::make_tuple(countText("Shotgun"), CountMessages()), std::make_tuple(0, 13));

  ClearMessages();
  held = kPowerNovaBomb;
  float bh = 5, bv = 5;
  PushMessage(0, 0, 0, 0, 100, "Nova Bomb", &bh, &bv, &held, held);
  held = kPowerBombInFlight;
  DrawMessages(firstMessage);
  ASSERT_STREQ(firstMessage->head.text, "Detonator");
  EXPECT_EQ(firstMessage->head.flagV, kPowerBombInFlight);
  for (int i = 0; i < 400; i++) DrawMessages(firstMessage);
  EXPECT_EQ(countText("Detonator"), 1); // follows and never ages while the bomb flies
  EXPECT_NEAR(firstMessage->head.h, 5, 1.0);
  held = kPowerNone;
  DrawMessages(firstMessage);
  DrawMessages(firstMessage);
  EXPECT_EQ(countText("Detonator"), 0);
}

// ---- Spawn ---------------------------------------------------------------------------------
class Spawn : public World {
protected:
  void SetUp() override {
    World::SetUp();
    speedMult = 0.5f;
    blockNum = 0;
    powerUpsInList = 1;
    powerUpList[0] = kPowerNova;
  }
};

// Nothing spawns in these cases, yet each frame still draws its numbers, so a seeded game
// stays in step whatever happens.
TEST_F(Spawn, NothingSpawnsWhenPausedInArcadeOffWithoutNodesOrFromAnEmptyBag) {
  struct Case {
    const char *what;
    int paused, arcade, infrequency, lastNode, bag, draws;
  } cases[] = {{"paused", 1, 0, 301, 0, 1, 2}, {"arcade", 0, 1, 301, 0, 1, 2},
               {"off", 0, 0, 0, 0, 1, 2},      {"no nodes", 0, 0, 1, -1, 1, 3},
               {"empty bag", 0, 0, 1, 0, 0, 3}};
  for (const Case &c : cases) {
    paused = c.paused, arcadeMode = c.arcade, powerUpInfrequency = c.infrequency;
    blockNum = c.lastNode, powerUpsInList = c.bag;
    for (int i = 0; i < 100; i++) PowerUpSpawnStep();
    EXPECT_EQ(blocks[0].powerUp, kPowerNone) << c.what;
    gameSrand(9);
    PowerUpSpawnStep();
    const int next = gameRand();
    gameSrand(9);
    for (int k = 0; k < c.draws; k++) gameRand();
    EXPECT_EQ(next, gameRand()) << c.what;
  }
}

TEST_F(Spawn, TheBagDecidesWhatSpawns) {
  blockNum = 3;
  powerUpInfrequency = 1; // N = 2: a spawn on about every other frame
  powerUpsInList = 10;
  for (int i = 0; i < 9; i++) powerUpList[i] = kPowerNova;
  powerUpList[9] = kPowerChase;
  int novas = 0, chases = 0;
  for (int frame = 0; frame < 4000; frame++) {
    for (int i = 0; i <= blockNum; i++) blocks[i].powerUp = kPowerNone;
    PowerUpSpawnStep();
    for (int i = 0; i <= blockNum; i++) {
      novas += blocks[i].powerUp == kPowerNova;
      chases += blocks[i].powerUp == kPowerChase;
    }
  }
  EXPECT_GT(novas + chases, 1500);
  EXPECT_NEAR(static_cast<double>(novas) / (novas + chases), 0.9, 0.03);
}
