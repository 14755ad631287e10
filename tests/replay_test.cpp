// Replays: a recorded match plays again to the same world at every check, and damaged files are told.
#include "drawn_text.h"
#include "inclGL.h"
#include "padfeed.h"
#include "replay.h"
#include "world_fixture.h"

#include <cinttypes>
#include <functional>
#include <set>
#include <tuple>
#include <vector>

using std::make_pair;
using std::make_tuple;
using std::string;

namespace {

// Nodes to swing on, a target of three, and the first run's full power-up bag.
const char kLevels[] = "nextlevel 0\nSwings\nlevel -8 8 5 -5\ndeathmatch 3\n"
                       "block -4 3\nblock 0 3.5\nblock 4 3\nblock -2 0\nblock 2 0\n"
                       "orbiter 0 0 2 2 0 80\n"
                       "start -5 -2 0 0\nstart 5 -2 0 0\nstart -3 -2 0 0\nstart 3 -2 0 0\n"
                       "start -1 -2 0 0\nstart 1 -2 0 0\n";

constexpr long kMostFrames = 30000; // a match of three points is far shorter
constexpr double kFrameSeconds = 1.0 / 40;

double virtualNow = 1.0;
double virtualClock() { return virtualNow += 1e-6; } // a read moves on: the regulator's wait ends

std::vector<string> linesOf(const string &text) {
  std::vector<string> out;
  std::istringstream in(text);
  for (string line; std::getline(in, line);) out.push_back(line);
  return out;
}

string joinLines(const std::vector<string> &lines) {
  string out;
  for (const string &l : lines) out += l + "\n";
  return out;
}

size_t lineStarting(const std::vector<string> &lines, const string &start) {
  for (size_t i = 0; i < lines.size(); i++)
    if (lines[i].compare(0, start.size(), start) == 0) return i;
  return lines.size();
}

// The first drawn line starting so, or "" when none is.
string drawnStarting(const string &start) {
  for (const DrawnLine &l : drawnLines())
    if (l.text.compare(0, start.size(), start) == 0) return l.text;
  return "";
}

} // namespace

class Replays : public World {
protected:
  void SetUp() override {
    World::SetUp();
    writeFile("level.def", kLevels);
    roster();
    StartupReads(false); // no prefs.def: a first run's bag, every power-up in it
    ReadLevelFile(defaultLevels);
    Reshape(800, 480);
    InstallCallbacks(TitleScreen);
    SetClock(virtualClock);
    SetSleeper([](double) {});
  }
  void TearDown() override {
    SetClock(nullptr);
    SetSleeper(nullptr);
    World::TearDown();
  }
  // Red is played by a script, the others by bots, as the live game starts a match.
  void startMatch() {
    for (int i = 0; i < numPlayers; i++) players[i]->active = 1, players[i]->ai = kComputer;
    players[0]->ai = kHuman;
    playerPresent = 1;
    powerUpInfrequency = 40; // power-ups come often
    gameType = kDeathmatch;
    maxScore = 3;
    StartLiveMatch();
  }
  // One frame as the idle and display routines run it.
  void liveFrame() {
    virtualNow += kFrameSeconds;
    RegulateFrameRate();
    headlessClearVertices();
    headlessState().display();
  }
  // The scripted human: ropes on and off, fires what it holds, the mouse wanders.
  void script(long f) {
    if (f % 23 == 5) Key(players[0]->key, 0, 0);
    if (f % 97 == 50) Key(players[0]->powerUpKey, 0, 0);
    if (f % 61 == 7) PassiveMotion(100 + static_cast<int>(f % 500), 200);
    if (f == 30 || f == 33) Key('p', 0, 0); // a short pause
  }
  const Replay &recordToLeaderBoard() {
    startMatch();
    for (long f = 0; f < kMostFrames && ShownScreen() == kScreenMatch; f++) {
      script(f);
      liveFrame();
    }
    EXPECT_EQ(ShownScreen(), kScreenLeaderBoard);
    EXPECT_NE(LastReplay(), nullptr);
    return *LastReplay();
  }
  // A fresh game, another seed and other settings: only the file says how the match began.
  void freshGame() {
    ResetWorld();
    frameReport = nullptr;
    gameSrand(99);
    roster();
    StartupReads(false);
    randomPos = 0;
    gameSpeed = 2;
    InstallCallbacks(Display);
  }
  // Plays r to its end; the result and where it stopped.
  ReplayStepResult play(const Replay &r, ReplayPlayback &pb, const std::function<void()> &before = {}) {
    freshGame();
    if (before) before();
    std::string why;
    EXPECT_TRUE(StartPlayback(pb, r, why)) << why;
    ReplayStepResult result = kReplayRunning;
    while (result == kReplayRunning && pb.frame <= r.endFrame + 1) {
      headlessClearVertices();
      result = PlaybackFrame(pb);
    }
    return result;
  }
  // The first check at or after the frame: where a change there must be caught.
  static long checkFrom(const Replay &r, long frame) {
    for (const ReplayCheck &c : r.checks)
      if (c.frame >= frame) return c.frame;
    return -1;
  }
};

// The match is recorded from its start to the leaderboard, written out and read back, and
// plays again from that text to the same world at every check, with the same winner.
TEST_F(Replays, RecordedMatchPlaysBackToTheSameWorldAtEveryCheck) {
  const Replay recorded = recordToLeaderBoard();
  ASSERT_EQ(recorded.endKind, kReplayEndLeaderBoard);
  int winnerScore = 0, rounds = 0;
  for (int i = 0; i < numPlayers; i++) {
    winnerScore = std::max(winnerScore, players[i]->score);
    rounds += players[i]->score;
  }
  EXPECT_GE(winnerScore, 3);
  EXPECT_GE(rounds, 3) << "several rounds";
  long keys = 0, speeds = 0;
  for (const ReplayEvent &e : recorded.events) keys += e.kind == kReplayKey, speeds += e.kind == kReplaySpeed;
  EXPECT_GT(keys, 10);
  EXPECT_GT(speeds, 1);
  EXPECT_GT(recorded.checks.size(), 10u);
  const uint64_t endHash = WorldHash();

  Replay read;
  std::string why;
  ASSERT_TRUE(ParseReplay(ReplayText(recorded), "match.replay", read, why)) << why;
  EXPECT_EQ(ReplayText(read), ReplayText(recorded)); // the text says all there is
  ReplayPlayback pb;
  EXPECT_EQ(play(read, pb), kReplayEnded) << pb.error;
  EXPECT_EQ(pb.nextCheck, read.checks.size());
  EXPECT_EQ(pb.frame, read.endFrame + 1);
  EXPECT_EQ(WorldHash(), endHash);
  EXPECT_EQ(ShownScreen(), kScreenLeaderBoard);
  // The tables another level left behind hold nothing the replay's own level picks up.
  ReplayPlayback again;
  const auto leftBehind = [] {
    for (block &b : blocks) b.powerUp = 7, b.checkPoint = 3, b.rot = 1, b.rotv = 2, b.blink = 40;
    for (wall &w : walls) w.elasticity = 3, w.isFlipper = 1;
  };
  EXPECT_EQ(play(read, again, leftBehind), kReplayEnded) << again.error;
  EXPECT_EQ(WorldHash(), endHash);
}

// Every value play depends on moves the hash, in its place: two balls trading places do too.
// Particles without an owner only decorate and are left out.
TEST_F(Replays, TheHashSeesWhatPlayDependsOnAndNotDecoration) {
  startMatch();
  liveFrame();
  const uint64_t base = WorldHash();
  const auto moves = [&](const char *what, const std::function<void()> &change) {
    change();
    EXPECT_NE(WorldHash(), base) << what;
    change(); // each change undoes itself
    ASSERT_EQ(WorldHash(), base) << what;
  };
  player *a = players[1], *b = players[2];
  ASSERT_NE(posH(a), posH(b));
  moves("a ball's place", [&] { a->x[curSlot(a)] = -a->x[curSlot(a)]; });
  moves("two balls trading places", [&] { std::swap(a->x, b->x), std::swap(a->y, b->y); });
  player *const wasIt = it;
  moves("who is it", [&] { it = it == wasIt ? players[3] : wasIt; });
  moves("the winning score", [&] { maxScore = -maxScore - 1; });
  NewParticles(3, 1, 0, 1, 0, 1, 1, 1, 0.1f, nullptr, nullptr, 20);
  EXPECT_EQ(WorldHash(), base) << "sparks";
  NewMassParticles(1, 1, 0, 1, 0, 1, 1, 1, 0.1f, 1, 0, nullptr, nullptr, 20);
  EXPECT_NE(WorldHash(), base) << "a shot";
}

// A match's start read back from its text is the world it was taken from: who is it, the
// suction ball (the roster's last can be), nobody as champion, and the puck.
TEST_F(Replays, TheStartReadBackGivesTheWorldItWasTakenFrom) {
  startMatch();
  it = players[3], suctionPlayer = players[5], champion = nullptr;
  ASSERT_NE(puck, nullptr);
  puck->mass = 2.5f, puck->radius = 0.45f;
  Replay r;
  r.version = "0.1";
  CaptureMatchStart(r.start);
  Replay read;
  std::string why;
  ASSERT_TRUE(ParseReplay(ReplayText(r), "start.replay", read, why)) << why;
  it = nullptr, suctionPlayer = players[0], champion = players[2];
  puck->mass = 1, puck->radius = 0.3f;
  ApplyCapturedValues(read.start);
  EXPECT_EQ(make_tuple(it, suctionPlayer, champion), make_tuple(players[3], players[5], nullptr));
  EXPECT_EQ(make_tuple(puck->mass, puck->radius), make_tuple(2.5f, 0.45f));
}

// One input moved a frame later, one dropped, one recorded speedMult changed: each is caught at
// the first check after it, and the message names that frame and both versions.
TEST_F(Replays, PlantedChangeIsCaughtAtTheNextCheck) {
  const Replay recorded = recordToLeaderBoard();
  const std::vector<ReplayEvent> &events = recorded.events;
  size_t key = 0, speed = 0;
  for (size_t i = 0; i < events.size(); i++) {
    if (!key && events[i].kind == kReplayKey && events[i].frame > 300) key = i;
    if (!speed && events[i].kind == kReplaySpeed && events[i].frame > 0) speed = i;
  }
  ASSERT_TRUE(key && speed);
  const std::vector<std::function<long(Replay &)>> plants = {
      [&](Replay &r) { return r.events[key].frame += 1; },
      [&](Replay &r) {
        const long at = r.events[key].frame;
        r.events.erase(r.events.begin() + static_cast<long>(key));
        return at;
      },
      [&](Replay &r) {
        r.events[speed].f *= 1.5f;
        return r.events[speed].frame;
      },
  };
  for (size_t k = 0; k < plants.size(); k++) {
    Replay changed = recorded;
    const long at = plants[k](changed);
    const long caught = checkFrom(changed, at);
    ASSERT_GE(caught, 0);
    ReplayPlayback pb;
    EXPECT_EQ(play(changed, pb), kReplayOutOfStep) << "plant " << k;
    EXPECT_EQ(pb.error, OutOfStepMessage(caught, recorded.version)) << "plant " << k;
    EXPECT_NE(pb.error.find("recorded by version " + recorded.version + ", played by "), string::npos);
  }
}

// One-key balls decide tap or hold by the frames between press and release: Red's key through
// the window, Yellow's pad button through SDL. Both are recorded, and the match plays back to
// the same world, holds that fired power-ups and taps that roped alike.
TEST_F(Replays, OneSwitchHoldsByKeyAndPadPlayBackTheSame) {
  ASSERT_TRUE(StartPads());
  SDL_Joystick *pad = PlugVirtualPad(1);
  ASSERT_NE(pad, nullptr);
  PollPads();
  char guid[kPadGuidSize];
  SDL_JoystickGetGUIDString(SDL_JoystickGetGUID(pad), guid, sizeof guid);
  BindBallToPad(1, guid, 0);
  oneSwitchMs[0] = 350, oneSwitchMs[1] = 200;
  for (int i = 0; i < numPlayers; i++) players[i]->active = 1, players[i]->ai = i < 2 ? kHuman : kComputer;
  playerPresent = 2;
  powerUpInfrequency = 40;
  gameType = kDeathmatch;
  maxScore = 3;
  StartLiveMatch();
  long holds = 0;
  for (long f = 0; f < kMostFrames && ShownScreen() == kScreenMatch; f++) {
    if (f % 40 == 3) Key(players[0]->key, 0, 0);
    if (f % 40 == 3 + (f / 40 % 2 ? 6 : 20)) headlessState().keyboardUp(players[0]->key, 0, 0); // tap, hold
    if (f % 30 == 1 || f % 30 == (f / 30 % 2 ? 5 : 15))
      SDL_JoystickSetVirtualButton(pad, SDL_CONTROLLER_BUTTON_A, f % 30 == 1 ? SDL_PRESSED : SDL_RELEASED);
    PollPads();
    liveFrame();
  }
  ASSERT_NE(LastReplay(), nullptr);
  const Replay recorded = *LastReplay();
  UnplugVirtualPad(pad);
  StopPads();
  for (const ReplayEvent &e : recorded.events) holds += e.kind == kReplayHold || e.kind == kReplayKeyUp;
  EXPECT_GT(holds, 20);
  EXPECT_GT(players[0]->powerups + players[1]->powerups, 0) << "some power-up was taken and held for";
  const uint64_t endHash = WorldHash();
  Replay read;
  std::string why;
  ASSERT_TRUE(ParseReplay(ReplayText(recorded), "oneswitch.replay", read, why)) << why;
  ReplayPlayback pb;
  EXPECT_EQ(play(read, pb), kReplayEnded) << pb.error;
  EXPECT_EQ(WorldHash(), endHash);
}

// Escape ends the recording before the frame it came before; the replay stops there, checked.
TEST_F(Replays, MatchLeftByEscapeEndsBeforeThatFrame) {
  startMatch();
  for (long f = 0; f < 130; f++) {
    script(f);
    liveFrame();
  }
  Key(kKeyEscape, 0, 0);
  ASSERT_NE(LastReplay(), nullptr);
  const Replay recorded = *LastReplay();
  EXPECT_EQ(ShownScreen(), kScreenTitle);
  EXPECT_EQ(recorded.endKind, kReplayEndEscape);
  EXPECT_EQ(recorded.endFrame, 130);
  ReplayPlayback pb;
  EXPECT_EQ(play(recorded, pb), kReplayEnded) << pb.error;
  EXPECT_EQ(pb.frame, 130);
  EXPECT_EQ(pb.nextCheck, recorded.checks.size());
}

// Closing the window mid-match keeps the match as Escape would; closed anywhere else, nothing.
TEST_F(Replays, ClosingTheWindowKeepsTheMatchPlayedSoFar) {
  OpenWindow();
  ASSERT_NE(headlessState().close, nullptr);
  headlessState().close();
  EXPECT_EQ(LastReplay(), nullptr);
  startMatch();
  for (long f = 0; f < 50; f++) {
    script(f);
    liveFrame();
  }
  headlessState().close();
  ASSERT_NE(LastReplay(), nullptr);
  const Replay recorded = *LastReplay();
  EXPECT_EQ(recorded.endFrame, 50);
  ReplayPlayback pb;
  EXPECT_EQ(play(recorded, pb), kReplayEnded) << pb.error;
}

// Every damaged file is refused with its name and the line at fault, and nothing is half-read.
TEST_F(Replays, DamagedFilesAreToldByFileAndLine) {
  startMatch();
  for (long f = 0; f < 90; f++) {
    script(f);
    liveFrame();
  }
  Key(kKeyEscape, 0, 0);
  const std::vector<string> good = linesOf(ReplayText(*LastReplay()));
  const size_t end = good.size() - 1, firstFrame = lineStarting(good, "0 ");
  const size_t level = lineStarting(good, "levelline nextlevel"), ball = lineStarting(good, "ball 1");
  ASSERT_LT(firstFrame, end);
  struct Case {
    const char *name;
    std::function<void(std::vector<string> &)> damage;
    size_t line; // 1-based
    const char *says;
  };
  const Case cases[] = {
      {"newer format", [](std::vector<string> &l) { l[0] = "tethrix-replay 2"; }, 1, "newer game"},
      {"not a replay", [](std::vector<string> &l) { l[0] = "tethrix-rerun 1"; }, 1, "not a replay"},
      {"cut short", [&](std::vector<string> &l) { l.resize(firstFrame + 3); }, firstFrame + 3, "without its end"},
      {"frame goes back", [&](std::vector<string> &l) { l.insert(l.begin() + long(end), "3 a"); }, end + 1,
       "goes back"},
      {"absurd frame", [&](std::vector<string> &l) { l.insert(l.begin() + long(end), "99999999999 a"); }, end + 1,
       "frame number"},
      {"absurd ball", [&](std::vector<string> &l) { l.insert(l.begin() + long(end), "90 rope 40"); }, end + 1,
       "rope P"},
      {"absurd mouse", [&](std::vector<string> &l) { l.insert(l.begin() + long(end), "90 move 5 -999999"); },
       end + 1, "move H V"},
      {"absurd ball value", [&](std::vector<string> &l) { l[ball].replace(l[ball].rfind(' '), string::npos, " 1e99"); },
       ball + 1, "ball field target"},
      {"absurd setting", [&](std::vector<string> &l) { l.insert(l.begin() + long(firstFrame), "set gameType 5000"); },
       firstFrame + 1, "setting gameType"},
      {"number with a tail", [&](std::vector<string> &l) { l.insert(l.begin() + long(firstFrame), "set gravity 1.5x"); },
       firstFrame + 1, "setting gravity"},
      {"level does not read", [&](std::vector<string> &l) { l[level] = "levelline nextlevel 9"; }, firstFrame + 1,
       "level does not read"},
      {"line after the end", [](std::vector<string> &l) { l.push_back("5 a"); }, end + 2, "after the end"},
      {"binary bytes", [&](std::vector<string> &l) { l[firstFrame] = string("0 a\0b", 5); }, firstFrame + 1, "binary"},
  };
  for (const Case &c : cases) {
    std::vector<string> lines = good;
    c.damage(lines);
    Replay r;
    string why;
    EXPECT_FALSE(ParseReplay(joinLines(lines), "bad.replay", r, why)) << c.name;
    EXPECT_EQ(why.rfind("bad.replay:" + std::to_string(c.line) + ": ", 0), 0u) << c.name << ": " << why;
    EXPECT_NE(why.find(c.says), string::npos) << c.name << ": " << why;
  }
  // Random bytes of every length are refused, never read past.
  uint32_t seed = 7;
  for (int n = 0; n < 200; n++) {
    string noise;
    for (int k = 0; k < n * 7; k++) noise += static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
    Replay r;
    string why;
    EXPECT_FALSE(ParseReplay(noise, "noise.replay", r, why));
    EXPECT_EQ(why.rfind("noise.replay:", 0), 0u) << why;
  }
  // A replay for another roster is refused at its start, not played.
  Replay wrongRoster;
  string why;
  ASSERT_TRUE(ParseReplay(joinLines(good), "good.replay", wrongRoster, why)) << why;
  wrongRoster.start.balls.pop_back();
  ReplayPlayback pb;
  EXPECT_FALSE(StartPlayback(pb, wrongRoster, why));
  EXPECT_NE(why.find("5 balls; this game has 6"), string::npos) << why;
}

// The setting is read and written like the others, and only written when not the default;
// files go to the folder, the oldest beyond the setting go, and a folder that cannot be made
// costs one line on standard error and nothing else.
TEST_F(Replays, FilesAreKeptAsTheSettingSays) {
  writeFile("prefs.def", "replays 2\n");
  ReadPrefs();
  EXPECT_EQ(replaysKept, 2);
  ASSERT_EQ(WritePrefsTo("out.def"), 0);
  EXPECT_NE(readFile("out.def").find("\nreplays 2\n"), string::npos);
  replaysKept = kDefaultReplaysKept;
  ASSERT_EQ(WritePrefsTo("out.def"), 0);
  EXPECT_EQ(readFile("out.def").find("replays"), string::npos);

  const string dir = std::filesystem::current_path().string() + "/share/replays";
  SetReplayFolder(dir);
  replaysKept = 2;
  writeFile("0000-old.replay", "");
  std::filesystem::create_directories(dir);
  std::filesystem::rename("0000-old.replay", dir + "/0000-old.replay");
  for (int match = 0; match < 2; match++) {
    startMatch();
    liveFrame();
    Key(kKeyEscape, 0, 0);
  }
  std::vector<string> kept;
  for (const auto &e : std::filesystem::directory_iterator(dir)) kept.push_back(e.path().filename().string());
  std::sort(kept.begin(), kept.end());
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_NE(kept[0], "0000-old.replay");
  EXPECT_NE(kept[0].find("_Swings_"), string::npos) << kept[0];
  EXPECT_NE(LastReplayFile().find(kept[1]), string::npos);
  Replay back;
  string why;
  EXPECT_TRUE(LoadReplay(LastReplayFile().c_str(), back, why)) << why;

  writeFile("blocked", "a file where the folder would be");
  SetReplayFolder(std::filesystem::current_path().string() + "/blocked/replays");
  testing::internal::CaptureStderr();
  startMatch();
  liveFrame();
  Key(kKeyEscape, 0, 0);
  const string told = testing::internal::GetCapturedStderr();
  EXPECT_EQ(std::count(told.begin(), told.end(), '\n'), 1) << told;
  EXPECT_EQ(LastReplayFile(), "");
  EXPECT_NE(LastReplay(), nullptr); // still there to watch

  replaysKept = 0; // records nothing at all
  SetReplayFolder(dir);
  startMatch();
  EXPECT_FALSE(RecordingMatch());
}

// The file name is the date, the level and the game type, with nothing a file name cannot hold.
TEST_F(Replays, FileNameIsSafe) {
  EXPECT_EQ(ReplayFileName(2026, 3, 4, 5, 6, 7, "../The Pit: 2/*", "Capture the Flag"),
            "2026-03-04_05-06-07_The-Pit-2_Capture-the-Flag");
  EXPECT_EQ(ReplayFileName(2026, 12, 31, 23, 59, 59, "", "Tag"), "2026-12-31_23-59-59_untitled_Tag");
}

// Watched from the leaderboard: the live keys and mouse drive nothing, Space pauses, Right
// cycles the speed, Escape goes back to the same leaderboard; watched to its end, the
// leaderboard the match ended with.
TEST_F(Replays, WatchedInTheWindowWithItsOwnKeys) {
  recordToLeaderBoard();
  const int redScore = players[0]->score;
  HeadlessState &w = headlessState();
  headlessClearVertices();
  w.display();
  bool told = false; // the leaderboard offers what it has: a recorded match to watch
  for (const DrawnLine &l : drawnLines()) told = told || l.text == "Space: next match    W: watch again    Escape: title";
  EXPECT_TRUE(told);
  w.keyboard('w', 0, 0);
  ASSERT_EQ(w.display, ReplayScreen);
  EXPECT_TRUE(ReplayShowing());
  // Each drawing is cleared first: at 4x one display draws four frames, each with its mark.
  const auto shown = [&w] {
    headlessClearVertices();
    w.display();
    return drawnStarting("Replay");
  };
  EXPECT_EQ(shown(), "Replay 1x");
  for (int f = 0; f < 2; f++) w.display();
  const int attaches = players[0]->attatches;
  w.keyboard(static_cast<unsigned char>(players[0]->key), 0, 0); // a live key: not a ball's
  w.mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 180, 465);                 // a click on a label: nothing
  EXPECT_EQ(w.keyboard, ReplayKey);
  EXPECT_EQ(make_pair(players[0]->attatches, buttonDown), make_pair(attaches, 0));
  const int before = cyclingCount;
  w.keyboard(' ', 0, 0);
  EXPECT_EQ(shown(), "Replay - paused"); // drawn once more, marked paused
  EXPECT_EQ(shown(), "");                // then nothing is drawn over the held frame
  w.display();
  EXPECT_EQ(cyclingCount, before + 1);
  w.keyboard(' ', 0, 0);
  w.special(GLUT_KEY_RIGHT, 0, 0);
  EXPECT_EQ(shown(), "Replay 2x");
  EXPECT_EQ(cyclingCount, before + 3);
  w.special(GLUT_KEY_RIGHT, 0, 0);
  EXPECT_EQ(shown(), "Replay 4x");
  EXPECT_EQ(cyclingCount, before + 7);
  w.special(GLUT_KEY_RIGHT, 0, 0); // round to the start
  EXPECT_EQ(shown(), "Replay 1x");
  EXPECT_EQ(cyclingCount, before + 8);
  w.keyboard(kKeyEscape, 0, 0);
  EXPECT_EQ(make_tuple(w.display, players[0]->score, ReplayShowing()), make_tuple(LeaderBoard, redScore, false));

  w.keyboard('W', 0, 0);
  std::set<string> pauseHints; // the recorded pause is shown, but P is not offered: it does nothing
  for (int f = 0; f < int(kMostFrames) && w.display == ReplayScreen; f++) {
    headlessClearVertices();
    w.display();
    if (paused) pauseHints.insert(drawnStarting("The match") + drawnStarting("Press P"));
  }
  EXPECT_EQ(pauseHints, std::set<string>{"The match was paused here"});
  EXPECT_EQ(make_tuple(w.display, players[0]->score, ReplayShowing()), make_tuple(LeaderBoard, redScore, false));
  w.keyboard(kKeyEscape, 0, 0);
  EXPECT_EQ(w.display, TitleScreen);
}

// The end of a match tints the arena in the winner's colours; watching it again starts in the
// colours the match started with.
TEST_F(Replays, AWatchedMatchStartsInTheColoursItStartedIn) {
  const float start[9] = {0.1f, 0.2f, 0.3f, 0.4f, 0.5f, 0.6f, 0.7f, 0.8f, 0.9f};
  float *tints[9] = {&backgroundColor[0], &backgroundColor[1], &backgroundColor[2], &borderRed,
                     &borderGreen, &borderBlue, &backRed, &backGreen, &backBlue};
  for (int i = 0; i < 9; i++) *tints[i] = start[i];
  const Replay recorded = recordToLeaderBoard();
  ReplayPlayback pb;
  freshGame();
  std::string why;
  ASSERT_TRUE(StartPlayback(pb, recorded, why)) << why;
  for (int i = 0; i < 9; i++) EXPECT_EQ(*tints[i], start[i]) << i;
}

// A file with one check's hash changed plays up to that check and stops there, the frame named
// on the screen; Escape then goes to the title, where --replay started from.
TEST_F(Replays, TamperedFileStopsInTheWindowAtTheCheckItBreaks) {
  Replay changed = recordToLeaderBoard();
  ASSERT_GT(changed.checks.size(), 4u);
  ReplayCheck &check = changed.checks[changed.checks.size() / 2];
  check.hash ^= 1;
  const string frame = std::to_string(check.frame);
  writeFile("tampered.replay", ReplayText(changed));
  ResetReplayWatch();
  freshGame();
  InstallCallbacks(TitleScreen);
  HeadlessState &w = headlessState();
  testing::internal::CaptureStderr();
  const bool watching = WatchReplayFile("tampered.replay");
  for (long f = 0; watching && f <= check.frame; f++) w.display();
  const string told = testing::internal::GetCapturedStderr();
  ASSERT_TRUE(watching) << told;
  EXPECT_EQ(told.rfind("tethrix: replay out of step at frame " + frame + ": ", 0), 0u) << told;
  EXPECT_EQ(w.display, ReplayScreen) << "stopped, not ended";
  headlessClearVertices();
  w.display();
  const string message = drawnStarting("replay out of step");
  EXPECT_EQ(message.rfind("replay out of step at frame " + frame + ": recorded by version ", 0), 0u)
      << message;
  EXPECT_TRUE(drawnText("Escape: leave"));
  const int shownFrame = cyclingCount;
  w.keyboard(' ', 0, 0); // no pausing a stopped replay: it stays stopped
  w.display();
  EXPECT_EQ(cyclingCount, shownFrame);
  w.keyboard(kKeyEscape, 0, 0);
  EXPECT_EQ(make_pair(w.display, ReplayShowing()), make_pair(TitleScreen, false));
}
