// The shared test fixture: a clean world in a scratch folder for every test.
#include "world_fixture.h"

#include "gl/headless.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unistd.h>

void World::SetUp() {
  char cwd[4096], tmpl[] = "/tmp/tethrix-test-XXXXXX";
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  oldDir_ = cwd;
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
  std::ofstream(name, std::ios::binary) << text;
}

std::string World::readFile(const char *name) {
  std::stringstream s;
  s << std::ifstream(name, std::ios::binary).rdbuf();
  return s.str();
}
