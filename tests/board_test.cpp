// The score bar's buttons, the leaderboard's order and keys, and the end-of-match awards.
#include "world_fixture.h"

#include "gl/headless.h"
#include "inclGL.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <tuple>
#include <vector>

class Board : public World {
protected:
  void SetUp() override {
    World::SetUp();
    fresh(kRosterSize);
  }
  // A clean world whose roster has this many balls, named P0, P1, ...
  void fresh(int balls) {
    ResetWorld();
    headlessReset();
    arena();
    while (numPlayers < balls)
      AddPlayer(1, 1);
    for (int i = 0; i < numPlayers; i++)
      std::snprintf(players[i]->name, kNameSize, "P%d", i);
  }
  // The mouse pressed at (h, v) of the menu screen, as the next score bar sees it.
  void click(int h, int v) {
    mouseH = h, mouseV = v, buttonDown = 1;
    DrawScores();
  }
  std::vector<std::string> awardLinesNow() { return {awards, awards + awardLines}; }
  std::vector<std::string> standings() {
    char lines[1 + kRosterSize][kAwardLineSize];
    const int n = LeaderBoardStandings(lines, 1 + kRosterSize);
    return {lines, lines + n};
  }
};

// ---- Score bar ---------------------------------------------------------------------------
TEST_F(Board, LabelClicksGoOutBotHumanOutAndKeepTwoBallsInPlay) {
  struct Step { int label, active, ai, present; } steps[] = {
      {1, 1, kComputer, 0}, {1, 1, kHuman, 1},    {1, 0, kHuman, 0}, // three in play: out
      {1, 1, kComputer, 0}, {0, 1, kHuman, 1},    {1, 1, kHuman, 2},
      {0, 0, kHuman, 1},    {0, 1, kComputer, 1},                       // out, and back in as a bot
      {5, 1, kHuman, 2},    {1, 0, kHuman, 1},    {5, 1, kComputer, 0}, // the last two stay
  };
  for (const Step &s : steps) {
    players[3]->alive = 0;
    click(100 * s.label + 50, 460);
    const player *p = players[s.label];
    EXPECT_EQ(std::make_tuple(p->active, p->ai, playerPresent, buttonDown),
              std::make_tuple(s.active, s.ai, s.present, 0))
        << "click on " << s.label;
    EXPECT_EQ(players[3]->alive, 1) << "the round restarts";
  }
  players[5]->active = 0; // a lone human is handed back, never taken out
  players[0]->ai = kHuman;
  click(50, 460);
  EXPECT_EQ(std::make_tuple(players[0]->active, players[0]->ai), std::make_tuple(1, kComputer));
}

TEST_F(Board, LabelButtonsCoverTheirOwnPixelsOnly) {
  struct Case {
    int h, v, label; // -1: no label
  } cases[] = {{19, 460, -1},  {20, 460, 0},  {119, 451, 0},  {120, 479, 1}, {120, 450, -1},
               {120, 480, -1}, {619, 465, 5}, {620, 465, -1}, {-5, 460, -1}};
  for (const Case &c : cases) {
    for (int i = 0; i < numPlayers; i++)
      players[i]->active = 0;
    click(c.h, c.v);
    for (int i = 0; i < numPlayers; i++)
      EXPECT_EQ(players[i]->active, i == c.label) << "(" << c.h << ", " << c.v << ") ball " << i;
    EXPECT_EQ(buttonDown, c.label < 0 ? 1 : 0) << "a click is consumed only by a label";
  }
}

TEST_F(Board, BarsStayFiniteWithoutATargetOrLeaders) {
  for (int type : {kDomination, kTag, kEndurance, kTeamDeathmatch}) {
    for (int target : {0, 1, 100}) {
      gameType = type, maxScore = target;
      teamLeaders[1] = target == 1 ? nullptr : players[5];
      headlessClearVertices();
      DrawScores();
      for (const HeadlessVertex &v : headlessVertices())
        ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y)) << type << " to " << target;
      EXPECT_EQ(headlessState().matrixDepth, 0);
    }
  }
  // The first ball has a tag bar too, in its own translucent red.
  const std::vector<HeadlessVertex> &drawn = headlessVertices();
  gameType = kTag, maxScore = 10;
  headlessClearVertices();
  DrawScores();
  EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [](const HeadlessVertex &v) {
    return v.color[0] == 1 && v.color[1] == 0 && v.color[2] == 0 && v.color[3] == .5f;
  }));
}

// A human's label shows its keys, a bot's says AI: with blank keys the human's is two glyphs shorter.
TEST_F(Board, LabelsTellHumansFromBots) {
  players[0]->key = players[0]->powerUpKey = ' ';
  std::vector<size_t> glyphs;
  for (int ai : {kComputer, kHuman}) {
    players[0]->ai = ai;
    headlessClearVertices();
    DrawScores();
    glyphs.push_back(headlessVertices().size());
  }
  EXPECT_EQ(glyphs[0] - glyphs[1], 2u * 4);
}

// ---- Leaderboard -----------------------------------------------------------------------------
TEST_F(Board, MergeSortIsAStableDescendingSortOnScoresInPlay) {
  std::mt19937 rng(7);
  for (int trial = 0; trial < 200; trial++) {
    const int n = static_cast<int>(rng() % numPlayers) + 1, start = static_cast<int>(rng() % n);
    std::vector<player *> got(players, players + numPlayers);
    std::shuffle(got.begin(), got.end(), rng);
    for (player *p : got)
      p->score = static_cast<int>(rng() % 4), p->active = rng() % 3 != 0;
    std::vector<player *> want = got;
    std::stable_sort(want.begin() + start, want.begin() + n, [](player *a, player *b) {
      return a->score * a->active > b->score * b->active;
    });
    sortPlayers(start, n, got.data());
    ASSERT_EQ(got, want) << "trial " << trial;
  }
}

TEST_F(Board, StandingsListActiveBallsAndTiesKeepTheLastOrderShown) {
  players[0]->score = 2, players[5]->score = 4, players[1]->score = 9, players[5]->wins = 3;
  std::vector<std::string> want = {"P5 Wins!", "P5:4 points; 3 wins", "P0:2 points; 0 wins"};
  EXPECT_EQ(standings(), want);
  players[0]->score = 4; // a tie now: P5 stays ahead though P0 comes first in the roster
  want[2] = "P0:4 points; 0 wins";
  EXPECT_EQ(standings(), want);
}

TEST_F(Board, LeaderBoardKeysLeaveForTheLevelSelectOrTheTitle) {
  writeFile("level.def", "nextlevel 0\nArena\nlevel -10 10 10 -10\ndeathmatch 10\n");
  struct Case {
    unsigned char key;
    void (*display)();
    void (*keyboard)(unsigned char, int, int);
    int score;
    float background;
  } cases[] = {{'x', LeaderBoard, LeaderBoardKey, 7, 0.9f},
               {' ', LevelSelect, LevelKeys, 0, 0},
               {27, TitleScreen, LeaderBoardKey, 0, 0.9f}};
  for (const Case &c : cases) {
    glutDisplayFunc(LeaderBoard);
    glutKeyboardFunc(LeaderBoardKey);
    players[0]->score = 7, players[0]->wins = 2, players[0]->collisions = 30;
    backgroundColor[0] = 0.9f;
    LeaderBoard();
    ASSERT_GT(awardLines, 0);
    LeaderBoardKey(c.key, 0, 0);
    EXPECT_EQ(std::make_tuple(headlessState().display, headlessState().keyboard),
              std::make_tuple(c.display, c.keyboard))
        << "key " << int{c.key};
    EXPECT_EQ(
        std::make_tuple(players[0]->score, players[0]->wins, awardLines == 0, backgroundColor[0]),
        std::make_tuple(c.score, 2, c.key != 'x', c.background))
        << "key " << int{c.key};
  }
}

TEST_F(Board, AMatchWithoutAwardsIsNotAwardedAgainOnTheNextFrame) {
  players[0]->collisions = players[5]->collisions = 60; // every search ties or falls short
  LeaderBoard();
  EXPECT_EQ(awardLines, 0);
  LeaderBoard(); // the cleared statistics would now earn a Golden Chicken
  EXPECT_EQ(awardLines, 0);
}

// ---- Awards ------------------------------------------------------------------------------------
TEST_F(Board, AwardTableEdges) {
  auto kills = [](int killer, int victim, int n) { players[killer]->playerKills[victim] = n; };
  auto each = [](int player::*field, std::vector<int> v) {
    for (size_t i = 0; i < v.size(); i++)
      players[i]->*field = v[i];
  };
  struct Case {
    const char *what;
    int game;
    std::function<void()> setup;
    const char *given;  // an exact line, or ""
    const char *absent; // no line holds this, or ""
  } cases[] = {
      {"one top killer", kDeathmatch, [&] { kills(0, 1, 3); },
       "P0 gets the Slaughterer Award (3 kills)", ""},
      {"tied top killers", kDeathmatch, [&] { kills(0, 1, 3), kills(5, 1, 3); }, "", "Slaughter"},
      {"body count", kBodyCount, [&] { kills(0, 1, 3); }, "", "Slaughter"},
      {"deathmatch deaths", kDeathmatch, [&] { kills(0, 1, 3); }, "", "deaths"},
      {"race deaths", kRace, [&] { kills(0, 1, 3); }, "P1 gets the Kenny Award (3 deaths)", ""},
      {"inactive survivor", kRace,
       [&] { kills(0, 1, 1), kills(0, 3, 1), kills(0, 4, 1), kills(0, 5, 2), kills(5, 0, 2); },
       "P2 gets the Survivor Award (0 deaths)", ""},
      {"100 attaches", kDeathmatch, [&] { each(&player::attatches, {0, 0, 100}); }, "", "Keyboard"},
      {"101 attaches", kDeathmatch, [&] { each(&player::attatches, {0, 0, 101}); },
       "P2 gets the Broken Keyboard Award (atached 101 times)", ""},
      {"miser within two", kDeathmatch, [&] { each(&player::powerups, {6, 4}); }, "", "Miser"},
      {"miser three clear", kDeathmatch, [&] { each(&player::powerups, {6, 3}); },
       "P0 gets the Miser Award, getting 6 powerups", ""},
      {"miser overtaken", kDeathmatch, [&] { each(&player::powerups, {3, 6}); },
       "P1 gets the Miser Award, getting 6 powerups", ""},
      {"miser caught up", kDeathmatch, [&] { each(&player::powerups, {4, 6}); }, "", "Miser"},
      {"chicken carried from the attach search", kDeathmatch,
       [&] { each(&player::attatches, {0, 0, 0, 50}); },
       "P3 gets the Golden Chicken Award, for fleeing all collisions", ""},
      {"chicken with nobody in play: no search has led", kDeathmatch,
       [&] { each(&player::active, {0, 0, 0, 0, 0, 0}); },
       "P0 gets the Golden Chicken Award, for fleeing all collisions", ""},
      {"chicken among active balls", kDeathmatch,
       [&] { each(&player::collisions, {30, 0, 0, 0, 0, 10}); },
       "P5 gets the Silver Chicken Award for fleeing all but 10 collisions", ""},
      {"no chicken at 50", kDeathmatch, [&] { each(&player::collisions, {60, 0, 0, 0, 0, 60}); },
       "", "Chicken"},
      {"teammate killed", kTeamDeathmatch, [&] { kills(0, 1, 4); },
       "P0 gets the Golden Llama Award (killed his teammate P1 4 times)", ""},
      {"enemy killed", kTeamDeathmatch, [&] { kills(0, 3, 4); },
       "P0 gets the Vendetta Award (killed P3 4 times)", ""},
      {"no teams in deathmatch", kDeathmatch, [&] { kills(0, 1, 4); },
       "P0 gets the Vendetta Award (killed P1 4 times)", ""},
      {"three kills", kDeathmatch, [&] { kills(0, 1, 3); }, "", "killed"},
      {"team kills cost merit", kTeamDeathmatch, [&] { kills(0, 1, 2), kills(5, 2, 1); },
       "P5 was the player of the match", ""},
      {"every kill earns merit", kDeathmatch, [&] { kills(0, 1, 2), kills(5, 2, 1); },
       "P0 was the player of the match", ""},
      {"useless among active balls", kDeathmatch,
       [&] { each(&player::collisions, {5, 0, 0, 0, 0, 7}); }, "P0 gets the Uselessness award", ""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    fresh(kRosterSize);
    gameType = c.game;
    c.setup();
    GenerateAwards();
    const std::vector<std::string> lines = awardLinesNow();
    if (*c.given) {
      EXPECT_NE(std::find(lines.begin(), lines.end(), c.given), lines.end());
    }
    for (const std::string &line : lines)
      EXPECT_TRUE(!*c.absent || line.find(c.absent) == std::string::npos) << line;
  }
}

TEST_F(Board, AwardsClearTheMatchStatisticsButNotScoresOrWins) {
  for (int i = 0; i < numPlayers; i++) {
    player *p = players[i];
    p->suicides = p->attatches = p->collisions = p->powerups = p->score = p->wins = 5 + i;
    for (int &k : p->playerKills)
      k = i;
    p->maxVelocity = p->maxSize = 3;
  }
  GenerateAwards();
  for (int i = 0; i < numPlayers; i++) {
    const player *p = players[i];
    EXPECT_EQ(std::make_tuple(p->suicides, p->attatches, p->collisions, p->powerups, p->maxVelocity,
                              p->maxSize, p->score, p->wins),
              std::make_tuple(0, 0, 0, 0, 0.f, 0.f, 5 + i, 5 + i));
    EXPECT_EQ(std::count(p->playerKills, p->playerKills + kRosterSize, 0), kRosterSize);
  }
}

// Awards and standings never read past the roster, whatever its size.
TEST_F(Board, AwardsStayInsideSmallAndLargeRosters) {
  for (int size : {1, 2, 8}) {
    ResetWorld();
    for (int i = 0; i < size; i++) {
      AddPlayer(i / kRosterSize, 1);
      std::snprintf(players[i]->name, kNameSize, "P%d", i);
      players[i]->active = 1, players[i]->collisions = 25 + i;
    }
    for (int &k : players[size - 1]->playerKills)
      k = 4; // the last ball kills every other
    gameType = kRace;
    GenerateAwards();
    EXPECT_LE(awardLines, 13);
    EXPECT_EQ(standings().size(), static_cast<size_t>(1 + std::min(size, kRosterSize)));
    const std::vector<std::string> lines = awardLinesNow();
    const std::string top =
        "P" + std::to_string(size - 1) + " gets the Slaughterer Award (24 kills)";
    EXPECT_NE(std::find(lines.begin(), lines.end(), top), lines.end()) << size << " balls";
  }
}
