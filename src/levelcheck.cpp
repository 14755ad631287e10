// Level checker: reads a level list with the reader's own patterns and lists
// every line the game would skip or misread, then checks each level whole.
#include "levelcheck.h"

#include "TethrixExtern.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <string>

namespace {

constexpr int kPathSamples = 1024; // points tried along a path for "ever inside"

struct Rect {
  float left, right, top, bottom;
  // Strictly inside: a ball on the edge is already out.
  bool holds(float h, float v) const { return h > left && h < right && v > bottom && v < top; }
};

struct Point {
  int line = 0;
  float h = 0, v = 0;
};

struct Node {
  int line;
  int kind;
  int checkPoint; // kNoCheckPoint for a plain node
  bool beforeTypeLine;
  float h1, v1, h2, v2; // a still node stands on (h1, v1)
};

// One level as the game builds it: the lines before the first level, then its section.
struct Level {
  int number = -1, line = 0;
  std::string name;
  bool hasRect = false;
  Rect rect{};
  int gameType = 0, typeLine = 0;
  bool flag[kNumFlags] = {};
  Point flags[kNumFlags];
  std::vector<Node> nodes;
  std::vector<Point> starts;
  int walls = 0;
};

std::string keywordOf(const char *pattern) {
  const char *space = std::strchr(pattern, ' ');
  return space ? std::string(pattern, space) : std::string(pattern);
}

std::string firstWord(const char *line) {
  size_t n = 0;
  while (line[n] && !std::isspace(static_cast<unsigned char>(line[n])))
    n++;
  return std::string(line, n);
}

// Conversion letters of a pattern, in order ("ffi" for "checkpoint %f %f %i").
std::string conversionsOf(const char *pattern) {
  std::string out;
  for (const char *q = pattern; *q; q++)
    if (*q == '%' && q[1]) out += *++q;
  return out;
}

size_t editDistance(const std::string &a, const std::string &b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); j++)
    row[j] = j;
  for (size_t i = 1; i <= a.size(); i++) {
    size_t diag = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); j++) {
      const size_t up = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diag + (a[i - 1] != b[j - 1])});
      diag = up;
    }
  }
  return row[b.size()];
}

int gameTypeOfKeyword(const std::string &word) {
  for (int type = kFirstGameType; type <= kLastGameType; type++)
    if (keywordOf(GameTypeLevelKey(type)) == word) return type;
  return 0;
}

int nodeKindOfKeyword(const std::string &w) {
  if (w == "block" || w == "checkpoint") return kNodeStill;
  if (w == "orbiter" || w == "orbitcp") return kNodeOrbiter;
  if (w == "sinmove" || w == "sinmovecp") return kNodeSinMove;
  if (w == "linmove" || w == "linmovecp") return kNodeLinMove;
  if (w == "unstable") return kNodeUnstable;
  if (w == "blinkPeriodic") return kNodeBlinkPeriodic;
  if (w == "blinkRelease") return kNodeBlinkRelease;
  return 0;
}

// Where a node stands at path fraction t (0..1), as the node step moves it.
void pathPoint(const Node &n, double t, double &h, double &v) {
  switch (n.kind) {
  case kNodeOrbiter:
    h = n.h1 + n.h2 * std::sin(2 * kPi * t);
    v = n.v1 + n.v2 * std::cos(2 * kPi * t);
    break;
  case kNodeSinMove:
  case kNodeLinMove:
    h = n.h1 + (n.h2 - n.h1) * t;
    v = n.v1 + (n.v2 - n.v1) * t;
    break;
  default: h = n.h1; v = n.v1;
  }
}

bool everInside(const Node &n, const Rect &r) {
  const bool moves = n.kind == kNodeOrbiter || n.kind == kNodeSinMove || n.kind == kNodeLinMove;
  for (int k = 0; k <= (moves ? kPathSamples : 0); k++) {
    double h, v;
    pathPoint(n, static_cast<double>(k) / kPathSamples, h, v);
    if (r.holds(static_cast<float>(h), static_cast<float>(v))) return true;
  }
  return false;
}

class Checker {
public:
  explicit Checker(std::vector<LevelProblem> &out) : out_(out) {}
  void line(int no, const char *text, bool tooLong);
  void finish();

private:
  void report(int line, const std::string &text) { out_.push_back({line, text}); }
  void reportLevel(const Level &l, const std::string &text) {
    report(l.line, "level " + std::to_string(l.number) + " \"" + l.name + "\": " + text);
  }
  void unknown(int no, const char *text);
  bool valuesAreWhole(int no, const char *text, const StatementMatch &m, const std::string &word);
  void statement(int no, const StatementMatch &m, const std::string &word);
  void node(int no, const StatementMatch &m, const std::string &word, int kind);
  void settingRanges(int no, const StatementMatch &m, const std::string &word);
  void startLevel(int no, int number);
  void checkLevel(const Level &l);
  void checkGameType(const Level &l);

  std::vector<LevelProblem> &out_;
  Level prologue_, level_;
  bool inLevel_ = false;
  int levels_ = 0;
  bool nameNext_ = false;         // the line after "nextlevel" is the level's name
  bool playerNameNext_ = false;   // the line after a whole "player" line is a name
  bool playerNameMaybe_ = false;  // after a damaged one, unless it reads as a statement
  std::vector<int> droppedLines_; // nodes, walls and starts before the first level
};

void Checker::unknown(int no, const char *text) {
  const std::string word = firstWord(text);
  for (int k = 0; k < ReaderPatternCount(); k++) {
    const std::string key = keywordOf(ReaderPattern(k));
    if (word == key) {
      report(no, "\"" + key + "\" wants " + std::to_string(conversionsOf(ReaderPattern(k)).size()) +
                     " values and reads none of them in \"" + text + "\"; the line is ignored");
      return;
    }
  }
  if (std::isspace(static_cast<unsigned char>(text[0]))) {
    report(no, "\"" + std::string(text) + "\" is ignored: a statement begins in the first column");
    return;
  }
  std::string hint;
  size_t best = 3;
  for (int k = 0; k < ReaderPatternCount(); k++) {
    const std::string key = keywordOf(ReaderPattern(k));
    const size_t d = editDistance(word, key);
    if (d < best && d < key.size() / 2 + 1) {
      best = d;
      hint = " (did you mean \"" + key + "\"?)";
    }
  }
  report(no,
         "\"" + std::string(text) + "\" is not a statement the game knows; it is ignored" + hint);
}

// Missing, non-numeric, non-finite or left-over values. False when the line
// lacks values, so that the checks of its meaning are not made on zeros.
bool Checker::valuesAreWhole(int no, const char *text, const StatementMatch &m,
                             const std::string &word) {
  if (m.converted < m.wanted) {
    report(no, "\"" + word + "\" wants " + std::to_string(m.wanted) + " values and reads only " +
                   std::to_string(m.converted) + " in \"" + text + "\"; the rest become 0");
    return false;
  }
  if (m.outOfRange > 0) {
    report(no, "\"" + word + "\" value " + std::to_string(m.outOfRange) +
                   " is out of range (too large, or not a finite number); the line is ignored");
    return false;
  }
  const char *rest = text + m.used;
  while (*rest && std::isspace(static_cast<unsigned char>(*rest)))
    rest++;
  if (*rest)
    report(no, "\"" + std::string(rest) + "\" after the values of \"" + word + "\" is ignored");
  return true;
}

void Checker::line(int no, const char *text, bool tooLong) {
  if (tooLong) report(no, "line longer than 256 characters; the rest of it is ignored");
  if (nameNext_) {
    nameNext_ = false;
    level_.name = text;
    StatementMatch m;
    if (!*text)
      report(no, "level " + std::to_string(level_.number) +
                     " has no name: the line after \"nextlevel\" is its name");
    else if (MatchStatement(text, m))
      report(no, "level name \"" + std::string(text) +
                     "\" reads as a statement, and is taken as one while another level is played");
    return;
  }
  const bool wantsName = playerNameNext_, maybeName = playerNameMaybe_;
  playerNameNext_ = playerNameMaybe_ = false;
  StatementMatch m;
  const bool readsAsStatement = MatchStatement(text, m);
  if (wantsName && !readsAsStatement) return;
  if (wantsName)
    report(no, "the \"player\" line before has no name line: this line reads as a statement and "
               "is read as one; the ball keeps its name");
  if (!*text || text[0] == '#') return;
  if (!readsAsStatement) {
    if (!maybeName) unknown(no, text);
    return;
  }
  const std::string word = keywordOf(m.pattern);
  const bool whole = valuesAreWhole(no, text, m, word);
  if (word == "player") {
    playerNameNext_ = m.converted >= m.wanted;
    playerNameMaybe_ = !playerNameNext_;
  }
  if (whole || word == "nextlevel") statement(no, m, word);
}

void Checker::startLevel(int no, int number) {
  if (inLevel_) checkLevel(level_);
  if (number != levels_)
    report(no, "level number " + std::to_string(number) + " where " + std::to_string(levels_) +
                   " was expected: levels are numbered 0, 1, 2... in order");
  inLevel_ = true;
  levels_++;
  level_ = Level{};
  level_.number = number;
  level_.line = no;
  // What the lines before the first level set holds for every level.
  level_.hasRect = prologue_.hasRect;
  level_.rect = prologue_.rect;
  level_.gameType = prologue_.gameType;
  for (int t = 0; t < kNumFlags; t++) {
    level_.flag[t] = prologue_.flag[t];
    level_.flags[t] = prologue_.flags[t];
  }
  nameNext_ = true;
}

void Checker::node(int no, const StatementMatch &m, const std::string &word, int kind) {
  Level &l = inLevel_ ? level_ : prologue_;
  if (!inLevel_) droppedLines_.push_back(no);
  Node n{no, kind, kNoCheckPoint, l.typeLine == 0, m.f[0], m.f[1], m.f[2], m.f[3]};
  const bool path = kind == kNodeOrbiter || kind == kNodeSinMove || kind == kNodeLinMove;
  if (path && m.f[5] == 0) {
    report(no, "\"" + word + "\" needs a period other than 0; it stands still on its first point");
    n.kind = kNodeStill;
  }
  if (kind == kNodeLinMove && m.f[5] < 0)
    report(no, "\"" + word + "\" needs a period above 0; below 0 it runs off for ever");
  if (kind == kNodeUnstable && !(m.f[2] > 0)) report(no, "\"unstable\" needs a mass above 0");
  if (kind == kNodeBlinkPeriodic && !(m.f[2] > 0))
    report(no, "\"blinkPeriodic\" needs a visible time above 0");
  else if (kind == kNodeBlinkPeriodic && m.f[4] > m.f[2] + m.f[3])
    report(no, "\"blinkPeriodic\" phase beyond one cycle (on + off): the node is gone until the "
               "next round");
  if (word == "checkpoint")
    n.checkPoint = m.i[2];
  else if (path && word.size() > 2 && word.compare(word.size() - 2, 2, "cp") == 0)
    n.checkPoint = m.i[6];
  if (static_cast<int>(l.nodes.size()) == kMaxBlocks)
    report(no, "more than 400 nodes in one level; the rest are ignored");
  l.nodes.push_back(n);
}

void Checker::settingRanges(int no, const StatementMatch &m, const std::string &word) {
  if (word == "speed" && !(m.f[0] > 0)) report(no, "\"speed\" must be above 0");
  if (word == "maxdist" && !(m.f[0] > 0))
    report(no, "\"maxdist\" must be above 0, or no node can be grabbed");
  if (word == "powerUpFreq" && m.i[0] < 0) report(no, "\"powerUpFreq\" must be 0 or more");
  if (word == "powerUpAvail" && (m.i[0] < 0 || m.i[0] >= kNumPowerUps))
    report(no, "\"powerUpAvail\" names power-up " + std::to_string(m.i[0]) + "; there are 0 to 43");
  if (word == "powerUpAvail" && m.i[1] < 0) report(no, "\"powerUpAvail\" count below 0");
  if (word == "fullscreen" && (m.i[0] < 0 || m.i[0] > 1))
    report(no, "\"fullscreen\" must be 0 or 1");
  if (word == "sound" && (m.i[0] < kSoundModeNone || m.i[0] > kSoundModeAll))
    report(no, "\"sound\" must be " + std::to_string(kSoundModeNone) + " to " +
                   std::to_string(kSoundModeAll));
  if (word == "player" && (m.i[0] < 0 || m.i[0] >= kRosterSize))
    report(no, "\"player\" index outside the roster 0 to 5");
}

void Checker::statement(int no, const StatementMatch &m, const std::string &word) {
  Level &l = inLevel_ ? level_ : prologue_;
  if (word == "nextlevel") return startLevel(no, m.i[0]);
  if (const int kind = nodeKindOfKeyword(word)) return node(no, m, word, kind);
  if (const int type = gameTypeOfKeyword(word)) {
    if (l.typeLine) report(no, "a second game-type line in one level; the last one wins");
    l.gameType = type;
    l.typeLine = no;
    if (m.i[0] < 1) report(no, "\"" + word + "\" target below 1 ends the match at the first point");
    return;
  }
  if (word == "wall" || word == "flipper") {
    if (!inLevel_) droppedLines_.push_back(no);
    if (m.f[0] == m.f[1] && m.f[2] == m.f[3]) report(no, "\"" + word + "\" of zero length");
    if (l.walls++ == kMaxWalls)
      report(no, "more than 200 walls in one level; the rest are ignored");
  } else if (word == "level") {
    l.hasRect = true;
    l.rect = {m.f[0], m.f[1], m.f[2], m.f[3]};
    if (!(m.f[0] < m.f[1]) || !(m.f[3] < m.f[2]))
      report(no, "\"level\" takes left right top bottom, with left < right and bottom < top");
  } else if (word == "start") {
    if (!inLevel_) droppedLines_.push_back(no);
    if (static_cast<int>(l.starts.size()) == kRosterSize)
      report(no, "more than six \"start\" lines in one level; the rest are ignored");
    l.starts.push_back({no, m.f[0], m.f[1]});
  } else if (word == "flag") {
    const int team = m.i[2];
    if (team < 0 || team >= kNumFlags) {
      report(no,
             "\"flag\" team " + std::to_string(team) + " is neither 0 nor 1; the line is ignored");
      return;
    }
    l.flag[team] = true;
    l.flags[team] = {no, m.f[0], m.f[1]};
  } else {
    settingRanges(no, m, word);
  }
}

void Checker::checkGameType(const Level &l) {
  const char *type = GameTypeName(l.gameType);
  if (GameTypeHas(l.gameType, kTraitFlags)) {
    for (int t = 0; t < kNumFlags; t++)
      if (!l.flag[t])
        reportLevel(l, std::string(type) + " needs the flags of both teams; flag " +
                           std::to_string(t) +
                           " is missing and stays where the level before left it");
      else if (l.hasRect && !l.rect.holds(l.flags[t].h, l.flags[t].v))
        report(l.flags[t].line, "flag " + std::to_string(t) + " stands outside the arena");
  }
  // Each round of an unstable match puts every node back on (h1, v1): a still
  // node never had them set, and a blinking one keeps its off time there.
  if (GameTypeHas(l.gameType, kTraitUnstableNodes))
    for (const Node &n : l.nodes)
      if (n.kind == kNodeStill || n.kind == kNodeBlinkPeriodic || n.kind == kNodeBlinkRelease)
        report(n.line,
               std::string(
                   "in Unstable Deathmatch each round moves this node to a home its line never ") +
                   "sets (whatever the node table held before); use \"unstable\"");
  if (GameTypeHas(l.gameType, kTraitPuck) && l.hasRect && !l.rect.holds(0, 0))
    reportLevel(l, std::string(type) + ": the puck starts at (0, 0), which is outside the arena");
  std::vector<int> numbers;
  for (const Node &n : l.nodes)
    if (n.checkPoint != kNoCheckPoint) {
      numbers.push_back(n.checkPoint);
      if (n.beforeTypeLine && l.typeLine)
        report(n.line, "checkpoint before the level's game-type line: whether it starts neutral "
                       "depends on the game played before; put the game-type line first");
      if (GameTypeHas(l.gameType, kTraitCheckPointRace) && n.checkPoint < 1)
        report(n.line, "Race checkpoint " + std::to_string(n.checkPoint) +
                           " is never touched: they run from 1");
    }
  if (GameTypeHas(l.gameType, kTraitHeldPoints) && numbers.empty())
    reportLevel(l, "Domination without checkpoint nodes: there is nothing to hold");
  if (!GameTypeHas(l.gameType, kTraitCheckPointRace)) return;
  const int last = numbers.empty() ? 0 : *std::max_element(numbers.begin(), numbers.end());
  if (last < 1) reportLevel(l, "Race without checkpoints");
  // The race stops at the first number missing, so that one is told; a huge
  // number on a damaged line must not be counted up to.
  std::sort(numbers.begin(), numbers.end());
  int expected = 1;
  for (int n : numbers) {
    if (n < expected) continue; // a repeat, or a number below 1 (told above)
    if (n > expected) break;
    expected++;
  }
  if (expected <= last)
    reportLevel(l, "Race checkpoint " + std::to_string(expected) + " is missing; checkpoints run 1 to " +
                       std::to_string(last) + " and the race stops there");
}

void Checker::checkLevel(const Level &l) {
  if (!l.hasRect)
    reportLevel(l, "no \"level\" line: the arena keeps the rectangle of the level read before");
  if (!l.gameType) reportLevel(l, "no game-type line: the level keeps the game type read before");
  const int starts = static_cast<int>(l.starts.size());
  if (starts < kRosterSize)
    reportLevel(l, std::to_string(starts) +
                       " \"start\" lines for six balls: the others start where the level "
                       "read before put them");
  if (l.hasRect) {
    for (const Point &s : l.starts)
      if (!l.rect.holds(s.h, s.v)) report(s.line, "start outside the arena: the ball dies at once");
    for (const Node &n : l.nodes)
      if (!everInside(n, l.rect)) report(n.line, "node outside the arena that never comes inside");
  }
  checkGameType(l);
}

void Checker::finish() {
  if (inLevel_) {
    checkLevel(level_);
    for (int no : droppedLines_)
      report(no, "node, wall or start before the first \"nextlevel\": dropped when a level begins");
  } else if (!prologue_.nodes.empty() || !prologue_.starts.empty()) {
    prologue_.number = 0;
    prologue_.line = 1;
    prologue_.name = "(no nextlevel line)";
    checkLevel(prologue_); // a file of one level without sections
  }
  std::stable_sort(out_.begin(), out_.end(),
                   [](const LevelProblem &a, const LevelProblem &b) { return a.line < b.line; });
}

} // namespace

bool CheckLevelList(const char *file, std::vector<LevelProblem> &problems) {
  problems.clear();
  FILE *in = std::fopen(file, "r");
  if (!in) return false;
  Checker check(problems);
  char text[kLineSize + 1];
  bool tooLong = false;
  for (int no = 1; ReadTextLine(in, text, tooLong); no++)
    check.line(no, text, tooLong);
  std::fclose(in);
  check.finish();
  return true;
}

int PrintLevelCheck(const char *file, FILE *out) {
  std::vector<LevelProblem> problems;
  if (!CheckLevelList(file, problems)) {
    std::fprintf(out, "%s: cannot be read\n", file);
    return 2;
  }
  for (const LevelProblem &p : problems)
    std::fprintf(out, "%s:%d: %s\n", file, p.line, p.text.c_str());
  if (problems.empty())
    std::fprintf(out, "%s: no problems\n", file);
  else
    std::fprintf(out, "%s: %zu problem%s\n", file, problems.size(),
                 problems.size() == 1 ? "" : "s");
  return problems.empty() ? 0 : 1;
}
