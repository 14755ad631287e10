// Text layout, the face a ball shows, and the drawing state each routine leaves.
#include "world_fixture.h"

#include "gl/headless.h"
#include "inclGL.h"

#include <cmath>

class Draw : public World {
protected:
  void SetUp() override {
    World::SetUp();
    roster();
    headlessClearVertices();
  }
  std::vector<HeadlessVertex> quads() {
    std::vector<HeadlessVertex> out;
    for (const HeadlessVertex &v : headlessVertices())
      if (v.primitive == GL_QUADS) out.push_back(v);
    return out;
  }
};

// ---- Text -------------------------------------------------------------------------------
TEST_F(Draw, GlyphsAdvanceSixTenthsAndLineFeedsReturnToTheLeftEdge) {
  DrawStr2(1, 2, 1, "AB\nC");
  std::vector<HeadlessVertex> q = quads();
  ASSERT_EQ(q.size(), 12u);
  EXPECT_FLOAT_EQ(q[0].x, 1);
  EXPECT_FLOAT_EQ(q[0].y, 2);
  EXPECT_FLOAT_EQ(q[4].x - q[0].x, 0.6f);
  EXPECT_FLOAT_EQ(q[8].x, 1);    // after the line feed: the left edge again
  EXPECT_FLOAT_EQ(q[8].y, 1);    // one glyph lower
  EXPECT_FLOAT_EQ(q[2].x, 2);    // a glyph is one unit square
  // The pen starts over for the next string.
  headlessClearVertices();
  DrawStr(0, 0, "x");
  EXPECT_FLOAT_EQ(quads()[0].x, 0);
  EXPECT_FLOAT_EQ(quads()[1].x, 0.25f);
}

TEST_F(Draw, GlyphCellsFollowTheFontGrid) {
  DrawStr2(0, 0, 1, "!0A~");
  std::vector<HeadlessVertex> q = quads();
  ASSERT_EQ(q.size(), 16u);
  // '!' is the second cell of the top row: s from 1/16, t from 1 - 1/16 up to 1.
  EXPECT_FLOAT_EQ(q[0].s, 1.0f / 16);
  EXPECT_FLOAT_EQ(q[0].t, 15.0f / 16);
  EXPECT_FLOAT_EQ(q[2].t, 1.0f);
  EXPECT_FLOAT_EQ(q[4].s, 0);          // '0' (code 48) opens the second row
  EXPECT_FLOAT_EQ(q[4].t, 14.0f / 16);
  EXPECT_FLOAT_EQ(q[8].s, 1.0f / 16);  // 'A' (65) is cell 33
  EXPECT_FLOAT_EQ(q[8].t, 13.0f / 16);
  EXPECT_FLOAT_EQ(q[12].s, 14.0f / 16); // '~' (126) is cell 94: row 5, column 14
  EXPECT_FLOAT_EQ(q[12].t, 10.0f / 16);
}

TEST_F(Draw, SpacesAdvanceUndrawnAndHighCodesDrawOnePointOfTheFont) {
  DrawStr2(0, 0, 1, " a\xE9");
  std::vector<HeadlessVertex> q = quads();
  ASSERT_EQ(q.size(), 8u);
  EXPECT_FLOAT_EQ(q[0].x, 0.6f);
  EXPECT_FLOAT_EQ(q[4].x, 1.2f);
  for (int i = 4; i < 8; i++) { // zero-sized cell: all four corners on one texel
    EXPECT_FLOAT_EQ(q[i].s, 0);
    EXPECT_FLOAT_EQ(q[i].t, 1);
  }
  DrawGLChar(300); // out-of-range codes wrap instead of reading past the tables
  DrawGLChar(-200);
}

TEST_F(Draw, TextLeavesDepthOnTextureOffBlendingOnAndTheSpritesBound) {
  glEnable(GL_TEXTURE_2D);
  DrawStr(0, 0, "Score");
  EXPECT_TRUE(headlessEnabled(GL_DEPTH_TEST));
  EXPECT_TRUE(headlessEnabled(GL_BLEND));
  EXPECT_FALSE(headlessEnabled(GL_TEXTURE_2D));
  EXPECT_EQ(headlessState().boundTexture, kTexSprites);
  EXPECT_EQ(headlessState().matrixDepth, 0);
}

// ---- Faces --------------------------------------------------------------------------------
TEST_F(Draw, FaceColumnTakesTheFirstStateThatHolds) {
  player *p = players[1];
  p->sprite = 3;
  EXPECT_EQ(faceColumn(p), 2); // plain: sprite - 1
  p->powerUpType = kPowerSupernova;
  EXPECT_EQ(faceColumn(p), 15);
  p->slow = 1;
  EXPECT_EQ(faceColumn(p), 11);
  p->shield = 1;
  EXPECT_EQ(faceColumn(p), 0);
  p->turbo = 1;
  EXPECT_EQ(faceColumn(p), 4);
  p->drunk = 1;
  EXPECT_EQ(faceColumn(p), 5);
  p->radius = 0.37f; // more than 1.2 x 0.3
  EXPECT_EQ(faceColumn(p), 1);
  p->radius = 0.23f;
  EXPECT_EQ(faceColumn(p), 8);
  gameType = kTag;
  it = p;
  EXPECT_EQ(faceColumn(p), 14);
  p->moveDelay = 1; // stunned beats "it"
  EXPECT_EQ(faceColumn(p), 6);
}

TEST_F(Draw, LosingFaceOnlyWhenEveryOtherBallIsMoreThanTwoAhead) {
  player *p = players[0];
  for (int i = 1; i < 6; i++) players[i]->score = 3;
  EXPECT_EQ(faceColumn(p), 2);
  players[4]->score = 2; // one ball only two ahead
  EXPECT_EQ(faceColumn(p), p->sprite - 1);
  p->sprite = 40; // a sprite past the sheet shows a face from it, not beyond it
  EXPECT_GE(faceColumn(p), 0);
  EXPECT_LT(faceColumn(p), 16);
}

// ---- Balls ---------------------------------------------------------------------------------
TEST_F(Draw, DrawingABallKeepsItsClocks) {
  player *p = players[0];
  speedMult = 0.5f;
  p->ghost = 1;
  p->shield = 2;
  p->moveDelay = 5;
  p->block = kRopeFree;
  DrawPlayer(p);
  EXPECT_FLOAT_EQ(p->timeFree, 0.5f);
  EXPECT_FLOAT_EQ(p->ghost, 0.5f);
  EXPECT_FLOAT_EQ(p->shield, 1.5f);
  EXPECT_EQ(p->moveDelay, 0); // a shielded ball is never stunned
  blockNum = 0;
  p->block = 0;
  DrawPlayer(p);
  EXPECT_FLOAT_EQ(p->timeAttatched, 0.5f);
  EXPECT_EQ(headlessState().matrixDepth, 0);
}

TEST_F(Draw, FacesComeFromTheBallsRowAndTeamsShareTheLeadersFace) {
  player *p = players[2];
  p->ghost = 0;
  p->sprite = 5;
  placeBall(p, 1, 1, 0, 0);
  DrawPlayer(p);
  std::vector<HeadlessVertex> q = quads();
  ASSERT_EQ(q.size(), 4u);
  EXPECT_FLOAT_EQ(q[0].s, 4.0f / 16);
  EXPECT_FLOAT_EQ(q[0].t, 3.0f / 6); // slot 2 is the third row from the top
  EXPECT_EQ(playersDrawn, 1);
  headlessClearVertices();
  gameType = kTeamDeathmatch;
  p->team = 0;
  teamLeaders[0]->sprite = 9;
  DrawPlayer(p);
  EXPECT_FLOAT_EQ(quads()[0].s, 8.0f / 16);
  EXPECT_EQ(p->sprite, 5); // its own sprite is kept
}

// ---- Arena ---------------------------------------------------------------------------------
TEST_F(Draw, ArenaPassMovesEachNodeOnceAndSwingsFlippers) {
  blockNum = 0;
  blocks[0].type = kNodeOrbiter;
  blocks[0].period = 100;
  speedMult = 0.5f;
  wallNum = 1;
  walls[0] = wall{0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 1.0f, 0.25f};
  DrawBackground();
  EXPECT_FLOAT_EQ(blocks[0].position, 0.5f);
  EXPECT_FLOAT_EQ(walls[0].currentAngle, 0.25f);
  paused = 1;
  DrawBackground();
  EXPECT_FLOAT_EQ(blocks[0].position, 0.5f);
  EXPECT_FLOAT_EQ(walls[0].currentAngle, 0.5f); // flippers swing per drawn frame
  EXPECT_EQ(headlessState().matrixDepth, 0);
  EXPECT_TRUE(headlessEnabled(GL_BLEND));
  EXPECT_EQ(headlessState().boundTexture, kTexSprites);
}

TEST_F(Draw, ALevelWithoutNodesDrawsNoNode) {
  blockNum = -1;
  levelLeft = -10, levelRight = 10, levelTop = 7, levelBottom = -7;
  DrawBackground(); // no sparkle modulo a zero count
  SUCCEED();
}

TEST_F(Draw, DroppedFlagsGoHomeAfterTenDrawnFrames) {
  flags[1] = flag{5, 5, 1, 2, 0};
  for (int i = 0; i < 10; i++) DrawFlag(1);
  EXPECT_EQ(flags[1].h, 5);
  DrawFlag(1);
  EXPECT_EQ(flags[1].h, 1);
  EXPECT_EQ(flags[1].v, 2);
  DrawFlag(7); // not a team: ignored
}
