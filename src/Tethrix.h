// Shared records of the world and the integer codes every module agrees on.
#pragma once

#include <cstddef>

constexpr double kPi = 3.141592653589793;

// ---- Table sizes -----------------------------------------------------------
constexpr int kMaxPlayers = 16;        // roster slots
constexpr int kRosterSize = 6;         // balls created at start-up
constexpr int kMaxHumans = 10;         // slots of the per-frame human list
constexpr int kMaxTeams = 7;           // slots of teamLeaders
constexpr int kMaxBlocks = 400;        // node table
constexpr int kMaxWalls = 200;         // wall table
constexpr int kNumFlags = 2;           // one flag per team
constexpr int kPowerUpListSize = 2048; // spawn bag
constexpr int kPowerUpIDs = 256;       // powerUpFrequency slots
constexpr int kNumGameTypes = 12;
constexpr int kRingSize = 100;         // Verlet position history
constexpr int kNameSize = 64;
constexpr int kSoundNameSize = 16;
constexpr int kTextSize = 256;         // levelname, defaultLevels, set names
constexpr int kLineSize = 256;         // longest line the file reader keeps

constexpr float kRoundGhostTicks = 30.0f;      // every ball starts a round as a ghost
constexpr float kMassPerCubicRadius = 37.037f; // mass = radius^3 * this
constexpr float kMinLiveRadius = 0.1f;         // a ball outside these radii dies
constexpr float kMaxLiveRadius = 6.0f;

// ---- Texture names ---------------------------------------------------------
constexpr unsigned kTexSprites = 1; // the binding drawing routines return to
constexpr unsigned kTexTitle = 3;
constexpr unsigned kTexNode = 4;
constexpr unsigned kTexFont = 5;
constexpr unsigned kTexWall = 6; // walls have their own picture, not the font's name

// ---- Game types ------------------------------------------------------------
constexpr int kDeathmatch = 1000;
constexpr int kTeamDeathmatch = 1001;
constexpr int kCaptureTheFlag = 1002;
constexpr int kRace = 1003;
constexpr int kDomination = 1004;
constexpr int kAirHockey = 1005;
constexpr int kEndurance = 1006;
constexpr int kTag = 1007;
constexpr int kPinata = 1008;
constexpr int kUnstableMatch = 1009;
constexpr int kBlinkMatch = 1010;
constexpr int kBodyCount = 1011;
constexpr int kFirstGameType = kDeathmatch;
constexpr int kLastGameType = kBodyCount;

// What a game type has, as bits of its table row; code asks these, never the type's number.
enum GameTrait : unsigned {
  kTraitTeams = 1u << 0,               // two teams, each scored by its leader
  kTraitLastBallRounds = 1u << 1,      // a round ends with one ball standing
  kTraitPuck = 1u << 2,                // a puck is stepped, collided and framed
  kTraitFlags = 1u << 3,               // both teams' flags stand in the arena
  kTraitFlagCarry = 1u << 4,           // a flag is carried home
  kTraitFrameScoring = 1u << 5,        // points accrue frame by frame: the bars show the race
  kTraitCheckPointNodes = 1u << 6,     // numbered checkpoint nodes are in play
  kTraitCheckPointRace = 1u << 7,      // checkpoints are touched in order
  kTraitHeldPoints = 1u << 8,          // checkpoints are captured and held
  kTraitIt = 1u << 9,                  // one ball is it, and a collision passes it on
  kTraitAliveScores = 1u << 10,        // staying alive scores
  kTraitKillScores = 1u << 11,         // every kill scores
  kTraitPuckHitScores = 1u << 12,      // hitting the puck scores
  kTraitUnstableNodes = 1u << 13,      // every node moves as an unstable one
  kTraitBlinkNodes = 1u << 14,         // a node let go of is gone until the round ends
  kTraitOffArrows = 1u << 15,          // the level select's arrows never reach it
  kTraitBotsHuntTeammates = 1u << 16,  // bots hunt balls of their own team number
  kTraitBotsShootTeammates = 1u << 17, // bots fire the shotgun at their own team number
  kTraitNoSurvivorAwards = 1u << 18,   // the leaderboard skips the survival awards
  kTraitRespawns = 1u << 19,           // a ball that falls comes back before the round ends
};

// ---- Bot strategies --------------------------------------------------------
constexpr int kStrategyMiddle = 1001;
constexpr int kStrategySurvive = 1002;
constexpr int kStrategyObjective = 1003;

// ---- Node kinds ------------------------------------------------------------
constexpr int kNodeStill = 2000;
constexpr int kNodeOrbiter = 2001;
constexpr int kNodeSinMove = 2002;
constexpr int kNodeLinMove = 2003;
constexpr int kNodeUnstable = 2004;
constexpr int kNodeBlinkPeriodic = 2005;
constexpr int kNodeBlinkRelease = 2006;

// ---- Controllers -----------------------------------------------------------
constexpr int kHuman = 1000;
constexpr int kComputer = 1003;

// ---- Rope states (player.block) ---------------------------------------------
constexpr int kRopeFree = -1;
constexpr int kRopeRequested = -2;
constexpr int kNoNodeLetGo = -1; // player.lastBlock of a ball that has let go of nothing yet

// ---- Node checkpoint codes ---------------------------------------------------
constexpr int kNoCheckPoint = -50;
constexpr int kDominationNeutral = 6;
constexpr int kDominationOwnerStep = 5; // owner code = team * 5

// ---- Teams -----------------------------------------------------------------
constexpr int kPuckTeam = 7;
constexpr int kPuckID = 7;

// ---- Gravity modes ---------------------------------------------------------
constexpr int kGravityNormal = 0;
constexpr int kGravityPlanetary = 1;
constexpr int kGravityWhirlwind = 2;
constexpr int kGravityVacuum = 3;
constexpr float kNormalGravity = 0.005f;

// ---- Particles -------------------------------------------------------------
constexpr int kNoOwner = -1; // particle.player of a decorative particle
// particle.behaviour: how it moves (values without a name move like plain ones)
constexpr int kBehaviourPlain = 0;
constexpr int kBehaviourMatrix = 2; // rigid grid that faces its owner's flight
constexpr int kBehaviourRing = 3;   // held on a unit circle about its centre
constexpr int kBehaviourBomb = 4;   // waits for its owner to let go of the detonator
constexpr int kBehaviourWorm = 18;  // one segment of a chain
// particle.effect: what a hit does (values without a name only remove the particle)
constexpr int kEffectKnock = 0;
constexpr int kEffectShrink = 12;
constexpr int kEffectFreeze = 17;

// ---- Power-up identifiers ----------------------------------------------------
enum PowerUpID {
  kPowerNone = 0,
  kPowerNormalGravity = 1,
  kPowerPlanetaryGravity,
  kPowerWhirlwindGravity,
  kPowerReversedGravity,
  kPowerIncreasedGravity,
  kPowerReducedGravity,
  kPowerBungieRope,
  kPowerShield,
  kPowerTurboBoost,
  kPowerAllOppsShrunk,
  kPowerGrowthSpurt,
  kPowerShrinkage,
  kPowerTimeStop,
  kPowerVacuumCleaner,
  kPowerTemporalDilate,
  kPowerUntouchable,
  kPowerPhaseOut,
  kPowerTapeworm,
  kPowerUnblockable,
  kPowerNova,
  kPowerSupernova,
  kPowerAntimatter,
  kPowerParticleBeam,
  kPowerDrunkenMaster,
  kPowerParticleShield,
  kPowerSwitcheroo,
  kPowerShotgun,
  kPowerReverse,
  kPowerHomingMissile,
  kPowerTimeWarp,
  kPowerChainCharge,
  kPowerSlam,
  kPowerNovaBomb,
  kPowerOmegaOne,
  kPowerAntimatterBomb,
  kPowerMatrixShield,
  kPowerRingShield,
  kPowerFreezeRay,
  kPowerChase,
  kPowerBlinkStrike,
  kPowerMagneticShield,
  kPowerGravityShield,
  kPowerTwiddle,
  kNumPowerUps, // count sentinel: the catalogue has a row for every ID below it
  kPowerShotgunSecond = 100, // held only: the second barrel is loaded
  kPowerBombInFlight = 101,  // held only: a bomb waits for detonation
};
static_assert(kPowerTwiddle == 43, "power-up IDs are the numbers stored in prefs and set files");

// When a bot that holds a power-up uses it outright (its other uses are situational).
enum class BotUse {
  kUnset,       // no row may keep this: a new power-up must choose
  kKeep,        // never outright; held until replaced or used by a situational rule
  kAtOnce,      // as soon as it is held
  kWhenCharged, // once the supernova charge is spent
  kBelowMiddle, // while below the centre line
  kAboveMiddle, // while above the centre line
  kNearMiddle,  // while near the centre
  kMostly,      // unless the gameplay draw refuses
};

// ---- Records ---------------------------------------------------------------
struct player {
  float x[kRingSize];
  float y[kRingSize];
  float trailX, trailY;
  int frame;
  float acceleration;
  float graphicAngle;
  float anglev;
  int block;
  float *blockX, *blockY, *blockRot; // unused: the node is reached through block
  float bungie;
  float shield;
  float sizeChange;
  float mass;
  float r, g, b;
  int sprite;
  char name[kNameSize];
  char key;
  char powerUpKey;
  float hStart, vStart;
  float hvStart, vvStart;
  player *target;
  float distance;
  int lastBlock;
  int alive;
  int ai;
  int score;
  int wins;
  float moveDelay;
  int wallDelay;
  int team;
  int powerUpType;
  float radius;
  float defaultSize;
  int active;
  float turbo;
  float lifeTime;
  float slow, ghost, drunk, stop, particleBeam, freezeRay, chase, charge;
  int playerID;
  int playerKills[kRosterSize];
  int suicides;
  float maxVelocity;
  int attatches;
  int collisions;
  float timeAttatched, timeFree;
  int powerups;
  int lastHit;
  float maxSize;
  float aliveTime;
  float itTime;
  float supernovaCharge;
  float gravShield;
  float magShield;
  float unblockable;
  char sound[kSoundNameSize];
};

struct block {
  float h, v;
  float period;
  float position;
  float h1, v1;
  float h2, v2;
  float rot, rotv;
  int checkPoint;
  int powerUp;
  float blink;
  int type;
};

struct wall {
  float h1, v1, h2, v2;
  float elasticity;
  int isFlipper;
  float defaultH2, defaultV2;
  float currentAngle;
  int goingUp;
  float flipAngle;
  float flipSpeed;
};

struct flag {
  float h, v;
  float hstart, vstart;
  float downTime;
};

struct message {
  float h, v;
  float hv, vv;
  float lifetime;
  float *hCenter, *vCenter;
  int *flagP;
  int flagV;
  const char *text;
};

struct messList {
  message head;
  messList *tail;
};

struct particle {
  float h, v;
  float oldH, oldV;
  float r, g, b, a;
  float lifetime;
  int motionless;
  float *hCenter, *vCenter;
  float offH, offV;
  int player;
  float mass;
  particle *next, *prev;
  int behaviour;
  int effect;
};

struct partList {
  particle head;
  partList *tail;
};

// Current and previous ring slots of a ball.
inline int curSlot(const player *p) { return ((p->frame % kRingSize) + kRingSize) % kRingSize; }
inline int prevSlot(const player *p) { return (curSlot(p) + kRingSize - 1) % kRingSize; }

// A ball's place this frame and its last step, as its ring holds them. The
// const forms read; the others give the place itself, to move the ball.
struct Vec {
  float h, v;
};
inline float posH(const player *p) { return p->x[curSlot(p)]; }
inline float posV(const player *p) { return p->y[curSlot(p)]; }
inline float &posH(player *p) { return p->x[curSlot(p)]; }
inline float &posV(player *p) { return p->y[curSlot(p)]; }
inline Vec posOf(const player *p) { return {p->x[curSlot(p)], p->y[curSlot(p)]}; }
inline float velH(const player *p) { return p->x[curSlot(p)] - p->x[prevSlot(p)]; }
inline float velV(const player *p) { return p->y[curSlot(p)] - p->y[prevSlot(p)]; }
inline Vec velOf(const player *p) { return {velH(p), velV(p)}; }
