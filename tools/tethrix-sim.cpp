// tethrix-sim: the game without a window. Loads the world as the game does and
// runs its frames on a virtual clock, for traces, replays and speed checks.
#include "TethrixExtern.h"
#include "gl/headless.h"
#include "inclGL.h"
#include "levelcheck.h"
#include "readtex.h"
#include "replay.h"
#include "sim_awards.h"
#include "sim_tournament.h"
#include "sim_world.h"

#include <SDL.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char kUsage[] =
    "usage: tethrix-sim [options]\n"
    "  --data DIR       data folder (level.def, powerupsets.def); default: found as the game\n"
    "                   finds it. Its prefs.def is not read: the sim plays the built-in keys\n"
    "                   and settings, so a replay does not depend on it\n"
    "  --level N        level to load (sets currentLevel before the first read)\n"
    "  --seed S         seed of the gameplay random source (default 1)\n"
    "  --frames N       game frames to run (default 0)\n"
    "  --title          start on the title screen, as the game does (default: in a match)\n"
    "  --dump-world     print the loaded world as one JSON object before any frame\n"
    "  --trace FILE     write one JSON line per frame to FILE ('-' for standard output)\n"
    "  --human LIST     make these roster players human and active, e.g. 0,5\n"
    "  --one-switch LIST  these roster players play by one key: a tap ropes, a hold fires\n"
    "  --hold-ms MS     how long that hold is (150 to 1000, default 350)\n"
    "  --active LIST    make exactly these roster players take part\n"
    "  --keys FILE      replay input, one event a line, sent before that frame to the keyboard,\n"
    "                   special-key or mouse routine installed then:\n"
    "                     FRAME CHAR       a key (CHAR may be esc or space), tapped: it comes up\n"
    "                                      after that frame\n"
    "                     FRAME CHAR down|up   a key goes down (held) or comes up\n"
    "                     FRAME up|down|left|right   an arrow key\n"
    "                     FRAME click H V  a button goes down at (H, V) of the 640 x 480 menu\n"
    "                                      screen, and comes up after that frame\n"
    "                     FRAME move H V   the mouse moves to (H, V), no button held\n"
    "                     FRAME give P ID  roster ball P collects power-up ID, as from a node\n"
    "                     FRAME pad N connect|disconnect   pad N (1 to 8) is plugged in or out\n"
    "                     FRAME pad N BUTTON down|up       a button of pad N, by SDL's name: a, b,\n"
    "                                      x, y, start, back, dpup, dpdown, dpleft, dpright,\n"
    "                                      leftshoulder, ...; lefttrigger and righttrigger pull\n"
    "                                      a trigger all the way or let it go\n"
    "                   pads are all of one kind and reach the game as real ones do\n"
    "                   each frame runs the display routine installed; the trace names it\n"
    "  --replay FILE    play a replay the game saved, checking every check line against the\n"
    "                   world it builds (with --trace, traced); prints the frames played and the\n"
    "                   leaderboard; status 1, and the frame on standard error, when a check\n"
    "                   fails; --frames N stops after N frames\n"
    "  --record FILE    write the replay of the match the run played (from the title through\n"
    "                   the level select); a match still going is ended as if left by Escape\n"
    "  --bench          run the frames uncapped and print frames per second last\n"
    "                   (without --frames: 5000 frames), then a fifth as many frames with\n"
    "                   six balls in play and 5000 live particles\n"
    "  --image FILE     decode an SGI picture as the game does; write it as PAM to standard output\n"
    "  --awards FILE    print the leaderboard of a match given as JSON statistics: the title,\n"
    "                   one line per active ball in order, then the awards (needs no data)\n"
    "  --check-levels FILE  list every line of a level list the game would skip or misread,\n"
    "                   and each level's missing flags, checkpoints, starts and stray nodes\n"
    "                   (needs no data; status 1 when anything is listed)\n"
    "  --tournament     six bots play whole matches on every level (or --level N) and every\n"
    "                   game type whose target is not 0 (or --game-type T), to the leaderboard\n"
    "                   or --frames N (default 30000); prints a table per level and type\n"
    "  --matches N      tournament matches per level and type, each from its own seed (default 3)\n"
    "  --game-type T    play only game type T (1000 to 1011)\n"
    "  --own-type       play each level only with the game type and target its own lines give\n"
    "  --json FILE      also write the tournament's results to FILE as JSON\n"
    "  --total-frames N sweep again, with new seeds, until N frames were played in all;\n"
    "                   without --frames each match is capped at its share of N\n"
    "  --powerup-frequency N  every power-up N times in the bag, whatever the files say\n"
    "  --swap-teams     the teams trade sides: each red ball (Red, Yellow, Orange) takes the\n"
    "                   start line, with its start velocity, of the blue ball three roster\n"
    "                   slots on (Purple, Green, Blue) and back, and the two flags (goals)\n"
    "                   trade places; team membership and roster order stay, so red still\n"
    "                   moves first in every frame. For team levels, with or without\n"
    "                   --tournament; the tournament's fairness line then tells side from order\n"
    "  --rotate-starts K  each ball i takes the start line, with its start velocity, of the\n"
    "                   ball K roster slots on ((i + K) mod the number of balls; K 0 to 5);\n"
    "                   the roster order stays, so every ball still moves in its own place\n"
    "                   in the frame. With or without --tournament; the fairness line then\n"
    "                   tells whether a slot's wins go with its start or stay with the slot\n"
    "  --help           this text\n";

constexpr long kBenchFrames = 5000; // enough for a steady rate without --frames
constexpr int kMostEvenFrequency = kPowerUpListSize / (kNumPowerUps - 1); // every one still fits the bag

struct Options {
  std::string data;
  int level = 0;
  unsigned seed = 1;
  long frames = 0;
  bool framesGiven = false;
  bool dump = false;
  bool title = false;
  bool bench = false;
  std::string trace;
  std::string keys;
  std::string image;
  std::string awards;
  std::string checkLevels;
  std::string replay;
  std::string record;
  std::vector<int> humans;
  std::vector<int> oneSwitch; // balls played by one key
  int holdMs = kOneSwitchDefaultMs;
  std::vector<int> active;
  bool activeGiven = false;
  bool levelGiven = false;
  bool tournament = false;
  bool swapTeams = false;
  int rotateStarts = 0;
  TournamentOptions cup;
};

[[noreturn]] void fail(const std::string &msg) {
  std::fprintf(stderr, "tethrix-sim: %s\n%s", msg.c_str(), kUsage);
  std::exit(2);
}

long parseNumber(const char *opt, const char *text, long lo, long hi) {
  char *end = nullptr;
  long v = std::strtol(text, &end, 10);
  if (!*text || *end || v < lo || v > hi) fail(std::string("bad value for ") + opt + ": " + text);
  return v;
}

std::vector<int> parseList(const char *opt, const char *text) {
  std::vector<int> out;
  std::string s(text);
  size_t start = 0;
  while (start <= s.size()) {
    size_t comma = s.find(',', start);
    std::string item = s.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    out.push_back(static_cast<int>(parseNumber(opt, item.c_str(), 0, kRosterSize - 1)));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return out;
}

// A relative path named on the command line, made absolute before the data folder is entered.
std::string besideCaller(const char *path) {
  char cwd[4096];
  if (path[0] == '/' || !getcwd(cwd, sizeof cwd)) return path;
  return std::string(cwd) + "/" + path;
}

Options parseArgs(int argc, char **argv) {
  Options o;
  for (int i = 1; i < argc; i++) {
    std::string a = argv[i];
    auto value = [&]() -> const char * {
      if (i + 1 >= argc) fail("missing value for " + a);
      return argv[++i];
    };
    if (a == "--help" || a == "-h") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else if (a == "--data") o.data = value();
    else if (a == "--level") {
      o.level = static_cast<int>(parseNumber("--level", value(), 0, 1 << 20));
      o.levelGiven = true;
    }
    else if (a == "--seed") o.seed = static_cast<unsigned>(parseNumber("--seed", value(), 0, 4294967295L));
    else if (a == "--frames") {
      o.frames = parseNumber("--frames", value(), 0, 100000000L);
      o.framesGiven = true;
    }
    else if (a == "--dump-world") o.dump = true;
    else if (a == "--title") o.title = true;
    else if (a == "--bench") o.bench = true;
    else if (a == "--trace") o.trace = value();
    else if (a == "--keys") o.keys = value();
    else if (a == "--image") o.image = value();
    else if (a == "--awards") o.awards = value();
    else if (a == "--check-levels") o.checkLevels = value();
    else if (a == "--replay") o.replay = value();
    else if (a == "--record") o.record = besideCaller(value());
    else if (a == "--human") o.humans = parseList("--human", value());
    else if (a == "--one-switch") o.oneSwitch = parseList("--one-switch", value());
    else if (a == "--hold-ms")
      o.holdMs = static_cast<int>(parseNumber("--hold-ms", value(), kOneSwitchMinMs, kOneSwitchMaxMs));
    else if (a == "--tournament") o.tournament = true;
    else if (a == "--swap-teams") o.swapTeams = o.cup.swapTeams = true;
    else if (a == "--rotate-starts")
      o.rotateStarts = o.cup.rotateStarts =
          static_cast<int>(parseNumber("--rotate-starts", value(), 0, kRosterSize - 1));
    else if (a == "--own-type") o.cup.ownType = true;
    else if (a == "--matches") o.cup.matches = static_cast<int>(parseNumber("--matches", value(), 1, 1000000));
    else if (a == "--game-type")
      o.cup.gameType = static_cast<int>(parseNumber("--game-type", value(), kFirstGameType, kLastGameType));
    else if (a == "--json") o.cup.json = besideCaller(value());
    else if (a == "--total-frames") o.cup.totalFrames = parseNumber("--total-frames", value(), 0, 1L << 40);
    else if (a == "--powerup-frequency")
      o.cup.powerUpFrequency = static_cast<int>(parseNumber("--powerup-frequency", value(), 0, kMostEvenFrequency));
    else if (a == "--active") {
      o.active = parseList("--active", value());
      o.activeGiven = true;
    } else fail("unknown option " + a);
  }
  return o;
}

void enterDataFolder(Options &o, const char *argv0) {
  if (o.data.empty()) {
    char dir[4096] = "";
    if (!FindDataFolder(argv0, dir, sizeof dir)) fail(MissingDataMessage(dir) + "; or use --data DIR");
    o.data = dir;
  }
  struct stat st;
  if (chdir(o.data.c_str()) != 0) fail("cannot enter data folder " + o.data);
  if (stat("level.def", &st) != 0 || access("level.def", R_OK) != 0)
    fail("no readable level.def in " + o.data);
}

// One recorded input event; the mouse ones are in menu-screen coordinates.
struct InputEvent {
  enum Kind { kKey, kSpecial, kClick, kMove, kGive, kPadPlug, kPadButton, kPadTrigger, kKeyDown, kKeyUp } kind;
  int code; // the character or the special key; for a gift the power-up; a pad's button or axis
  int h, v; // for a gift, h is the roster ball; for a pad, h is its number and v 1 for in or down
};

// Every replayed pad is of this one kind (32 hex digits, as SDL writes a GUID).
constexpr const char *kSimPadGuid = "73696d2d7061642d0000000000000000";
constexpr int kTriggerPulled = 32767, kTriggerLetGo = 0;

constexpr int kMenuWidth = 640, kMenuHeight = 480;

bool namedKey(const char *word, InputEvent &e) {
  static const struct {
    const char *name;
    InputEvent::Kind kind;
    int code;
  } kNames[] = {{"esc", InputEvent::kKey, 27},
                {"space", InputEvent::kKey, ' '},
                {"up", InputEvent::kSpecial, GLUT_KEY_UP},
                {"down", InputEvent::kSpecial, GLUT_KEY_DOWN},
                {"left", InputEvent::kSpecial, GLUT_KEY_LEFT},
                {"right", InputEvent::kSpecial, GLUT_KEY_RIGHT}};
  for (const auto &n : kNames)
    if (std::strcmp(word, n.name) == 0) {
      e = {n.kind, n.code, 0, 0};
      return true;
    }
  if (std::strlen(word) != 1) return false;
  e = {InputEvent::kKey, static_cast<unsigned char>(word[0]), 0, 0};
  return true;
}

// "N connect|disconnect" or "N BUTTON down|up", after "FRAME pad".
InputEvent parsePad(const char *rest, const std::string &where) {
  int n = 0;
  char what[32], state[8], extra;
  const int got = std::sscanf(rest, "%d %31s %7s %c", &n, what, state, &extra);
  if (got < 2 || n < 1 || n > kMaxPads)
    fail(where + ": expected pad N connect|disconnect or pad N BUTTON down|up with 1 <= N <= " +
         std::to_string(kMaxPads));
  const bool plug = std::strcmp(what, "connect") == 0, unplug = std::strcmp(what, "disconnect") == 0;
  if (got == 2 && (plug || unplug)) return {InputEvent::kPadPlug, 0, n, plug ? 1 : 0};
  const bool down = got == 3 && std::strcmp(state, "down") == 0;
  if (got != 3 || (!down && std::strcmp(state, "up") != 0))
    fail(where + ": expected pad N connect, pad N disconnect or pad N BUTTON down|up");
  const SDL_GameControllerButton button = SDL_GameControllerGetButtonFromString(what);
  if (button != SDL_CONTROLLER_BUTTON_INVALID) return {InputEvent::kPadButton, button, n, down};
  const SDL_GameControllerAxis axis = SDL_GameControllerGetAxisFromString(what);
  if (axis == SDL_CONTROLLER_AXIS_TRIGGERLEFT || axis == SDL_CONTROLLER_AXIS_TRIGGERRIGHT)
    return {InputEvent::kPadTrigger, axis, n, down};
  fail(where + ": unknown pad button " + what);
}

InputEvent parseEvent(const char *line, const std::string &where, long &frame) {
  char word[64];
  int h, v, used = 0;
  if (std::sscanf(line, "%ld %63s %n", &frame, word, &used) != 2 || frame < 0)
    fail(where + ": expected \"FRAME CHAR\", \"FRAME click H V\", \"FRAME move H V\" or an arrow");
  const bool click = std::strcmp(word, "click") == 0;
  if (click || std::strcmp(word, "move") == 0) {
    char rest;
    if (std::sscanf(line + used, "%d %d %c", &h, &v, &rest) != 2 || h < 0 || h >= kMenuWidth ||
        v < 0 || v >= kMenuHeight)
      fail(where + ": expected " + word + " H V with 0 <= H < 640 and 0 <= V < 480");
    return {click ? InputEvent::kClick : InputEvent::kMove, 0, h, v};
  }
  if (std::strcmp(word, "pad") == 0) return parsePad(line + used, where);
  if (std::strcmp(word, "give") == 0) {
    char rest;
    int ball, id;
    if (std::sscanf(line + used, "%d %d %c", &ball, &id, &rest) != 2 || ball < 0 ||
        ball >= kRosterSize || id < 0 || id >= kNumPowerUps)
      fail(where + ": expected give P ID with 0 <= P < " + std::to_string(kRosterSize) +
           " and 0 <= ID < " + std::to_string(kNumPowerUps));
    return {InputEvent::kGive, id, ball, 0};
  }
  InputEvent e{};
  if (!namedKey(word, e)) fail(where + ": unknown key " + word);
  char state[8], rest;
  const int got = std::sscanf(line + used, "%7s %c", state, &rest);
  if (got <= 0 || e.kind != InputEvent::kKey) return e;
  const bool down = std::strcmp(state, "down") == 0;
  if (got != 1 || (!down && std::strcmp(state, "up") != 0))
    fail(where + ": expected FRAME CHAR, FRAME CHAR down or FRAME CHAR up");
  e.kind = down ? InputEvent::kKeyDown : InputEvent::kKeyUp;
  return e;
}

// Input events by frame, in file order.
std::multimap<long, InputEvent> readKeys(const std::string &file) {
  std::multimap<long, InputEvent> events;
  FILE *in = std::fopen(file.c_str(), "r");
  if (!in) fail("cannot read key file " + file);
  char line[256];
  int lineNo = 0;
  while (std::fgets(line, sizeof line, in)) {
    lineNo++;
    if (line[0] == '#' || line[0] == '\n') continue;
    long frame = 0;
    InputEvent e = parseEvent(line, file + ":" + std::to_string(lineNo), frame);
    events.emplace(frame, e);
  }
  std::fclose(in);
  return events;
}

// Each event goes to the routine installed at the moment, as the window system
// would deliver it; with none installed it is lost, as it would be.
void deliver(const InputEvent &e) {
  const HeadlessState &w = headlessState();
  const int px = e.h + kSimMenuLeft, py = e.v;
  switch (e.kind) {
  case InputEvent::kKey:
  case InputEvent::kKeyDown:
    if (w.keyboard) w.keyboard(static_cast<unsigned char>(e.code), 0, 0);
    break;
  case InputEvent::kKeyUp:
    if (w.keyboardUp) w.keyboardUp(static_cast<unsigned char>(e.code), 0, 0);
    break;
  case InputEvent::kSpecial:
    if (w.special) w.special(e.code, 0, 0);
    break;
  case InputEvent::kClick:
    if (w.mouse) w.mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, px, py);
    break;
  case InputEvent::kMove:
    if (w.passiveMotion) w.passiveMotion(px, py);
    break;
  case InputEvent::kGive: // as if the ball had roped onto a node carrying it
    if (e.h < numPlayers) CollectPowerUp(players[e.h], e.code);
    break;
  case InputEvent::kPadPlug: // the pad layer's own handlers, as SDL's events reach them
    if (e.v)
      PadConnected(e.h, kSimPadGuid);
    else
      PadDisconnected(e.h);
    break;
  case InputEvent::kPadButton: PadButton(e.h, e.code, e.v != 0); break;
  case InputEvent::kPadTrigger: PadAxis(e.h, e.code, e.v ? kTriggerPulled : kTriggerLetGo); break;
  }
}

// A click's button comes up once the frame that saw it has been drawn.
// So does a key given without down or up: a tap.
void releaseButton(const InputEvent &e) {
  const HeadlessState &w = headlessState();
  if (e.kind == InputEvent::kClick && w.mouse)
    w.mouse(GLUT_LEFT_BUTTON, GLUT_UP, e.h + kSimMenuLeft, e.v);
  if (e.kind == InputEvent::kKey && w.keyboardUp) w.keyboardUp(static_cast<unsigned char>(e.code), 0, 0);
}

void applyRoster(const Options &o) {
  if (o.activeGiven)
    for (int i = 0; i < numPlayers; i++) players[i]->active = 0;
  for (int i : o.active)
    if (i < numPlayers) players[i]->active = 1;
  for (int i : o.humans) {
    if (i >= numPlayers) continue;
    players[i]->ai = kHuman;
    players[i]->active = 1;
  }
  for (int i : o.oneSwitch) oneSwitchMs[i] = o.holdMs;
  // Counted as the score bar counts humans taking part.
  playerPresent = 0;
  for (int i = 0; i < numPlayers; i++)
    if (players[i]->active && players[i]->ai == kHuman) playerPresent++;
}

// The picture as a binary PAM, top row first (the reader's rows are bottom first).
int writeImage(const std::string &file) {
  TK_RGBImageRec *image = tkRGBImageLoad(file.c_str());
  if (!image) return 1;
  static const char *const kTupleTypes[] = {"", "GRAYSCALE", "GRAYSCALE_ALPHA", "RGB", "RGB_ALPHA"};
  std::printf("P7\nWIDTH %d\nHEIGHT %d\nDEPTH %d\nMAXVAL 255\n", image->sizeX, image->sizeY,
              image->components);
  if (image->components < 5) std::printf("TUPLTYPE %s\n", kTupleTypes[image->components]);
  std::printf("ENDHDR\n");
  const size_t rowBytes = static_cast<size_t>(image->sizeX) * image->components;
  bool ok = true;
  for (int y = image->sizeY - 1; y >= 0 && ok; y--)
    ok = std::fwrite(image->data + y * rowBytes, 1, rowBytes, stdout) == rowBytes;
  FreeImage(image);
  ok = std::fflush(stdout) == 0 && ok;
  if (!ok) std::fprintf(stderr, "tethrix-sim: cannot write the picture\n");
  return ok ? 0 : 1;
}

// The same world again with six balls in play and the list held at 5,000 live
// particles, all hit-tested against every ball.
void benchParticleScene(long frames) {
  constexpr int kLive = 5000;
  for (int i = 0; i < numPlayers; i++) players[i]->active = 1;
  double busy = 0;
  for (long f = 0; f < frames; f++) {
    for (int i = 0; i < numPlayers; i++)
      if (!players[i]->alive) ResetPlayer(players[i]); // six balls stay in play
    SimParticleScene(kLive);
    headlessClearVertices();
    SimClockAdvanceFrame();
    RegulateFrameRate();
    auto t0 = std::chrono::steady_clock::now();
    Display();
    busy += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  }
  double fps = busy > 0 ? frames / busy : 0;
  std::printf("bench: %ld frames of Display with %d particles in %.3f s: %.0f frames/s\n", frames,
              kLive, busy, fps);
}

void printStandings(const char *prefix) {
  char lines[kMaxPlayers + 1][kAwardLineSize];
  const int n = LeaderBoardStandings(lines, kMaxPlayers + 1);
  for (int i = 0; i < n; i++) std::printf("%s%s\n", prefix, lines[i]);
}

bool writeReplayText(FILE *out, const void *what) {
  const std::string text = ReplayText(*static_cast<const Replay *>(what));
  return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

int recordLastMatch(const std::string &file) {
  if (RecordingMatch()) RecordMatchLeft();
  const Replay *last = LastReplay();
  if (!last) {
    std::fprintf(stderr, "tethrix-sim: no match was played to record\n");
    return 1;
  }
  return WriteFileWhole(file.c_str(), writeReplayText, last) ? 0 : 1;
}

// The replay's frames from its own start, each check held; 0 when all held.
int playReplay(const Options &o, const Replay &replay, FILE *trace) {
  SimStartup(o.seed, replay.start.level);
  SimInstallCallbacks();
  ReplayPlayback pb;
  std::string why;
  if (!StartPlayback(pb, replay, why)) {
    std::fprintf(stderr, "tethrix-sim: %s\n", why.c_str());
    return 2;
  }
  ShowScreen(kScreenMatch);
  ReplayStepResult r = kReplayRunning;
  while (r == kReplayRunning && (!o.framesGiven || pb.frame < o.frames)) {
    const long frame = pb.frame;
    r = PlaybackFrame(pb);
    headlessClearVertices();
    if (trace && r != kReplayOutOfStep && pb.frame > frame) TraceFrame(trace, static_cast<int>(frame), Display);
  }
  if (r == kReplayOutOfStep) {
    std::fprintf(stderr, "tethrix-sim: %s\n", pb.error.c_str());
    return 1;
  }
  std::printf("replay: %ld frames, %zu checks held%s\n", pb.frame, pb.nextCheck,
              r != kReplayEnded                              ? ", stopped before its end"
              : replay.endKind == kReplayEndLeaderBoard ? ", won to the leaderboard"
                                                        : ", left by Escape");
  if (r == kReplayEnded && replay.endKind == kReplayEndLeaderBoard) printStandings("leaderboard: ");
  return 0;
}

} // namespace

int main(int argc, char **argv) {
  struct Options o = parseArgs(argc, argv); // the struct, not the options screen
  if (o.bench && !o.framesGiven) o.frames = kBenchFrames;
  if (!o.image.empty()) return writeImage(o.image); // needs no data folder
  if (!o.awards.empty()) return PrintLeaderBoard(o.awards.c_str(), stdout);
  if (!o.checkLevels.empty()) return PrintLevelCheck(o.checkLevels.c_str(), stdout);
  std::multimap<long, InputEvent> keys;
  if (!o.keys.empty()) keys = readKeys(o.keys); // before leaving the working directory
  Replay replay;
  if (!o.replay.empty()) {
    std::string why;
    if (!LoadReplay(o.replay.c_str(), replay, why)) {
      std::fprintf(stderr, "tethrix-sim: %s\n", why.c_str());
      return 2;
    }
  }
  FILE *trace = nullptr;
  if (!o.trace.empty()) {
    trace = o.trace == "-" ? stdout : std::fopen(o.trace.c_str(), "w");
    if (!trace) fail("cannot write trace file " + o.trace);
  }
  enterDataFolder(o, argv[0]);
  if (o.tournament) {
    o.cup.level = o.levelGiven ? o.level : -1;
    o.cup.seed = o.seed;
    if (o.framesGiven) o.cup.frames = o.frames;
    return RunTournament(o.cup, stdout);
  }
  if (!o.replay.empty()) {
    const int status = playReplay(o, replay, trace);
    if (trace && trace != stdout) std::fclose(trace);
    return status;
  }
  SimStartup(o.seed, o.level);
  if (o.swapTeams) SimSwapTeamSides();
  if (o.rotateStarts != 0) SimRotateStarts(o.rotateStarts);
  applyRoster(o);
  if (o.dump) DumpWorld(stdout);
  SimInstallCallbacks();
  if (o.title) ShowScreen(kScreenTitle);
  SimClockInstall();
  double busy = 0;
  for (long f = 0; f < o.frames; f++) {
    auto range = keys.equal_range(f);
    for (auto it = range.first; it != range.second; ++it) deliver(it->second);
    PadsFrame(); // as the idle routine does after its poll; the sim polls no device
    SimClockAdvanceFrame();
    RegulateFrameRate();
    headlessClearVertices(); // a long run must not keep every vertex ever drawn
    void (*screen)() = headlessState().display;
    auto t0 = std::chrono::steady_clock::now();
    if (screen) screen();
    busy += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    for (auto it = range.first; it != range.second; ++it) releaseButton(it->second);
    if (trace) TraceFrame(trace, static_cast<int>(f), screen);
  }
  if (trace && trace != stdout) std::fclose(trace);
  if (!o.record.empty() && recordLastMatch(o.record) != 0) return 1;
  if (o.bench) {
    double fps = busy > 0 ? o.frames / busy : 0;
    std::printf("bench: %ld frames of Display in %.3f s: %.0f frames/s\n", o.frames, busy, fps);
    benchParticleScene(o.frames / 5 > 0 ? o.frames / 5 : 1); // each frame is far heavier
  }
  return 0;
}
