// Lookups shared by every module: the random sources, the power-up catalogue,
// the game type table and node lookup.
#include "TethrixExtern.h"

#include <cstdint>

// ---- Random sources ----------------------------------------------------------
// A fixed 32-bit LCG gives the same 0..32767 sequence on every platform, so a
// seed and a key record replay a match exactly.
static uint32_t gameSeed = 1;
static uint32_t cosmeticSeed = 1;

static int nextRand(uint32_t &seed) {
  seed = seed * 1103515245u + 12345u;
  return static_cast<int>((seed >> 16) & 0x7fffu);
}

int gameRand() { return nextRand(gameSeed); }
void gameSrand(unsigned seed) { gameSeed = seed; }
int cosmeticRand() { return nextRand(cosmeticSeed); }
void cosmeticSrand(unsigned seed) { cosmeticSeed = seed; }

// ---- Power-up catalogue --------------------------------------------------------
struct PowerUpEntry {
  const char *name;
  const char *label; // floats after the ball that collected it
  const char *sound; // the announcer's line at collection
  const char *description;
  bool autoUse;
  BotUse botUse; // when a bot holding it uses it outright
};
constexpr bool kAuto = true;   // used the moment it is collected
constexpr bool kOnKey = false; // held until its owner uses it

// clang-format off
constexpr PowerUpEntry kCatalogue[] = {
  {"None", "", "", "None", kOnKey, BotUse::kKeep},
  {"Normal Gravity", "Normal Gravity", "NormalGravity", "Removes all alternate gravities", kOnKey, BotUse::kKeep},
  {"Planetary G", "Planetary Gravity", "PlanetaryGravity", "Makes gravity about the middle", kOnKey, BotUse::kNearMiddle},
  {"Whirlwind G", "Whirlwind Gravity", "WhirlwindGravity", "Makes gravity spin", kOnKey, BotUse::kNearMiddle},
  {"Reversed G", "Reverse Gravity", "ReverseGravity", "Reverses the direction of gravity", kOnKey, BotUse::kBelowMiddle},
  {"Increased G", "Increased Gravity", "IncreasedGravity", "Makes gravity stronger", kOnKey, BotUse::kAboveMiddle},
  {"Reduced G", "Reduced Gravity", "ReducedGravity", "Makes gravity weaker", kOnKey, BotUse::kBelowMiddle},
  {"Bungie Rope", "Bungie Rope", "BungieRope", "Gives you a springy rope", kOnKey, BotUse::kKeep},
  {"Shield", "Shield", "Shield", "Makes you immune to stuns & particles", kOnKey, BotUse::kKeep},
  {"Turbo Boost", "Turbo Boost", "TurboBoost", "Makes you move and recover faster", kOnKey, BotUse::kAtOnce},
  {"All Opps Shrunk", "All Opponents Shrunk", "AllOpponentsShrunk", "Makes your enemies smaller & lighter", kOnKey, BotUse::kKeep},
  {"Growth Spurt", "Growth Spurt", "GrowthSpurt", "Makes you bigger & heavier", kOnKey, BotUse::kKeep},
  {"Shrinkage", "Shrinkage", "Shrinkage", "(AUTO) Makes you smaller & lighter", kAuto, BotUse::kKeep},
  {"Time Stop", "Time Stop", "TimeStop", "Stops time while you line up a shot", kOnKey, BotUse::kAtOnce},
  {"Vacuum Cleaner", "Giant Vacuum Cleaner", "GiantVacuumCleaner", "Makes you the center of gravity", kOnKey, BotUse::kAtOnce},
  {"Temporal Dilate", "Temporal Dilation", "TemporalDilation", "(AUTO) Slows you down", kAuto, BotUse::kKeep},
  {"Untouchable", "Untouchable", "Untouchable", "Makes you impossible to hit", kOnKey, BotUse::kKeep},
  {"Phase Out", "Phase Out", "PhaseOut", "Makes you vanish for a couple of seconds", kOnKey, BotUse::kKeep},
  {"Tapeworm", "Tapeworm", "Tapeworm", "A worm follows you, and shrinks anyone it hits", kOnKey, BotUse::kAtOnce},
  {"Unblockable", "Unblockable", "Unblockable", "Nothing can stand in your way.", kOnKey, BotUse::kAtOnce},
  {"Nova", "Nova", "Nova", "A ring of particles to knock others away", kOnKey, BotUse::kKeep},
  {"Supernova", "Supernova", "Supernova", "A more powerful nova, with a time delay", kOnKey, BotUse::kWhenCharged},
  {"Antimatter", "Antimatter", "Antimatter", "A nova with negative mass - it sucks", kOnKey, BotUse::kKeep},
  {"Particle Beam", "Particle Beam", "ParticleBeam", "Makes a continuous beam of particles", kOnKey, BotUse::kAtOnce},
  {"Drunken Master", "Drunken Master", "Drunk", "(AUTO) Makes you harder to control", kAuto, BotUse::kAtOnce},
  {"Particle Shield", "Particle Shield", "PartShield", "Particles follow you around.", kOnKey, BotUse::kAtOnce},
  {"Switcheroo", "Switcheroo", "Switcheroo", "(AUTO) Swaps places with an opponent", kAuto, BotUse::kKeep},
  {"Shotgun", "Double Shotgun", "Shotgun", "Two shots, quite a lot of recoil", kOnKey, BotUse::kKeep},
  {"Reverse", "Reverse", "Reverse", "Reverses your direction instantly", kOnKey, BotUse::kKeep},
  {"Homing Missile", "Homing Missile", "Missile", "Launches a homing bomb at each opponent", kOnKey, BotUse::kAtOnce},
  {"Time Warp", "Time Warp", "TimeWarp", "Sends you back in time", kOnKey, BotUse::kKeep},
  {"Chain Charge", "Chain Charge", "ChainCharge", "Charge opponents until you fail to kill one", kOnKey, BotUse::kKeep},
  {"Slam", "Slam", "Slam", "Lets you get the drop on someone", kOnKey, BotUse::kKeep},
  {"Nova Bomb", "Nova Bomb", "NovaBomb", "Launch it, then detonate remotely", kOnKey, BotUse::kKeep},
  {"Omega One", "Omega One", "OmegaOne", "Nobody knows what the Omega One does", kOnKey, BotUse::kKeep},
  {"Antimatter Bomb", "Antimatter Bomb", "AntimatterBomb", "Sucks your opponents in - at a safe distance", kOnKey, BotUse::kKeep},
  {"Matrix Shield", "Matrix Shield", "MatrixShield", "A solid shield of particles to ward opponents off", kOnKey, BotUse::kAtOnce},
  {"Ring Shield", "Ring Shield", "RingShield", "A spinning ring makes a good hazard", kOnKey, BotUse::kAtOnce},
  {"Freeze Ray", "Freeze Ray", "FreezeRay", "A beam that halts anyone caught in it, making them easy prey", kOnKey, BotUse::kAtOnce},
  {"Chase", "Chase", "Chase", "Run down your nearest opponent, while invulnerable", kOnKey, BotUse::kKeep},
  {"Blink Strike", "Blink Strike", "BlinkStrike", "Teleport into position to attack your opponent", kOnKey, BotUse::kKeep},
  {"Magnetic Shield", "Mag Shield", "MagneticShield", "A shield that twists particles and opponents away from you", kOnKey, BotUse::kAtOnce},
  {"Gravity Shield", "Gravity Shield", "GravityShield", "A shield that repels hostile advances", kOnKey, BotUse::kAtOnce},
  {"Twiddle", "Twiddle", "Twiddle", "Makes all players attach or unattach", kOnKey, BotUse::kMostly},
};
// clang-format on
static_assert(sizeof kCatalogue / sizeof kCatalogue[0] == kNumPowerUps, "one catalogue row per ID");

constexpr bool everyPowerUpHasABotRule() {
  for (const PowerUpEntry &e : kCatalogue)
    if (e.botUse == BotUse::kUnset) return false;
  return true;
}
static_assert(everyPowerUpHasABotRule(), "a catalogue row lacks its bot use rule");

static bool catalogued(int id) { return id >= 0 && id < kNumPowerUps; }

const char *powerUpName(int id) { return catalogued(id) ? kCatalogue[id].name : "Invalid ID"; }
const char *powerUpDescription(int id) {
  return catalogued(id) ? kCatalogue[id].description : "Invalid ID";
}
// Uncatalogued IDs have no label and no sound: nothing is announced.
const char *powerUpLabel(int id) { return catalogued(id) ? kCatalogue[id].label : ""; }
const char *powerUpSound(int id) { return catalogued(id) ? kCatalogue[id].sound : ""; }
int powerUpIsAuto(int id) { return catalogued(id) && kCatalogue[id].autoUse ? 1 : 0; }
BotUse powerUpBotUse(int id) { return catalogued(id) ? kCatalogue[id].botUse : BotUse::kKeep; }

// ---- Game types ------------------------------------------------------------------
struct GameTypeEntry {
  const char *name;       // display name
  const char *levelKey;   // the level-file line that selects it; %i is the target
  const char *startSound; // played as the match starts
  int team;               // 1 when played in two teams
  int strategy;           // what the bots aim for
  int defaultTarget;      // start value of its gameScores entry
  const char *caption;    // the level select's line; %i is the target where it has one
};

static const GameTypeEntry kGameTypes[kNumGameTypes] = {
    {"Deathmatch", "deathmatch %i", "DeathMatch", 0, kStrategyObjective, 10,
     "Deathmatch: win %i rounds"},
    {"Team Deathmatch", "team %i", "DeathMatch", 1, kStrategyObjective, 10,
     "Team Deathmatch: win %i rounds"},
    {"Capture the Flag", "ctf %i", "CTF", 1, kStrategyObjective, 5,
     "Capture the Flag: Capture %i flags"},
    {"Race", "race %i", "Race", 0, kStrategyObjective, 10, "Race: Touch %i checkpoints"},
    {"Domination", "domination %i", "Domination", 1, kStrategyObjective, 5000, "Domination"},
    {"Air Hockey", "hockey %i", "AirHockey", 1, kStrategyObjective, 5, "Air Hockey: %i goals"},
    {"Endurance Match", "endurance %i", "EnduranceMatch", 0, kStrategySurvive, 3000,
     "Endurance Match"},
    {"Tag", "tag %i", "Tag", 0, kStrategyObjective, 2000, "Tag"},
    {"Pinata", "pinata %i", "Pinata", 0, kStrategyObjective, 30, "Pinata Bash: hit puck %i times"},
    {"Unstable Deathmatch", "unstableMatch %i", "UnstableDeathmatch", 0, kStrategySurvive, 10,
     "Unstable Match: win %i rounds"},
    {"Blink Deathmatch", "blinkMatch %i", "BlinkDeathmatch", 0, kStrategySurvive, 10,
     "Blink Match: win %i round"},
    {"Body Count", "bodyCount %i", "BodyCount", 0, kStrategyObjective, 10,
     "Body Count: kill %i players"},
};

static bool knownGameType(int num) { return num >= kFirstGameType && num <= kLastGameType; }
static const GameTypeEntry *gameTypeEntry(int num) {
  return knownGameType(num) ? &kGameTypes[num - kFirstGameType] : nullptr;
}

const char *GameTypeName(int num) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e ? e->name : "Invalid Game Type";
}
const char *GameType() { return GameTypeName(gameType); }
int GameTypeAI() {
  const GameTypeEntry *e = gameTypeEntry(gameType);
  return e ? e->strategy : kStrategyMiddle;
}
int isTeamGame() {
  const GameTypeEntry *e = gameTypeEntry(gameType);
  return e ? e->team : 0;
}
const char *GameTypeLevelKey(int num) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e ? e->levelKey : "";
}
// Any number the table lacks is announced as a deathmatch.
const char *GameTypeStartSound(int num) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e ? e->startSound : "DeathMatch";
}
int GameTypeDefaultTarget(int num) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e ? e->defaultTarget : 0;
}
const char *GameTypeCaption(int num) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e ? e->caption : "Invalid Game Type";
}

// ---- Node lookup ---------------------------------------------------------------------
int FindNearestBlock(float h, float v) {
  float best = maxDist * maxDist;
  int result = -1;
  for (int i = 0; i <= blockNum && i < kMaxBlocks; i++) {
    if (blocks[i].blink != 0) continue;
    float dh = h - blocks[i].h, dv = v - blocks[i].v;
    float d2 = dh * dh + dv * dv;
    if (d2 < best) {
      best = d2;
      result = i;
    }
  }
  return result;
}

block *findNode(float h, float v, int checkPoint) {
  float best = 10000.0f;
  int result = -1;
  for (int i = 0; i <= blockNum && i < kMaxBlocks; i++) {
    float dh = h - blocks[i].h, dv = v - blocks[i].v;
    float d2 = dh * dh + dv * dv;
    if (d2 < best && blocks[i].checkPoint == checkPoint) {
      best = d2;
      result = i;
    }
  }
  return result < 0 ? nullptr : &blocks[result];
}
