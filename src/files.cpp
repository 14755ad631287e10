// The one line reader of the level list, preferences and power-up sets, and the
// preferences writer.
#include "TethrixExtern.h"
#include "levelcheck.h"
#include "replay.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kMaxConversions = StatementMatch::kValues;

// Values of one matched line. Everything starts at 0 so a short line never
// reads what the previous line left behind.
struct Fields {
  float f[kMaxConversions];
  int i[kMaxConversions];
  char c[kMaxConversions];
  char s[kTextSize];
  int converted; // values the line gave before its first mismatch
  int used;      // characters of the line those values took
  int outOfRange; // 1-based number of the first value beyond its type (or not finite); 0 if none
};

// State of one ReadLevelFile call.
struct Reader {
  const char *file;
  const char *line; // the statement being read
  FILE *in;
  int lineNo;
  bool sectionMode;
  int section;
  int setCount;
  int nextStart;
  bool warnedNodes, warnedWalls, warnedBag, warnedStarts, warnedLong;
  bool quiet; // a second read of lines whose faults were told at the first
};

// The level list is read several times at start-up; each fault is told once.
std::set<std::string> warned;

void warn(const Reader &r, int lineNo, const char *what) {
  if (r.quiet) return;
  std::string line = std::string(r.file) + ":" + std::to_string(lineNo) + ": " + what;
  if (warned.insert(line).second) std::fprintf(stderr, "%s\n", line.c_str());
}

void warn(const Reader &r, const char *what) { warn(r, r.lineNo, what); }

bool isBlank(char ch) { return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r'; }

const char *skipBlanks(const char *p) {
  while (isBlank(*p)) p++;
  return p;
}

// Matches a line against a scanf-like pattern (%f, %i, %c, %s; a blank in the
// pattern matches any run of blanks, none included) and returns the number of
// values converted before the first mismatch, as scanf counts them.
int scanPattern(const char *line, const char *pattern, Fields &out) {
  std::memset(&out, 0, sizeof out);
  const char *p = line;
  int n = 0;
  for (const char *q = pattern; *q; q++) {
    if (isBlank(*q)) {
      p = skipBlanks(p);
      continue;
    }
    if (*q != '%') {
      if (*p != *q) return n;
      p++;
      continue;
    }
    if (n == kMaxConversions) return n; // no pattern asks for more
    char *end = nullptr;
    bool inRange = true;
    errno = 0;
    switch (*++q) {
    case 'f':
      out.f[n] = std::strtof(skipBlanks(p), &end);
      inRange = std::isfinite(out.f[n]);
      break;
    case 'i': {
      const long value = std::strtol(skipBlanks(p), &end, 0);
      inRange = errno != ERANGE && value >= INT_MIN && value <= INT_MAX;
      out.i[n] = static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX));
      break;
    }
    case 'c':
      if (!*p) return n;
      out.c[n] = *p;
      end = const_cast<char *>(p + 1);
      break;
    case 's': {
      const char *start = skipBlanks(p);
      size_t len = 0;
      while (start[len] && !isBlank(start[len])) len++;
      if (len == 0) return n;
      size_t keep = len < sizeof out.s - 1 ? len : sizeof out.s - 1;
      std::memcpy(out.s, start, keep);
      out.s[keep] = '\0';
      end = const_cast<char *>(start + len);
      break;
    }
    default:
      return n;
    }
    if (end == skipBlanks(p) && *q != 'c') return n; // nothing converted
    if (!inRange && out.outOfRange == 0) out.outOfRange = n + 1;
    p = end;
    out.used = static_cast<int>(p - line);
    n++;
  }
  return n;
}

// A line and its number; an over-long line is told once a file.
bool readLine(Reader &r, char *buf) {
  bool dropped = false;
  if (!ReadTextLine(r.in, buf, dropped)) return false;
  r.lineNo++;
  if (dropped && !r.warnedLong) {
    warn(r, "line longer than 256 characters; the rest of it is ignored");
    r.warnedLong = true;
  }
  return true;
}

} // namespace

bool ReadTextLine(FILE *in, char *buf, bool &tooLong) {
  int ch = std::fgetc(in);
  if (ch == EOF) return false;
  size_t len = 0;
  tooLong = false;
  for (; ch != EOF && ch != '\n'; ch = std::fgetc(in)) {
    if (len < static_cast<size_t>(kLineSize))
      buf[len++] = static_cast<char>(ch);
    else
      tooLong = true;
  }
  buf[len] = '\0';
  len = std::strlen(buf);
  while (len > 0 && buf[len - 1] == '\r') buf[--len] = '\0';
  return true;
}

void copyText(char *dst, size_t size, const char *src) {
  std::snprintf(dst, size, "%s", src); // truncates to the field
}

namespace {

bool levelOpen(const Reader &r) { return !r.sectionMode || r.section == currentLevel; }
bool setOpen(const Reader &r) { return r.setCount == 0 || r.setCount == powerUpSetID; }

block *newNode(Reader &r, int type) {
  if (blockNum + 1 >= kMaxBlocks) {
    if (!r.warnedNodes) warn(r, "more than 400 nodes; the rest are ignored");
    r.warnedNodes = true;
    return nullptr;
  }
  block *b = &blocks[++blockNum];
  b->powerUp = kPowerNone;
  b->type = type;
  b->checkPoint = kNoCheckPoint;
  return b;
}

wall *newWall(Reader &r) {
  if (wallNum >= kMaxWalls) {
    if (!r.warnedWalls) warn(r, "more than 200 walls; the rest are ignored");
    r.warnedWalls = true;
    return nullptr;
  }
  return &walls[wallNum++];
}

// The six numbers shared by "orbiter", "sinmove", "linmove" and their checkpoint forms.
void setPath(block *b, const Fields &v) {
  b->h1 = v.f[0];
  b->v1 = v.f[1];
  b->h2 = v.f[2];
  b->v2 = v.f[3];
  b->position = v.f[4];
  b->period = v.f[5];
}

void setCheckPoint(block *b, int n) {
  if (n > numCheckPoints) numCheckPoints = n;
  b->checkPoint = GameHas(kTraitHeldPoints) ? kDominationNeutral : n;
}

void startSection(Reader &r, int n) {
  r.sectionMode = true;
  r.section = n;
  numLevels++;
  if (n != currentLevel) return;
  for (int i = 0; i <= blockNum && i < kMaxBlocks; i++) blocks[i].checkPoint = kNoCheckPoint;
  blockNum = -1;
  wallNum = 0;
  r.nextStart = 0;
  char name[kLineSize + 1] = "";
  if (!readLine(r, name)) name[0] = '\0';
  copyText(levelname, sizeof levelname, name);
}

constexpr int kPlayerFields = 8;   // index, r, g, b, key, power-up key, size, sprite
constexpr float kMinBallSize = 0.1f; // a ball outside these sizes dies on its first step
constexpr float kMaxBallSize = 6.0f;
constexpr int kMaxSprite = 16; // columns of the sprite sheet; 0 draws a plain sphere

bool isUnitColour(float c) { return c >= 0.0f && c <= 1.0f; } // also false for NaN
bool isKeyChar(char c) { return c > ' ' && c < 127; }          // a blank cannot be read back

// Why a player line cannot be used, or null when it can.
const char *playerLineFault(const Fields &v, int converted) {
  if (converted < kPlayerFields) return "\"player\" line is damaged (missing or non-numeric values)";
  if (v.i[0] < 0 || v.i[0] >= numPlayers) return "\"player\" index outside the roster";
  if (!isUnitColour(v.f[1]) || !isUnitColour(v.f[2]) || !isUnitColour(v.f[3]))
    return "\"player\" colour outside 0..1";
  if (!isKeyChar(v.c[4]) || !isKeyChar(v.c[5])) return "\"player\" key is not a printable character";
  if (!(v.f[6] >= kMinBallSize && v.f[6] <= kMaxBallSize)) return "\"player\" size outside 0.1..6";
  if (v.i[7] < 0 || v.i[7] > kMaxSprite) return "\"player\" sprite outside 0..16";
  return nullptr;
}

bool looksLikeStatement(const char *line);

// Reads the name line after a "player" line. A line that reads as a statement
// is never a name: it is put back to be read as one, and false returned.
bool readNameLine(Reader &r, char *name) {
  const long at = std::ftell(r.in);
  const int lineNo = r.lineNo;
  name[0] = '\0';
  if (!readLine(r, name)) return true; // the file ends with an empty name
  if (!looksLikeStatement(name)) return true;
  if (at >= 0 && std::fseek(r.in, at, SEEK_SET) == 0) r.lineNo = lineNo;
  return false;
}

// A refused line leaves the ball as it was, and so does one without a name line.
void readPlayer(Reader &r, const Fields &v) {
  const int playerLine = r.lineNo;
  char name[kLineSize + 1];
  const bool named = readNameLine(r, name);
  if (const char *fault = playerLineFault(v, v.converted)) {
    warn(r, playerLine, (std::string(fault) + "; line ignored").c_str());
    return;
  }
  if (!named)
    warn(r, playerLine, "\"player\" line without its name line (the next line reads as a "
                        "statement); the ball keeps its name");
  player *p = players[v.i[0]];
  p->r = v.f[1];
  p->g = v.f[2];
  p->b = v.f[3];
  p->key = v.c[4];
  p->powerUpKey = v.c[5];
  p->radius = p->defaultSize = v.f[6];
  p->mass = v.f[6] * v.f[6] * v.f[6] * kMassPerCubicRadius;
  p->sprite = v.i[7];
  if (named) copyText(p->name, sizeof p->name, name);
}

void setInRange(Reader &r, int &setting, int value, int lo, int hi, const char *what) {
  if (value >= lo && value <= hi)
    setting = value;
  else
    warn(r, (std::string(what) + "; line ignored").c_str());
}

void addToBag(Reader &r, int id, int n) {
  if (id < 0 || id >= kPowerUpIDs) return;
  if (id == kPowerShotgunSecond || id == kPowerBombInFlight) { // only ever held, never spawned
    warn(r, "\"powerUpAvail\" of a held-only state; line ignored");
    return;
  }
  if (n < 0) {
    warn(r, "\"powerUpAvail\" count below 0; line ignored");
    return;
  }
  for (int k = 0; k < n; k++) {
    if (powerUpsInList >= kPowerUpListSize) {
      if (!r.warnedBag) warn(r, "power-up bag holds 2048 entries; the rest are ignored");
      r.warnedBag = true;
      break;
    }
    powerUpList[powerUpsInList++] = id;
  }
  powerUpFrequency[id] = n;
}

void readStart(Reader &r, const Fields &v) {
  if (r.nextStart >= numPlayers) {
    if (!r.warnedStarts) warn(r, "more \"start\" lines than players; the rest are ignored");
    r.warnedStarts = true;
    return;
  }
  player *p = players[r.nextStart++];
  p->hStart = v.f[0];
  p->vStart = v.f[1];
  p->hvStart = v.f[2];
  p->vvStart = v.f[3];
}

void readFlag(Reader &r, const Fields &v) {
  int team = v.i[2];
  if (team < 0 || team >= kNumFlags) {
    warn(r, "\"flag\" team must be 0 or 1; line ignored");
    return;
  }
  flags[team].h = flags[team].hstart = v.f[0];
  flags[team].v = flags[team].vstart = v.f[1];
  flagsPlaced |= 1 << team;
}

bool isGuid(const char *text) {
  if (std::strlen(text) != kPadGuidSize - 1) return false;
  for (const char *c = text; *c; c++)
    if (!std::isxdigit(static_cast<unsigned char>(*c))) return false;
  return true;
}

// The buttons after a pad line's order, by SDL's names; none: south and east.
const char *readPadButtons(const char *rest, int &rope, int &powerUp) {
  char ropeName[kTextSize] = "", powerUpName[kTextSize] = "", extra;
  const int got = std::sscanf(rest, "%255s %255s %c", ropeName, powerUpName, &extra);
  static_assert(kTextSize > 255, "the names fit their buffers");
  if (got <= 0) return nullptr;
  if (got != 2) return "\"pad\" buttons are damaged (a rope and a powerup button, or none)";
  rope = PadCodeOfName(ropeName), powerUp = PadCodeOfName(powerUpName);
  if (rope == kNoPadCode || powerUp == kNoPadCode) return "\"pad\" button is not one SDL names";
  if (rope == powerUp) return "\"pad\" rope and powerup buttons are the same";
  return nullptr;
}

// "pad BALL GUID ORDER [ROPE POWERUP]": the ball is played by that pad as well as its keys. A
// pad not plugged in keeps the binding; the ball plays by its keys until it comes.
void readPadLine(Reader &r, const Fields &v) {
  const char *fault = nullptr;
  int rope = kNoPadCode, powerUp = kNoPadCode;
  if (v.converted < 3)
    fault = "\"pad\" line is damaged (it needs a ball, a GUID and an order)";
  else if (v.i[0] < 0 || v.i[0] >= numPlayers || v.i[0] >= kRosterSize)
    fault = "\"pad\" ball outside the roster";
  else if (!isGuid(v.s))
    fault = "\"pad\" GUID is not 32 hexadecimal digits";
  else if (v.i[2] < 0 || v.i[2] >= kMaxPads)
    fault = "\"pad\" order outside 0..7";
  else
    fault = readPadButtons(r.line + v.used, rope, powerUp);
  if (fault) {
    warn(r, (std::string(fault) + "; line ignored").c_str());
    return;
  }
  UnbindBallPad(v.i[0]); // a line without buttons means the out-of-the-box ones
  BindBallToPad(v.i[0], v.s, v.i[2]);
  if (rope != kNoPadCode) SetBallPadButtons(v.i[0], rope, powerUp);
  if (!PadPresent(v.s, v.i[2]))
    warn(r, (std::string(players[v.i[0]]->name) +
             "'s pad is not plugged in; the ball plays by its keys until it is")
                .c_str());
}

// "oneswitch BALL MS": the ball's key ropes on a tap and fires the power-up when held MS.
void readOneSwitch(Reader &r, const Fields &v) {
  const char *fault = nullptr;
  if (v.converted < 2)
    fault = "\"oneswitch\" line is damaged (it needs a ball and a hold in ms)";
  else if (v.i[0] < 0 || v.i[0] >= numPlayers || v.i[0] >= kRosterSize)
    fault = "\"oneswitch\" ball outside the roster";
  else if (v.i[1] != 0 && (v.i[1] < kOneSwitchMinMs || v.i[1] > kOneSwitchMaxMs))
    fault = "\"oneswitch\" hold outside 150..1000 ms (0 for off)";
  if (fault) {
    warn(r, (std::string(fault) + "; line ignored").c_str());
    return;
  }
  oneSwitchMs[v.i[0]] = v.i[1];
}

enum Gate { kGateNone, kGateLevel, kGateSet };

using Handler = void (*)(Reader &, const Fields &);

struct Keyword {
  const char *pattern;
  Gate gate;
  Handler apply;
  int gameType = 0; // a game-type line: the type it selects, in place of apply
};

void blinkPeriodic(Reader &r, const Fields &v) {
  block *b = newNode(r, kNodeBlinkPeriodic);
  if (!b) return;
  float period = v.f[2], off = v.f[3], phase = v.f[4];
  b->h = v.f[0];
  b->v = v.f[1];
  b->period = period;
  b->h1 = off;
  if (phase < period) {
    b->position = phase;
    b->blink = 0;
  } else {
    b->position = 0;
    b->blink = off + period - phase;
  }
}

// A moving node with no period would divide by zero on its first step: it
// stands still on its first point instead.
void checkPeriod(Reader &r, block *b) {
  if (b->period != 0 && std::isfinite(b->period)) return;
  warn(r, "a moving node needs a period other than 0; it stands still");
  b->type = kNodeStill;
  b->h = b->h1;
  b->v = b->v1;
}

void pathNode(Reader &r, const Fields &v, int type) {
  if (block *b = newNode(r, type)) {
    setPath(b, v);
    checkPeriod(r, b);
  }
}

void pathCheckPoint(Reader &r, const Fields &v, int type) {
  if (block *b = newNode(r, type)) {
    setPath(b, v);
    checkPeriod(r, b);
    setCheckPoint(b, v.i[6]);
  }
}

void gameTypeLine(int type, const Fields &v) {
  gameType = type;
  maxScore = v.i[0];
  if (GameTypeHas(type, kTraitIt)) it = nullptr; // a tag level starts with nobody it
}

// One value for each game type, in table order.
std::string scoresPattern() {
  std::string p = "scores";
  for (int i = 0; i < kNumGameTypes; i++) p += " %i";
  return p;
}
const std::string kScoresPattern = scoresPattern();

// In matching order: the first pattern that converts a value takes the line.
const Keyword kFirstKeywords[] = {
    {"nextlevel %i", kGateNone, [](Reader &r, const Fields &v) { startSection(r, v.i[0]); }},
    {"block %f %f", kGateLevel,
     [](Reader &r, const Fields &v) {
       if (block *b = newNode(r, kNodeStill)) { // home is where it stands, should it drift
         b->h = b->h1 = v.f[0];
         b->v = b->v1 = v.f[1];
       }
     }},
    {"speed %f", kGateLevel,
     [](Reader &r, const Fields &v) {
       // A speed of 0 would hold the frame-rate cap's busy wait for ever.
       if (v.f[0] > 0)
         gameSpeed = v.f[0];
       else
         warn(r, "\"speed\" must be above 0; line ignored");
     }},
    {"maxdist %f", kGateLevel, [](Reader &, const Fields &v) { maxDist = v.f[0]; }},
    {"unstable %f %f %f", kGateLevel,
     [](Reader &r, const Fields &v) {
       if (block *b = newNode(r, kNodeUnstable)) {
         b->h = b->h1 = v.f[0];
         b->v = b->v1 = v.f[1];
         b->h2 = b->v2 = 0;
         b->period = v.f[2];
       }
     }},
    {"blinkRelease %f %f %f", kGateLevel,
     [](Reader &r, const Fields &v) {
       if (block *b = newNode(r, kNodeBlinkRelease)) {
         b->h = v.f[0];
         b->v = v.f[1];
         b->h1 = v.f[2];
       }
     }},
    {"blinkPeriodic %f %f %f %f %f", kGateLevel, blinkPeriodic},
    {"orbiter %f %f %f %f %f %f", kGateLevel,
     [](Reader &r, const Fields &v) { pathNode(r, v, kNodeOrbiter); }},
    {"sinmove %f %f %f %f %f %f", kGateLevel,
     [](Reader &r, const Fields &v) { pathNode(r, v, kNodeSinMove); }},
    {"linmove %f %f %f %f %f %f", kGateLevel,
     [](Reader &r, const Fields &v) { pathNode(r, v, kNodeLinMove); }},
    {"wall %f %f %f %f %f", kGateLevel,
     [](Reader &r, const Fields &v) {
       if (wall *w = newWall(r)) {
         w->h1 = v.f[0];
         w->h2 = v.f[1];
         w->v1 = v.f[2];
         w->v2 = v.f[3];
         w->elasticity = v.f[4];
         w->isFlipper = 0;
       }
     }},
    {"flipper %f %f %f %f %f %f", kGateLevel,
     [](Reader &r, const Fields &v) {
       if (wall *w = newWall(r)) {
         w->h1 = v.f[0];
         w->h2 = w->defaultH2 = v.f[1];
         w->v1 = v.f[2];
         w->v2 = w->defaultV2 = v.f[3];
         w->elasticity = 0;
         w->isFlipper = 1;
         w->goingUp = 0;
         w->currentAngle = 0;
         w->flipSpeed = v.f[4];
         w->flipAngle = v.f[5];
       }
     }},
    {"level %f %f %f %f", kGateLevel,
     [](Reader &, const Fields &v) {
       levelLeft = v.f[0];
       levelRight = v.f[1];
       levelTop = v.f[2];
       levelBottom = v.f[3];
     }},
    {"checkpoint %f %f %i", kGateLevel,
     [](Reader &r, const Fields &v) {
       if (block *b = newNode(r, kNodeStill)) {
         b->h = b->h1 = v.f[0];
         b->v = b->v1 = v.f[1];
         setCheckPoint(b, v.i[2]);
       }
     }},
    {"orbitcp %f %f %f %f %f %f %i", kGateLevel,
     [](Reader &r, const Fields &v) { pathCheckPoint(r, v, kNodeOrbiter); }},
    {"sinmovecp %f %f %f %f %f %f %i", kGateLevel,
     [](Reader &r, const Fields &v) { pathCheckPoint(r, v, kNodeSinMove); }},
    {"linmovecp %f %f %f %f %f %f %i", kGateLevel,
     [](Reader &r, const Fields &v) { pathCheckPoint(r, v, kNodeLinMove); }},
    {"flag %f %f %i", kGateLevel, readFlag},
    {"start %f %f %f %f", kGateLevel, readStart},
    {kScoresPattern.c_str(), kGateLevel,
     [](Reader &, const Fields &v) { std::memcpy(gameScores, v.i, sizeof gameScores); }},
    {"player %i %f %f %f %c %c %f %i", kGateLevel, readPlayer},
    {"powerUpFreq %i", kGateSet, [](Reader &, const Fields &v) { powerUpInfrequency = v.i[0]; }},
    {"fullscreen %i", kGateNone,
     [](Reader &r, const Fields &v) { setInRange(r, useFullScreen, v.i[0], 0, 1, "\"fullscreen\" must be 0 or 1"); }},
    {"sound %i", kGateNone,
     [](Reader &r, const Fields &v) {
       setInRange(r, soundMode, v.i[0], kSoundModeNone, kSoundModeAll, "\"sound\" must be 0 to 4");
     }},
    {"pad %i %s %i", kGateNone, readPadLine},
    {"oneswitch %i %i", kGateNone, readOneSwitch},
    {"rumble %i", kGateNone,
     [](Reader &r, const Fields &v) { setInRange(r, padRumble, v.i[0], 0, 1, "\"rumble\" must be 0 or 1"); }},
    {"replays %i", kGateNone,
     [](Reader &r, const Fields &v) {
       setInRange(r, replaysKept, v.i[0], 0, kMostReplaysKept, "\"replays\" must be 0 to 100000");
     }},
    {"uiscale %i", kGateNone,
     [](Reader &r, const Fields &v) {
       if (v.i[0] != kUiScaleAuto && (v.i[0] < kUiScaleLeast || v.i[0] > kUiScaleMost)) {
         warn(r, "\"uiscale\" must be 0 (from the window) or 75 to 200; line ignored");
         return;
       }
       uiScale = v.i[0];
     }},
    {"colourvision %i", kGateNone,
     [](Reader &r, const Fields &v) {
       setInRange(r, colourVision, v.i[0], kColourVisionNormal, kColourVisionModes - 1,
                  "\"colourvision\" must be 0 to 3");
     }},
    {"powerUpAvail %i %i", kGateSet,
     [](Reader &r, const Fields &v) { addToBag(r, v.i[0], v.i[1]); }},
};

// Read after the game-type lines.
const Keyword kLastKeywords[] = {
    {"powerupset %s", kGateNone,
     [](Reader &r, const Fields &v) {
       if (++r.setCount == powerUpSetID) copyText(powerUpSetName, sizeof powerUpSetName, v.s);
     }},
};

// The game-type lines come from the type table, in the order of its key rank.
std::vector<Keyword> allKeywords() {
  std::vector<Keyword> all(std::begin(kFirstKeywords), std::end(kFirstKeywords));
  std::vector<int> types;
  for (int t = kFirstGameType; t <= kLastGameType; t++) types.push_back(t);
  std::stable_sort(types.begin(), types.end(),
                   [](int a, int b) { return GameTypeKeyRank(a) < GameTypeKeyRank(b); });
  for (int t : types) all.push_back({GameTypeLevelKey(t), kGateLevel, nullptr, t});
  all.insert(all.end(), std::begin(kLastKeywords), std::end(kLastKeywords));
  return all;
}
const std::vector<Keyword> kKeywords = allKeywords();

bool gateOpen(const Reader &r, Gate gate) {
  switch (gate) {
  case kGateLevel: return levelOpen(r);
  case kGateSet: return setOpen(r);
  default: return true;
  }
}

void readStatement(Reader &r, const char *line) {
  if (line[0] == '\0' || line[0] == '#') return;
  r.line = line;
  Fields v;
  for (const Keyword &k : kKeywords) {
    v.converted = scanPattern(line, k.pattern, v);
    if (v.converted < 1) continue;
    if (!gateOpen(r, k.gate)) return;
    if (v.outOfRange == 0) {
      if (k.gameType != 0)
        gameTypeLine(k.gameType, v);
      else
        k.apply(r, v);
      return;
    }
    // A number too large for its field was once cut down to fit, and written back so.
    const std::string keyword(k.pattern, std::strcspn(k.pattern, " "));
    warn(r, ("\"" + keyword + "\" value " + std::to_string(v.outOfRange) +
             " is out of range (too large, or not a number); line ignored")
                .c_str());
    return;
  }
}

bool looksLikeStatement(const char *line) {
  Fields v;
  for (const Keyword &k : kKeywords)
    if (scanPattern(line, k.pattern, v) >= 1) return true;
  return false;
}

bool isNamed(const char *path, const char *name) {
  const char *slash = std::strrchr(path, '/');
  return std::strcmp(slash ? slash + 1 : path, name) == 0;
}

// The player is told once per file that the level list has lines the game
// skips, and how to list them; the lines themselves are skipped as ever.
void noticeLevelListProblems(const char *name) {
  if (!warned.insert(std::string("check ") + name).second) return;
  std::vector<LevelProblem> problems;
  if (CheckLevelList(name, problems) && !problems.empty())
    std::fprintf(stderr,
                 "%s: the level list has %zu problem%s; list them with: "
                 "tethrix --check-levels %s\n",
                 name, problems.size(), problems.size() == 1 ? "" : "s", name);
}

// A file is not understood when it holds a zero byte (no text file does) or
// when none of its lines, though it has some, reads as a statement.
const char *notUnderstood(FILE *in) {
  const char *why = nullptr;
  for (int ch; !why && (ch = std::fgetc(in)) != EOF;)
    if (ch == '\0') why = "it holds binary bytes";
  std::rewind(in);
  Reader scan{};
  scan.in = in;
  scan.warnedLong = true; // the real read tells of long lines
  bool text = false, statement = false;
  for (char line[kLineSize + 1]; !why && !statement && readLine(scan, line);) {
    text = text || (*skipBlanks(line) && line[0] != '#');
    statement = looksLikeStatement(line);
  }
  std::rewind(in);
  return why ? why : text && !statement ? "no line of it is a setting" : nullptr;
}

// Preferences the game cannot make sense of are copied aside, once, before the
// game writes its own settings over them. True when they were not understood.
bool keptAside(const char *name, FILE *in) {
  const char *why = notUnderstood(in);
  if (!why) return false;
  if (!warned.insert(std::string("aside ") + name).second) return true;
  const std::string aside = std::string(name) + ".bad";
  if (CopyFileWhole(name, aside))
    std::fprintf(stderr, "%s: not understood (%s); kept as \"%s\", and a first run's settings "
                 "are used instead\n", name, why, aside.c_str());
  else
    std::fprintf(stderr, "%s: not understood (%s), and it cannot be copied to \"%s\": %s\n",
                 name, why, aside.c_str(), std::strerror(errno));
  return true;
}

// Why a level list of the player's own cannot stand in for the data folder's,
// or "" when it can: it must open and hold at least one level.
std::string ownListFault(const std::string &own) {
  FILE *in = std::fopen(own.c_str(), "r");
  if (!in) return std::string("cannot be read: ") + std::strerror(errno);
  Reader scan{};
  scan.in = in;
  scan.warnedLong = true;
  Fields v;
  bool level = false;
  for (char line[kLineSize + 1]; !level && readLine(scan, line);)
    level = scanPattern(line, "nextlevel %i", v) >= 1 && v.outOfRange == 0;
  std::fclose(in);
  return level ? "" : "has no level in it (no \"nextlevel\" line)";
}

// The player's own copy of a data file, unless it is a level list with no
// level to play: then the data folder's, and the player is told once.
std::string fileToRead(const char *name) {
  std::string own = UserCopyOf(name);
  if (own == name || isNamed(name, "prefs.def") || isNamed(name, "powerupsets.def")) return own;
  const std::string fault = ownListFault(own);
  if (fault.empty()) return own;
  if (warned.insert("own " + own).second)
    std::fprintf(stderr, "%s: %s; playing the data folder's %s instead\n", own.c_str(),
                 fault.c_str(), name);
  return name;
}

void startAfresh(const char *name);

} // namespace

int ReaderPatternCount() { return static_cast<int>(kKeywords.size()); }
const char *ReaderPattern(int k) { return kKeywords[k].pattern; }

bool MatchStatement(const char *line, StatementMatch &m) {
  m = StatementMatch{};
  Fields v;
  for (const Keyword &k : kKeywords) {
    const int n = scanPattern(line, k.pattern, v);
    if (n < 1) continue;
    m.pattern = k.pattern;
    m.converted = n;
    m.used = v.used;
    m.outOfRange = v.outOfRange;
    for (const char *q = k.pattern; *q; q++) m.wanted += *q == '%';
    for (int i = 0; i < kMaxConversions && i < StatementMatch::kValues; i++) {
      m.f[i] = v.f[i];
      m.i[i] = v.i[i];
    }
    return true;
  }
  return false;
}

void ForgetReaderWarnings() { warned.clear(); }

void ReadLevelFile(const char *levelFile) {
  const std::string own = fileToRead(levelFile);
  const char *name = own.c_str();
  blockNum = -1;
  wallNum = 0;
  numCheckPoints = 0;
  flagsPlaced = 0;
  numLevels = -1;
  const bool prefs = isNamed(name, "prefs.def");
  const bool sets = isNamed(name, "powerupsets.def");
  if (prefs) powerUpsInList = 0; // re-reading the preferences never doubles the bag
  Reader r{};
  r.file = name;
  r.in = std::fopen(name, "r");
  if (!r.in) {
    if (prefs) return;
    std::fprintf(stderr, "Cannot open \"%s\": %s\n", name, std::strerror(errno));
    if (!sets) {
      Say("Cannot open the level list");
      std::exit(1);
    }
  } else {
    const bool strange = prefs && keptAside(name, r.in);
    char line[kLineSize + 1];
    while (readLine(r, line)) readStatement(r, line);
    std::fclose(r.in);
    if (strange) startAfresh(name);
    if (!prefs && !sets) noticeLevelListProblems(name);
  }
  if (sets && r.setCount < powerUpSetID) {
    powerUpSetID = 0;
    copyText(powerUpSetName, sizeof powerUpSetName, "None");
  }
}

std::vector<std::string> LevelListLines(const char *levelFile, int level) {
  std::vector<std::string> lines;
  const std::string own = fileToRead(levelFile);
  FILE *in = std::fopen(own.c_str(), "r");
  if (!in) return lines;
  Reader r{};
  r.file = own.c_str();
  r.in = in;
  r.warnedLong = true; // the read itself tells of long lines
  bool inSection = false, open = true;
  Fields v;
  for (char line[kLineSize + 1]; readLine(r, line);) {
    if (scanPattern(line, "nextlevel %i", v) >= 1) {
      inSection = true;
      open = v.outOfRange == 0 && v.i[0] == level;
    }
    // Comments and blank lines read as nothing, unless a name is due: the line after a level's
    // first or a player line is its name, whatever it holds.
    const bool nameDue = !lines.empty() && (lines.back().rfind("nextlevel", 0) == 0 ||
                                            lines.back().rfind("player", 0) == 0);
    const bool nothing = line[0] == '\0' || line[0] == '#';
    if ((!inSection || open) && (!nothing || nameDue)) lines.push_back(line);
  }
  std::fclose(in);
  return lines;
}

void ReadLevelLines(const std::vector<std::string> &lines, const char *source, int firstLine, bool quiet) {
  blockNum = -1;
  wallNum = 0;
  numCheckPoints = 0;
  flagsPlaced = 0;
  numLevels = -1;
  std::string text;
  for (const std::string &line : lines) text += line + "\n";
  if (text.empty()) return;
  Reader r{};
  r.file = source;
  r.lineNo = firstLine - 1;
  r.in = fmemopen(&text[0], text.size(), "r");
  if (!r.in) return;
  r.quiet = quiet;
  char line[kLineSize + 1];
  while (readLine(r, line)) readStatement(r, line);
  std::fclose(r.in);
}

bool PrefsFileExists() { return prefsFile[0] && access(prefsFile, F_OK) == 0; }

namespace {

bool sameFile(const char *a, const char *b) {
  struct stat sa, sb;
  return stat(a, &sa) == 0 && stat(b, &sb) == 0 && sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// After preferences that were not understood, the settings a first run gets:
// the data folder's prefs.def when there is another one, else a full bag.
void startAfresh(const char *name) {
  constexpr const char *kShipped = "./prefs.def"; // the data folder's, not the player's copy
  if (access(kShipped, R_OK) == 0 && !sameFile(name, kShipped)) {
    ReadLevelFile(kShipped);
    return;
  }
  if (powerUpsInList == 0) UseDefaultPowerUpBag();
}

} // namespace

// A first run has no preferences yet: every catalogued power-up gets an equal
// share of the bag, so matches have power-ups until the player tunes them.
void UseDefaultPowerUpBag() {
  constexpr int kDefaultFrequency = 3;
  powerUpsInList = 0;
  for (int id = kPowerNormalGravity; id < kNumPowerUps; id++) {
    powerUpFrequency[id] = kDefaultFrequency;
    for (int k = 0; k < kDefaultFrequency && powerUpsInList < kPowerUpListSize; k++)
      powerUpList[powerUpsInList++] = id;
  }
}

// With no file to read (no settings folder, or none written yet) the bag in use
// stays: emptied, a session without settings would have no power-ups left.
void ReadPrefs() {
  if (!PrefsFileExists()) return;
  ReadLevelFile(prefsFile);
  char clash[kTextSize];
  if (KeyClash(clash, sizeof clash) && warned.insert(std::string(prefsFile) + ": " + clash).second)
    std::fprintf(stderr, "%s: %s; change one under Options\n", prefsFile, clash);
}

namespace {

// The buttons only when they are not the out-of-the-box ones, so older versions read the line.
void writePadLine(FILE *out, int ball, const char *guid, int order) {
  std::fprintf(out, "pad %i %s %i", ball, guid, order);
  int rope, powerUp;
  BallPadButtons(ball, rope, powerUp);
  if (!PadButtonsAreDefault(ball)) std::fprintf(out, " %s %s", PadCodeName(rope), PadCodeName(powerUp));
  std::fprintf(out, "\n");
}

bool writePrefs(FILE *out) {
  std::fprintf(out, "#First setup the players\n");
  for (int i = 0; i < kRosterSize && i < numPlayers; i++) {
    const player *p = players[i];
    std::fprintf(out, "player %i %f %f %f %c %c %f %i\n", i, p->r, p->g, p->b, p->key,
                 p->powerUpKey, p->defaultSize, p->sprite);
    std::fprintf(out, "%s\n", p->name);
  }
  std::fprintf(out, "fullscreen %i\n", useFullScreen);
  std::fprintf(out, "speed %f\n", gameSpeed);
  std::fprintf(out, "#Then the power up infrequency\n");
  std::fprintf(out, "powerUpFreq %i\n", powerUpInfrequency);
  for (int id = 0; id < kNumPowerUps; id++) {
    std::fprintf(out, "#%s\n", powerUpName(id));
    std::fprintf(out, "powerUpAvail %i %i\n", id, powerUpFrequency[id]);
  }
  std::fprintf(out, "sound %i\n", soundMode);
  // Only what differs from a first run: settings without pads are written as they always were.
  char guid[kPadGuidSize];
  for (int i = 0, order = 0; i < kRosterSize && i < numPlayers; i++)
    if (BallPadBinding(i, guid, order)) writePadLine(out, i, guid, order);
  if (!padRumble) std::fprintf(out, "rumble 0\n");
  for (int i = 0; i < kRosterSize && i < numPlayers; i++)
    if (oneSwitchMs[i] > 0) std::fprintf(out, "oneswitch %i %i\n", i, oneSwitchMs[i]);
  if (replaysKept != kDefaultReplaysKept) std::fprintf(out, "replays %i\n", replaysKept);
  if (colourVision != kColourVisionNormal) std::fprintf(out, "colourvision %i\n", colourVision);
  if (uiScale != kUiScaleAuto) std::fprintf(out, "uiscale %i\n", uiScale);
  return !std::ferror(out);
}

bool writePrefsFor(FILE *out, const void *) { return writePrefs(out); }

} // namespace

// Writes beside the file and renames over it, so a crash or a full disk never
// leaves a truncated file.
bool WriteFileWhole(const char *name, bool (*write)(FILE *out, const void *what), const void *what) {
  std::string tmp = std::string(name) + ".tmp";
  FILE *out = std::fopen(tmp.c_str(), "w");
  if (!out) {
    std::fprintf(stderr, "Cannot write \"%s\": %s\n", tmp.c_str(), std::strerror(errno));
    return false;
  }
  // The first step that fails names the cause: a later one only echoes it.
  int err = 0;
  auto step = [&err](bool good) {
    if (!good && !err) err = errno ? errno : EIO;
    errno = 0;
  };
  errno = 0;
  step(write(out, what));
  step(std::fflush(out) == 0);
  step(fsync(fileno(out)) == 0);
  step(std::fclose(out) == 0);
  if (err) {
    std::fprintf(stderr, "Cannot write \"%s\": %s\n", tmp.c_str(), std::strerror(err));
    std::remove(tmp.c_str());
    return false;
  }
  if (std::rename(tmp.c_str(), name) != 0) {
    std::fprintf(stderr, "Cannot replace \"%s\": %s\n", name, std::strerror(errno));
    std::remove(tmp.c_str());
    return false;
  }
  return true;
}

int WritePrefsTo(const char *name) { return WriteFileWhole(name, writePrefsFor, nullptr) ? 0 : -1; }

// Settings that cannot be saved cost the player their changes, not the game.
void WritePrefsFile() {
  if (prefsFile[0] && WritePrefsTo(prefsFile) != 0)
    std::fprintf(stderr, "tethrix: the settings are not saved\n");
}
