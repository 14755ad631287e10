// The shared test fixture: a clean world in a scratch folder for every test.
#include "world_fixture.h"

#include "gl/headless.h"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdlib.h>

void World::SetUp() {
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

void World::TearDown() {
  ResetWorld();
  std::filesystem::current_path(oldDir_);
  std::error_code ignored;
  std::filesystem::remove_all(dir_, ignored);
}

void World::writeFile(const char *name, const std::string &text) {
  std::ofstream(name, std::ios::binary) << text;
}

std::string World::readFile(const char *name) {
  std::stringstream s;
  s << std::ifstream(name, std::ios::binary).rdbuf();
  return s.str();
}
