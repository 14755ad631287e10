// Text layout, the face a ball shows, and the drawing state each routine leaves.
#include "world_fixture.h"

#include "gl/headless.h"
#include "inclGL.h"

#include <string>
#include <tuple>
#include <vector>

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
  // Drawing leaves depth on, texturing off, blending on and the sprites bound.
  void expectStateLeftForTheNextRoutine() {
    EXPECT_TRUE(headlessEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(headlessEnabled(GL_BLEND));
    EXPECT_FALSE(headlessEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(headlessState().boundTexture, kTexSprites);
    EXPECT_EQ(headlessState().matrixDepth, 0);
  }
};

// ---- Text -------------------------------------------------------------------------------
TEST_F(Draw, GlyphsAdvanceSixTenthsSpacesUndrawnAndLineFeedsReturnToTheLeftEdge) {
  glEnable(GL_TEXTURE_2D);
  DrawStr2(1, 2, 1, "A B\nC");
  std::vector<HeadlessVertex> q = quads();
  ASSERT_EQ(q.size(), 12u);
  EXPECT_EQ(std::make_tuple(q[0].x, q[0].y, q[2].x), std::make_tuple(1.f, 2.f, 2.f)); // unit square
  EXPECT_FLOAT_EQ(q[4].x - q[0].x, 1.2f); // the space advances too
  EXPECT_FLOAT_EQ(q[8].x, 1);             // after the line feed: the left edge again
  EXPECT_FLOAT_EQ(q[8].y, 1);             // one glyph lower
  expectStateLeftForTheNextRoutine();
  // The pen starts over for the next string.
  headlessClearVertices();
  DrawStr(0, 0, "x");
  EXPECT_FLOAT_EQ(quads()[0].x, 0);
  EXPECT_FLOAT_EQ(quads()[1].x, 0.25f);
}

TEST_F(Draw, GlyphCellsFollowTheFontGridAndHighCodesDrawOnePointOfIt) {
  struct Case {
    char code;
    float s0, t0, s1, t1; // opposite corners of the cell
  } cases[] = {
      {'!', 1.0f / 16, 15.0f / 16, 2.0f / 16, 1},            // second cell of the top row
      {'0', 0, 14.0f / 16, 1.0f / 16, 15.0f / 16},           // code 48 opens the second row
      {'A', 1.0f / 16, 13.0f / 16, 2.0f / 16, 14.0f / 16},   // 65 is cell 33
      {'~', 14.0f / 16, 10.0f / 16, 15.0f / 16, 11.0f / 16}, // 126 is cell 94: row 5, column 14
      {'\xE9', 0, 1, 0, 1},                                  // a zero-sized cell on one texel
  };
  for (const Case &c : cases) {
    headlessClearVertices();
    DrawStr2(0, 0, 1, std::string(1, c.code).c_str());
    std::vector<HeadlessVertex> q = quads();
    ASSERT_EQ(q.size(), 4u);
    EXPECT_EQ(std::make_tuple(q[0].s, q[0].t, q[2].s, q[2].t),
              std::make_tuple(c.s0, c.t0, c.s1, c.t1))
        << int(c.code);
  }
  DrawGLChar(300); // out-of-range codes wrap instead of reading past the tables
  DrawGLChar(-200);
}

// ---- Faces and balls ---------------------------------------------------------------------------
TEST_F(Draw, FaceColumnTakesTheFirstStateThatHolds) {
  player *p = players[1];
  for (int i = 0; i < 6; i++) players[i]->score = i == 1 ? 0 : 3;
  players[0]->score = 2;
  EXPECT_EQ(faceColumn(p), p->sprite - 1); // one ball only two ahead: not losing yet
  players[0]->score = 3;
  EXPECT_EQ(faceColumn(p), 2); // every other ball more than two ahead
  players[0]->score = 2;
  p->sprite = 40; // a sprite past the sheet shows a face from it, not beyond it
  EXPECT_GE(faceColumn(p), 0);
  EXPECT_LT(faceColumn(p), 16);
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

TEST_F(Draw, DrawingABallTicksItsClocksAndShowsItsFaceFromItsRow) {
  player *p = players[2];
  speedMult = 0.5f;
  p->ghost = 1, p->shield = 2, p->moveDelay = 5, p->sprite = 5;
  placeBall(p, 1, 1, 0, 0);
  DrawPlayer(p);
  EXPECT_EQ(std::make_tuple(p->timeFree, p->ghost, p->shield), std::make_tuple(.5f, .5f, 1.5f));
  EXPECT_EQ(p->moveDelay, 0); // a shielded ball is never stunned
  headlessClearVertices();
  p->ghost = 0, p->shield = 0;
  DrawPlayer(p);
  std::vector<HeadlessVertex> q = quads();
  ASSERT_EQ(q.size(), 4u);
  EXPECT_FLOAT_EQ(q[0].s, 4.0f / 16);
  EXPECT_FLOAT_EQ(q[0].t, 3.0f / 6); // slot 2 is the third row from the top
  EXPECT_EQ(playersDrawn, 1); // the ghost was not counted
  // On a rope the other clock runs; in a team game the leader's face is shown.
  headlessClearVertices();
  blockNum = 0;
  p->block = 0;
  gameType = kTeamDeathmatch;
  teamLeaders[0]->sprite = 9;
  DrawPlayer(p);
  EXPECT_FLOAT_EQ(p->timeAttatched, 0.5f);
  EXPECT_FLOAT_EQ(quads()[0].s, 8.0f / 16);
  EXPECT_EQ(p->sprite, 5); // its own sprite is kept
  EXPECT_EQ(headlessState().matrixDepth, 0);
}

// ---- Arena ---------------------------------------------------------------------------------
TEST_F(Draw, ArenaPassMovesEachNodeOnceAndSwingsFlippers) {
  blockNum = -1;
  levelLeft = -10, levelRight = 10, levelTop = 7, levelBottom = -7;
  DrawBackground(); // a level without nodes: no sparkle modulo a zero count
  blockNum = 0;
  blocks[0].type = kNodeOrbiter;
  blocks[0].period = 100;
  speedMult = 0.5f;
  wallNum = 1;
  walls[0] = wall{0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 1.0f, 0.25f};
  DrawBackground();
  EXPECT_EQ(std::make_tuple(blocks[0].position, walls[0].currentAngle), std::make_tuple(.5f, .25f));
  paused = 1;
  DrawBackground(); // nodes hold still, but flippers swing per drawn frame
  EXPECT_EQ(std::make_tuple(blocks[0].position, walls[0].currentAngle), std::make_tuple(.5f, .5f));
  EXPECT_EQ(headlessState().matrixDepth, 0);
  EXPECT_TRUE(headlessEnabled(GL_BLEND));
  EXPECT_EQ(headlessState().boundTexture, kTexSprites);
}

TEST_F(Draw, DroppedFlagsGoHomeAfterTenDrawnFrames) {
  flags[1] = flag{5, 5, 1, 2, 0};
  for (int i = 0; i < 10; i++) DrawFlag(1);
  EXPECT_EQ(flags[1].h, 5);
  DrawFlag(1);
  EXPECT_EQ(std::make_tuple(flags[1].h, flags[1].v), std::make_tuple(1.f, 2.f));
  DrawFlag(7); // not a team: ignored
}
