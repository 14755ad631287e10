// Floating messages and the power-up spawn.
#include "world_fixture.h"

#include "gl/headless.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <tuple>
#include <vector>

using std::make_tuple;

class Messages : public World {
protected:
  void SetUp() override { World::SetUp(), speedMult = 0.5f; }
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
  cosmeticSrand(3);
  DrawMessages(firstMessage);
  ASSERT_EQ(CountMessages(), 11);
  // Letters are at the front, last letter first, 0.16 apart from 0.4 left of centre on its line,
  // each scattered up to 0.05 either way across, then up.
  std::vector<float> scatter(20);
  cosmeticSrand(3);
  for (float &d : scatter) d = 0.1f * (static_cast<float>(cosmeticRand()) / kRandMax - 0.5f);
  std::string letters;
  messList *m = firstMessage;
  for (int i = 9; i >= 0; i--, m = m->tail) {
    letters += m->head.text;
    EXPECT_TRUE(isNear(m->head.h, m->head.v, 2 - 0.4f + 0.16f * i, 1, 1e-5f)) << i;
    EXPECT_TRUE(isNear(m->head.hv, m->head.vv, scatter[2 * i], scatter[2 * i + 1], 1e-7f)) << i;
    EXPECT_EQ(make_tuple(m->head.lifetime, m->head.flagP), make_tuple(100.f, nullptr));
  }
  EXPECT_EQ(make_tuple(letters, m->head.flagP), make_tuple(std::string("mBelcitraP"), nullptr));
  EXPECT_EQ(m->head.lifetime, -1.5f); // the label stops watching, is drawn once more and goes
  // Letters live 100 ticks, half a tick a frame, and go on the frame after they run out.
  for (int pass = 0; pass < 202; pass++, DrawMessages(firstMessage))
    ASSERT_EQ(CountMessages(), pass == 0 ? 11 : 10) << pass;
  EXPECT_EQ(CountMessages(), 0);
}

// A following message is pulled 0.05 toward its point and damped by 1 - 0.05 s; it never ages.
TEST_F(Messages, FollowingMessageIsPulledTowardItsPointAndDamped) {
  float ph = 0, pv = 0;
  int held = kPowerNova;
  PushMessage(1, 2, 0.2f, 0.4f, 100, "Free", nullptr, nullptr, nullptr, 0); // drifts and ages
  PushMessage(3, 4, 0.1f, 0, 100, "Nova", &ph, &pv, &held, held);
  DrawMessages(firstMessage);
  const message &drifting = firstMessage->tail->head;
  EXPECT_TRUE(isNear(drifting.h, drifting.v, 1.1f, 2.2f));
  EXPECT_EQ(drifting.lifetime, 99.5f);
  const message &m = firstMessage->head;
  // 3/5 of the pull across, 4/5 down.
  EXPECT_TRUE(isNear(m.hv, m.vv, (0.1f - 0.5f * 0.03f) * 0.975f, -0.5f * 0.04f * 0.975f, 1e-7f));
  EXPECT_TRUE(isNear(m.h, m.v, 3 + 0.5f * m.hv, 4 + 0.5f * m.vv));
  EXPECT_EQ(m.lifetime, 100);
  EXPECT_NEAR(headlessVertices().at(0).x, 3 - 0.16f, 1e-6); // centred on where it was
  ph = m.h, pv = m.v; // on its point: no pull, and no division by zero
  DrawMessages(firstMessage);
  EXPECT_TRUE(std::isfinite(m.h + m.v));
  const float *white = headlessState().color;
  EXPECT_EQ(make_tuple(white[0], white[1], white[2]), make_tuple(1.f, 1.f, 1.f));
}

// A player who asks for larger text gets larger floating labels, centred where they were, and
// their letters burst from where the grown label drew them.
TEST_F(Messages, TheUiScaleGrowsLabelsAboutTheirCentreAndTheLettersBurstFromThem) {
  uiScale = 200;
  int held = kPowerNova;
  PushMessage(2, 1, 0, 0, 100, "Nova", nullptr, nullptr, &held, held);
  DrawMessages(firstMessage);
  float left = 1e9f, right = -1e9f;
  for (const auto &v : headlessVertices()) left = std::min(left, v.x), right = std::max(right, v.x);
  EXPECT_NEAR(left, 2 - 2 * 0.16f, 1e-5); // four glyphs at twice the size, centred on 2
  EXPECT_NEAR(right - left, 2 * 0.25f * (3 * kGlyphAdvance + 1), 1e-5);
  held = kPowerNone;
  cosmeticSrand(3);
  DrawMessages(firstMessage);
  messList *m = firstMessage;
  for (int i = 3; i >= 0; i--, m = m->tail) EXPECT_NEAR(m->head.h, 2 - 0.32f + 0.32f * i, 1e-5) << i;
  ClearMessages();
  held = kPowerShotgun;
  PushMessage(0, 0, 0, 0, 100, "Double Shotgun", nullptr, nullptr, &held, held);
  held = kPowerShotgunSecond;
  DrawMessages(firstMessage);
  EXPECT_EQ(firstMessage->tail->tail->tail->tail->tail->tail->head.h, 1.2f);
  uiScale = kUiScaleAuto;
}

TEST_F(Messages, DoubleShotgunBurstsOneWordPerShotAndABombLeavesAFollowingDetonator) {
  int held = kPowerShotgun;
  PushMessage(0, 0, 0, 0, 100, "Double Shotgun", nullptr, nullptr, &held, held);
  held = kPowerShotgunSecond;
  DrawMessages(firstMessage);
  EXPECT_EQ(CountMessages(), 7); // "Double" in letters, and the label now "Shotgun"
  const message &shotgun = firstMessage->tail->tail->tail->tail->tail->tail->head;
  EXPECT_EQ(make_tuple(std::string(shotgun.text), shotgun.h, shotgun.flagV),
            make_tuple(std::string("Shotgun"), 0.6f, kPowerShotgunSecond));
  DrawMessages(firstMessage);
  EXPECT_EQ(countText("Shotgun"), 1); // waits for the second shot
  held = kPowerNone;
  for (int i = 0; i < 3; i++) DrawMessages(firstMessage);
  EXPECT_EQ(make_tuple(countText("Shotgun"), CountMessages()), make_tuple(0, 13));
  ClearMessages();
  held = kPowerNovaBomb;
  float bh = 5, bv = 5;
  PushMessage(0, 0, 0, 0, 100, "Nova Bomb", &bh, &bv, &held, held);
  held = kPowerBombInFlight;
  DrawMessages(firstMessage);
  const message &detonator = firstMessage->head;
  EXPECT_STREQ(detonator.text, "Detonator");
  EXPECT_EQ(make_tuple(detonator.flagV, detonator.lifetime, detonator.hCenter),
            make_tuple(kPowerBombInFlight, 60.f, &bh));
  for (int i = 0; i < 400; i++) DrawMessages(firstMessage);
  EXPECT_EQ(countText("Detonator"), 1); // follows and never ages while the bomb flies
  EXPECT_NEAR(firstMessage->head.h, 5, 1.0);
  held = kPowerNone;
  DrawMessages(firstMessage), DrawMessages(firstMessage);
  EXPECT_EQ(countText("Detonator"), 0);
  held = kPowerAntimatterBomb;
  PushMessage(0, 0, 0, 0, 100, "Antimatter Bomb", &bh, &bv, &held, held);
  held = kPowerBombInFlight, DrawMessages(firstMessage);
  EXPECT_STREQ(firstMessage->head.text, "Detonator");
}

// Each frame draws two numbers, then the chance, then the node, then the bag entry.
TEST_F(World, SpawnDrawsComeInTheirOrderFromTheGameSource) {
  speedMult = 0.5f, blockNum = 3, powerUpInfrequency = 1; // one chance in 2
  const int bag[3] = {kPowerNova, kPowerChase, kPowerSlam};
  std::copy(bag, bag + 3, powerUpList);
  powerUpsInList = 3;
  std::vector<int> draws(200);
  gameSrand(5);
  for (int &d : draws) d = gameRand();
  gameSrand(5);
  size_t k = 0;
  int spawns = 0;
  for (int frame = 0; frame < 30; frame++) {
    for (int i = 0; i <= blockNum; i++) blocks[i].powerUp = kPowerNone;
    PowerUpSpawnStep();
    int want[4] = {0, 0, 0, 0};
    k += 3; // two discarded, then the chance
    if (draws[k - 1] % 2 == 0) want[draws[k] % 4] = bag[draws[k + 1] % 3], k += 2, spawns++;
    for (int i = 0; i < 4; i++) EXPECT_EQ(blocks[i].powerUp, want[i]) << "frame " << frame;
  }
  EXPECT_EQ(make_tuple(spawns > 5, gameRand()), make_tuple(true, draws[k]));
}
