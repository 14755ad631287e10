// One fixture for every test: the whole world back at its start values.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "TethrixExtern.h"

class World : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  // Files in the test's own scratch folder, its working directory.
  void writeFile(const char *name, const std::string &text);
  std::string readFile(const char *name);
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
  std::string dir_;
  std::string oldDir_;
};

// Position and velocity helpers for ball tests.
void placeBall(player *p, float h, float v, float vh, float vv);
// A fresh node of the given kind appended to the level; returns its index.
int addNode(int type, float h, float v);
float ballH(const player *p);
float ballV(const player *p);
float ballVH(const player *p);
float ballVV(const player *p);
// True when the ball's last step is (vh, vv); the message tells the step it took.
::testing::AssertionResult movesBy(const player *p, float vh, float vv, float tolerance = 1e-6f);
