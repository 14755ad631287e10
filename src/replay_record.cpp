// Recording: every match from its first frame to its end, kept in memory and written once.
#include "TethrixExtern.h"
#include "cmdline.h"
#include "replay.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <sys/stat.h>

int replaysKept = kDefaultReplaysKept;

namespace {

constexpr const char *kReplaySuffix = ".replay";
constexpr size_t kMostNamePart = 32; // characters of the level's name in a file name

struct Recorder {
  bool on = false;
  long frame = 0; // the frame the next inputs come before
  Replay replay;
  bool speedKnown = false;
  float speed = 0;
  int detail = 0;
};

Recorder recorder;
Replay last;
bool haveLast = false;
std::string lastFile;
std::string folder;

void addEvent(int kind, int a, int b, float f) {
  recorder.replay.events.push_back({recorder.frame, kind, a, b, f});
}

void addCheck(long frame) {
  std::vector<ReplayCheck> &checks = recorder.replay.checks;
  if (checks.empty() || checks.back().frame != frame) checks.push_back({frame, WorldHash()});
}

std::string namePart(const char *text) {
  std::string out;
  for (const char *c = text; *c && out.size() < kMostNamePart; c++) {
    const bool keep = std::isalnum(static_cast<unsigned char>(*c)) != 0;
    if (keep)
      out += *c;
    else if (!out.empty() && out.back() != '-')
      out += '-';
  }
  while (!out.empty() && out.back() == '-') out.pop_back();
  return out.empty() ? "untitled" : out;
}

bool writeReplay(FILE *out, const void *what) {
  const std::string text = ReplayText(*static_cast<const Replay *>(what));
  return std::fwrite(text.data(), 1, text.size(), out) == text.size();
}

// A name not yet taken in the folder, from the time the match ended.
std::string freshPath() {
  const std::time_t now = std::time(nullptr); // names the file only; play never sees it
  std::tm t{};
  localtime_r(&now, &t);
  const std::string base = folder + "/" +
                           ReplayFileName(t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min,
                                          t.tm_sec, levelname, GameTypeName(gameType));
  std::string path = base + kReplaySuffix;
  struct stat st;
  char count[16];
  for (int n = 2; stat(path.c_str(), &st) == 0; n++) { // "_02" sorts after the suffix's dot
    std::snprintf(count, sizeof count, "_%02d", n);
    path = base + count + kReplaySuffix;
  }
  return path;
}

void save(const Replay &r) {
  lastFile.clear();
  if (folder.empty() || replaysKept <= 0) return;
  std::string why;
  if (!MakeFolders(folder, 0700, why)) {
    std::fprintf(stderr, "tethrix: the replay is not saved: %s\n", why.c_str());
    return;
  }
  const std::string path = freshPath();
  if (!WriteFileWhole(path.c_str(), writeReplay, &r)) return; // the writer told why
  lastFile = path;
  PruneReplays(folder, replaysKept);
}

void finish(int endKind) {
  recorder.on = false;
  Replay &r = recorder.replay;
  r.endKind = endKind;
  if (endKind == kReplayEndLeaderBoard) {
    r.endFrame = recorder.frame - 1; // the frame that ended it has been counted
    addCheck(r.endFrame);
  } else {
    r.endFrame = recorder.frame;
  }
  last = std::move(r);
  haveLast = true;
  if (frameReport && endKind == kReplayEndLeaderBoard) {
    char lines[kMaxPlayers + 1][kAwardLineSize]; // the title and a line a ball, for logs and tests
    const int n = LeaderBoardStandings(lines, kMaxPlayers + 1);
    for (int i = 0; i < n; i++) std::fprintf(frameReport, "leaderboard: %s\n", lines[i]);
  }
  save(last);
}

} // namespace

std::string ReplayFileName(int year, int month, int day, int hour, int minute, int second, const char *levelName,
                           const char *gameTypeName) {
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d_%02d-%02d-%02d", year, month, day, hour, minute, second);
  return std::string(stamp) + "_" + namePart(levelName) + "_" + namePart(gameTypeName);
}

// The names begin with the date, so the oldest sort first.
void PruneReplays(const std::string &dir, int keep) {
  DIR *d = opendir(dir.c_str());
  if (!d) return;
  std::vector<std::string> names;
  const size_t suffix = std::strlen(kReplaySuffix);
  while (const dirent *e = readdir(d)) {
    const std::string name = e->d_name;
    if (name.size() > suffix && name.compare(name.size() - suffix, suffix, kReplaySuffix) == 0)
      names.push_back(name);
  }
  closedir(d);
  std::sort(names.begin(), names.end());
  const size_t kept = keep > 0 ? static_cast<size_t>(keep) : 0;
  for (size_t i = 0; i + kept < names.size(); i++) std::remove((dir + "/" + names[i]).c_str());
}

void ResetReplays() {
  recorder = Recorder{};
  last = Replay{};
  haveLast = false;
  lastFile.clear();
  folder.clear();
  replaysKept = kDefaultReplaysKept;
  ResetReplayWatch();
}

void SetReplayFolder(const std::string &dir) { folder = dir; }

void StartLiveMatch() {
  ReplayStart start;
  CaptureMatchStart(start);
  std::string why;
  BeginMatchWorld(start, why); // the live roster always fits the world it was captured from
  recorder = Recorder{};
  if (replaysKept > 0) {
    recorder.on = true;
    recorder.replay.version = TethrixVersion();
    recorder.replay.start = std::move(start);
  }
  ShowScreen(kScreenMatch);
}

bool RecordingMatch() { return recorder.on; }

void RecordKey(unsigned char key) {
  if (recorder.on) addEvent(kReplayKey, key, 0, 0);
}

void RecordKeyUp(unsigned char key) {
  if (recorder.on) addEvent(kReplayKeyUp, key, 0, 0);
}

// Of the moves between two frames only the last counts.
void RecordPointer(int kind, int h, int v) {
  if (!recorder.on) return;
  std::vector<ReplayEvent> &events = recorder.replay.events;
  if (kind == kReplayMove && !events.empty() && events.back().kind == kReplayMove &&
      events.back().frame == recorder.frame) {
    events.back().a = h, events.back().b = v;
    return;
  }
  addEvent(kind, h, v, 0);
}

void RecordPadAction(int kind, int ball) {
  if (recorder.on) addEvent(kind, ball, 0, 0);
}

// The regulator set these from the real clock; playback takes them from here.
void RecordFrameBegin() {
  if (!recorder.on) return;
  if (!recorder.speedKnown || std::memcmp(&recorder.speed, &speedMult, sizeof speedMult) != 0)
    addEvent(kReplaySpeed, 0, 0, speedMult);
  if (!recorder.speedKnown || recorder.detail != spheredetail) addEvent(kReplayDetail, spheredetail, 0, 0);
  recorder.speedKnown = true;
  recorder.speed = speedMult;
  recorder.detail = spheredetail;
}

void RecordFrameEnd() {
  if (!recorder.on) return;
  const long done = recorder.frame++;
  if (done % kReplayCheckEvery == 0) addCheck(done);
  if (ShownScreen() == kScreenLeaderBoard) finish(kReplayEndLeaderBoard);
}

void RecordMatchLeft() {
  if (recorder.on) finish(kReplayEndEscape);
}

const Replay *LastReplay() { return haveLast ? &last : nullptr; }
std::string LastReplayFile() { return lastFile; }
