// tethrix-sim --tournament: whole bot matches on every level and game type, and what they did.
#include "sim_tournament.h"

#include "TethrixExtern.h"
#include "gl/headless.h"
#include "sim_fairness.h"
#include "sim_world.h"

#include <nlohmann/json.hpp>

#include <chrono>
#include <fstream>
#include <map>
#include <sys/resource.h>
#include <vector>

namespace {

using nlohmann::json;

constexpr double kFramesPerMinute = 40 * 60; // at the game's own frame rate
constexpr long kDefaultFrameCap = 30000;

struct Tally {
  int level = 0;
  std::string levelName;
  int type = 0;
  int target = 0; // the level's own winning score with --own-type; 0: the type's
  int matches = 0, ended = 0;
  long framesToEnd = 0; // summed over the matches that ended
  long firstDeath = 0;  // frames to the first ball lost, summed (a match without one counts whole)
  long frames = 0;      // every frame played
  double seconds = 0;   // spent running them
  std::map<std::string, int> winners;
  int teamWins[2] = {0, 0};        // red, blue: team games only
  std::vector<int> slotWins;       // by roster slot: the other types
  std::vector<std::string> slotNames;
  long kills = 0, suicides = 0, collisions = 0, collected = 0, used = 0, objective = 0;
  std::vector<unsigned> cutOff; // seeds of the matches the frame cap ended
};

void setEveryPowerUpFrequency(int n) {
  powerUpsInList = 0;
  for (int id = kPowerNormalGravity; id < kNumPowerUps; id++) {
    powerUpFrequency[id] = n;
    for (int k = 0; k < n && powerUpsInList < kPowerUpListSize; k++)
      powerUpList[powerUpsInList++] = id;
  }
}

// As the level select starts a match of the chosen type, with all six balls as bots.
void startMatch(int level, int type, int target, unsigned seed, const TournamentOptions &o) {
  SimStartup(seed, level);
  if (o.powerUpFrequency >= 0) setEveryPowerUpFrequency(o.powerUpFrequency);
  if (o.swapTeams) SimSwapTeamSides();
  if (o.rotateStarts != 0) SimRotateStarts(o.rotateStarts);
  for (int i = 0; i < numPlayers; i++) {
    players[i]->active = 1;
    players[i]->ai = kComputer;
  }
  playerPresent = 0;
  gameType = type;
  maxScore = target != 0 ? target : gameScores[type - kFirstGameType];
  if (GameTypeHas(type, kTraitUnstableNodes)) PrepareUnstableMatch();
  ResetPositions();
  SimInstallCallbacks();
  SimClockInstall();
  ClearBotPowerUpUses();
}

// Domination nodes taken this frame: an owner code that differs from the frame before.
long countCaptures(std::vector<int> &owners) {
  long taken = 0;
  const int nodes = blockNum + 1 < kMaxBlocks ? blockNum + 1 : kMaxBlocks;
  owners.resize(nodes > 0 ? nodes : 0, kNoCheckPoint);
  for (int i = 0; i < nodes; i++) {
    const int code = blocks[i].checkPoint;
    const bool owned = code == 0 || code == kDominationOwnerStep;
    if (owned && code != owners[i]) taken++;
    owners[i] = code;
  }
  return taken;
}

// The roster slot of the match's winner (a team's leader in a team game); -1: nobody.
int winnerSlot() {
  for (int i = 0; i < numPlayers; i++)
    if (players[i]->wins != 0) return i;
  return -1;
}

void countWinner(Tally &t) {
  const int slot = winnerSlot();
  if (slot < 0) return;
  if (isTeamGame()) {
    const int team = players[slot]->team;
    if (team == 0 || team == 1) t.teamWins[team]++;
    return;
  }
  if (t.slotWins.size() < static_cast<size_t>(numPlayers)) t.slotWins.resize(numPlayers, 0);
  t.slotWins[slot]++;
  t.slotNames.clear();
  for (int i = 0; i < numPlayers; i++) t.slotNames.push_back(players[i]->name);
}

std::string winnerName() {
  for (int i = 0; i < numPlayers; i++) {
    if (players[i]->wins == 0) continue;
    if (!isTeamGame()) return players[i]->name;
    return players[i]->team == 0 ? "red team" : "blue team";
  }
  return "nobody";
}

long objectiveCount() {
  long n = 0;
  for (int i = 0; i < numPlayers; i++) n += players[i]->score;
  return n; // team points all sit with the two leaders
}

void addMatchStatistics(Tally &t, long captures) {
  for (int i = 0; i < numPlayers; i++) {
    const player *p = players[i];
    for (int k : p->playerKills) t.kills += k;
    t.suicides += p->suicides;
    t.collisions += p->collisions;
    t.collected += p->powerups;
  }
  t.used += BotPowerUpUses();
  if (GameHas(kTraitHeldPoints) || GameHas(kTraitIt))
    t.objective += captures; // counted frame by frame as the match ran
  else if (GameTypeObjective(gameType))
    t.objective += objectiveCount();
}

bool anyBallLost() {
  for (int i = 0; i < numPlayers; i++)
    if (players[i]->active && !players[i]->alive) return true;
  return false;
}

// One match to its leaderboard or to the cap; returns the frames it ran.
long playMatch(Tally &t, unsigned seed, const TournamentOptions &o, long cap) {
  startMatch(t.level, t.type, t.target, seed, o);
  t.levelName = levelname;
  std::vector<int> owners;
  long captures = 0, f = 0, firstDeath = -1;
  const player *lastIt = it;
  bool ended = false;
  const auto t0 = std::chrono::steady_clock::now();
  while (f < cap && !ended) {
    SimFrame();
    f++;
    if (GameHas(kTraitHeldPoints)) captures += countCaptures(owners);
    if (GameHas(kTraitIt) && it != lastIt) {
      if (it != nullptr && lastIt != nullptr) captures++; // "it" passed from one ball to another
      lastIt = it;
    }
    if (firstDeath < 0 && anyBallLost()) firstDeath = f;
    ended = headlessState().display == LeaderBoard;
  }
  t.seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  t.matches++;
  t.frames += f;
  t.firstDeath += firstDeath < 0 ? f : firstDeath;
  if (ended) {
    t.ended++;
    t.framesToEnd += f;
    t.winners[winnerName()]++;
    countWinner(t);
  } else {
    t.cutOff.push_back(seed);
  }
  addMatchStatistics(t, captures);
  return f;
}

std::string spread(const std::map<std::string, int> &winners) {
  std::string s;
  for (const auto &w : winners) s += (s.empty() ? "" : ", ") + w.first + " " + std::to_string(w.second);
  return s.empty() ? "-" : s;
}

std::string meanFrames(const Tally &t) {
  return t.ended ? std::to_string(t.framesToEnd / t.ended) : "-";
}

double framesPerSecond(const Tally &t) { return t.seconds > 0 ? t.frames / t.seconds : 0; }

long meanFirstDeath(const Tally &t) { return t.matches ? t.firstDeath / t.matches : 0; }

const char kTeamTest[] = "exact two-sided binomial test, p = 1/2, flagged under 5%";
const char kSlotTest[] = "Pearson chi-square test, slots - 1 degrees of freedom, flagged under 5%";

bool teamType(const Tally &t) { return GameTypeHas(t.type, kTraitTeams); }
int decided(const Tally &t) { return t.teamWins[0] + t.teamWins[1]; }
bool flagged(const Tally &t) {
  return teamType(t) ? TeamShareFlagged(t.teamWins[0], decided(t)) : SlotSpreadFlagged(t.slotWins);
}

void printFairness(FILE *out, const Tally &t) {
  const char *mark = flagged(t) ? "  FLAGGED" : "";
  if (teamType(t)) {
    const int n = decided(t);
    std::fprintf(out, "    fairness: red team %d, blue team %d of %d won; red share %.2f; p = %.4f%s\n",
                 t.teamWins[0], t.teamWins[1], n, n ? static_cast<double>(t.teamWins[0]) / n : 0.5,
                 TwoSidedBinomialP(t.teamWins[0], n), mark);
    return;
  }
  std::string slots;
  for (size_t i = 0; i < t.slotWins.size() && i < t.slotNames.size(); i++)
    slots += (i ? ", " : "") + t.slotNames[i] + " " + std::to_string(t.slotWins[i]);
  std::fprintf(out, "    fairness by roster slot: %s; p = %.4f%s\n", slots.empty() ? "-" : slots.c_str(),
               ChiSquareEvenP(t.slotWins), mark);
}

void printFlags(FILE *out, const std::vector<Tally> &tallies) {
  std::string list;
  for (const Tally &t : tallies)
    if (flagged(t))
      list += (list.empty() ? "" : ", ") + std::string("level ") + std::to_string(t.level) + " " +
              GameTypeName(t.type);
  std::fprintf(out, "\nfairness flagged: %s\n", list.empty() ? "none" : list.c_str());
}

void printTable(FILE *out, const std::vector<Tally> &tallies, long cap) {
  int level = -1;
  for (const Tally &t : tallies) {
    if (t.level != level) {
      level = t.level;
      std::fprintf(out, "\nLevel %d: %s\n", t.level, t.levelName.c_str());
      std::fprintf(out, "  %-20s %5s %7s  %-34s %6s %8s %10s %9s %5s  %-16s %8s %9s\n", "game type",
                   "ended", "frames", "winners", "kills", "suicides", "collisions", "collected",
                   "used", "objective", "frames/s", "1st death");
    }
    const char *what = GameTypeObjective(t.type);
    const std::string objective = what ? std::to_string(t.objective) + " " + what : "-";
    const std::string ended = std::to_string(t.ended) + "/" + std::to_string(t.matches);
    std::fprintf(out, "  %-20s %5s %7s  %-34s %6ld %8ld %10ld %9ld %5ld  %-16s %8.0f %9ld\n",
                 GameTypeName(t.type), ended.c_str(), meanFrames(t).c_str(), spread(t.winners).c_str(),
                 t.kills, t.suicides, t.collisions, t.collected, t.used, objective.c_str(),
                 framesPerSecond(t), meanFirstDeath(t));
    printFairness(out, t);
    for (unsigned seed : t.cutOff)
      std::fprintf(out, "    not over after %ld frames: seed %u\n", cap, seed);
  }
}

json tallyJson(const Tally &t) {
  json j = {{"level", t.level}, {"levelName", t.levelName}, {"gameType", t.type},
            {"gameTypeName", GameTypeName(t.type)},
            {"target", t.target != 0 ? t.target : gameScores[t.type - kFirstGameType]},
            {"matches", t.matches}, {"ended", t.ended},
            {"meanFramesToEnd", nullptr}, {"winners", t.winners}, {"kills", t.kills},
            {"suicides", t.suicides}, {"collisions", t.collisions},
            {"powerUpsCollected", t.collected}, {"powerUpsUsed", t.used},
            {"objective", nullptr}, {"objectiveCount", t.objective},
            {"framesPerSecond", framesPerSecond(t)}, {"meanFramesToFirstDeath", meanFirstDeath(t)},
            {"cutOffSeeds", t.cutOff}};
  if (t.ended) j["meanFramesToEnd"] = static_cast<double>(t.framesToEnd) / t.ended;
  if (GameTypeObjective(t.type)) j["objective"] = GameTypeObjective(t.type);
  if (teamType(t)) {
    j["teamWins"] = {{"red team", t.teamWins[0]}, {"blue team", t.teamWins[1]}};
    j["teamShareP"] = TwoSidedBinomialP(t.teamWins[0], decided(t));
  } else {
    j["slotWins"] = t.slotWins;
    j["slotSpreadP"] = ChiSquareEvenP(t.slotWins);
  }
  j["fairnessFlagged"] = flagged(t);
  return j;
}

long peakResidentKiB() {
  struct rusage usage {};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss; // kilobytes on Linux
}

bool writeJson(const std::string &file, const std::vector<Tally> &tallies,
               const TournamentOptions &o, long cap, long played) {
  json results = json::array();
  for (const Tally &t : tallies) results.push_back(tallyJson(t));
  json doc = {{"frameCap", cap}, {"matchesPerType", o.matches}, {"framesPlayed", played},
              {"peakResidentKiB", peakResidentKiB()}, {"swapTeams", o.swapTeams},
              {"rotateStarts", o.rotateStarts},
              {"teamShareTest", kTeamTest}, {"slotSpreadTest", kSlotTest}, {"results", results}};
  std::ofstream f(file);
  f << doc.dump(2) << "\n";
  return static_cast<bool>(f);
}

// The levels and types to play; false (reported) when the list lacks what was asked for.
bool chooseSweep(const TournamentOptions &o, std::vector<Tally> &sweep) {
  SimStartup(o.seed, 0);
  if (o.level > numLevels) {
    std::fprintf(stderr, "tethrix-sim: the level list has levels 0 to %d\n", numLevels);
    return false;
  }
  if (o.gameType != 0 && (o.gameType < kFirstGameType || o.gameType > kLastGameType)) {
    std::fprintf(stderr, "tethrix-sim: game types run from %d to %d\n", kFirstGameType, kLastGameType);
    return false;
  }
  const int lastLevel = numLevels;
  for (int level = 0; level <= lastLevel; level++) {
    if (o.level >= 0 && level != o.level) continue;
    int own = 0, ownTarget = 0;
    if (o.ownType) { // what the level's own game-type line says, as the level select keeps it
      currentLevel = level;
      ReadLevelFile(defaultLevels);
      own = gameType;
      ownTarget = maxScore;
    }
    for (int type = kFirstGameType; type <= kLastGameType; type++) {
      const bool chosen = o.ownType    ? type == own
                          : o.gameType ? type == o.gameType
                                       : gameScores[type - kFirstGameType] != 0;
      if (!chosen) continue;
      Tally t;
      t.level = level;
      t.type = type;
      if (o.ownType) t.target = ownTarget;
      sweep.push_back(t);
    }
  }
  return true;
}

// Without a cap of its own, a sweep toward a total gives each match an equal share of it.
long frameCap(const TournamentOptions &o, size_t sweepSize) {
  if (o.frames >= 0) return o.frames;
  const long matches = static_cast<long>(sweepSize) * o.matches;
  if (o.totalFrames <= 0 || matches <= 0) return kDefaultFrameCap;
  return (o.totalFrames + matches - 1) / matches;
}

} // namespace

int RunTournament(const TournamentOptions &o, FILE *out) {
  std::vector<Tally> tallies;
  if (!chooseSweep(o, tallies)) return 2;
  const long cap = frameCap(o, tallies.size());
  unsigned seed = o.seed;
  long played = 0;
  do {
    const long before = played;
    for (Tally &t : tallies)
      for (int m = 0; m < o.matches; m++) played += playMatch(t, seed++, o, cap);
    if (played == before) break; // a cap of 0 frames would sweep for ever
  } while (played < o.totalFrames);
  std::fprintf(out, "Fairness: a team type's share of decided matches, %s; a free-for-all's wins "
                   "by roster slot, %s. Matches cut off count for neither.\n", kTeamTest, kSlotTest);
  if (o.swapTeams)
    std::fprintf(out, "Teams swapped: each red ball takes the start of the blue ball three roster "
                      "slots on, and the flags trade places; red still moves first.\n");
  if (o.rotateStarts != 0)
    std::fprintf(out, "Starts rotated by %d: each ball takes the start line of the ball that many "
                      "roster slots on; the roster order stays.\n", o.rotateStarts);
  printTable(out, tallies, cap);
  printFlags(out, tallies);
  std::fprintf(out, "\nframes played: %ld (%.1f minutes of game time)\n", played, played / kFramesPerMinute);
  std::fprintf(out, "peak resident memory: %.1f MiB\n", peakResidentKiB() / 1024.0);
  ResetWorld();
  if (!o.json.empty() && !writeJson(o.json, tallies, o, cap, played)) {
    std::fprintf(stderr, "tethrix-sim: cannot write %s\n", o.json.c_str());
    return 1;
  }
  return 0;
}
