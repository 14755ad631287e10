// The shared test fixture: a clean world in a scratch folder for every test.
#include "world_fixture.h"

#include "gl/headless.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

void World::SetUp() {
  char cwd[4096];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  oldDir_ = cwd;
  char tmpl[] = "/tmp/tethrix-test-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  dir_ = tmpl;
  ASSERT_EQ(chdir(dir_.c_str()), 0);
  ResetWorld();
  headlessReset();
  frameReport = nullptr;
  gameSrand(1);
}

void World::TearDown() {
  ResetWorld();
  ASSERT_EQ(chdir(oldDir_.c_str()), 0);
  std::string cmd = "rm -rf '" + dir_ + "'";
  if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not remove %s\n", dir_.c_str());
}

void World::writeFile(const char *name, const std::string &text) {
  std::ofstream out(name, std::ios::binary);
  out << text;
}

std::string World::readFile(const char *name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void placeBall(player *p, float h, float v, float vh, float vv) {
  p->frame = 1;
  p->x[0] = h - vh;
  p->y[0] = v - vv;
  p->x[1] = h;
  p->y[1] = v;
  p->alive = 1;
  p->active = 1;
}

int addNode(int type, float h, float v) {
  block &b = blocks[++blockNum];
  b = block{};
  b.type = type, b.h = h, b.v = v, b.checkPoint = kNoCheckPoint;
  return blockNum;
}

float ballH(const player *p) { return p->x[curSlot(p)]; }
float ballV(const player *p) { return p->y[curSlot(p)]; }
float ballVH(const player *p) { return p->x[curSlot(p)] - p->x[prevSlot(p)]; }
float ballVV(const player *p) { return p->y[curSlot(p)] - p->y[prevSlot(p)]; }

::testing::AssertionResult movesBy(const player *p, float vh, float vv, float tolerance) {
  if (std::fabs(ballVH(p) - vh) <= tolerance && std::fabs(ballVV(p) - vv) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "steps (" << ballVH(p) << ", " << ballVV(p)
                                       << "), not (" << vh << ", " << vv << ")";
}
