// Start-up of the game: find the data, build the world, open the window and run.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

int main(int argc, char **argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0); // the frame line reaches a log even if we are killed
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
  LoadSound(argv[0]);
  gameSrand(static_cast<unsigned>(std::time(nullptr)));
  cosmeticSrand(static_cast<unsigned>(std::time(nullptr)) ^ 0x5eedu);
  glutInit(&argc, argv);
  glutInitWindowSize(800, 600);
  glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
  BuildRoster();
  StartupReads(true);
  PlaySoundFile("Welcome"); // after the preferences, so a silenced game stays silent
  ReadLevelFile(defaultLevels); // the arena the first frame shows
  ResetPositions();
  OpenWindow();
  Init();
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glPointSize(2);
  oldTime = mtime();
  newTime = mtime();
  glutReshapeFunc(Reshape);
  glutKeyboardFunc(Key);
  glutSpecialFunc(SpecialKey);
  glutDisplayFunc(TitleScreen);
  glutMouseFunc(Buttonfunc);
  glutMotionFunc(PassiveMotion);
  glutPassiveMotionFunc(PassiveMotion);
  glutVisibilityFunc(vis);
  glutMainLoop();
  return 0;
}
