// Floating messages and the power-up spawn.
#include "world_fixture.h"

#include <cstring>

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

TEST_F(Messages, FreeMessageLivesItsLifetimeThenGoes) {
  PushMessage(0, 0, 0.1f, 0, 100, "Nova", nullptr, nullptr, nullptr, 0);
  for (int pass = 0; pass < 201; pass++) {
    ASSERT_EQ(CountMessages(), 1) << pass;
    DrawMessages(firstMessage);
  }
  EXPECT_NEAR(firstMessage->head.h, 0.1f * 0.5f * 201, 1e-3);
  DrawMessages(firstMessage);
  EXPECT_EQ(CountMessages(), 0);
}

TEST_F(Messages, UsingThePowerUpBurstsTheLabelIntoLetters) {
  int held = kPowerParticleBeam;
  PushMessage(2, 1, 0, 0, 100, "ParticleBm", nullptr, nullptr, &held, held);
  DrawMessages(firstMessage);
  EXPECT_EQ(CountMessages(), 1); // still held: nothing bursts
  held = kPowerNone;
  DrawMessages(firstMessage);
  ASSERT_EQ(CountMessages(), 11);
  // Letters are at the front, last letter first, 0.16 apart from 0.4 left of centre.
  messList *m = firstMessage;
  for (int i = 9; i >= 0; i--, m = m->tail) {
    EXPECT_EQ(std::strlen(m->head.text), 1u);
    EXPECT_EQ(m->head.text[0], "ParticleBm"[i]);
    EXPECT_NEAR(m->head.h, 2 - 0.4f + 0.16f * i, 1e-5);
    EXPECT_FLOAT_EQ(m->head.lifetime, 100);
    EXPECT_EQ(m->head.flagP, nullptr);
  }
  EXPECT_EQ(m->head.flagP, nullptr); // the label itself stops watching and goes
  EXPECT_LT(m->head.lifetime, 0);
  DrawMessages(firstMessage);
  EXPECT_EQ(CountMessages(), 10);
}

TEST_F(Messages, DoubleShotgunBurstsOneWordPerShot) {
  int held = kPowerShotgun;
  PushMessage(0, 0, 0, 0, 100, "Double Shotgun", nullptr, nullptr, &held, held);
  held = kPowerShotgunSecond;
  DrawMessages(firstMessage);
  EXPECT_EQ(CountMessages(), 7); // "Double" in letters, and the label now "Shotgun"
  EXPECT_EQ(countText("Shotgun"), 1);
  DrawMessages(firstMessage);
  EXPECT_EQ(countText("Shotgun"), 1); // waits for the second shot
  held = kPowerNone;
  for (int i = 0; i < 3; i++) DrawMessages(firstMessage);
  EXPECT_EQ(countText("Shotgun"), 0);
  EXPECT_EQ(CountMessages(), 13);
}

TEST_F(Messages, ALaunchedBombLeavesADetonatorThatFollowsTheBall) {
  int held = kPowerNovaBomb;
  float bh = 5, bv = 5;
  PushMessage(0, 0, 0, 0, 100, "Nova Bomb", &bh, &bv, &held, held);
  held = kPowerBombInFlight;
  DrawMessages(firstMessage);
  ASSERT_EQ(countText("Detonator"), 1);
  messList *d = firstMessage;
  EXPECT_STREQ(d->head.text, "Detonator");
  EXPECT_EQ(d->head.flagV, kPowerBombInFlight);
  for (int i = 0; i < 400; i++) DrawMessages(firstMessage);
  EXPECT_EQ(countText("Detonator"), 1); // follows and never ages while the bomb flies
  EXPECT_NEAR(d->head.h, 5, 1.0);
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

TEST_F(Spawn, PausedArcadeAndOffStillDrawTwoNumbersAFrame) {
  for (int mode = 0; mode < 3; mode++) {
    paused = mode == 0;
    arcadeMode = mode == 1;
    powerUpInfrequency = mode == 2 ? 0 : 301;
    gameSrand(9);
    PowerUpSpawnStep();
    const int after = gameRand();
    gameSrand(9);
    gameRand();
    gameRand();
    EXPECT_EQ(after, gameRand()) << mode;
    EXPECT_EQ(blocks[0].powerUp, kPowerNone);
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

TEST_F(Spawn, NoNodesOrAnEmptyBagSpawnNothing) {
  powerUpInfrequency = 1;
  blockNum = -1;
  for (int i = 0; i < 100; i++) PowerUpSpawnStep();
  blockNum = 0;
  powerUpsInList = 0;
  for (int i = 0; i < 100; i++) PowerUpSpawnStep();
  EXPECT_EQ(blocks[0].powerUp, kPowerNone);
  powerUpsInList = 1;
  for (int i = 0; i < 100; i++) PowerUpSpawnStep();
  EXPECT_EQ(blocks[0].powerUp, kPowerNova); // one node takes every spawn
}
