// The game's own options, and the window system's passed on untouched.
#include "cmdline.h"

#include <gtest/gtest.h>

namespace {
// The parse in one line: the error, or the settings and what GLUT gets.
std::string parse(std::vector<std::string> args) {
  std::vector<char *> argv{const_cast<char *>("tethrix")};
  for (std::string &a : args)
    argv.push_back(a.data());
  const CommandLine c = ParseCommandLine(static_cast<int>(argv.size()), argv.data());
  if (c.glutArgs.empty() || c.glutArgs.back() != nullptr)
    return "GLUT's argv is not null-terminated";
  if (!c.error.empty()) return c.error;
  std::string out = "screen " + std::to_string(c.fullScreen) + " data '" + c.data + "'" +
                    (c.help ? " help" : "") + (c.version ? " version" : "") +
                    (c.checkLevels.empty() ? "" : " check '" + c.checkLevels + "'") +
                    (c.replay.empty() ? "" : " replay '" + c.replay + "'") + " glut";
  for (size_t i = 0; i + 1 < c.glutArgs.size(); i++)
    out = out + " " + c.glutArgs[i];
  return out;
}
} // namespace

TEST(CommandLine, OwnOptionsAreReadAndGlutsArePassedOn) {
  const std::pair<std::vector<std::string>, const char *> cases[] = {
      {{}, "screen -1 data '' glut tethrix"},
      {{"--windowed", "--fullscreen"}, "screen 1 data '' glut tethrix"}, // the last one wins
      {{"--fullscreen", "--windowed", "--version"}, "screen 0 data '' version glut tethrix"},
      {{"--data", "/d", "-iconic", "-display", ":3"}, // a value ends the line
       "screen -1 data '/d' glut tethrix -iconic -display :3"},
      {{"-geometry", "9x9", "--data=a b", "-h"},
       "screen -1 data 'a b' help glut tethrix -geometry 9x9"},
      {{"--check-levels", "a.def", "--windowed"}, "screen 0 data '' check 'a.def' glut tethrix"},
      {{"--check-levels=-x.def"}, "screen -1 data '' check '-x.def' glut tethrix"},
      {{"--check-levels"}, "--check-levels needs a file"},
      {{"--check-levels="}, "--check-levels needs a file"},
      {{"--replay", "m.replay", "-iconic"}, "screen -1 data '' replay 'm.replay' glut tethrix -iconic"},
      {{"--replay=a b.replay"}, "screen -1 data '' replay 'a b.replay' glut tethrix"},
      {{"--replay"}, "--replay needs a file"},
      {{"--replay="}, "--replay needs a file"},
      {{"--data"}, "--data needs a folder"},
      {{"--data="}, "--data needs a folder"},
      {{"-display"}, "-display needs a value"},
      {{"--windowd"}, "unknown option --windowd"},
      {{"-w"}, "unknown option -w"},
      {{"level.def"}, "unexpected argument level.def"},
  };
  for (const auto &[args, want] : cases)
    EXPECT_EQ(parse(args), want) << args.size() << " arguments";
}
