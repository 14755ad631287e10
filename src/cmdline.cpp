// The game's command line: its own options, and the window system's passed on.
#include "cmdline.h"

#include <cstring>

#ifndef TETHRIX_VERSION
#define TETHRIX_VERSION "0"
#endif

const char *TethrixVersion() { return TETHRIX_VERSION; }

const char *CommandLineUsage() {
  return "usage: tethrix [options]\n"
         "  --windowed       play in an 800 x 600 window this time\n"
         "  --fullscreen     play full screen this time\n"
         "  --data DIR       the data folder (as TETHRIX_DATA=DIR)\n"
         "  --check-levels FILE  list every line of a level list the game would skip or\n"
         "                   misread, and each level's missing flags, checkpoints and starts;\n"
         "                   opens no window (status 1 when anything is listed)\n"
         "  --replay FILE    watch a replay (they are kept in ~/.local/share/tethrix/replays)\n"
         "  --version        print the version\n"
         "  --help           this text\n"
         "The window system's -display NAME, -geometry WxH+X+Y, -iconic, -direct,\n"
         "-indirect, -gldebug and -sync are passed on to it.\n";
}

namespace {

// GLUT's options, and whether each takes a value.
struct GlutOption {
  const char *name;
  bool value;
};
const GlutOption kGlutOptions[] = {{"-display", true}, {"-geometry", true},  {"-iconic", false},
                                   {"-direct", false}, {"-indirect", false}, {"-gldebug", false},
                                   {"-sync", false}};

const GlutOption *glutOption(const char *arg) {
  for (const GlutOption &o : kGlutOptions)
    if (std::strcmp(arg, o.name) == 0) return &o;
  return nullptr;
}

} // namespace

CommandLine ParseCommandLine(int argc, char **argv) {
  CommandLine c;
  c.glutArgs.push_back(argc > 0 ? argv[0] : const_cast<char *>("tethrix"));
  for (int i = 1; i < argc && c.error.empty(); i++) {
    const char *arg = argv[i];
    const char *next = i + 1 < argc ? argv[i + 1] : nullptr;
    if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
      c.help = true;
    } else if (std::strcmp(arg, "--version") == 0) {
      c.version = true;
    } else if (std::strcmp(arg, "--windowed") == 0 || std::strcmp(arg, "--fullscreen") == 0) {
      c.fullScreen = arg[2] == 'f';
    } else if (std::strncmp(arg, "--data=", 7) == 0 || std::strcmp(arg, "--data") == 0) {
      c.data = arg[6] == '=' ? arg + 7 : next ? argv[++i] : "";
      if (c.data.empty()) c.error = "--data needs a folder";
    } else if (std::strncmp(arg, "--check-levels=", 15) == 0 ||
               std::strcmp(arg, "--check-levels") == 0) {
      c.checkLevels = arg[14] == '=' ? arg + 15 : next ? argv[++i] : "";
      if (c.checkLevels.empty()) c.error = "--check-levels needs a file";
    } else if (std::strncmp(arg, "--replay=", 9) == 0 || std::strcmp(arg, "--replay") == 0) {
      c.replay = arg[8] == '=' ? arg + 9 : next ? argv[++i] : "";
      if (c.replay.empty()) c.error = "--replay needs a file";
    } else if (const GlutOption *o = glutOption(arg)) {
      c.glutArgs.push_back(argv[i]);
      if (o->value && !next)
        c.error = std::string(arg) + " needs a value";
      else if (o->value)
        c.glutArgs.push_back(argv[++i]);
    } else if (arg[0] == '-') {
      c.error = std::string("unknown option ") + arg;
    } else {
      c.error = std::string("unexpected argument ") + arg;
    }
  }
  c.glutArgs.push_back(nullptr);
  return c;
}
