// Start-up of the game: find the data, build the world, open the window and run.
#include "TethrixExtern.h"
#include "padfeed.h"
#include "cmdline.h"
#include "inclGL.h"
#include "levelcheck.h"
#include "replay.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <unistd.h>

// Settings live in the player's config folder; without a usable one the game
// plays on its defaults rather than not at all.
static void chooseSettingsFolder() {
  std::string why;
  if (UseSettingsFolder(SettingsFolder(), why)) return;
  std::fprintf(stderr, "tethrix: %s; playing on the default settings, which will not be saved\n",
               why.c_str());
}

int main(int argc, char **argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0); // the frame line reaches a log even if we are killed
  CommandLine options = ParseCommandLine(argc, argv);
  if (!options.error.empty()) {
    std::fprintf(stderr, "tethrix: %s\n%s", options.error.c_str(), CommandLineUsage());
    return 2;
  }
  if (options.help) return std::fputs(CommandLineUsage(), stdout) < 0;
  if (options.version) return std::printf("tethrix %s\n", TethrixVersion()) < 0;
  if (!options.checkLevels.empty()) return PrintLevelCheck(options.checkLevels.c_str(), stdout);
  if (!options.data.empty()) setenv("TETHRIX_DATA", options.data.c_str(), 1); // the same choice
  char here[4096];
  if (!options.replay.empty() && options.replay[0] != '/' && getcwd(here, sizeof here))
    options.replay = std::string(here) + "/" + options.replay; // named from where we were started
  char dataDir[4096] = "";
  if (!FindDataFolder(argv[0], dataDir, sizeof dataDir)) {
    std::fprintf(stderr, "tethrix: %s\n", MissingDataMessage(dataDir).c_str());
    return 1;
  }
  if (chdir(dataDir) != 0) {
    std::fprintf(stderr, "tethrix: cannot enter the data folder \"%s\": %s\n", dataDir, std::strerror(errno));
    return 1;
  }
  ResetWorld();
  chooseSettingsFolder();
  SetReplayFolder(ReplaysFolder());
  LoadSound(argv[0]);
  // Without pads, or without the subsystem, the keys play as ever. A feed plugs in scripted
  // virtual pads, for walking the game with no hardware.
  if (StartPads() && std::getenv("TETHRIX_PAD_FEED")) StartPadFeed(std::getenv("TETHRIX_PAD_FEED"));
  OpenTextLog(std::getenv("TETHRIX_TEXT_LOG")); // where the end-to-end test reads the text drawn
  gameSrand(static_cast<unsigned>(std::time(nullptr)));
  cosmeticSrand(static_cast<unsigned>(std::time(nullptr)) ^ 0x5eedu);
  int glutArgc = static_cast<int>(options.glutArgs.size()) - 1;
  glutInit(&glutArgc, options.glutArgs.data());
  glutInitWindowSize(800, 600);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  BuildRoster();
  StartupReads(true);
  if (options.fullScreen >= 0) useFullScreen = options.fullScreen; // this run only; not saved
  PlaySoundFile("Welcome"); // after the preferences, so a silenced game stays silent
  ReadLevelFile(defaultLevels); // the arena the first frame shows
  ResetPositions();
  OpenWindow();
  Init();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPointSize(2);
  oldTime = mtime();
  newTime = mtime();
  InstallCallbacks(TitleScreen);
  ShowScreen(kScreenTitle);
  if (!options.replay.empty() && !WatchReplayFile(options.replay.c_str())) return 1;
  glutMainLoop();
  return 0;
}
