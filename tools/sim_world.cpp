// The game's start-up without a window, a virtual clock, and JSON views of the world.
#include "sim_world.h"

#include "TethrixExtern.h"
#include "inclGL.h"

#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

double virtualTime = 1.0;

// Every read moves the clock on a little, as a real clock would while the
// regulator spins; frames themselves advance it by exactly a frame.
double virtualClock() {
  virtualTime += 1e-6;
  return virtualTime;
}

void jsonString(FILE *out, const char *s) {
  std::fputc('"', out);
  for (const unsigned char *c = reinterpret_cast<const unsigned char *>(s); *c; c++) {
    if (*c == '"' || *c == '\\')
      std::fprintf(out, "\\%c", *c);
    else if (*c < 0x20 || *c >= 0x7f)
      std::fprintf(out, "\\u%04x", *c);
    else
      std::fputc(*c, out);
  }
  std::fputc('"', out);
}

void jsonChar(FILE *out, char c) {
  char s[2] = {c, 0};
  if (c == 0)
    std::fputs("\"\\u0000\"", out);
  else
    jsonString(out, s);
}

void num(FILE *out, const char *key, double v, bool comma = true) {
  std::fprintf(out, "\"%s\":%.9g%s", key, v, comma ? "," : "");
}

void inum(FILE *out, const char *key, int v, bool comma = true) {
  std::fprintf(out, "\"%s\":%d%s", key, v, comma ? "," : "");
}

void dumpNode(FILE *out, const block &b) {
  std::fputc('{', out);
  num(out, "h", b.h), num(out, "v", b.v), num(out, "period", b.period);
  num(out, "position", b.position), num(out, "h1", b.h1), num(out, "v1", b.v1);
  num(out, "h2", b.h2), num(out, "v2", b.v2), num(out, "rot", b.rot), num(out, "rotv", b.rotv);
  inum(out, "checkPoint", b.checkPoint), inum(out, "powerUp", b.powerUp);
  num(out, "blink", b.blink), inum(out, "type", b.type, false);
  std::fputc('}', out);
}

void dumpWall(FILE *out, const wall &w) {
  std::fputc('{', out);
  num(out, "h1", w.h1), num(out, "v1", w.v1), num(out, "h2", w.h2), num(out, "v2", w.v2);
  num(out, "elasticity", w.elasticity), inum(out, "isFlipper", w.isFlipper);
  num(out, "defaultH2", w.defaultH2), num(out, "defaultV2", w.defaultV2);
  num(out, "currentAngle", w.currentAngle), inum(out, "goingUp", w.goingUp);
  num(out, "flipAngle", w.flipAngle), num(out, "flipSpeed", w.flipSpeed, false);
  std::fputc('}', out);
}

void dumpFlag(FILE *out, const flag &f) {
  std::fputc('{', out);
  num(out, "h", f.h), num(out, "v", f.v), num(out, "hstart", f.hstart);
  num(out, "vstart", f.vstart), num(out, "downTime", f.downTime, false);
  std::fputc('}', out);
}

void dumpPlayer(FILE *out, const player &p) {
  std::fputs("{\"name\":", out);
  jsonString(out, p.name);
  std::fputs(",\"sound\":", out);
  jsonString(out, p.sound);
  std::fputs(",\"key\":", out);
  jsonChar(out, p.key);
  std::fputs(",\"powerUpKey\":", out);
  jsonChar(out, p.powerUpKey);
  std::fputc(',', out);
  inum(out, "playerID", p.playerID), inum(out, "team", p.team);
  num(out, "r", p.r), num(out, "g", p.g), num(out, "b", p.b);
  num(out, "radius", p.radius), num(out, "defaultSize", p.defaultSize), num(out, "mass", p.mass);
  inum(out, "sprite", p.sprite), inum(out, "active", p.active), inum(out, "ai", p.ai);
  num(out, "hStart", p.hStart), num(out, "vStart", p.vStart);
  num(out, "hvStart", p.hvStart), num(out, "vvStart", p.vvStart, false);
  std::fputc('}', out);
}

template <typename T, typename F> void list(FILE *out, const char *key, const T *items, int n, F each) {
  std::fprintf(out, "\"%s\":[", key);
  for (int i = 0; i < n; i++) {
    if (i) std::fputc(',', out);
    each(out, items[i]);
  }
  std::fputs("],", out);
}

void intList(FILE *out, const char *key, const int *v, int n) {
  std::fprintf(out, "\"%s\":[", key);
  for (int i = 0; i < n; i++) std::fprintf(out, "%s%d", i ? "," : "", v[i]);
  std::fputs("],", out);
}

} // namespace

// The sim plays on the built-in settings, as a first run with nowhere to keep
// any: the data folder's prefs.def only seeds a player's own, and a replay
// must not change with it.
void SimStartup(unsigned seed, int level) {
  ResetWorld();
  prefsFile[0] = '\0';
  frameReport = nullptr;
  gameSrand(seed);
  cosmeticSrand(seed ^ 0x5eedu);
  currentLevel = level;
  BuildRoster();
  StartupReads(false);
  ReadLevelFile(defaultLevels);
  ResetPositions();
}

void SimSwapTeamSides() {
  constexpr int kTeamSlots = kRosterSize / 2; // the roster's first half is the red team
  for (int i = 0; i < kTeamSlots && i + kTeamSlots < numPlayers; i++) {
    player *a = players[i], *b = players[i + kTeamSlots];
    std::swap(a->hStart, b->hStart);
    std::swap(a->vStart, b->vStart);
    std::swap(a->hvStart, b->hvStart);
    std::swap(a->vvStart, b->vvStart);
  }
  std::swap(flags[0], flags[1]);
  const int placed = flagsPlaced;
  flagsPlaced = (placed & ~3) | ((placed & 1) << 1) | ((placed >> 1) & 1);
  for (int i = 0; i < numPlayers; i++) PutOnStart(players[i]);
}

void SimRotateStarts(int k) {
  if (numPlayers <= 0) return;
  struct Start {
    float h, v, hv, vv;
  };
  std::vector<Start> starts;
  for (int i = 0; i < numPlayers; i++) {
    const player *p = players[i];
    starts.push_back({p->hStart, p->vStart, p->hvStart, p->vvStart});
  }
  for (int i = 0; i < numPlayers; i++) {
    const Start &s = starts[(i + k) % numPlayers];
    player *p = players[i];
    p->hStart = s.h, p->vStart = s.v, p->hvStart = s.hv, p->vvStart = s.vv;
    PutOnStart(p);
  }
}

void SimInstallCallbacks() {
  Reshape(kSimWindowWidth, kSimWindowHeight);
  InstallCallbacks(Display);
}

const char *ScreenName(void (*display)()) {
  if (!display) return "none";
  const char *name = ScreenDisplayName(display);
  return name ? name : "unknown";
}

void SimClockInstall() {
  virtualTime = 1.0;
  SetClock(virtualClock);
  oldTime = mtime();
  newTime = mtime();
}

void SimClockAdvanceFrame() { virtualTime += 1.0 / 40.0; }

// Tops the particle list up to `live`: small slow clouds spread over the arena,
// half weapons with mass and half massless sparks, each owned by a ball so that
// it is hit-tested against every other one.
void SimParticleScene(int live) {
  constexpr int kCloud = 10;
  if (numPlayers <= 0) return;
  const float width = levelRight - levelLeft, height = levelTop - levelBottom;
  for (int k = 0; CountParticles() < live; k++) {
    const float h = levelLeft + width * static_cast<float>((k * 37) % 100) / 100;
    const float v = levelBottom + height * static_cast<float>((k * 61) % 100) / 100;
    const player *owner = players[k % numPlayers];
    NewMassParticles(kCloud, h, 0, v, 0, owner->r, owner->g, owner->b, 0.02f, k % 2 ? 1.0f : 0.0f,
                     owner->playerID, nullptr, nullptr, 400);
  }
}

void SimFrame() {
  SimClockAdvanceFrame();
  RegulateFrameRate();
  Display();
}

void DumpWorld(FILE *out) {
  std::fputs("{\"levelname\":", out);
  jsonString(out, levelname);
  std::fputc(',', out);
  inum(out, "numLevels", numLevels), inum(out, "currentLevel", currentLevel);
  inum(out, "gameType", gameType), inum(out, "maxScore", maxScore);
  intList(out, "gameScores", gameScores, kNumGameTypes);
  num(out, "levelLeft", levelLeft), num(out, "levelRight", levelRight);
  num(out, "levelTop", levelTop), num(out, "levelBottom", levelBottom);
  num(out, "gameSpeed", gameSpeed), num(out, "maxDist", maxDist);
  inum(out, "numCheckPoints", numCheckPoints), inum(out, "blockNum", blockNum);
  int nodes = blockNum + 1 < kMaxBlocks ? blockNum + 1 : kMaxBlocks;
  list(out, "nodes", blocks, nodes, dumpNode);
  list(out, "walls", walls, wallNum, dumpWall);
  list(out, "flags", flags, kNumFlags, dumpFlag);
  std::fputs("\"players\":[", out);
  for (int i = 0; i < numPlayers; i++) {
    if (i) std::fputc(',', out);
    dumpPlayer(out, *players[i]);
  }
  std::fputs("],", out);
  inum(out, "powerUpsInList", powerUpsInList);
  intList(out, "powerUpFrequency", powerUpFrequency, kNumPowerUps);
  inum(out, "powerUpInfrequency", powerUpInfrequency), inum(out, "powerUpSetID", powerUpSetID);
  std::fputs("\"powerUpSetName\":", out);
  jsonString(out, powerUpSetName);
  std::fputc(',', out);
  inum(out, "useFullScreen", useFullScreen), inum(out, "soundMode", soundMode, false);
  std::fputs("}\n", out);
}

namespace {

int rosterIndex(const player *p) {
  for (int i = 0; i < numPlayers; i++)
    if (players[i] == p) return i;
  return -1;
}

int countList(const partList *l) {
  int n = 0;
  for (; l; l = l->tail) n++;
  return n;
}

int countList(const messList *l) {
  int n = 0;
  for (; l; l = l->tail) n++;
  return n;
}

// Every number a ball holds, under its own name (the rings, pointers and texts aside).
#define F(field) num(out, #field, p.field)
#define I(field) inum(out, #field, p.field)
void tracePlayer(FILE *out, const player &p) {
  inum(out, "id", p.playerID), I(alive), I(active), I(ai);
  num(out, "h", p.x[curSlot(&p)]), num(out, "v", p.y[curSlot(&p)]);
  I(block), F(moveDelay), I(score), F(radius), F(anglev), F(distance), I(lastHit), I(suicides);
  intList(out, "playerKills", p.playerKills, kRosterSize);
  I(attatches), F(timeFree), F(timeAttatched);
  F(trailX), F(trailY), I(frame), F(acceleration), F(graphicAngle), F(bungie), F(shield);
  F(sizeChange), F(mass), F(r), F(g), F(b), I(sprite), F(hStart), F(vStart), F(hvStart), F(vvStart);
  inum(out, "target", rosterIndex(p.target));
  I(lastBlock), I(wins), I(wallDelay), I(team), I(powerUpType), F(defaultSize), F(turbo);
  F(lifeTime), F(slow), F(ghost), F(drunk), F(stop), F(particleBeam), F(freezeRay), F(chase);
  F(charge), I(playerID), F(maxVelocity), I(collisions), I(powerups), F(maxSize), F(aliveTime);
  F(itTime), F(supernovaCharge), F(gravShield), F(magShield);
  num(out, "unblockable", p.unblockable, false);
}
#undef F
#undef I

} // namespace

void TraceFrame(FILE *out, int frame, void (*screen)()) {
  std::fprintf(out, "{\"frame\":%d,\"speedMult\":%.9g,\"players\":[", frame, speedMult);
  for (int i = 0; i < numPlayers; i++) {
    std::fprintf(out, "%s{", i ? "," : "");
    tracePlayer(out, *players[i]);
    std::fputc('}', out);
  }
  std::fputs("],", out);
  inum(out, "particles", countList(firstParticle)), inum(out, "messages", countList(firstMessage));
  inum(out, "gameType", gameType), inum(out, "maxScore", maxScore), inum(out, "paused", paused);
  num(out, "gravity", gravity), inum(out, "gravityMode", gravityMode);
  num(out, "gravityResetTime", gravityResetTime), num(out, "contrails", contrails);
  inum(out, "it", rosterIndex(it));
  std::fputs("\"screen\":", out);
  jsonString(out, ScreenName(screen));
  std::fputc(',', out);
  inum(out, "arcadeMode", arcadeMode);
  if (puck)
    std::fprintf(out, "\"puck\":[%.9g,%.9g,%d],", puck->x[curSlot(puck)], puck->y[curSlot(puck)],
                 puck->alive);
  else
    std::fputs("\"puck\":[0,0,0],", out);
  std::fputs("\"flags\":[", out);
  for (int i = 0; i < kNumFlags; i++)
    std::fprintf(out, "%s[%.9g,%.9g,%.9g]", i ? "," : "", flags[i].h, flags[i].v, flags[i].downTime);
  std::fputs("],\"nodes\":[", out);
  for (int i = 0; i <= blockNum && i < kMaxBlocks; i++) {
    const block &b = blocks[i];
    std::fprintf(out, "%s[%.9g,%.9g,%.9g,%d,%d]", i ? "," : "", b.h, b.v, b.blink, b.checkPoint, b.powerUp);
  }
  std::fputs("]}\n", out);
}

// The benchmarks' match: the given level folder, six balls in play, all swinging.
void SimBenchMatch(const char *folder) {
  static bool entered = false;
  if (!entered) {
    entered = chdir(folder) == 0;
    if (!entered) std::abort();
  }
  SimStartup(7, 0);
  for (int i = 0; i < numPlayers; i++) {
    players[i]->active = 1;
    players[i]->block = kRopeRequested;
  }
  SimClockInstall();
}
