// Text layout, the face a ball shows, and what the arena and ball drawing put on screen.
#include "world_fixture.h"

#include "gl/headless.h"
#include "inclGL.h"

#include <tuple>
#include <vector>

using std::make_tuple;
using Rgba = std::tuple<float, float, float, float>;
using Points = std::vector<std::tuple<float, float>>;

class Draw : public World {
protected:
  void SetUp() override { World::SetUp(), arena(), headlessClearVertices(); }
  std::vector<HeadlessVertex> drawn(unsigned primitive) {
    std::vector<HeadlessVertex> out;
    for (const HeadlessVertex &v : headlessVertices())
      if (v.primitive == primitive) out.push_back(v);
    return out;
  }
  std::vector<HeadlessVertex> quads() { return drawn(GL_QUADS); }
  static Rgba rgba(const float *c) { return Rgba(c[0], c[1], c[2], c[3]); }
  static Rgba rgba(const HeadlessVertex &v) { return rgba(v.color); }
  void background() {
    headlessClearVertices();
    DrawBackground();
  }
};

TEST_F(Draw, GlyphsAdvanceSixTenthsSpacesUndrawnAndLineFeedsReturnToTheLeftEdge) {
  DrawStr2(1, 2, 1, "A B\n\x7f");
  const std::vector<HeadlessVertex> q = quads();
  ASSERT_EQ(q.size(), 12u);
  // A unit square, a space that advances too, and the next line at the left edge.
  EXPECT_EQ(make_tuple(q[0].x, q[0].y, q[2].x, q[4].x, q[8].x, q[8].y, q[9].x, q[9].z),
            make_tuple(1.f, 2.f, 2.f, 2.2f, 1.f, 1.f, 2.f, q[8].z));
  // The last glyph is the last cell of the sixth row of the 16 x 16 font grid.
  EXPECT_EQ(make_tuple(q[8].s, q[8].t, q[10].s, q[10].t),
            make_tuple(15.f / 16, 10.f / 16, 1.f, 11.f / 16));
  EXPECT_EQ(headlessState().boundTexture, kTexSprites); // what the faces drawn next are cut from
  headlessClearVertices();
  DrawStrWithin(0, 0, 2, 1.6f, "xy"); // too narrow: it shrinks to fit
  DrawStrWithin(0, 0, 2, 0, "xy");    // 0 sets no limit
  EXPECT_EQ(make_tuple(quads()[1].x, quads()[9].x), make_tuple(1.f, 2.f));
  DrawGLChar(300); // out-of-range codes wrap instead of reading past the tables
  DrawGLChar(-200);
}

TEST_F(Draw, FaceColumnTakesTheFirstStateThatHolds) {
  player *p = players[1];
  for (int i = 0; i < 6; i++)
    players[i]->score = i == 1 ? 0 : 3;
  players[0]->score = 2;
  p->sprite = 40; // a sprite past the sheet shows a face from it; one ball only two ahead
  EXPECT_EQ(faceColumn(p) / 16, 0);
  p->sprite = 4;
  p->turbo = p->drunk = p->shield = p->slow = 0; // timers run out exactly: the ball's own face
  EXPECT_EQ(faceColumn(p), 3);
  players[0]->score = 3;
  EXPECT_EQ(faceColumn(p), 2); // every other ball more than two ahead
  p->powerUpType = kPowerSupernova;
  EXPECT_EQ(faceColumn(p), 15);
  for (float edge : {.8f, 1.2f}) { // exactly at either size limit the ball is still its size
    p->radius = edge * p->defaultSize;
    EXPECT_EQ(faceColumn(p), 15) << edge;
  }
  p->radius = p->defaultSize;
  // Each state set beats those before it; a radius over 1.2 x 0.3 grows, under 0.8 x 0.3 shrinks.
  for (auto [field, value, column] :
       {make_tuple(&player::slow, .5f, 11), make_tuple(&player::shield, .5f, 0),
        make_tuple(&player::turbo, .5f, 4), make_tuple(&player::drunk, .5f, 5),
        make_tuple(&player::radius, .37f, 1), make_tuple(&player::radius, .23f, 8)}) {
    p->*field = value;
    EXPECT_EQ(faceColumn(p), column) << value;
  }
  gameType = kTag, it = p;
  EXPECT_EQ(faceColumn(p), 14);
  p->moveDelay = 1; // stunned beats "it"
  EXPECT_EQ(faceColumn(p), 6);
}

TEST_F(Draw, ABallShowsItsFaceTintShieldAndRopeAndTicksItsClocks) {
  player *p = players[2];
  p->ghost = 1, p->shield = 2, p->moveDelay = 5, p->sprite = 5;
  p->radius = p->defaultSize = 0.4f;
  placeBall(p, 1, 1, 0, 0);
  DrawPlayer(p);
  // A shielded ball is never stunned; a ghost is no face.
  EXPECT_EQ(make_tuple(p->timeFree, p->ghost, p->shield, p->moveDelay, playersDrawn),
            make_tuple(.5f, .5f, 1.5f, 0.f, 0));
  // The face comes from the ball's row, tinted grey while unblockable, the shield glowing round it.
  p->ghost = 0, p->unblockable = 1;
  headlessClearVertices();
  DrawPlayer(p);
  const HeadlessSphere &glow = headlessSpheres().at(0);
  EXPECT_EQ(make_tuple(rgba(quads()[0]), quads()[0].t, float(glow.radius), rgba(glow.color)),
            make_tuple(Rgba(.5f, .5f, .5f, 1), 3.f / 6, 1.5f * 0.4f, Rgba(1, 1, 0, .5f)));
  // A stunned ball's rope is red. In a team game the leader's face is shown.
  addNode(kNodeStill, 3, 4);
  p->block = 0, p->shield = 0, gameType = kTeamDeathmatch, teamLeaders[0]->sprite = 9;
  for (float stun : {1.0f, 0.0f}) {
    p->moveDelay = stun;
    headlessClearVertices();
    DrawPlayer(p);
    const std::vector<HeadlessVertex> rope = drawn(GL_LINES);
    EXPECT_EQ(make_tuple(rope.size(), rope.at(0).x, rope.at(1).x, rope.at(1).y, rgba(rope.at(0))),
              make_tuple(2u, 1.f, 3.f, 4.f, stun > 0 ? Rgba(1, 0, 0, 1) : Rgba(1, 1, 1, 1)));
  }
  // On a rope the other clock runs; every face drawn is counted.
  EXPECT_EQ(make_tuple(p->timeAttatched, quads()[0].s, p->sprite, playersDrawn,
                       headlessState().matrixDepth),
            make_tuple(1.f, 8.f / 16, 5, 3, 0));
}

// The face is the ball's cell of the sheet, upright and unmirrored over the ball, each face a
// little above the last drawn; a stopped ball is tinted cyan, an unblockable one grey over that.
// A ball without a face, and the puck, are plain spheres in their colour; a free ball has no rope.
TEST_F(Draw, FaceCoversTheBallUprightTintedByItsStateAndAboveTheLastFace) {
  player *p = players[1]; // row 1 of the sheet
  p->sprite = 4, p->radius = p->defaultSize = 0.5f;
  placeBall(p, 2, 3, 0, 0);
  const float u0 = 3.f / 16, u1 = 4.f / 16, v0 = 4 * (1.f / 6), v1 = v0 + 1.f / 6;
  using Corner = std::tuple<float, float, float, float>;
  const std::vector<Corner> corners = {
      {1.5f, 2.5f, u0, v0}, {2.5f, 2.5f, u1, v0}, {2.5f, 3.5f, u1, v1}, {1.5f, 3.5f, u0, v1}};
  const Rgba white(1, 1, 1, 1), cyan(.5f, 1.5f, 1.5f, 1), grey(.5f, .5f, .5f, 1);
  const std::tuple<float, float, int, Rgba> cases[] = { // stop, unblockable, rope, tint
      {0, 0, kRopeFree, white},
      {.5f, 0, kRopeRequested, cyan},
      {0, .5f, kRopeFree, grey},
      {.5f, .5f, kRopeFree, grey}};
  float lastZ = 0;
  p->magShield = p->gravShield = 0; // run out: no shield drawn
  for (const auto &[stop, unblockable, rope, tint] : cases) {
    p->stop = stop, p->unblockable = unblockable, p->block = rope;
    headlessClearVertices();
    DrawPlayer(p);
    std::vector<Corner> seen;
    for (const HeadlessVertex &v : quads()) {
      seen.emplace_back(v.x, v.y, v.s, v.t);
      EXPECT_EQ(rgba(v), tint) << stop << " " << unblockable;
      EXPECT_GT(v.z, lastZ);
    }
    EXPECT_EQ(seen, corners);
    lastZ = quads().at(0).z;
    EXPECT_TRUE(drawn(GL_LINES).empty()) << rope; // no rope to a node it does not hold
    EXPECT_TRUE(drawn(GL_LINE_STRIP).empty());
  }
  // Its glyph sits at its upper right shoulder, a little over half its radius across.
  const std::vector<HeadlessVertex> glyph = drawn(GL_TRIANGLE_FAN);
  ASSERT_FALSE(glyph.empty());
  float reach = 0;
  for (const HeadlessVertex &v : glyph) reach = std::max(reach, std::hypot(v.x - 2.3f, v.y - 3.3f));
  EXPECT_TRUE(isNear(glyph[0].x, glyph[0].y, 2.3f, 3.3f, 1e-5f));
  EXPECT_NEAR(reach, .55f * .5f, 1e-5f);
  // A charging Supernova glows red, stronger and tighter as it fills, and not once it is full.
  for (float charge : {25.f, 50.f}) {
    p->supernovaCharge = charge;
    headlessClearVertices();
    DrawPlayer(p);
    const std::vector<HeadlessSphere> &glow = headlessSpheres();
    ASSERT_EQ(glow.size(), charge < 50 ? 1u : 0u) << charge;
    if (charge < 50) {
      EXPECT_EQ(make_tuple(float(glow[0].radius), rgba(glow[0].color)),
                make_tuple(1.5f * .5f, Rgba(1, 0, 0, .5f)));
    }
  }
  p->supernovaCharge = 0;
  p->r = .2f, p->g = .4f, p->b = .6f;
  for (player *ball : {p, puck}) {
    if (ball == p) p->sprite = 0;
    ball->radius = 0.5f;
    placeBall(ball, 2, 3, 0, 0);
    headlessClearVertices();
    DrawPlayer(ball);
    ASSERT_EQ(headlessSpheres().size(), 1u);
    const HeadlessSphere &s = headlessSpheres()[0];
    EXPECT_EQ(make_tuple(s.x, s.y, float(s.radius), s.solid, rgba(s.color)),
              make_tuple(2.f, 3.f, .5f, true, Rgba(ball->r, ball->g, ball->b, 1)));
    EXPECT_TRUE(quads().empty());
  }
}

// A magnetic shield is eight red arms curling out from the ball to two units, turning with its
// timer; a gravity shield is eight green rings about the ball, pulsing with its timer.
TEST_F(Draw, ShieldsDrawRedArmsAndGreenRingsAboutTheBall) {
  player *p = players[0];
  p->sprite = 1, p->magShield = .5f, p->gravShield = .5f;
  placeBall(p, 1, 1, 0, 0);
  DrawPlayer(p);
  std::vector<std::vector<HeadlessVertex>> strips;
  int last = -1;
  for (const HeadlessVertex &v : drawn(GL_LINE_STRIP)) {
    if (v.begin != last) last = v.begin, strips.emplace_back();
    strips.back().push_back(v);
  }
  ASSERT_EQ(strips.size(), 16u);
  const double turn = .5 / 5;
  for (int i = 0; i < 8; i++) {
    const std::vector<HeadlessVertex> &arm = strips[i], &ring = strips[8 + i];
    ASSERT_EQ(make_tuple(arm.size(), ring.size()), make_tuple(9u, 9u)) << i;
    const double end = turn + i * kPi / 4; // the arms' tips are evenly spread, from the vertical
    for (size_t j = 0; j < 9; j++) {
      // each arm trails behind its tip, a fifth of a radian a step inwards
      const double a = end - (8.0 - j) * .2, rho = j < 8 ? j / 4.0 : 2;
      EXPECT_TRUE(isNear(arm[j].x, arm[j].y, 1 + float(rho * std::sin(a)), 1 + float(rho * std::cos(a)),
                         1e-5f)) << i << " " << j;
      EXPECT_NEAR(std::hypot(ring[j].x - 1, ring[j].y - 1),
                  std::abs(2 * std::sin(i * kPi / 4 + turn)), 1e-5) << i;
      EXPECT_EQ(make_tuple(rgba(arm[j]), rgba(ring[j])), make_tuple(Rgba(1, 0, 0, 1), Rgba(0, 1, 0, 1)));
    }
    EXPECT_TRUE(isNear(ring[0].x, ring[0].y, ring[8].x, ring[8].y, 1e-5f)); // closed
  }
}

// In team games each ball carries its team's outline in the team's colour, upright round it:
// a ring for one team, a diamond for the other. No other game, and never the puck, has one.
TEST_F(Draw, TeamBallsCarryTheirTeamsMark) {
  players[5]->radius = 0.5f;
  placeBall(puck, 0, 0, 0, 0);
  const std::tuple<int, player *, size_t> cases[] = {
      {kTeamDeathmatch, players[0], 24}, {kDomination, players[5], 4},
      {kDeathmatch, players[0], 0},      {kAirHockey, puck, 0}};
  for (const auto &[type, p, sides] : cases) {
    gameType = type;
    p->graphicAngle = 1;
    placeBall(p, 2, 3, 0, 0);
    headlessClearVertices();
    DrawPlayer(p);
    std::vector<HeadlessVertex> mark; // the outline round the ball, not the glyph on it
    for (const HeadlessVertex &v : drawn(GL_LINE_LOOP))
      if (std::abs(std::hypot(v.x - 2, v.y - 3) - 1.6f * p->radius) < 1e-4f) mark.push_back(v);
    ASSERT_EQ(mark.size(), sides) << type;
    if (sides == 0) continue;
    const player *leader = teamLeaders[p->team];
    EXPECT_EQ(rgba(mark[0]), Rgba(leader->r, leader->g, leader->b, 1));
    EXPECT_TRUE(isNear(mark[0].x, mark[0].y, 2, 3 + 1.6f * p->radius, 1e-5f)); // upright
  }
  // No two of the seven teams share an outline; a team number past them wraps round.
  auto corners = [this](int team) {
    headlessClearVertices();
    DrawTeamMark(team, 1);
    return drawn(GL_LINE_LOOP).size();
  };
  std::vector<size_t> seen;
  for (int team = 0; team < kMaxTeams; team++) {
    const size_t n = corners(team);
    EXPECT_GE(n, 3u) << team;
    EXPECT_EQ(std::count(seen.begin(), seen.end(), n), 0) << team;
    seen.push_back(n);
  }
  EXPECT_EQ(make_tuple(corners(kMaxTeams), corners(-1)), make_tuple(seen[0], seen[kMaxTeams - 1]));
  // A team without a leader yet shows no mark.
  gameType = kTeamDeathmatch, teamLeaders[1] = nullptr;
  headlessClearVertices();
  DrawPlayer(players[5]);
  EXPECT_EQ(drawn(GL_LINE_LOOP).size(), 12u); // the plus glyph's edge alone
}

TEST_F(Draw, BallNearTheEdgeDrawsABoltFromTheCornerBeforeTheEdge) {
  // (8.2, -8.2) is within 2 of both edges and 1.5 of neither: a corner still.
  const std::tuple<float, float, Points> cases[] = {
      {9, 9, {{10, 10}}},         {-9, 9, {{-10, 10}}},      {-9, -9, {{-10, -10}}},
      {8.2f, -8.2f, {{10, -10}}}, {-9, 7.9f, {{-10, 7.9f}}}, {9, 0, {{10, 0}}},
      {0, 9, {{0, 10}}},          {0, -9, {{0, -10}}},       {8.2f, 0, {}}};
  for (const auto &[h, v, from] : cases) {
    placeBall(players[0], h, v, 0, 0);
    background();
    Points bolts; // where each bolt starts, the eight half-bolts of the border first
    int last = -1;
    for (const HeadlessVertex &v : drawn(GL_LINE_STRIP))
      if (v.begin != last) last = v.begin, bolts.emplace_back(v.x, v.y);
    ASSERT_GE(bolts.size(), 8u);
    EXPECT_EQ(Points(bolts.begin() + 8, bolts.end()), from) << h << "," << v;
  }
}

TEST_F(Draw, NodeColourShowsHidingOwnershipTheRaceHighlightAndThePowerUpCycle) {
  paused = 1;                                                // hidden nodes keep their time
  players[1]->score = 7, players[1]->ai = kHuman, hints = 1; // a human, shown its next node
  placeBall(players[1], 5, 5, 0, 0);
  numCheckPoints = 4, cyclingCount = 39; // the highlight is on slot (39 / 5) % 6, whose next is 4
  const Rgba grey(.5f, .5f, .5f, 1), white(1, 1, 1, 1), red(1, 0, 0, 1), blue(0, 0, 1, 1);
  const Rgba hidden(.5f, .5f, .5f, .5f), yellow(1, 1, 0, 1);
  const int dom = kDomination, dm = kDeathmatch, race = kRace, none = kNoCheckPoint;
  // A node hidden by a blink of 16 has alpha 1 over its fourth root; Domination shows the owner.
  const std::tuple<int, int, float, Rgba> cases[] = {
      {dom, 6, 16, hidden}, {dm, 6, 0, white}, {dom, 0, 0, red},     {dom, 5, 0, blue},
      {dom, none, 0, grey}, {dm, 4, 0, grey},  {race, 4, 0, yellow}, {race, 3, 0, white}};
  for (auto [game, checkPoint, blink, colour] : cases) {
    blockNum = -1;
    const int id = addNode(kNodeStill, 1, 2);
    blocks[id].checkPoint = checkPoint, blocks[id].blink = blink, gameType = game;
    background();
    Rgba seen; // the node's diamond lies just below the plane of the balls
    for (const HeadlessVertex &v : quads())
      if (v.z == -0.01f) seen = rgba(v);
    EXPECT_EQ(seen, colour) << game << " " << checkPoint << " " << blink;
    EXPECT_EQ(drawn(GL_LINES).size(), colour == yellow ? 2u : 0u); // a line to it
  }
  // A power-up's octahedron cycles blue, green, red; past the end of the cycle, to its start.
  blocks[0].powerUp = kPowerNova, blocks[0].checkPoint = 4, hints = 0; // no line without hints
  speedMult = 1000;
  for (const Rgba &colour : {Rgba(0, 0, 1, .5f), Rgba(0, .5f, .5f, .5f), Rgba(0, 1, 0, .5f),
                             Rgba(.5f, .5f, 0, .5f), Rgba(1, 0, 0, .5f), Rgba(.5f, 0, .5f, .5f)}) {
    background();
    EXPECT_EQ(rgba(drawn(GL_TRIANGLES).at(0)), colour);
    EXPECT_TRUE(drawn(GL_LINES).empty());
    speedMult = 20;
  }
}

TEST_F(Draw, ArenaPassMovesEachNodeOnceSwingsFlippersAndReturnsFlags) {
  DrawBackground(); // a level without nodes: no sparkle modulo a zero count
  blocks[addNode(kNodeOrbiter, 0, 0)].period = 100;
  walls[wallNum++] = wall{0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 1.0f, 0.25f};
  DrawBackground();
  EXPECT_EQ(make_tuple(blocks[0].position, walls[0].currentAngle), make_tuple(.5f, .25f));
  paused = 1;
  DrawBackground(); // nodes hold still, but flippers swing per drawn frame
  EXPECT_EQ(make_tuple(blocks[0].position, walls[0].currentAngle), make_tuple(.5f, .5f));
  flags[1] = flag{5, 5, 1, 2, 0};
  for (int i = 0; i < 10; i++) // a flag left lying goes home after ten drawn frames
    DrawFlag(1);
  EXPECT_EQ(flags[1].h, 5);
  DrawFlag(1);
  EXPECT_EQ(make_tuple(flags[1].h, flags[1].v), make_tuple(1.f, 2.f));
  DrawFlag(7); // not a team: ignored
}
