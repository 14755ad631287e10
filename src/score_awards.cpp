// The end-of-match rules: the leaderboard's order and the awards; nothing here draws.
#include "TethrixExtern.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

char awards[kAwardLines][kAwardLineSize];
int awardLines = 0;

// ---- Leaderboard order -------------------------------------------------------------------
// Filled once with the roster and re-sorted in place, so equal scores keep
// the order of the last leaderboard shown.
player *sortedPlayers[kMaxPlayers];
int sortedCount = 0;
bool awardsComputed = false; // awards may rightly be none; that is not "not yet"

namespace {

std::vector<player *> sortScratch;

int sortKey(const player *p) { return p->active ? p->score : 0; }

void mergeHalves(int start, int mid, int end, player **array) {
  if (sortScratch.size() < static_cast<size_t>(end)) sortScratch.resize(end);
  int left = start, right = mid;
  for (int k = start; k < end; k++) {
    const bool takeLeft =
        left < mid && (right >= end || sortKey(array[right]) <= sortKey(array[left]));
    sortScratch[k] = takeLeft ? array[left++] : array[right++];
  }
  for (int k = start; k < end; k++)
    array[k] = sortScratch[k];
}

} // namespace

void fillSortBuffer() {
  if (sortedCount == numPlayers) return;
  for (int i = 0; i < numPlayers && i < kMaxPlayers; i++)
    sortedPlayers[i] = players[i];
  sortedCount = numPlayers < kMaxPlayers ? numPlayers : kMaxPlayers;
}

void forgetAwards() {
  awardLines = 0;
  awardsComputed = false;
}

void sortPlayers(int start, int end, player **array) {
  if (end - start < 2) return;
  const int mid = start + (end - start) / 2;
  sortPlayers(start, mid, array);
  sortPlayers(mid, end, array);
  mergeHalves(start, mid, end, array);
}

int LeaderBoardStandings(char lines[][kAwardLineSize], int maxLines) {
  fillSortBuffer();
  sortPlayers(0, sortedCount, sortedPlayers);
  if (sortedCount == 0 || maxLines <= 0) return 0;
  int n = 0;
  std::snprintf(lines[n++], kAwardLineSize, "%s Wins!", sortedPlayers[0]->name);
  for (int i = 0; i < sortedCount && i < kRosterSize && n < maxLines; i++) {
    const player *p = sortedPlayers[i];
    if (p->active)
      std::snprintf(lines[n++], kAwardLineSize, "%s:%i points; %i wins", p->name, p->score,
                    p->wins);
  }
  return n;
}

void ResetLeaderBoard() {
  forgetAwards();
  sortedCount = 0;
}

// ---- Awards --------------------------------------------------------------------------------
namespace {

constexpr int kTeamSize = 3; // roster positions 0-2 and 3-5 are the teams the awards know

// Thresholds of the award table.
constexpr int kMinSlaughter = 1, kMinDeaths = 1, kMinMerit = 1; // more than these
constexpr int kNoMerit = 10000;                                 // above any merit
constexpr int kMinSuicides = 3, kMinAttaches = 100, kMinCollisions = 20;
constexpr int kChickenLimit = 50; // fewer collisions than this
constexpr int kMiserMargin = 2, kMinPowerUps = 3, kMinVendetta = 3;
constexpr float kMinSpeed = 0.1f, kMinMass = 2.0f, kShownScale = 100.0f;
constexpr int kKillMerit = 3, kSuicideMerit = 3;

// The running values the searches share: a search that resets best leaves
// cand and tie as the search before it left them.
struct Search {
  int best = 0;
  float fbest = 0;
  int cand = 0;
  bool tie = false;
  void lead(int i, int value) { cand = i, best = value, tie = false; }
  void lead(int i, float value) { cand = i, fbest = value, tie = false; }
};

__attribute__((format(printf, 1, 2))) void addAward(const char *format, ...) {
  if (awardLines >= kAwardLines) return; // the table is full
  va_list args;
  va_start(args, format);
  std::vsnprintf(awards[awardLines], kAwardLineSize, format, args);
  va_end(args);
  awardLines++;
}

const char *nameOf(int i) { return players[i]->name; }
// "Six" searches never run past the roster.
int sixBalls() { return numPlayers < kRosterSize ? numPlayers : kRosterSize; }
int rosterTeam(int i) { return i / kTeamSize; }

int killsOf(int i) {
  int n = 0;
  for (int j = 0; j < kRosterSize; j++)
    n += players[i]->playerKills[j];
  return n;
}

// Only the six roster balls have a kill column; any other ball was never killed.
int deathsOf(int v) {
  if (v < 0 || v >= kRosterSize) return 0;
  int n = 0;
  for (int k = 0; k < numPlayers; k++)
    n += players[k]->playerKills[v];
  return n;
}

// Team kills cost as much as enemy kills earn.
int meritOf(int i) {
  const player *p = players[i];
  int kills = 0;
  for (int j = 0; j < kRosterSize; j++) {
    const bool teammate = isTeamGame() && rosterTeam(i) == rosterTeam(j);
    kills += teammate ? -p->playerKills[j] : p->playerKills[j];
  }
  return kKillMerit * kills + p->collisions - kSuicideMerit * p->suicides;
}

int suicidesOf(int i) { return players[i]->suicides; }
int attachesOf(int i) { return players[i]->attatches; }
int collisionsOf(int i) { return players[i]->collisions; }
int powerUpsOf(int i) { return players[i]->powerups; }

// The most of something: a larger value leads, an equal one ties when ties count.
void searchMost(Search &s, int count, int (*value)(int), bool ties) {
  for (int i = 0; i < count; i++) {
    const int v = value(i);
    if (v > s.best)
      s.lead(i, v);
    else if (ties && v == s.best)
      s.tie = true;
  }
}

// The least of something among the active balls; an equal value ties, active
// or not, unless activeTies asks for active balls only.
void searchLeastActive(Search &s, int count, int (*value)(int), bool activeTies) {
  for (int i = 0; i < count; i++) {
    const int v = value(i);
    const bool active = players[i]->active != 0;
    if (v < s.best && active)
      s.lead(i, v);
    else if (v == s.best && (active || !activeTies))
      s.tie = true;
  }
}

void slaughtererAward(Search &s) {
  s.best = 0;
  searchMost(s, numPlayers, killsOf, true);
  if (s.best > kMinSlaughter && !s.tie)
    addAward("%s gets the Slaughterer Award (%i kills)", nameOf(s.cand), s.best);
}

void kennyAndSurvivorAwards(Search &s) {
  s.best = 0;
  searchMost(s, numPlayers, deathsOf, true);
  if (s.best > kMinDeaths && !s.tie)
    addAward("%s gets the Kenny Award (%i deaths)", nameOf(s.cand), s.best);
  for (int i = 0; i < numPlayers; i++) { // from the most deaths down, active or not
    const int v = deathsOf(i);
    if (v < s.best)
      s.lead(i, v);
    else if (v == s.best)
      s.tie = true;
  }
  if (!s.tie) addAward("%s gets the Survivor Award (%i deaths)", nameOf(s.cand), s.best);
}

void meritAwards(Search &s) {
  s.best = 0;
  searchMost(s, numPlayers, meritOf, true);
  if (s.best > kMinMerit && !s.tie) addAward("%s was the player of the match", nameOf(s.cand));
  s.best = kNoMerit;
  searchLeastActive(s, sixBalls(), meritOf, true);
  if (!s.tie) addAward("%s gets the Uselessness award", nameOf(s.cand));
}

void habitAwards(Search &s) {
  s.best = 0;
  searchMost(s, sixBalls(), suicidesOf, true);
  if (s.best > kMinSuicides && !s.tie)
    addAward("%s is bored with life (%i suicides)", nameOf(s.cand), s.best);
  s.best = 0;
  searchMost(s, sixBalls(), attachesOf, false);
  if (s.best > kMinAttaches)
    addAward("%s gets the Broken Keyboard Award (atached %i times)", nameOf(s.cand), s.best);
}

// Chicken starts from Snooker's maximum and candidate: with nobody active
// below it, the candidate left by the searches before goes home with it.
void collisionAwards(Search &s) {
  s.best = 0;
  searchMost(s, sixBalls(), collisionsOf, true);
  if (s.best > kMinCollisions && !s.tie)
    addAward("%s gets the Snooker Award for causing %i collisions", nameOf(s.cand), s.best);
  searchLeastActive(s, sixBalls(), collisionsOf, false);
  if (s.best >= kChickenLimit) return;
  if (s.best == 0)
    addAward("%s gets the Golden Chicken Award, for fleeing all collisions", nameOf(s.cand));
  else
    addAward("%s gets the Silver Chicken Award for fleeing all but %i collisions", nameOf(s.cand),
             s.best);
}

// Only a clear lead of more than two over the best so far counts, and anyone
// within two of the best spoils it.
void miserAward(Search &s) {
  s.best = 0;
  for (int i = 0; i < sixBalls(); i++) {
    const int v = powerUpsOf(i);
    if (v > s.best + kMiserMargin)
      s.lead(i, v);
    else if (v >= s.best - kMiserMargin)
      s.tie = true;
  }
  if (s.best > kMinPowerUps && !s.tie)
    addAward("%s gets the Miser Award, getting %i powerups", nameOf(s.cand), s.best);
}

void vendettaAward(Search &s) {
  s.best = 0;
  int victim = 0;
  for (int i = 0; i < sixBalls(); i++)
    for (int j = 0; j < sixBalls(); j++)
      if (players[i]->playerKills[j] > s.best) {
        s.lead(i, players[i]->playerKills[j]);
        victim = j;
      }
  if (s.best <= kMinVendetta) return;
  if (isTeamGame() && rosterTeam(s.cand) == rosterTeam(victim))
    addAward("%s gets the Golden Llama Award (killed his teammate %s %i times)", nameOf(s.cand),
             nameOf(victim), s.best);
  else
    addAward("%s gets the Vendetta Award (killed %s %i times)", nameOf(s.cand), nameOf(victim),
             s.best);
}

void searchMostFloat(Search &s, float player::*field) {
  s.fbest = 0;
  for (int i = 0; i < sixBalls(); i++)
    if (players[i]->*field > s.fbest) s.lead(i, players[i]->*field);
}

void physiqueAwards(Search &s) {
  searchMostFloat(s, &player::maxVelocity);
  if (s.fbest > kMinSpeed)
    addAward("%s gets the Supersonic Award, with a top speed of %.1f", nameOf(s.cand),
             s.fbest * kShownScale);
  searchMostFloat(s, &player::maxSize);
  if (s.fbest > kMinMass)
    addAward("%s gets the Fatass award for a peak mass of %.1f", nameOf(s.cand),
             s.fbest * kShownScale);
}

// What the searches above clear: the next match counts from zero.
void clearMatchStatistics() {
  for (int i = 0; i < sixBalls(); i++) {
    player *p = players[i];
    p->suicides = p->attatches = p->collisions = p->powerups = 0;
    for (int &kills : p->playerKills)
      kills = 0;
    p->maxVelocity = p->maxSize = 0;
  }
}

} // namespace

void GenerateAwards() {
  awardLines = 0;
  awardsComputed = true;
  if (numPlayers <= 0) return;
  Search s;
  if (!GameHas(kTraitKillScores)) slaughtererAward(s);
  if (!GameHas(kTraitNoSurvivorAwards)) kennyAndSurvivorAwards(s);
  meritAwards(s);
  habitAwards(s);
  collisionAwards(s);
  miserAward(s);
  vendettaAward(s);
  physiqueAwards(s);
  clearMatchStatistics();
}
