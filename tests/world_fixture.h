// One fixture for every test: the whole world back at its start values, in a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdlib.h>
#include <string>

#include "TethrixExtern.h"
#include "gl/headless.h"

class World : public ::testing::Test {
protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tethrix-test-XXXXXX";
    oldDir_ = std::filesystem::current_path();
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::filesystem::current_path(dir_);
    ResetWorld();
    headlessReset();
    frameReport = nullptr;
    gameSrand(1);
  }
  void TearDown() override {
    ResetWorld();
    std::filesystem::current_path(oldDir_);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  // Files in the test's own scratch folder, its working directory.
  void writeFile(const char *name, const std::string &text) {
    std::ofstream(name, std::ios::binary) << text;
  }
  std::string readFile(const char *name) {
    std::stringstream s;
    s << std::ifstream(name, std::ios::binary).rdbuf();
    return s.str();
  }
  // The default roster of start-up.
  void roster() { BuildRoster(); }
  // The roster in a 20 x 20 arena without nodes, stepping half a tick a frame.
  void arena() {
    roster();
    speedMult = 0.5f;
    levelLeft = levelBottom = -10;
    levelRight = levelTop = 10;
    blockNum = -1;
  }

private:
  std::string dir_, oldDir_;
};

// A ball in play at (h, v), its last step (vh, vv).
inline void placeBall(player *p, float h, float v, float vh, float vv) {
  p->frame = 1;
  p->x[0] = h - vh, p->y[0] = v - vv, p->x[1] = h, p->y[1] = v;
  p->alive = p->active = 1;
}
// A fresh node of the given kind appended to the level; returns its index.
inline int addNode(int type, float h, float v) {
  blocks[++blockNum] = block{};
  blocks[blockNum].type = type, blocks[blockNum].h = h, blocks[blockNum].v = v;
  blocks[blockNum].checkPoint = kNoCheckPoint;
  return blockNum;
}
// The tests' names for the game's own readers of a ball's place and step.
inline float ballH(const player *p) { return posH(p); }
inline float ballV(const player *p) { return posV(p); }
inline float ballVH(const player *p) { return velH(p); }
inline float ballVV(const player *p) { return velV(p); }
// The longest step of any particle.
inline float fastestParticle() {
  float fastest = 0;
  for (const partList *n = firstParticle; n; n = n->tail)
    fastest = std::max(fastest, std::hypot(n->head.h - n->head.oldH, n->head.v - n->head.oldV));
  return fastest;
}
// True when (h, v) is within tol of (wantH, wantV).
inline ::testing::AssertionResult isNear(float h, float v, float wantH, float wantV,
                                         float tol = 1e-6f) {
  if (std::abs(h - wantH) <= tol && std::abs(v - wantV) <= tol)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure()
         << "(" << h << ", " << v << "), not (" << wantH << ", " << wantV << ")";
}
// True when the ball's last step is (vh, vv).
inline ::testing::AssertionResult movesBy(const player *p, float vh, float vv, float tol = 1e-6f) {
  return isNear(ballVH(p), ballVV(p), vh, vv, tol) << " (the step)";
}
