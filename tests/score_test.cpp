// Who scores in each game type, when a round ends, when a dead ball comes back, who wins.
#include "world_fixture.h"

#include <climits>
#include <cstdio>
#include <set>
#include <tuple>
#include <vector>

using std::make_tuple;
using Ints = std::vector<int>;
using Lines = std::vector<std::string>;
static Lines heard;

class Score : public World {
protected:
  void SetUp() override {
    World::SetUp();
    arena();
    randomPos = 0, maxScore = 1000; // a new round puts every ball back on its own start
    for (int i = 0; i < numPlayers; i++)
      players[i]->hStart = 2.0f * i - 5;
    ResetPositions();
    heard.clear();
    SetAnnouncerHook([](const char *name) { heard.push_back(name); });
  }
  void TearDown() override {
    SetAnnouncerHook(nullptr);
    World::TearDown();
  }
  void frames(int n) {
    for (int k = 0; k < n; k++)
      UpdateScore();
  }
  void lineUp(const Ints &active, const Ints &alive) {
    for (int i = 0; i < numPlayers; i++)
      players[i]->active = players[i]->alive = players[i]->score = 0;
    for (int i : active)
      players[i]->active = 1;
    for (int i : alive)
      players[i]->alive = 1;
  }
  Ints scores() {
    Ints s(numPlayers);
    std::transform(players, players + numPlayers, s.begin(), [](player *p) { return p->score; });
    return s;
  }
};

TEST_F(Score, RoundEndsWithOneBallOrOneTeamLeftAndEveryBallComesBack) {
  struct Case { int type; Ints active, alive, newRoundScores; } cases[] = {
      {kDeathmatch, {0, 1, 5}, {1}, {0, 1, 0, 0, 0, 0}}, {kDeathmatch, {0, 5}, {0, 5}, {}},
      {kUnstableMatch, {0, 5}, {}, {0, 0, 0, 0, 0, 0}},  // all dead: nobody scores
      {kBlinkMatch, {0, 5}, {0, 2}, {1, 0, 0, 0, 0, 0}}, // an inactive ball never counts
      {kTeamDeathmatch, {0, 1, 2, 3, 4, 5}, {4, 5}, {0, 0, 0, 0, 0, 1}},
      {kTeamDeathmatch, {0, 1, 2, 3, 4, 5}, {}, {1, 0, 0, 0, 0, 1}},
      {kTeamDeathmatch, {0, 1, 2, 3, 4, 5}, {2, 4}, {}},
      {kTeamDeathmatch, {0, 1}, {0, 1, 5}, {1, 0, 0, 0, 0, 0}}, // no blue in play: out each frame
  };
  for (const Case &c : cases) {
    gameType = c.type;
    lineUp(c.active, c.alive);
    UpdateScore();
    EXPECT_EQ(scores(), c.newRoundScores.empty() ? Ints(6, 0) : c.newRoundScores) << c.type;
    EXPECT_EQ(players[3]->alive, !c.newRoundScores.empty()) << c.type; // a new round: all back
  }
  maxScore = 3;
  frames(2);
  EXPECT_EQ(make_tuple(players[0]->wins, champion, championWins), make_tuple(1, players[0], 1));
}

TEST_F(Score, FlagsAreCarriedAndCapturedAndThePuckScoresInTheOtherGoal) {
  gameType = kCaptureTheFlag;
  player *red = players[0];
  struct Case { float h, stun, ours, theirs, oursAfter, theirsAfter; int points; } cases[] = {
      {5.2f, 5, -5, 5, -5, 5.2f, 0},       {5.2f, 6, -5, 5, -5, 5, 0},  // stunned past 5: home
      {-5.2f, 0, -5, -4.9f, -5, 5, 1},     {-5.2f, 0, -5, 5, -5, 5, 0}, // never its own flag
      {-4.2f, 0, -4, -4.1f, -4, -4.2f, 0},                              // ours away: no capture
  };
  for (const Case &c : cases) {
    flags[0] = {c.ours, 1, -5, 1, 3}, flags[1] = {c.theirs, 1, 5, 1, 3};
    placeBall(red, c.h, 0.9f, 0, 0); // a carried flag goes where the ball is
    red->score = 0, red->moveDelay = c.stun;
    UpdateScore();
    EXPECT_EQ(make_tuple(flags[0].h, flags[1].h, flags[1].v, red->score),
              make_tuple(c.oursAfter, c.theirsAfter, c.theirsAfter == c.h ? .9f : 1.f, c.points))
        << c.h;
  }
  flags[0] = {-8, 0, -8, 0, 0}, flags[1] = {8, 0, 8, 0, 0};
  for (bool goal : {true, false})
    for (float h : {7.8f, -8.3f}) {
      gameType = goal ? kAirHockey : kPinata;
      red->score = players[5]->score = 0;
      placeBall(puck, h, 0, 0.1f, 0);
      UpdateScore();
      EXPECT_EQ(make_tuple(red->score, players[5]->score, ballH(puck)),
                make_tuple(goal && h > 0, goal && h < 0, goal ? 0 : h));
    }
}

TEST_F(Score, EnduranceGainGrowsWithTimeAliveAndPausingFreezesIt) {
  gameType = kEndurance;
  Ints seen;
  for (int k = 0; k < 7; k++)
    UpdateScore(), seen.push_back(players[0]->score);
  EXPECT_EQ(seen, Ints({0, 1, 1, 1, 2, 3, 4})); // truncated toward zero, not floored
  paused = 1;
  frames(2);
  EXPECT_EQ(make_tuple(players[0]->score, players[0]->aliveTime), make_tuple(4, 4.5f));
}

TEST_F(Score, TagPaysEveryoneButItAndARespawnTakesOverAStaleIt) {
  gameType = kTag;
  lineUp({0, 1, 5}, {0, 1, 5});
  // A tag level leaves nobody it: the seed picks among the balls in play, taking no draw, so
  // every ball in play is first it for some seed and the roster's first is not always.
  std::set<player *> firstIt;
  for (unsigned seed = 1; seed <= 12; seed++) {
    gameSrand(seed), it = nullptr, frames(1);
    EXPECT_EQ(gameRandState(), seed) << "a draw was taken";
    EXPECT_EQ(it, players[(Ints{0, 1, 5})[gameRandPeek() % 3]]) << seed;
    firstIt.insert(it);
  }
  EXPECT_EQ(firstIt, (std::set<player *>{players[0], players[1], players[5]}));
  gameSrand(3), it = nullptr, lineUp({0, 1, 5}, {0, 1, 5});
  frames(3);
  ASSERT_EQ(it, players[5]);
  EXPECT_EQ(scores(), Ints({3, 3, 0, 0, 0, 0}));
  EXPECT_EQ(it->itTime, 3.f);
  for (float itTime : {23.f, 24.f}) { // it for 30 frames when the ball is back, or for 31
    it = players[1], it->itTime = itTime;
    players[5]->alive = 0;
    frames(8);
    EXPECT_EQ(it, itTime > 23 ? players[5] : players[1]) << itTime;
  }
  it = players[1], it->itTime = 40; // a stale it waits for the dead ball to be back
  players[5]->alive = 0, players[5]->moveDelay = 0;
  frames(2);
  EXPECT_EQ(make_tuple(it, players[5]->alive), make_tuple(players[1], 0));
  it = players[1], frames(1);             // the tint ends in the yellow of it
  paused = 1, it = players[5], frames(1); // and a paused frame keeps it
  EXPECT_EQ(make_tuple(backgroundColor[0], backgroundColor[1], backgroundColor[2]),
            make_tuple(1.f, 1.f, .75f));
  paused = 0, it = nullptr, lineUp({}, {}), frames(1); // nobody in play: nobody is it
  EXPECT_EQ(it, nullptr);
}

TEST_F(Score, DominationPaysEachOwnedNodeToItsTeamEveryFrame) {
  gameType = kDomination;
  for (int code : {0, 5, kDominationNeutral, kNoCheckPoint, 0}) // the first and last count too
    blocks[addNode(kNodeStill, 0, 0)].checkPoint = code;
  blocks[blockNum + 1].checkPoint = 0; // past the last node
  frames(3);
  EXPECT_EQ(make_tuple(scores(), NumNodes(players[0]), NumNodes(players[5]), NumNodes(puck)),
            make_tuple(Ints({6, 0, 0, 0, 0, 3}), 2, 1, 0));
}

TEST_F(Score, RaceCountsCheckpointsTouchedInOrder) {
  gameType = kRace;
  for (int n : {1, 2, 3})
    blocks[addNode(kNodeStill, 3.0f * n, 0)].checkPoint = n;
  struct Case { int score, heldNode, checkPoints, after; } cases[] = {
      {0, 0, 3, 1}, {0, 1, 3, 0}, {2, 2, 3, 3}, {3, 0, 3, 4}, {3, 2, 3, 3}, {0, kRopeFree, 3, 0},
      {0, 0, 0, 0}, {0, 0, 1, 1}, {2, 2, 4, 3}}; // checkpoint 4 has no node
  for (const Case &c : cases) {
    players[0]->score = c.score, players[0]->block = c.heldNode, numCheckPoints = c.checkPoints;
    UpdateScore();
    EXPECT_EQ(players[0]->score, c.after) << c.score << " holding node " << c.heldNode;
  }
  // A touch that scores sparks toward the touched and the next checkpoint; a paused one, held
  // there frame after frame, sprays nothing.
  for (int pause : {0, 1}) {
    paused = pause, numCheckPoints = 3, players[0]->score = 0, players[0]->block = 0;
    const int before = CountParticles();
    UpdateScore();
    EXPECT_EQ(CountParticles() - before, pause ? 0 : 40) << pause;
  }
  paused = 0;
}

TEST_F(Score, BodyCountScoresTheKillerOfAStunnedBallOnceForEachEdgeCrossed) {
  for (int type : {kBodyCount, kDeathmatch}) {
    gameType = type, players[0]->score = 0;
    placeBall(players[1], 9.9f, 9.9f, 0.5f, 0.5f); // out through a corner: two edges
    players[1]->moveDelay = 5, players[1]->lastHit = 0;
    MovePlayer(players[1]);
    EXPECT_EQ(players[0]->score, type == kBodyCount ? 2 : 0) << type;
  }
}

TEST_F(Score, DeadBallComesBackOnTheEighthScoringStepExceptInRoundGames) {
  for (int type = kFirstGameType; type <= kLastGameType; type++) {
    gameType = type;
    placeBall(players[1], 7, 7, 0, 0);
    lineUp({0, 1, 3, 5}, {0, 3, 5}); // both teams still in play
    players[1]->moveDelay = 12;      // stunned when it fell
    const bool rounds = type == kDeathmatch || type == kTeamDeathmatch || type == kUnstableMatch ||
                        type == kBlinkMatch;
    EXPECT_EQ(GameTypeHas(type, kTraitRespawns), !rounds) << type << ": the table says otherwise";
    frames(7);
    EXPECT_EQ(players[1]->alive, 0) << type;
    frames(1);
    EXPECT_EQ(make_tuple(players[1]->alive, players[1]->moveDelay, ballH(players[1]),
                         players[2]->alive), // out of play: never back
              rounds ? make_tuple(0, 12.f, 7.f, 0) : make_tuple(1, 0.f, -3.f, 0))
        << type;
  }
}

TEST_F(Score, PointsAnnounceTheRoundAndTheWinnerAndEndTheMatchAtTheTarget) {
  struct Case { int type; Lines round, match; } cases[] = {
      {kDeathmatch, {"Red", "HasWonTheRound"}, {"Red", "HasWonTheMatch"}},
      {kTeamDeathmatch, {"RedTeam", "HasWonTheRound"}, {"RedTeam", "Red", "HasWonTheMatch"}},
      {kCaptureTheFlag, {"RedTeam", "HasCTF"}, {"RedTeam", "Red", "HasWonTheMatch"}},
      {kAirHockey, {"RedTeam", "HasScored"}, {"RedTeam", "Red", "HasWonTheMatch"}},
      {kDomination, {}, {"RedTeam", "Red", "HasWonTheMatch"}},
      {kTag, {}, {"Red", "HasWonTheMatch"}},
  };
  player *red = players[0];
  for (const Case &c : cases) {
    gameType = c.type, maxScore = 2, red->score = red->wins = 0, backRed = 0;
    headlessReset();
    heard.clear();
    AddPoint(red);
    EXPECT_EQ(make_tuple(heard, backRed, headlessState().display),
              make_tuple(c.round, c.round.empty() ? 0.f : 1.f, nullptr))
        << c.type;
    AddPoint(red);
    Lines all = c.round;
    for (const Lines &more : {c.round, c.match})
      all.insert(all.end(), more.begin(), more.end());
    EXPECT_EQ(make_tuple(heard, red->wins, maxScore), make_tuple(all, 1, 6)) << c.type;
    EXPECT_EQ(headlessState().display, LeaderBoard);
    EXPECT_EQ(headlessState().keyboard, LeaderBoardKey);
  }
  EXPECT_EQ(make_tuple(backgroundColor[1], backgroundColor[2], borderRed),
            make_tuple(.75f, .75f, 1.f));
  maxScore = INT_MAX / 2, red->score = maxScore - 1;
  AddPoint(red);
  EXPECT_EQ(maxScore, INT_MAX) << "tripling must not overflow";
  maxScore = INT_MIN / 2, red->score = 0; // a negative target from a level line, either way
  AddPoint(red);
  EXPECT_EQ(maxScore, INT_MIN);
  // No end in arcade mode; no point while paused, for a ball out of the match or a stray record.
  arcadeMode = 1, red->score = maxScore = 5;
  AddPoint(red);
  paused = 1, arcadeMode = 0;
  AddPoint(red);
  paused = 0, red->active = 0, puck->playerID = kMaxPlayers + 1, numPlayers = 5;
  AddPoint(red), AddPoint(puck), AddPoint(players[5]);
  EXPECT_EQ(make_tuple(red->score, red->wins, maxScore, players[5]->score), make_tuple(6, 3, 5, 0));
}

TEST_F(Score, TimeToWinIsAWholeNumberOfFramesAndNeverZero) {
  struct Case { int score, rate, target, frames; } cases[] = { // a frame at least; no overflow
      {0, 0, 3000, 38}, {1000, 20, 3000, 23}, {0, 7, 104, 5},     {0, 0, 1, 1},
      {0, 0, 0, 1},     {2990, 10, 3000, 1},  {5000, 0, 3000, 1}, {0, 50000, INT_MAX, 16215}};
  for (const Case &c : cases)
    EXPECT_EQ(TimeToWin(c.score, c.rate, c.target), c.frames) << c.score << " " << c.rate;
  maxScore = 5000;
  EXPECT_EQ(ShareToWin(1250), 0.75f);
  maxScore = 0; // nothing to win, and no division by zero
  EXPECT_EQ(ShareToWin(0), 0);
}

TEST_F(Score, GameTypeTableAnswersForEveryNumberAndTheLevelFileUsesItsKeys) {
  for (int num : {999, 1012}) {
    gameType = num;
    EXPECT_EQ(make_tuple(std::string(GameType()), std::string(GameTypeStartSound(num)),
                              std::string(GameTypeLevelKey(num)), GameTypeAI(), isTeamGame(),
                              GameTypeDefaultTarget(num)),
              make_tuple("Invalid Game Type", "DeathMatch", "", kStrategyMiddle, 0, 0));
  }
  EXPECT_EQ(Ints(gameScores, gameScores + kNumGameTypes),
            Ints({10, 10, 5, 10, 5000, 5, 3000, 2000, 30, 10, 10, 10}));
  for (int num = kFirstGameType; num <= kLastGameType; num++) {
    gameType = num;
    const bool survive = num == kEndurance || num == kUnstableMatch || num == kBlinkMatch;
    const bool team =
        num == kTeamDeathmatch || num == kCaptureTheFlag || num == kDomination || num == kAirHockey;
    EXPECT_EQ(make_tuple(GameTypeAI(), isTeamGame()),
              make_tuple(survive ? kStrategySurvive : kStrategyObjective, team))
        << num;
    char caption[100], line[100];
    std::snprintf(caption, sizeof caption, GameTypeCaption(num), 7);
    const bool bare = num == kDomination || num == kEndurance || num == kTag;
    EXPECT_EQ(std::string(caption).find('7') != std::string::npos, !bare) << caption;
    std::snprintf(line, sizeof line, GameTypeLevelKey(num), 7);
    writeFile("level.def", std::string("nextlevel 0\nName\n") + line + "\n");
    gameType = kDeathmatch;
    ReadLevelFile("level.def");
    EXPECT_EQ(make_tuple(gameType, maxScore), make_tuple(num, 7)) << line;
  }
}
