// The replay file: written as text, read back line by line with every value checked.
#include "TethrixExtern.h"
#include "replay.h"
#include "replay_tables.h"

#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

constexpr const char *kMagic = "tethrix-replay";
constexpr long kMostFrames = 100000000L;  // about 29 days at 40 frames a second
constexpr int kMouseReach = 100000;       // menu pixels: a window far wider than any screen
constexpr int kMostDetail = 1000;         // spheredetail, however often + was pressed
constexpr size_t kLongestLine = 1 << 16;  // a ball line with every field is far shorter
constexpr size_t kLargestFile = 64u << 20; // a month of frames in words is far smaller
constexpr int kHashDigits = 16;

struct EventWord {
  int kind;
  const char *word;
};

// The words of the events that name one ball, a pointer position, or a value.
const EventWord kBallWords[] = {{kReplayRope, "rope"},     {kReplayPower, "power"}, {kReplayJoin, "join"},
                                {kReplayWait, "wait"},     {kReplayResume, "resume"}, {kReplayHold, "hold"},
                                {kReplayLetGo, "letgo"}};
const EventWord kPointerWords[] = {{kReplayMove, "move"}, {kReplayPress, "press"}, {kReplayRelease, "release"}};

const char *wordOf(int kind) {
  for (const EventWord &w : kBallWords)
    if (w.kind == kind) return w.word;
  for (const EventWord &w : kPointerWords)
    if (w.kind == kind) return w.word;
  return kind == kReplaySpeed ? "speed" : "detail";
}

constexpr unsigned char kEsc = 27, kSpace = ' ';
constexpr unsigned char kFirstShown = '!', kLastShown = '~';

// As the sim's key files write keys; any other byte by its number.
std::string keyText(int code) {
  if (code == kEsc) return "esc";
  if (code == kSpace) return "space";
  if (code >= kFirstShown && code <= kLastShown) return std::string(1, static_cast<char>(code));
  return "key " + std::to_string(code);
}

std::string eventText(const ReplayEvent &e) {
  std::string t = std::to_string(e.frame) + " ";
  char value[32];
  switch (e.kind) {
  case kReplayKey: return t + keyText(e.a);
  case kReplayKeyUp: return t + keyText(e.a) + " up";
  case kReplayMove:
  case kReplayPress:
  case kReplayRelease: return t + wordOf(e.kind) + " " + std::to_string(e.a) + " " + std::to_string(e.b);
  case kReplaySpeed:
    std::snprintf(value, sizeof value, "%.9g", static_cast<double>(e.f));
    return t + "speed " + value;
  case kReplayDetail: return t + "detail " + std::to_string(e.a);
  default: return t + wordOf(e.kind) + " " + std::to_string(e.a);
  }
}

std::string joined(const std::vector<std::string> &words) {
  std::string out;
  for (const std::string &w : words) out += " " + w;
  return out;
}

void writeStart(std::ostringstream &out, const ReplayStart &s) {
  out << "seed " << s.seed << "\nlevel " << s.level << "\n";
  for (const std::string &line : s.levelLines) out << "levelline " << line << "\n";
  for (const auto &[name, value] : s.settings) out << "set " << name << " " << value << "\n";
  out << "bag";
  for (size_t k = 0; k < s.bag.size();) {
    size_t run = 1;
    while (k + run < s.bag.size() && s.bag[k + run] == s.bag[k]) run++;
    out << " " << s.bag[k] << " " << run;
    k += run;
  }
  out << "\nfrequency";
  for (int n : s.frequency) out << " " << n;
  out << "\nballfields" << joined(s.ballFields) << "\n";
  for (size_t i = 0; i < s.balls.size(); i++) {
    out << "ball " << i << joined(s.balls[i]) << "\n";
    if (i < s.names.size()) out << "name " << i << " " << s.names[i] << "\n";
  }
  if (!s.puck.empty()) out << "puck" << joined(s.puck) << "\n";
}

} // namespace

std::string ReplayText(const Replay &r) {
  std::ostringstream out;
  out << kMagic << " " << kReplayFormat << "\nversion " << r.version << "\n";
  writeStart(out, r.start);
  size_t c = 0;
  char hash[kHashDigits + 1];
  auto checksUpTo = [&](long frame) {
    for (; c < r.checks.size() && r.checks[c].frame < frame; c++) {
      std::snprintf(hash, sizeof hash, "%016" PRIx64, r.checks[c].hash);
      out << "check " << r.checks[c].frame << " " << hash << "\n";
    }
  };
  for (const ReplayEvent &e : r.events) {
    checksUpTo(e.frame); // a frame's check follows its events
    out << eventText(e) << "\n";
  }
  checksUpTo(kMostFrames + 1);
  out << "end " << r.endFrame << " " << (r.endKind == kReplayEndLeaderBoard ? "leaderboard" : "escape") << "\n";
  return out.str();
}

// ---- Reading -------------------------------------------------------------------------------------
namespace {

struct Parser {
  const char *source;
  int lineNo = 0;
  std::string why;
  Replay *out;
  bool framesBegun = false, ended = false, sawVersion = false, sawSeed = false, sawLevel = false;
  bool sawFields = false;
  long nextFrame = 0; // the least frame the next event may have

  bool fail(const std::string &what) {
    why = std::string(source) + ":" + std::to_string(lineNo) + ": " + what;
    return false;
  }
};

std::vector<std::string> words(const std::string &line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

bool number(const std::string &text, long lo, long hi, long &out) {
  if (text.empty()) return false;
  char *end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end || errno == ERANGE || v < lo || v > hi) return false;
  out = v;
  return true;
}

bool intIn(const std::string &text, long lo, long hi, int &out) {
  long v = 0;
  if (!number(text, lo, hi, v)) return false;
  out = static_cast<int>(v);
  return true;
}

bool readMagic(Parser &p, const std::vector<std::string> &w) {
  long format = 0;
  if (w.size() != 2 || w[0] != kMagic || !number(w[1], 1, kMostFrames, format))
    return p.fail("not a replay (it does not begin with \"tethrix-replay 1\")");
  if (format > kReplayFormat)
    return p.fail("made by a newer game (replay format " + std::to_string(format) + "; this game reads format " +
                  std::to_string(kReplayFormat) + ")");
  return true;
}

bool readBallValues(Parser &p, const std::vector<std::string> &w, size_t first, std::vector<std::string> &values) {
  const ReplayStart &s = p.out->start;
  if (!p.sawFields) return p.fail("a ball before the \"ballfields\" line");
  if (w.size() - first != s.ballFields.size())
    return p.fail("expected " + std::to_string(s.ballFields.size()) + " values, one for each ball field");
  for (size_t k = 0; k < s.ballFields.size(); k++) {
    const int at = FindBallField(s.ballFields[k]);
    const bool fits = at == BallFieldCount() ? ValueFits(kValueInt, -1, kMaxPlayers - 1, w[first + k])
                                             : ValueFits(BallFieldAt(at).type, BallFieldAt(at).lo,
                                                         BallFieldAt(at).hi, w[first + k]);
    if (!fits) return p.fail("ball field " + s.ballFields[k] + " cannot be " + w[first + k]);
  }
  values.assign(w.begin() + static_cast<long>(first), w.end());
  return true;
}

bool readBallFields(Parser &p, const std::vector<std::string> &w) {
  ReplayStart &s = p.out->start;
  if (p.sawFields) return p.fail("a second \"ballfields\" line");
  if (w.size() - 1 > static_cast<size_t>(kReplayFieldsMax)) return p.fail("too many ball fields");
  for (size_t k = 1; k < w.size(); k++) {
    if (FindBallField(w[k]) < 0) return p.fail("unknown ball field " + w[k]);
    for (const std::string &seen : s.ballFields)
      if (seen == w[k]) return p.fail("ball field " + w[k] + " given twice");
    s.ballFields.push_back(w[k]);
  }
  p.sawFields = true;
  return true;
}

bool readBag(Parser &p, const std::vector<std::string> &w) {
  std::vector<int> &bag = p.out->start.bag;
  bag.clear();
  if (w.size() % 2 != 1) return p.fail("expected bag ID COUNT ID COUNT ...");
  for (size_t k = 1; k < w.size(); k += 2) {
    int id = 0, count = 0;
    if (!intIn(w[k], kPowerNone, kNumPowerUps - 1, id) || !intIn(w[k + 1], 1, kPowerUpListSize, count) ||
        bag.size() + static_cast<size_t>(count) > static_cast<size_t>(kPowerUpListSize))
      return p.fail("the power-up bag holds an unknown power-up or more than 2048 entries");
    bag.insert(bag.end(), static_cast<size_t>(count), id);
  }
  return true;
}

bool readFrequency(Parser &p, const std::vector<std::string> &w) {
  std::vector<int> &f = p.out->start.frequency;
  f.clear();
  if (w.size() - 1 > static_cast<size_t>(kNumPowerUps)) return p.fail("more frequencies than power-ups");
  for (size_t k = 1; k < w.size(); k++) {
    int n = 0;
    if (!intIn(w[k], 0, kPowerUpListSize, n)) return p.fail("a frequency must be 0 to 2048, not " + w[k]);
    f.push_back(n);
  }
  return true;
}

bool readLevelLine(Parser &p, const std::string &line) {
  ReplayStart &s = p.out->start;
  const std::string text = line.size() > 10 ? line.substr(10) : "";
  if (text.size() > static_cast<size_t>(kLineSize)) return p.fail("a level line longer than 256 characters");
  if (s.levelLines.empty()) s.levelFirstLine = p.lineNo;
  s.levelLines.push_back(text);
  return true;
}

bool readStartLine(Parser &p, const std::string &line, const std::vector<std::string> &w) {
  Replay &r = *p.out;
  ReplayStart &s = r.start;
  const std::string &key = w[0];
  long n = 0;
  if (key == "version") {
    r.version = w.size() == 2 ? w[1] : "";
    p.sawVersion = !r.version.empty();
    return p.sawVersion || p.fail("expected version TEXT");
  }
  if (key == "seed") {
    if (w.size() != 2 || !number(w[1], 0, 4294967295L, n)) return p.fail("expected seed N with 0 <= N < 2^32");
    s.seed = static_cast<unsigned>(n);
    return p.sawSeed = true;
  }
  if (key == "level") {
    if (w.size() != 2 || !intIn(w[1], 0, kMostFrames, s.level)) return p.fail("expected level N");
    return p.sawLevel = true;
  }
  if (key == "levelline") return readLevelLine(p, line);
  if (key == "set") {
    const SettingRow *row = w.size() == 3 ? FindSetting(w[1]) : nullptr;
    if (!row) return p.fail(w.size() == 3 ? "unknown setting " + w[1] : "expected set NAME VALUE");
    if (!ValueFits(row->type, row->lo, row->hi, w[2])) return p.fail("setting " + w[1] + " cannot be " + w[2]);
    s.settings.emplace_back(w[1], w[2]);
    return true;
  }
  if (key == "bag") return readBag(p, w);
  if (key == "frequency") return readFrequency(p, w);
  if (key == "ballfields") return readBallFields(p, w);
  if (key == "ball") {
    if (w.size() < 2 || !number(w[1], 0, kMaxPlayers - 1, n) || n != static_cast<long>(s.balls.size()))
      return p.fail("expected ball " + std::to_string(s.balls.size()) + " next (balls come in order, at most " +
                    std::to_string(kMaxPlayers) + ")");
    s.balls.emplace_back();
    return readBallValues(p, w, 2, s.balls.back());
  }
  if (key == "name") {
    if (w.size() < 2 || !number(w[1], 0, kMaxPlayers - 1, n)) return p.fail("expected name I TEXT");
    const size_t at = line.find(w[1], 4) + w[1].size() + 1;
    const std::string name = at < line.size() ? line.substr(at) : "";
    if (name.size() >= static_cast<size_t>(kNameSize)) return p.fail("a name longer than 63 characters");
    if (s.names.size() <= static_cast<size_t>(n)) s.names.resize(static_cast<size_t>(n) + 1);
    s.names[static_cast<size_t>(n)] = name;
    return true;
  }
  if (key == "puck") return readBallValues(p, w, 1, s.puck);
  return p.fail("unknown line \"" + key + "\"");
}

bool readFrameNumber(Parser &p, const std::string &text, long &frame) {
  if (!number(text, 0, kMostFrames, frame)) return p.fail("a frame number must be 0 to 100000000, not " + text);
  if (frame < p.nextFrame)
    return p.fail("frame " + text + " goes back (frame " + std::to_string(p.nextFrame) + " came before)");
  return true;
}

// A key, and after it "up" for its release.
bool readKey(Parser &p, std::vector<std::string> w, ReplayEvent &e) {
  e.kind = kReplayKey;
  if (w.size() >= 3 && w.back() == "up") {
    e.kind = kReplayKeyUp;
    w.pop_back();
  }
  if (w.size() == 2 && w[1] == "esc") return e.a = kEsc, true;
  if (w.size() == 2 && w[1] == "space") return e.a = kSpace, true;
  if (w.size() == 2 && w[1].size() == 1) return e.a = static_cast<unsigned char>(w[1][0]), true;
  if (w.size() == 3 && w[1] == "key" && intIn(w[2], 0, 255, e.a)) return true;
  return p.fail("unknown event \"" + w[1] + "\"");
}

bool readEvent(Parser &p, const std::vector<std::string> &w, ReplayEvent &e) {
  e = ReplayEvent{};
  if (!readFrameNumber(p, w[0], e.frame)) return false;
  if (w.size() < 2) return p.fail("a frame number without an event");
  for (const EventWord &ew : kBallWords)
    if (w[1] == ew.word) {
      e.kind = ew.kind;
      return (w.size() == 3 && intIn(w[2], 0, kMaxPlayers - 1, e.a)) ||
             p.fail(std::string("expected ") + ew.word + " P with 0 <= P < " + std::to_string(kMaxPlayers));
    }
  for (const EventWord &ew : kPointerWords)
    if (w[1] == ew.word) {
      e.kind = ew.kind;
      return (w.size() == 4 && intIn(w[2], -kMouseReach, kMouseReach, e.a) &&
              intIn(w[3], -kMouseReach, kMouseReach, e.b)) ||
             p.fail(std::string("expected ") + ew.word + " H V within 100000 pixels of the screen");
    }
  if (w[1] == "speed") {
    e.kind = kReplaySpeed;
    char *end = nullptr;
    e.f = w.size() == 3 ? std::strtof(w[2].c_str(), &end) : -1;
    return (end && !*end && e.f >= 0 && std::isfinite(e.f)) || p.fail("expected speed X with X a number from 0 up");
  }
  if (w[1] == "detail") {
    e.kind = kReplayDetail;
    return (w.size() == 3 && intIn(w[2], -kMostDetail, kMostDetail, e.a)) ||
           p.fail("expected detail N with -1000 <= N <= 1000");
  }
  return readKey(p, w, e);
}

bool readCheck(Parser &p, const std::vector<std::string> &w) {
  ReplayCheck c{};
  if (w.size() != 3 || w[2].size() != static_cast<size_t>(kHashDigits)) return p.fail("expected check FRAME HASH");
  if (!readFrameNumber(p, w[1], c.frame)) return false;
  char *end = nullptr;
  c.hash = std::strtoull(w[2].c_str(), &end, 16);
  if (*end || w[2][0] == '-' || w[2][0] == '+') return p.fail("a check's hash is 16 hex digits");
  p.out->checks.push_back(c);
  p.nextFrame = c.frame + 1; // the events of a frame come before its check
  return true;
}

bool readEnd(Parser &p, const std::vector<std::string> &w) {
  long frame = 0;
  if (w.size() != 3 || !number(w[1], 0, kMostFrames, frame) || (w[2] != "leaderboard" && w[2] != "escape"))
    return p.fail("expected end FRAME leaderboard|escape");
  if (frame + 1 < p.nextFrame) return p.fail("the end comes before frames already given");
  p.out->endFrame = frame;
  p.out->endKind = w[2] == "leaderboard" ? kReplayEndLeaderBoard : kReplayEndEscape;
  p.ended = true;
  return true;
}

// What the start must have, told at the line that should have been before.
bool startComplete(Parser &p) {
  const ReplayStart &s = p.out->start;
  if (!p.sawVersion || !p.sawSeed || !p.sawLevel) return p.fail("the version, seed or level line is missing");
  if (s.balls.empty()) return p.fail("no ball lines before the frames");
  bool section = false;
  for (const std::string &line : s.levelLines) {
    const std::vector<std::string> w = words(line);
    long n = -1;
    if (w.size() >= 2 && w[0] == "nextlevel" && number(w[1], 0, kMostFrames, n) && n == s.level) section = true;
  }
  if (!section)
    return p.fail("the level does not read: no \"nextlevel " + std::to_string(s.level) + "\" among its lines");
  return true;
}

bool readLine(Parser &p, const std::string &line) {
  if (line.size() > kLongestLine) return p.fail("a line longer than 65536 characters");
  if (line.find('\0') != std::string::npos) return p.fail("binary bytes: not a replay");
  const std::vector<std::string> w = words(line);
  if (p.lineNo == 1) return readMagic(p, w);
  if (w.empty()) return true;
  if (p.ended) return p.fail("a line after the end line");
  const bool frameLine = std::isdigit(static_cast<unsigned char>(w[0][0])) || w[0] == "check" || w[0] == "end";
  if (!frameLine) {
    if (p.framesBegun) return p.fail("a line of the start among the frames");
    return readStartLine(p, line, w);
  }
  if (!p.framesBegun && !startComplete(p)) return false;
  p.framesBegun = true;
  if (w[0] == "check") return readCheck(p, w);
  if (w[0] == "end") return readEnd(p, w);
  ReplayEvent e;
  if (!readEvent(p, w, e)) return false;
  p.out->events.push_back(e);
  p.nextFrame = e.frame;
  return true;
}

} // namespace

bool ParseReplay(const std::string &text, const char *source, Replay &out, std::string &why) {
  out = Replay{};
  out.start.source = source;
  Parser p;
  p.source = source;
  p.out = &out;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    p.lineNo++;
    if (!readLine(p, line)) {
      why = p.why;
      return false;
    }
    at = end + 1;
  }
  if (p.lineNo == 0) p.lineNo = 1;
  if (!p.ended) {
    why = std::string(source) + ":" + std::to_string(p.lineNo) +
          ": the replay stops here without its end line (cut short?)";
    return false;
  }
  return true;
}

bool LoadReplay(const char *file, Replay &out, std::string &why) {
  FILE *in = std::fopen(file, "rb");
  if (!in) {
    why = std::string(file) + ": cannot read: " + std::strerror(errno);
    return false;
  }
  std::string text;
  char buf[1 << 14];
  for (size_t n; (n = std::fread(buf, 1, sizeof buf, in)) > 0 && text.size() <= kLargestFile;) text.append(buf, n);
  const bool bad = std::ferror(in);
  std::fclose(in);
  if (bad) {
    why = std::string(file) + ": cannot read it whole";
    return false;
  }
  if (text.size() > kLargestFile) {
    why = std::string(file) + ":1: larger than any replay (64 MB)";
    return false;
  }
  return ParseReplay(text, file, out, why);
}
