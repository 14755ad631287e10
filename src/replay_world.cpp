// The world a replay starts from and checks against: its tables of values, the match start, the hash.
#include "TethrixExtern.h"
#include "replay.h"
#include "replay_tables.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

constexpr int kBig = 1000000000; // counts and scores no match reaches
constexpr int kNoBall = -1;      // an empty ball reference: no target, nobody it
constexpr int kMostDetail = 100; // spheredetail squared is a burst's particle count
constexpr int kMostRandomPos = 10000; // swaps at each round start
// A game speed far from 1 would make the frame wait last for ever, or never at all.
constexpr float kLeastPositive = 0.001f, kMostPositive = 1000.0f;

#define BALL_F(field) {#field, offsetof(player, field), kValueFloat, 0, 0}
#define BALL_I(field, lo, hi) {#field, offsetof(player, field), kValueInt, lo, hi}
#define BALL_C(field) {#field, offsetof(player, field), kValueChar, 0, 255}
#define BALL_KILLS(n) {"playerKills" #n, offsetof(player, playerKills) + (n) * sizeof(int), kValueInt, 0, kBig}

// Every value of a ball that play or the leaderboard reads, but its ring, its name and its target.
const BallField kBallFields[] = {
    BALL_F(trailX), BALL_F(trailY), BALL_I(frame, 0, kBig), BALL_F(acceleration),
    BALL_F(graphicAngle), BALL_F(anglev), BALL_I(block, kRopeRequested, kMaxBlocks - 1),
    BALL_F(bungie), BALL_F(shield), BALL_F(sizeChange), BALL_F(mass), BALL_F(r), BALL_F(g),
    BALL_F(b), BALL_I(sprite, 0, 16), BALL_C(key), BALL_C(powerUpKey), BALL_F(hStart),
    BALL_F(vStart), BALL_F(hvStart), BALL_F(vvStart), BALL_F(distance),
    BALL_I(lastBlock, kRopeRequested, kMaxBlocks - 1), BALL_I(alive, 0, 1),
    BALL_I(ai, kHuman, kComputer), BALL_I(score, -kBig, kBig), BALL_I(wins, 0, kBig),
    BALL_F(moveDelay), BALL_I(wallDelay, -kBig, kBig), BALL_I(team, 0, kPuckTeam),
    {"powerUpType", offsetof(player, powerUpType), kValuePowerUp, 0, 0}, BALL_F(radius), BALL_F(defaultSize),
    BALL_I(active, 0, 1), BALL_F(turbo), BALL_F(lifeTime), BALL_F(slow), BALL_F(ghost),
    BALL_F(drunk), BALL_F(stop), BALL_F(particleBeam), BALL_F(freezeRay), BALL_F(chase),
    BALL_F(charge), BALL_I(playerID, 0, kPuckID), BALL_KILLS(0), BALL_KILLS(1), BALL_KILLS(2),
    BALL_KILLS(3), BALL_KILLS(4), BALL_KILLS(5), BALL_I(suicides, 0, kBig), BALL_F(maxVelocity),
    BALL_I(attatches, 0, kBig), BALL_I(collisions, 0, kBig), BALL_F(timeAttatched),
    BALL_F(timeFree), BALL_I(powerups, 0, kBig), BALL_I(lastHit, -1, kMaxPlayers - 1),
    BALL_F(maxSize), BALL_F(aliveTime), BALL_F(itTime), BALL_F(supernovaCharge),
    BALL_F(gravShield), BALL_F(magShield), BALL_F(unblockable),
};
static_assert(sizeof(player::playerKills) / sizeof(int) == 6, "one kills column per roster ball");
constexpr int kBallFieldCount = sizeof kBallFields / sizeof kBallFields[0];
static_assert(kBallFieldCount + 1 <= kReplayFieldsMax, "a ball line carries every field and its target");

// What a match carries besides its balls and its level: the player's choices, the rules in
// force, and the values a match in progress had when it began.
const SettingRow kSettings[] = {
    {"gameType", &gameType, kValueInt, kFirstGameType, kLastGameType},
    {"maxScore", &maxScore, kValueInt, INT_MIN, INT_MAX},
    {"arcadeMode", &arcadeMode, kValueInt, 0, 1},
    {"gravity", &gravity, kValueFloat, 0, 0},
    {"gravityMode", &gravityMode, kValueInt, kGravityNormal, kGravityVacuum},
    {"gravityResetTime", &gravityResetTime, kValueFloat, 0, 0},
    {"alwaysGravity", &alwaysGravity, kValueInt, -kBig, kBig},
    {"rigidStrings", &rigidStrings, kValueInt, -kBig, kBig},
    {"maxDist", &maxDist, kValueFloat, 0, 0},
    {"gameSpeed", &gameSpeed, kValuePositive, 0, 0},
    {"powerUpInfrequency", &powerUpInfrequency, kValueInt, INT_MIN, INT_MAX},
    {"randomPos", &randomPos, kValueInt, 0, kMostRandomPos},
    {"paused", &paused, kValueInt, 0, 1},
    {"championWins", &championWins, kValueInt, 0, kBig},
    {"playerPresent", &playerPresent, kValueInt, 0, kMaxPlayers},
    {"humansNum", &humansNum, kValueInt, 0, kMaxHumans},
    {"spheredetail", &spheredetail, kValueInt, -kMostDetail, kMostDetail},
    {"cyclingCount", &cyclingCount, kValueInt, 0, kBig},
    {"contrails", &contrails, kValueFloat, 0, 0},
    {"screenH", &screenH, kValueFloat, 0, 0},
    {"screenV", &screenV, kValueFloat, 0, 0},
    {"actualScreenH", &actualScreenH, kValueFloat, 0, 0},
    {"actualScreenV", &actualScreenV, kValueFloat, 0, 0},
    {"screenScale", &screenScale, kValueFloat, 0, 0},
    {"quantisedScale", &quantisedScale, kValueFloat, 0, 0},
    {"actualScale", &actualScale, kValueFloat, 0, 0},
    {"it", &it, kValueBall, kNoBall, kMaxPlayers - 1},
    {"champion", &champion, kValueBall, kNoBall, kMaxPlayers - 1},
    {"suctionPlayer", &suctionPlayer, kValueBall, kNoBall, kMaxPlayers - 1},
    // A one-key ball's hold, which decides between its rope and its power-up.
    {"oneSwitch0", &oneSwitchMs[0], kValueInt, 0, kOneSwitchMaxMs},
    {"oneSwitch1", &oneSwitchMs[1], kValueInt, 0, kOneSwitchMaxMs},
    {"oneSwitch2", &oneSwitchMs[2], kValueInt, 0, kOneSwitchMaxMs},
    {"oneSwitch3", &oneSwitchMs[3], kValueInt, 0, kOneSwitchMaxMs},
    {"oneSwitch4", &oneSwitchMs[4], kValueInt, 0, kOneSwitchMaxMs},
    {"oneSwitch5", &oneSwitchMs[5], kValueInt, 0, kOneSwitchMaxMs},
    // The tints the last point left: drawing only, but a watched match must look as it began,
    // not in the colours of the match just ended.
    {"backgroundColor0", &backgroundColor[0], kValueFloat, 0, 0},
    {"backgroundColor1", &backgroundColor[1], kValueFloat, 0, 0},
    {"backgroundColor2", &backgroundColor[2], kValueFloat, 0, 0},
    {"borderRed", &borderRed, kValueFloat, 0, 0},
    {"borderGreen", &borderGreen, kValueFloat, 0, 0},
    {"borderBlue", &borderBlue, kValueFloat, 0, 0},
    {"backRed", &backRed, kValueFloat, 0, 0},
    {"backGreen", &backGreen, kValueFloat, 0, 0},
    {"backBlue", &backBlue, kValueFloat, 0, 0},
};
static_assert(kRosterSize == 6, "a oneSwitch setting for every roster ball");

int ballIndex(const player *p) {
  for (int i = 0; i < numPlayers; i++)
    if (players[i] == p) return i;
  return kNoBall;
}

player *ballAt(int i) { return i >= 0 && i < numPlayers ? players[i] : nullptr; }

std::string floatText(float f) {
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", static_cast<double>(f)); // nine digits give the float back
  return text;
}

std::string intText(int i) { return std::to_string(i); }

bool parseInt(const std::string &text, long lo, long hi, int &out) {
  if (text.empty()) return false;
  char *end = nullptr;
  errno = 0;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end || errno == ERANGE || v < lo || v > hi) return false;
  out = static_cast<int>(v);
  return true;
}

bool parseFloat(const std::string &text, float &out) {
  if (text.empty()) return false;
  char *end = nullptr;
  const float v = std::strtof(text.c_str(), &end);
  if (*end || !std::isfinite(v)) return false;
  out = v;
  return true;
}

// ---- The hash ----------------------------------------------------------------------------------
constexpr uint64_t kFnvOffset = 14695981039346656037ull;
constexpr uint64_t kFnvPrime = 1099511628211ull;

struct Hash {
  uint64_t h = kFnvOffset;
  void word(uint32_t w) { // a word at a time: a quarter of the byte-wise multiplies
    h ^= w;
    h *= kFnvPrime;
  }
  void f(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    word(bits);
  }
  void i(int v) { word(static_cast<uint32_t>(v)); }
};

void hashBall(Hash &h, const player *p) {
  const char *base = reinterpret_cast<const char *>(p);
  for (const BallField &f : kBallFields) {
    if (f.type == kValueFloat) {
      float v;
      std::memcpy(&v, base + f.offset, sizeof v);
      h.f(v);
    } else {
      h.i(BallFieldInt(p, f));
    }
  }
  h.i(ballIndex(p->target));
  for (int k = 0; k < kRingSize; k++) h.f(p->x[k]), h.f(p->y[k]);
}

void hashNodes(Hash &h) {
  for (int i = 0; i <= blockNum && i < kMaxBlocks; i++) {
    const block &b = blocks[i];
    for (float v : {b.h, b.v, b.period, b.position, b.h1, b.v1, b.h2, b.v2, b.rot, b.rotv, b.blink}) h.f(v);
    h.i(b.checkPoint), h.i(b.powerUp), h.i(b.type);
  }
  for (int i = 0; i < wallNum && i < kMaxWalls; i++) {
    const wall &w = walls[i];
    for (float v : {w.h1, w.v1, w.h2, w.v2, w.elasticity, w.currentAngle, w.flipAngle, w.flipSpeed}) h.f(v);
    h.i(w.isFlipper), h.i(w.goingUp);
  }
  for (const flag &f : flags)
    for (float v : {f.h, f.v, f.hstart, f.vstart, f.downTime}) h.f(v);
}

// Particles without an owner only decorate; those with one strike balls.
void hashParticles(Hash &h) {
  for (const partList *node = firstParticle; node; node = node->tail) {
    const particle &q = node->head;
    if (q.player == kNoOwner) continue;
    for (float v : {q.h, q.v, q.oldH, q.oldV, q.lifetime, q.mass, q.offH, q.offV}) h.f(v);
    h.i(q.player), h.i(q.behaviour), h.i(q.effect), h.i(q.motionless);
  }
}

} // namespace

// ---- The tables, for the reader and the writer -----------------------------------------------------
int BallFieldCount() { return kBallFieldCount; }
const BallField &BallFieldAt(int k) { return kBallFields[k]; }
int SettingCount() { return static_cast<int>(sizeof kSettings / sizeof kSettings[0]); }
const SettingRow &SettingAt(int k) { return kSettings[k]; }

int BallFieldInt(const player *p, const BallField &f) {
  const char *at = reinterpret_cast<const char *>(p) + f.offset;
  if (f.type == kValueChar) return static_cast<unsigned char>(*at);
  int v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

const SettingRow *FindSetting(const std::string &name) {
  for (const SettingRow &s : kSettings)
    if (name == s.name) return &s;
  return nullptr;
}

int FindBallField(const std::string &name) {
  for (int k = 0; k < kBallFieldCount; k++)
    if (name == kBallFields[k].name) return k;
  return name == kBallTargetField ? kBallFieldCount : -1;
}

bool ValueFits(int type, int lo, int hi, const std::string &text) {
  float f;
  int i;
  switch (type) {
  case kValueFloat: return parseFloat(text, f);
  case kValuePositive: return parseFloat(text, f) && f >= kLeastPositive && f <= kMostPositive;
  case kValuePowerUp:
    return parseInt(text, kPowerNone, kPowerBombInFlight, i) &&
           (i < kNumPowerUps || i == kPowerShotgunSecond || i == kPowerBombInFlight);
  default: return parseInt(text, lo, hi, i);
  }
}

uint64_t WorldHash() {
  Hash h;
  for (int i = 0; i < numPlayers; i++) hashBall(h, players[i]);
  if (puck) hashBall(h, puck);
  hashNodes(h);
  hashParticles(h);
  h.f(gravity), h.i(gravityMode), h.f(gravityResetTime), h.i(paused);
  h.i(gameType), h.i(maxScore), h.i(ballIndex(it)), h.i(ballIndex(suctionPlayer));
  return h.h;
}

// ---- Capture ---------------------------------------------------------------------------------------
namespace {

std::vector<std::string> ballValues(const player *p) {
  std::vector<std::string> out;
  const char *base = reinterpret_cast<const char *>(p);
  for (const BallField &f : kBallFields) {
    if (f.type == kValueFloat) {
      float v;
      std::memcpy(&v, base + f.offset, sizeof v);
      out.push_back(floatText(v));
    } else {
      out.push_back(intText(BallFieldInt(p, f)));
    }
  }
  out.push_back(intText(ballIndex(p->target)));
  return out;
}

std::string settingText(const SettingRow &s) {
  switch (s.type) {
  case kValueFloat:
  case kValuePositive: return floatText(*static_cast<const float *>(s.address));
  case kValueBall: return intText(ballIndex(*static_cast<player *const *>(s.address)));
  default: return intText(*static_cast<const int *>(s.address));
  }
}

} // namespace

void CaptureMatchStart(ReplayStart &s) {
  s = ReplayStart{};
  s.seed = gameRandState();
  s.level = currentLevel;
  s.levelLines = LevelListLines(defaultLevels, currentLevel);
  for (const SettingRow &row : kSettings) s.settings.emplace_back(row.name, settingText(row));
  const int bag = powerUpsInList < kPowerUpListSize ? powerUpsInList : kPowerUpListSize;
  s.bag.assign(powerUpList, powerUpList + (bag > 0 ? bag : 0));
  s.frequency.assign(powerUpFrequency, powerUpFrequency + kNumPowerUps);
  for (const BallField &f : kBallFields) s.ballFields.push_back(f.name);
  s.ballFields.push_back(kBallTargetField);
  for (int i = 0; i < numPlayers; i++) {
    s.balls.push_back(ballValues(players[i]));
    s.names.push_back(players[i]->name);
  }
  if (puck) s.puck = ballValues(puck);
}

// ---- The match start -------------------------------------------------------------------------------
namespace {

void applySetting(const SettingRow &row, const std::string &text) {
  switch (row.type) {
  case kValueFloat:
  case kValuePositive: *static_cast<float *>(row.address) = std::strtof(text.c_str(), nullptr); break;
  case kValueBall:
    *static_cast<player **>(row.address) = ballAt(static_cast<int>(std::strtol(text.c_str(), nullptr, 10)));
    break;
  default: *static_cast<int *>(row.address) = static_cast<int>(std::strtol(text.c_str(), nullptr, 10)); break;
  }
}

void applySettings(const ReplayStart &s) {
  for (const auto &[name, value] : s.settings)
    if (const SettingRow *row = FindSetting(name)) applySetting(*row, value);
}

// Values were checked against their fields as the file was read.
void applyBall(player *p, const std::vector<std::string> &fields, const std::vector<std::string> &values) {
  char *base = reinterpret_cast<char *>(p);
  for (size_t k = 0; k < fields.size() && k < values.size(); k++) {
    const int at = FindBallField(fields[k]);
    if (at == kBallFieldCount) {
      p->target = ballAt(static_cast<int>(std::strtol(values[k].c_str(), nullptr, 10)));
      continue;
    }
    if (at < 0) continue;
    const BallField &f = kBallFields[at];
    if (f.type == kValueFloat) {
      const float v = std::strtof(values[k].c_str(), nullptr);
      std::memcpy(base + f.offset, &v, sizeof v);
    } else if (f.type == kValueChar) {
      base[f.offset] = static_cast<char>(std::strtol(values[k].c_str(), nullptr, 10));
    } else {
      const int v = static_cast<int>(std::strtol(values[k].c_str(), nullptr, 10));
      std::memcpy(base + f.offset, &v, sizeof v);
    }
  }
}

void applyRoster(const ReplayStart &s) {
  for (int i = 0; i < numPlayers && i < static_cast<int>(s.balls.size()); i++) {
    applyBall(players[i], s.ballFields, s.balls[i]);
    if (i < static_cast<int>(s.names.size())) copyText(players[i]->name, sizeof players[i]->name, s.names[i].c_str());
  }
  if (puck && !s.puck.empty()) applyBall(puck, s.ballFields, s.puck);
}

void applyBag(const ReplayStart &s) {
  powerUpsInList = 0;
  for (int id : s.bag)
    if (powerUpsInList < kPowerUpListSize) powerUpList[powerUpsInList++] = id;
  std::memset(powerUpFrequency, 0, sizeof powerUpFrequency);
  for (size_t id = 0; id < s.frequency.size() && id < static_cast<size_t>(kPowerUpIDs); id++)
    powerUpFrequency[id] = s.frequency[id];
}

// A ball's history starts with the match: nothing of the last one can be turned back to.
void forgetHistory(player *p) {
  std::memset(p->x, 0, sizeof p->x);
  std::memset(p->y, 0, sizeof p->y);
}

} // namespace

void ApplyCapturedValues(const ReplayStart &s) {
  applySettings(s);
  applyBag(s);
  applyRoster(s);
}

bool BeginMatchWorld(const ReplayStart &s, std::string &why) {
  if (static_cast<int>(s.balls.size()) != numPlayers) {
    why = "it has " + std::to_string(s.balls.size()) + " balls; this game has " + std::to_string(numPlayers);
    return false;
  }
  ApplyCapturedValues(s);
  // The level from its own lines, read as the match's type reads it, into empty tables.
  std::memset(blocks, 0, sizeof blocks);
  std::memset(walls, 0, sizeof walls);
  std::memset(flags, 0, sizeof flags);
  currentLevel = s.level;
  const bool live = s.levelFirstLine == 0;
  ReadLevelLines(s.levelLines, s.source.c_str(), s.levelFirstLine, live);
  applySettings(s); // the player's choices over the level's own lines
  applyRoster(s);
  FreeAllParticles();
  ClearMessages();
  ResetDoPlayer();
  for (int i = 0; i < numPlayers; i++) forgetHistory(players[i]);
  if (puck) forgetHistory(puck);
  gameSrand(s.seed);
  if (GameHas(kTraitUnstableNodes)) PrepareUnstableMatch();
  ResetPositions();
  return true;
}
