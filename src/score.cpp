// Round and score rules: who scores, when a round ends, when a dead ball comes back, who wins.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <climits>
#include <cmath>

namespace {

constexpr int kRedTeam = 0;
constexpr int kBlueTeam = 1;
constexpr int kMatchEndFactor = 3;         // the target moves out of reach while the board shows
constexpr float kReachSquared = 0.25f;     // within 0.5 of a flag or goal
constexpr float kCarrierStun = 5.0f;       // a carrier stunned longer than this loses the flag
constexpr float kItLongEnough = 30.0f;     // frames as it before a respawning ball takes over
constexpr int kScoreCeiling = INT_MAX - 1; // room for the point AddPoint adds

// The respawn countdown runs in moveDelay, once a frame.
constexpr float kCountdownIdle = -1.0f; // above this the countdown has not begun
constexpr float kCountdownStart = -10.0f;
constexpr float kCountdownLast = -15.0f; // below this the ball is back

constexpr int kRaceSparks = 20;
constexpr float kRaceSparkSpread = 0.02f;
constexpr int kRaceSparkLife = 50;

bool within(float h1, float v1, float h2, float v2) {
  const float dh = h1 - h2, dv = v1 - v2;
  return dh * dh + dv * dv < kReachSquared;
}

bool atHome(const flag &f) { return f.h == f.hstart && f.v == f.vstart; }

void sendHome(flag &f) {
  f.h = f.hstart;
  f.v = f.vstart;
}

// The roster entry a point goes to; none for the puck or a stray record.
player *scorer(const player *p) {
  if (!p || p->playerID < 0 || p->playerID >= numPlayers) return nullptr;
  return players[p->playerID];
}

player *leaderOf(int team) { return team >= 0 && team < kMaxTeams ? teamLeaders[team] : nullptr; }

const char *teamLine(const player *p) { return p->team == kRedTeam ? "RedTeam" : "BlueTeam"; }

bool lastBallStandingGame() { return GameHas(kTraitLastBallRounds); }

void announceRound(player *p) {
  const char *teamPoint = GameTypeTeamPoint(gameType);
  if (lastBallStandingGame()) {
    if (p != champion) {
      champion = p;
      championWins = 0;
    }
    championWins++;
    PlaySoundFileAnnouncer(p->sound);
    PlaySoundFileAnnouncer("HasWonTheRound");
  } else if (teamPoint) {
    PlaySoundFileAnnouncer(teamLine(p));
    PlaySoundFileAnnouncer(teamPoint);
  } else {
    return; // the other types score silently
  }
  backRed = p->r; // the flash of an announced point
  backGreen = p->g;
  backBlue = p->b;
}

int tripled(int target) {
  if (target > INT_MAX / kMatchEndFactor) return INT_MAX;
  if (target < INT_MIN / kMatchEndFactor) return INT_MIN;
  return target * kMatchEndFactor;
}

void endMatch(player *p) {
  p->wins++;
  maxScore = tripled(maxScore);
  ShowScreen(kScreenLeaderBoard);
  if (isTeamGame()) PlaySoundFileAnnouncer(teamLine(p));
  PlaySoundFileAnnouncer(p->sound);
  PlaySoundFileAnnouncer("HasWonTheMatch");
}

// What follows every point: the match-end test and the winner's tint.
void settlePoint(player *p) {
  if (p->score >= maxScore && arcadeMode == 0) endMatch(p);
  backgroundColor[0] = 0.75f + 0.25f * p->r;
  backgroundColor[1] = 0.75f + 0.25f * p->g;
  backgroundColor[2] = 0.75f + 0.25f * p->b;
  borderRed = p->r;
  borderGreen = p->g;
  borderBlue = p->b;
}

// Counted in frames, not ticks. True in the frame the ball is put back.
bool respawn(player *p) {
  if (p->moveDelay > kCountdownIdle) {
    p->moveDelay = kCountdownStart;
  } else if (p->moveDelay < kCountdownLast) {
    p->moveDelay = 0;
    ResetPlayer(p);
    return true;
  } else {
    p->moveDelay -= 1;
  }
  return false;
}

void respawnTheDead() {
  for (int i = 0; i < numPlayers; i++)
    if (players[i]->active && !players[i]->alive) respawn(players[i]);
}

// ---- Rounds --------------------------------------------------------------------------
bool lastBallStanding() {
  if (!lastBallStandingGame()) return false;
  int standing = 0;
  for (int i = 0; i < numPlayers; i++)
    if (players[i]->alive && players[i]->active) standing++;
  if (standing != 1) return standing == 0;
  for (int i = 0; i < numPlayers; i++)
    if (players[i]->alive) AddPoint(players[i]); // only the active survivor takes it
  return true;
}

// A team without an active ball counts as wiped out on every frame.
bool teamWipedOut() {
  bool over = false;
  if (!teamAlive(kRedTeam)) {
    AddPoint(leaderOf(kBlueTeam));
    over = true;
  }
  if (!teamAlive(kBlueTeam)) {
    AddPoint(leaderOf(kRedTeam));
    over = true;
  }
  return over;
}

// ---- Capture the flag, air hockey -------------------------------------------------------
void carryFlag(player *b, int team) {
  flag &theirs = flags[1 - team];
  flag &ours = flags[team];
  if (!within(posH(b), posV(b), theirs.h, theirs.v)) return;
  theirs.h = posH(b);
  theirs.v = posV(b);
  theirs.downTime = 0;
  if (b->moveDelay > kCarrierStun) sendHome(theirs);
  if (within(theirs.h, theirs.v, ours.h, ours.v) && atHome(ours)) {
    sendHome(theirs);
    sendHome(ours);
    AddPoint(leaderOf(team));
  }
}

void scoreCaptureTheFlag() {
  for (int i = 0; i < numPlayers; i++) {
    player *b = players[i];
    const int team = b->team;
    if (!b->active || (team != kRedTeam && team != kBlueTeam)) continue; // two flags only
    if (!b->alive)
      respawn(b);
    else
      carryFlag(b, team);
  }
}

// The puck in a team's goal scores for the other team.
void scoreGoals() {
  if (!puck) return;
  if (within(posH(puck), posV(puck), flags[kBlueTeam].h, flags[kBlueTeam].v)) {
    ResetPlayer(puck);
    AddPoint(leaderOf(kRedTeam));
  }
  if (within(posH(puck), posV(puck), flags[kRedTeam].h, flags[kRedTeam].v)) {
    ResetPlayer(puck);
    AddPoint(leaderOf(kBlueTeam));
  }
}

// ---- Frame-by-frame types ------------------------------------------------------------------
// The gain grows with the time alive; truncated toward zero as an int.
int enduranceScore(const player *p) {
  const float next = p->score + p->aliveTime * speedMult - 1;
  if (next >= static_cast<float>(kScoreCeiling)) return kScoreCeiling;
  return static_cast<int>(next);
}

void scoreEndurance() {
  for (int i = 0; i < numPlayers; i++) {
    player *b = players[i];
    if (!b->active) continue;
    if (!b->alive) respawn(b);
    if (!paused) {
      b->score = enduranceScore(b);
      AddPoint(b);
    }
    b->aliveTime += speedMult;
  }
}

// The first "it" of a tag match starts behind everyone, so the roster's first ball must not
// always be it: the seed picks, without a draw, so every later draw comes as before.
player *activeBallPickedBySeed() {
  int active = 0;
  for (int i = 0; i < numPlayers; i++) active += players[i]->active ? 1 : 0;
  if (active == 0) return nullptr;
  int pick = gameRandPeek() % active;
  for (int i = 0; i < numPlayers; i++)
    if (players[i]->active && pick-- == 0) return players[i];
  return nullptr;
}

// "it" goes through the end of AddPoint without gaining.
void passItThrough() {
  player *p = scorer(it);
  if (!p || paused || !p->active) return;
  settlePoint(p);
}

void scoreTag() {
  if (!it) { // a tag level starts with nobody it
    it = activeBallPickedBySeed();
    if (it) it->itTime = 0;
  }
  for (int i = 0; i < numPlayers; i++) {
    player *b = players[i];
    const bool back = b->active && !b->alive && respawn(b);
    if (back && it && it->itTime > kItLongEnough) {
      it = b;
      b->itTime = 0;
    }
    if (b != it) AddPoint(b);
    passItThrough();
  }
  if (it) it->itTime += 1;
}

// Each owned node is worth a point a frame to its team.
void scoreDomination() {
  for (int i = 0; i <= blockNum && i < kMaxBlocks; i++) {
    for (int team : {kRedTeam, kBlueTeam})
      if (blocks[i].checkPoint == team * kDominationOwnerStep) AddPoint(leaderOf(team));
  }
  respawnTheDead();
}

// ---- Race ------------------------------------------------------------------------------------
int nextCheckPoint(const player *p) { return p->score % numCheckPoints + 1; }

void raceSparks(const player *p, int checkPoint) {
  block *target = findNode(posH(p), posV(p), checkPoint);
  if (!target) return; // a number the level lacks draws nothing
  NewParticles(kRaceSparks, posH(p), 0, posV(p), 0, p->r, p->g, p->b, kRaceSparkSpread, &target->h,
               &target->v, kRaceSparkLife);
}

void touchCheckPoint(player *p) {
  if (numCheckPoints <= 0 || p->block < 0 || p->block > blockNum || p->block >= kMaxBlocks) return;
  const int touched = blocks[p->block].checkPoint;
  if (touched != nextCheckPoint(p)) return;
  const int before = p->score;
  AddPoint(p);
  if (p->score == before) return; // paused: held on the checkpoint, it must not spray each frame
  raceSparks(p, touched);
  raceSparks(p, nextCheckPoint(p));
}

void scoreRace() {
  for (int i = 0; i < numPlayers; i++) {
    player *b = players[i];
    if (!b->active) continue;
    if (!b->alive) respawn(b);
    if (b->alive) touchCheckPoint(b);
  }
}

// The one place where scoring differs by type.
void scoreByType() {
  switch (gameType) {
  case kTeamDeathmatch:
    if (teamWipedOut()) ResetPositions();
    break;
  case kCaptureTheFlag: scoreCaptureTheFlag(); break;
  case kAirHockey:
    respawnTheDead();
    scoreGoals();
    break;
  case kPinata: respawnTheDead(); break; // its points come from hitting the puck
  case kEndurance: scoreEndurance(); break;
  case kBodyCount: respawnTheDead(); break; // its points come from kills
  case kTag: scoreTag(); break;
  case kRace: scoreRace(); break;
  case kDomination: scoreDomination(); break;
  default: break; // the round types bring nobody back until the round ends
  }
}

} // namespace

void UpdateScore() {
  if (lastBallStanding()) ResetPositions();
  scoreByType();
}

void AddPoint(player *currentPlayer) {
  player *p = scorer(currentPlayer);
  if (!p || paused || !p->active) return;
  announceRound(p);
  p->score++;
  settlePoint(p);
}

// At least one frame: the score bar divides by the time a fresh ball needs, which
// the estimate makes 0 for a target below 2. Sums are wide so long lives don't overflow.
int TimeToWin(int score, int rate, int target) {
  const long long half = static_cast<long long>(rate) * rate / 2;
  const long long d = (target - (score - half)) / 2;
  if (d < 0) return 1; // past the target: nothing left to estimate
  const int time = static_cast<int>(std::sqrt(static_cast<double>(d)) - rate / 2);
  return time < 1 ? 1 : time;
}

int NumNodes(const player *p) {
  int owner = -1;
  for (int i = 0; i < numPlayers; i++)
    if (players[i] == p) owner = i;
  if (owner < 0) return 0;
  int n = 0;
  for (int i = 0; i <= blockNum && i < kMaxBlocks; i++)
    if (blocks[i].checkPoint == owner) n++;
  return n;
}

int numPlayersActive() {
  int n = 0;
  for (int i = 0; i < numPlayers; i++)
    if (players[i]->active) n++;
  return n;
}

float ShareToWin(int score) {
  if (maxScore <= 0) return 0; // no target: nothing left to win, and no division by it
  return static_cast<float>(maxScore - score) / maxScore;
}

// The score bar is drawn with the leaderboard.
