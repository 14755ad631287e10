// One fixture for every test: the whole world back at its start values.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "TethrixExtern.h"

class World : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  // A fresh scratch folder, the working directory for the test.
  const std::string &dir() const { return dir_; }
  void writeFile(const char *name, const std::string &text);
  std::string readFile(const char *name);
  // The default roster of start-up.
  void roster() { BuildRoster(); }

private:
  std::string dir_;
  std::string oldDir_;
};

// Position and velocity helpers for ball tests.
void placeBall(player *p, float h, float v, float vh, float vv);
float ballH(const player *p);
float ballV(const player *p);
float ballVH(const player *p);
float ballVV(const player *p);
