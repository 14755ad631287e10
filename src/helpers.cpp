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
unsigned gameRandState() { return gameSeed; }
int gameRandPeek() {
  uint32_t copy = gameSeed;
  return nextRand(copy);
}
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
  int keyRank;            // the reader tries level keys in this order, and suggests the first on a tie
  const char *startSound; // played as the match starts
  int strategy;           // what the bots aim for
  int defaultTarget;      // start value of its gameScores entry
  const char *caption;    // the level select's line; %i is the target where it has one
  unsigned traits;        // GameTrait bits
  const char *teamPoint;  // the announcer's words after a scoring team's name; null: none
  const char *shortfall;  // why a level without its checkpoints or flags cannot be played so
  const char *objective;  // what the tournament counts besides kills; null: nothing
};

constexpr unsigned kHuntsAnyone = kTraitBotsHuntTeammates | kTraitBotsShootTeammates;

constexpr GameTypeEntry kGameTypes[] = {
  {"Deathmatch", "deathmatch %i", 3, "DeathMatch", kStrategyObjective, 10,
   "Deathmatch: win %i rounds",
   kTraitLastBallRounds | kHuntsAnyone | kTraitNoSurvivorAwards, nullptr, nullptr, nullptr},
  {"Team Deathmatch", "team %i", 4, "DeathMatch", kStrategyObjective, 10,
   "Team Deathmatch: win %i rounds",
   kTraitTeams, "HasWonTheRound", nullptr, nullptr},
  {"Capture the Flag", "ctf %i", 0, "CTF", kStrategyObjective, 5,
   "Capture the Flag: Capture %i flags",
   kTraitTeams | kTraitFlags | kTraitFlagCarry | kTraitRespawns, "HasCTF", "no flags", "captures"},
  {"Race", "race %i", 5, "Race", kStrategyObjective, 10, "Race: Touch %i checkpoints",
   kTraitCheckPointNodes | kTraitCheckPointRace | kTraitBotsShootTeammates | kTraitRespawns,
   nullptr, "no checkpoints", "checkpoints"},
  {"Domination", "domination %i", 6, "Domination", kStrategyObjective, 5000, "Domination",
   kTraitTeams | kTraitCheckPointNodes | kTraitHeldPoints | kTraitFrameScoring | kTraitRespawns,
   nullptr, "no points to hold", "captures"},
  {"Air Hockey", "hockey %i", 7, "AirHockey", kStrategyObjective, 5, "Air Hockey: %i goals",
   kTraitTeams | kTraitFlags | kTraitPuck | kTraitRespawns, "HasScored", "no goals", "goals"},
  {"Endurance Match", "endurance %i", 2, "EnduranceMatch", kStrategySurvive, 3000,
   "Endurance Match",
   kTraitFrameScoring | kTraitAliveScores | kTraitBotsShootTeammates | kTraitRespawns,
   nullptr, nullptr, nullptr},
  {"Tag", "tag %i", 1, "Tag", kStrategyObjective, 2000, "Tag",
   kTraitFrameScoring | kTraitIt | kTraitBotsShootTeammates | kTraitRespawns,
   nullptr, nullptr, "tag passes"},
  {"Pinata", "pinata %i", 8, "Pinata", kStrategyObjective, 30, "Pinata Bash: hit puck %i times",
   kTraitPuck | kTraitPuckHitScores | kTraitBotsShootTeammates | kTraitRespawns,
   nullptr, nullptr, "puck hits"},
  {"Unstable Deathmatch", "unstableMatch %i", 9, "UnstableDeathmatch", kStrategySurvive, 10,
   "Unstable Match: win %i rounds",
   kTraitLastBallRounds | kTraitUnstableNodes, nullptr, nullptr, nullptr},
  {"Blink Deathmatch", "blinkMatch %i", 10, "BlinkDeathmatch", kStrategySurvive, 10,
   "Blink Match: win %i round",
   kTraitLastBallRounds | kTraitBlinkNodes, nullptr, nullptr, nullptr},
  {"Body Count", "bodyCount %i", 11, "BodyCount", kStrategyObjective, 10,
   "Body Count: kill %i players",
   kTraitKillScores | kTraitOffArrows | kTraitBotsShootTeammates | kTraitRespawns,
   nullptr, nullptr, nullptr},
};
static_assert(sizeof kGameTypes / sizeof kGameTypes[0] == kNumGameTypes, "one row per game type");
static_assert(kLastGameType - kFirstGameType + 1 == kNumGameTypes, "game types are consecutive");

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
bool GameTypeHas(int num, unsigned trait) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e && (e->traits & trait) != 0;
}
bool GameHas(unsigned trait) { return GameTypeHas(gameType, trait); }
int isTeamGame() { return GameHas(kTraitTeams) ? 1 : 0; }
const char *GameTypeLevelKey(int num) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e ? e->levelKey : "";
}
int GameTypeKeyRank(int num) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e ? e->keyRank : -1;
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
const char *GameTypeTeamPoint(int num) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e ? e->teamPoint : nullptr;
}
const char *GameTypeShortfall(int num) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e ? e->shortfall : nullptr;
}
const char *GameTypeObjective(int num) {
  const GameTypeEntry *e = gameTypeEntry(num);
  return e ? e->objective : nullptr;
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
