// The score bar's buttons, the leaderboard's order and keys, and the end-of-match awards.
#include "world_fixture.h"

#include "drawn_text.h"
#include "gl/headless.h"
#include "inclGL.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

class Board : public World {
protected:
  void SetUp() override {
    World::SetUp();
    arena();
    for (int i = 0; i < numPlayers; i++)
      std::snprintf(players[i]->name, kNameSize, "P%d", i);
  }
  std::vector<std::string> standings() {
    char lines[1 + kRosterSize][kAwardLineSize];
    const int n = LeaderBoardStandings(lines, 1 + kRosterSize);
    return {lines, lines + n};
  }
};

// Three balls in play: a click takes a bot out, then brings it back a human, then a bot again.
// Two in play: the last two stay, a human handed back to the computer.
TEST_F(Board, LabelClicksGoOutBotHumanOutAndKeepTwoBallsInPlay) {
  const int bot = kComputer, human = kHuman;
  const std::tuple<int, int, int, int> steps[] = {
      {1, 1, bot, 0},   {1, 1, human, 1}, {1, 0, human, 0}, {1, 1, bot, 0},
      {0, 1, human, 1}, {1, 1, human, 2}, {0, 0, human, 1}, {0, 1, bot, 1},
      {5, 1, human, 2}, {1, 0, human, 1}, {5, 1, bot, 0}};
  for (auto [label, active, ai, present] : steps) {
    players[3]->alive = 0;
    mouseH = 100 * label + 50, mouseV = 460, buttonDown = 1; // pressed as the bar is drawn
    DrawScores();
    const player *p = players[label];
    EXPECT_EQ(std::make_tuple(p->active, p->ai, playerPresent, buttonDown, players[3]->alive),
              std::make_tuple(active, ai, present, 0, 1)) // and the round restarts
        << "click on " << label;
  }
  mouseH = 250, mouseV = 479, buttonDown = 0; // over the third label, its bottom row
  headlessClearVertices();
  DrawScores();
  int red = 0, white = 0;
  for (const HeadlessVertex &v : headlessVertices()) {
    if (v.primitive != GL_QUADS || v.y < .4f || v.y > .8f) continue; // the labels' glyphs
    const bool third = v.x >= 3.5f && v.x < 5;
    const float g = third ? 0 : 1;
    EXPECT_TRUE(v.color[0] == 1 && v.color[1] == g && v.color[2] == g) << v.x;
    (third ? red : white)++;
  }
  EXPECT_TRUE(red > 0 && white > 0);
}

// In every game with a bar, with or without a target or a team leader, nothing drawn is
// infinite; a human's label with blank keys is two glyphs shorter than a bot's "AI". The first
// ball's tag bar is its own translucent red.
TEST_F(Board, LabelsTellHumansFromBotsAndBarsHoldWithoutATargetOrLeaders) {
  players[0]->key = players[0]->powerUpKey = ' ';
  for (int type : {kDomination, kEndurance, kTeamDeathmatch, kTag}) {
    for (int target : {0, 1, 100}) {
      gameType = type, maxScore = target;
      teamLeaders[0] = target == 0 ? nullptr : players[0];
      teamLeaders[1] = target == 1 ? nullptr : players[5];
      std::vector<size_t> glyphs;
      for (int ai : {kComputer, kHuman}) {
        players[0]->ai = ai;
        headlessClearVertices();
        DrawScores();
        glyphs.push_back(headlessVertices().size());
      }
      EXPECT_EQ(glyphs[0] - glyphs[1], 2u * 4) << type << " to " << target;
      for (const HeadlessVertex &v : headlessVertices())
        ASSERT_TRUE(std::isfinite(v.x) && std::isfinite(v.y)) << type << " to " << target;
      EXPECT_EQ(headlessState().matrixDepth, 0);
    }
  }
  const std::vector<HeadlessVertex> &drawn = headlessVertices(); // tag to 100
  EXPECT_TRUE(std::any_of(drawn.begin(), drawn.end(), [](const HeadlessVertex &v) {
    return v.color[0] == 1 && v.color[1] == 0 && v.color[2] == 0 && v.color[3] == .5f;
  }));
}

// Every game type, long names and a long level name, any target: the bar's shapes stay in its
// strip, its text in the window, and no two lines of text overlap. Domination says each team's
// score and target; a pause says how to go on, and only while paused.
TEST_F(Board, ScoreBarStaysInItsAreaAndSaysWhatTheBarsMean) {
  std::snprintf(levelname, kTextSize, "%s", std::string(120, 'L').c_str());
  players[2]->score = 3, players[2]->active = 0;
  for (int type = kFirstGameType; type <= kLastGameType; type++)
    for (int target : {0, 1, 10}) {
      gameType = type, maxScore = target;
      teamLeaders[0]->score = 3, teamLeaders[1]->score = target;
      for (int i = 0; i < numPlayers; i++)
        std::snprintf(players[i]->name, kNameSize, "%s", std::string(i == 1 ? 63 : 2, 'N').c_str());
      headlessClearVertices();
      DrawScores();
      const std::string what = std::to_string(type) + " to " + std::to_string(target);
      for (const HeadlessVertex &v : headlessVertices()) {
        if (v.primitive == GL_QUADS) continue; // text, checked below
        ASSERT_TRUE(v.x >= .5f && v.x <= 9.5f && v.y >= 0 && v.y <= .8f)
            << what << " at " << v.x << ", " << v.y;
      }
      const std::vector<DrawnLine> lines = drawnLines();
      for (size_t a = 0; a < lines.size(); a++) {
        const DrawnLine &l = lines[a];
        ASSERT_TRUE(l.left >= 0 && l.right <= 10 && l.bottom >= 0 && l.top <= 10) << what << l.text;
        for (size_t b = a + 1; b < lines.size(); b++)
          ASSERT_TRUE(l.right <= lines[b].left || lines[b].right <= l.left ||
                      l.top <= lines[b].bottom || lines[b].top <= l.bottom)
              << what << ": " << l.text << " / " << lines[b].text;
      }
      const std::string to = "/" + std::to_string(target);
      EXPECT_EQ(drawnText("3" + to) && drawnText(std::to_string(target) + to), type == kDomination)
          << what;
      EXPECT_FALSE(drawnText("Paused"));
    }
  paused = 1;
  headlessClearVertices();
  DrawScores();
  EXPECT_TRUE(drawnText("Paused") && drawnText("Press P to play on"));
}

// In team games each label shows its ball's team: the team's mark beside it and its colour
// behind it. Other games draw no marks.
TEST_F(Board, TeamGameLabelsShowEachBallsTeam) {
  players[1]->team = 1, players[4]->team = 0; // a line-up other than the roster's halves
  for (int type : {kDeathmatch, kTeamDeathmatch, kDomination}) {
    gameType = type;
    headlessClearVertices();
    DrawScores();
    std::vector<int> marks(kRosterSize, -1); // the sides of the outline in each label's panel
    const std::vector<HeadlessVertex> &drawn = headlessVertices();
    for (size_t k = 0; k < drawn.size(); k++) {
      const HeadlessVertex &v = drawn[k];
      const int i = static_cast<int>((v.x - .5f) / 1.5f);
      const bool labelInk = v.color[0] == 1; // the ball's glyph beside it has a dark rim
      if (v.primitive == GL_LINE_LOOP && labelInk && v.y >= .4f && i >= 0 && i < kRosterSize)
        marks[i] += marks[i] == -1 ? 2 : 1;
      if (v.primitive == GL_POLYGON && k + 2 < drawn.size() && v.y == 0 && drawn[k + 2].y == .8f) {
        const int panel = static_cast<int>(((v.x + drawn[k + 2].x) / 2 - .5f) / 1.5f);
        const player *shade = isTeamGame() ? teamLeaders[players[panel]->team] : players[panel];
        EXPECT_TRUE(v.color[0] == shade->r / 2 && v.color[1] == shade->g / 2 && v.color[2] == shade->b / 2)
            << type << " panel " << panel;
      }
    }
    for (int i = 0; i < kRosterSize; i++)
      EXPECT_EQ(marks[i], !isTeamGame() ? -1 : players[i]->team == 0 ? 24 : 4) << type << " " << i;
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

// The leaderboard fits six standings and thirteen long awards under the title band, inside the
// screen, without overlap; one point or win reads in the singular; its keys are named.
TEST_F(Board, LeaderBoardFitsBelowTheBandAndReadsCorrectly) {
  for (int i = 0; i < numPlayers; i++) {
    std::snprintf(players[i]->name, kNameSize, "%s", std::string(i == 3 ? 63 : 2, 'N').c_str());
    players[i]->active = 1, players[i]->score = 6 - i, players[i]->wins = i;
  }
  std::snprintf(players[5]->name, kNameSize, "P5");
  players[5]->score = 1; // ahead of the ball on 0 with one win
  GenerateAwards();
  for (int i = 0; i < 13; i++)
    std::snprintf(awards[i], kAwardLineSize,
                  "%s gets the Silver Chicken Award for fleeing all but %i collisions",
                  players[3]->name, i);
  awardLines = 13;
  headlessClearVertices();
  LeaderBoard();
  std::vector<DrawnLine> lines = drawnLines();
  lines.erase(std::remove_if(lines.begin(), lines.end(), // the band's word, without its picture
                             [](const DrawnLine &l) { return l.text == "TETHRIX"; }),
              lines.end());
  EXPECT_EQ(lines.size(), 1u + 6 + 13 + 1);
  for (size_t a = 0; a < lines.size(); a++) {
    const DrawnLine &l = lines[a];
    EXPECT_TRUE(l.left >= -6.1f && l.right <= 6.1f && l.bottom >= -4.6f && l.top <= 1.5f) << l.text;
    for (size_t b = a + 1; b < lines.size(); b++)
      EXPECT_TRUE(l.right <= lines[b].left || lines[b].right <= l.left ||
                  l.top <= lines[b].bottom || lines[b].top <= l.bottom)
          << l.text << " / " << lines[b].text;
  }
  for (const char *text : {"NN:5 points; 1 win", "P5:1 point; 5 wins", "NN:2 points; 4 wins",
                           "Space: next match    Escape: title"})
    EXPECT_TRUE(drawnText(text)) << text;
  const float *clear = headlessState().clearColor; // a night sky, as on the title
  EXPECT_LT(clear[0] + clear[1] + clear[2], 0.5f);
}

// The text size grows the standings and awards as far as the panel has room: a short board at
// 200 % doubles, a full one stays as laid out; at every size and setting nothing leaves the panel
// or overlaps. From the window, only a window shorter than the menus' 480 lines grows the text.
TEST_F(Board, TheTextSizeGrowsTheBoardAsFarAsItFits) {
  for (int i = 0; i < numPlayers; i++) players[i]->active = i < 2, players[i]->score = 3 - i;
  auto standingHeight = [&] {
    headlessClearVertices();
    LeaderBoard();
    for (const DrawnLine &l : drawnLines())
      if (l.text.rfind("P0:", 0) == 0) return l.top - l.bottom;
    return 0.0f;
  };
  GenerateAwards();
  awardLines = 2;
  uiScale = 100;
  const float plain = standingHeight();
  uiScale = 200;
  EXPECT_NEAR(standingHeight(), 2 * plain, 1e-4f);
  for (int i = 0; i < numPlayers; i++) players[i]->active = 1;
  for (int i = 0; i < 13; i++) std::snprintf(awards[i], kAwardLineSize, "P%d gets an award", i % 6);
  awardLines = 13;
  EXPECT_NEAR(standingHeight(), plain, 1e-4f) << "a full board has no room to grow";
  for (int lines : {2, 6, 13}) {
    awardLines = lines;
    for (int scale : {kUiScaleAuto, 75, 150, 200}) {
      uiScale = scale;
      headlessClearVertices();
      LeaderBoard();
      std::vector<DrawnLine> drawn = drawnLines();
      for (size_t a = 0; a < drawn.size(); a++) {
        const DrawnLine &l = drawn[a];
        if (l.text == "TETHRIX") continue;
        EXPECT_TRUE(l.left >= -6.1f && l.right <= 6.1f && l.bottom >= -4.6f && l.top <= 1.5f)
            << l.text << " at " << scale << " with " << lines;
        for (size_t b = a + 1; b < drawn.size(); b++)
          EXPECT_TRUE(drawn[b].text == "TETHRIX" || l.right <= drawn[b].left || drawn[b].right <= l.left ||
                      l.top <= drawn[b].bottom || drawn[b].top <= l.bottom)
              << l.text << " / " << drawn[b].text << " at " << scale;
      }
    }
  }
  uiScale = kUiScaleAuto;
  for (auto [w, h, want] : {std::make_tuple(640, 480, 1.0f), std::make_tuple(3840, 2160, 1.0f),
                            std::make_tuple(640, 360, 480.0f / 360), std::make_tuple(320, 200, 1.5f)}) {
    Reshape(w, h);
    EXPECT_NEAR(UiScale(), want, 1e-5f) << w << "x" << h;
  }
  std::vector<int> steps;
  for (int k = 0; k < 7; k++) StepUiScale(), steps.push_back(uiScale);
  EXPECT_EQ(steps, (std::vector<int>{75, 100, 125, 150, 175, 200, kUiScaleAuto}));
}

// A label too long for its panel is drawn narrower before it is drawn smaller, and where even
// that leaves it small, on two lines: the name over "Out", both between the score row and the
// strip's top, inside the panel. Domination's numbers keep the first panel's lower line, so a
// long first label shrinks there instead. A label that fits keeps its square glyphs.
TEST_F(Board, LongLabelsNarrowThenTakeTwoLinesRatherThanShrink) {
  std::snprintf(players[1]->name, kNameSize, "Yellow");
  std::snprintf(players[0]->name, kNameSize, "Crimson Red");
  players[1]->active = 0, players[0]->ai = players[3]->ai = kComputer, players[3]->active = 1;
  const float window = ar;
  struct Case { int type; float stretch; bool twoLines; float least; } cases[] = {
      {kDeathmatch, 4.0f / 3, false, .22f}, {kDeathmatch, 16.0f / 9, false, .249f},
      {kDeathmatch, 1, true, .2f},          {kTeamDeathmatch, 4.0f / 3, true, .2f},
      {kDomination, 4.0f / 3, true, .2f}};
  for (const Case &c : cases) {
    gameType = c.type, ar = c.stretch;
    headlessClearVertices();
    DrawScores();
    const std::string what = std::to_string(c.type) + " at " + std::to_string(c.stretch);
    std::map<std::string, DrawnLine> seen;
    for (const DrawnLine &l : drawnLines()) seen[l.text] = l;
    const float panelRight = .5f + 1.5f * 2 - .05f + 1e-4f;
    if (c.twoLines) {
      ASSERT_TRUE(seen.count("Yellow") && seen.count("Out") && !seen.count("Yellow: Out")) << what;
      const DrawnLine &name = seen["Yellow"], &status = seen["Out"];
      EXPECT_TRUE(status.bottom >= .25f && status.top <= name.bottom && name.top <= .8f) << what;
      for (const DrawnLine *l : {&name, &status})
        EXPECT_TRUE(l->top - l->bottom >= c.least && l->right <= panelRight) << what << l->text;
    } else {
      ASSERT_TRUE(seen.count("Yellow: Out")) << what;
      const DrawnLine &l = seen["Yellow: Out"];
      EXPECT_TRUE(l.top - l.bottom >= c.least && l.top - l.bottom <= .25f + 1e-5f) << what;
      EXPECT_LE(l.right, panelRight) << what;
      bool fits = false; // short labels sit side by side, read as one line
      for (const auto &[text, l] : seen)
        if (text.find("P3: AI") != std::string::npos)
          fits = std::abs(l.top - l.bottom - .25f) < 1e-5f &&
                 std::abs(l.right - l.left - .25f * (.6f * float(text.size() - 1) + 1)) < 1e-3f;
      EXPECT_TRUE(fits) << what;
    }
    if (c.stretch < 1.5f) { // wide windows have room for it on one line
      EXPECT_EQ(seen.count("Crimson Red: AI"), c.type == kDomination ? 1u : 0u) << what;
    }
  }
  ar = window;
}

// The pause note grows with the text size and stays inside the window, its words on its shade.
TEST_F(Board, ThePauseNoteGrowsWithTheTextSizeInsideTheWindow) {
  paused = 1;
  float last = 0;
  for (int scale : {75, 100, 200}) {
    uiScale = scale;
    headlessClearVertices();
    DrawScores();
    const std::vector<HeadlessVertex> &drawn = headlessVertices();
    const HeadlessVertex *shade = nullptr; // the only black translucent shape outside the strip
    for (size_t k = 0; !shade && k + 2 < drawn.size(); k++)
      if (drawn[k].primitive == GL_POLYGON && drawn[k].color[3] == .5f && drawn[k].y > 1) shade = &drawn[k];
    ASSERT_NE(shade, nullptr) << scale;
    float height = 0, pausedBottom = 0, hintTop = 10;
    for (const DrawnLine &l : drawnLines()) {
      EXPECT_TRUE(l.left >= 0 && l.right <= 10 && l.bottom >= 0 && l.top <= 10) << l.text << " at " << scale;
      if (l.text == "Paused") height = l.top - l.bottom, pausedBottom = l.bottom;
      if (l.text == "Press P to play on") hintTop = l.top;
      if (l.text == "Paused" || l.text == "Press P to play on") {
        EXPECT_TRUE(shade[0].x <= l.left && shade[1].x >= l.right && shade[0].y <= l.bottom &&
                    shade[2].y >= l.top) << l.text << " at " << scale;
      }
    }
    EXPECT_GT(height, last) << scale;
    EXPECT_LE(hintTop, pausedBottom) << "how to go on, under the word, at " << scale;
    last = height;
    for (const HeadlessVertex &v : headlessVertices()) // the note's shade as well as its words
      EXPECT_TRUE(v.x >= 0 && v.x <= 10 && v.y >= 0 && v.y <= 10) << scale;
  }
  uiScale = kUiScaleAuto;
}

// Space goes to the level select with scores and awards cleared, Escape to the title; wins stay.
// A match that earned no awards is not awarded again on the next frame.
TEST_F(Board, LeaderBoardAwardsOnceAndItsKeysLeaveForTheLevelSelectOrTheTitle) {
  writeFile("level.def", "nextlevel 0\nArena\nlevel -10 10 10 -10\ndeathmatch 10\n");
  for (auto [key, display, keyboard, score, background] :
       {std::make_tuple('x', LeaderBoard, LeaderBoardKey, 7, 0.9f),
        std::make_tuple(' ', LevelSelect, LevelKeys, 0, 0.f),
        std::make_tuple('\x1b', TitleScreen, TitleKey, 0, 0.9f)}) {
    glutDisplayFunc(LeaderBoard);
    glutKeyboardFunc(LeaderBoardKey);
    players[0]->score = 7, players[0]->wins = 2, players[0]->collisions = 30;
    backgroundColor[0] = 0.9f;
    LeaderBoard();
    ASSERT_GT(awardLines, 0);
    LeaderBoardKey(key, 0, 0);
    EXPECT_EQ(std::make_tuple(headlessState().display, headlessState().keyboard, players[0]->score,
                              players[0]->wins, awardLines == 0, backgroundColor[0]),
              std::make_tuple(display, keyboard, score, 2, key != 'x', background))
        << "key " << int{key};
  }
  players[0]->collisions = players[5]->collisions = 60; // every search ties or falls short
  LeaderBoard();
  LeaderBoard(); // the cleared statistics would now earn a Golden Chicken
  EXPECT_EQ(awardLines, 0);
}

// Each case: the game, what the match left, then a line that must be given or a word no line holds.
TEST_F(Board, AwardTableEdges) {
  auto kills = [](int killer, int victim, int n) { players[killer]->playerKills[victim] = n; };
  auto each = [](int player::*field, auto... values) { // from the first ball on
    int i = 0;
    ((players[i++]->*field = values), ...);
  };
  const int dm = kDeathmatch, team = kTeamDeathmatch;
  const std::tuple<int, std::function<void()>, const char *, const char *> cases[] = {
      {dm, [&] { kills(0, 1, 3); }, "P0 gets the Slaughterer Award (3 kills)", "deaths"},
      {dm, [&] { kills(0, 1, 3), kills(5, 1, 3); }, "", "Slaughter"}, // a tie
      {kRace, [&] { kills(0, 1, 3); }, "P1 gets the Kenny Award (3 deaths)", "killed"},
      {kRace,
       [&] { kills(0, 1, 1), kills(0, 3, 1), kills(0, 4, 1), kills(0, 5, 2), kills(5, 0, 2); },
       "P2 gets the Survivor Award (0 deaths)", ""}, // though not in play
      {dm, [&] { each(&player::attatches, 0, 0, 100); }, "", "Keyboard"},
      {dm, [&] { each(&player::attatches, 0, 0, 101); },
       "P2 gets the Broken Keyboard Award (atached 101 times)", ""},
      {dm, [&] { each(&player::powerups, 6, 4); }, "", "Miser"}, // within two
      {dm, [&] { each(&player::powerups, 3, 6); }, "P1 gets the Miser Award, getting 6 powerups",
       ""},
      {dm, [&] { each(&player::powerups, 4, 6); }, "", "Miser"}, // caught up within two
      // The chicken search starts from the candidate the searches before left.
      {dm, [&] { each(&player::attatches, 0, 0, 0, 50); },
       "P3 gets the Golden Chicken Award, for fleeing all collisions", ""},
      {dm, [&] { each(&player::collisions, 30, 0, 0, 0, 0, 10); },
       "P5 gets the Silver Chicken Award for fleeing all but 10 collisions", ""},
      {team, [&] { kills(0, 1, 4); },
       "P0 gets the Golden Llama Award (killed his teammate P1 4 times)", ""},
      {team, [&] { kills(0, 3, 4); }, "P0 gets the Vendetta Award (killed P3 4 times)", ""},
      {team, [&] { kills(0, 1, 2), kills(5, 2, 1); }, "P5 was the player of the match", ""},
  };
  for (const auto &[game, setup, given, absent] : cases) {
    gameType = game;
    setup();
    GenerateAwards(); // which clears what the case set
    std::string text;
    for (int i = 0; i < awardLines; i++)
      text += std::string(awards[i]) + "\n";
    EXPECT_TRUE(text.find(given) != std::string::npos &&
                (!*absent || text.find(absent) == std::string::npos))
        << given << " / " << absent << " in " << text;
  }
}

// Awards and standings never read past the roster, whatever its size. The awards clear the
// roster's match statistics, but not scores or wins.
TEST_F(Board, AwardsStayInsideTheRosterAndClearTheMatchStatistics) {
  for (int size : {1, 2, 8}) {
    ResetWorld();
    for (int i = 0; i < size; i++) {
      player *p = AddPlayer(i / kRosterSize, 1);
      std::snprintf(p->name, kNameSize, "P%d", i);
      p->active = 1, p->collisions = 25 + i, p->maxVelocity = p->maxSize = 3;
      p->suicides = p->attatches = p->powerups = p->score = p->wins = 5 + i;
    }
    for (int &k : players[size - 1]->playerKills)
      k = 4; // the last ball kills every other
    gameType = kRace;
    GenerateAwards();
    EXPECT_LE(awardLines, 13);
    EXPECT_EQ(standings().size(), static_cast<size_t>(1 + std::min(size, kRosterSize)));
    EXPECT_EQ(awards[0], "P" + std::to_string(size - 1) + " gets the Slaughterer Award (24 kills)");
    for (int i = 0; i < std::min(size, kRosterSize); i++) {
      const player *p = players[i];
      EXPECT_EQ(std::make_tuple(p->suicides, p->attatches, p->collisions, p->powerups,
                                p->maxVelocity, p->maxSize, p->score, p->wins),
                std::make_tuple(0, 0, 0, 0, 0.f, 0.f, 5 + i, 5 + i));
      EXPECT_EQ(std::count(p->playerKills, p->playerKills + kRosterSize, 0), kRosterSize);
    }
  }
}

// The text size is kept in the preferences when it is not taken from the window; a size the
// options cannot give is refused with its line.
TEST_F(Board, TheTextSizeIsKeptInThePreferences) {
  uiScale = 175;
  ASSERT_EQ(WritePrefsTo("prefs.def"), 0);
  EXPECT_NE(readFile("prefs.def").find("\nuiscale 175\n"), std::string::npos);
  uiScale = kUiScaleAuto;
  ReadLevelFile("prefs.def");
  EXPECT_EQ(uiScale, 175);
  for (const char *line : {"uiscale 50", "uiscale 201"}) {
    uiScale = kUiScaleAuto;
    ForgetReaderWarnings();
    writeFile("prefs.def", std::string("sound 4\n") + line + "\n");
    testing::internal::CaptureStderr();
    ReadLevelFile("prefs.def");
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_NE(told.find("prefs.def:2: \"uiscale\" must be 0"), std::string::npos) << told;
    EXPECT_EQ(uiScale, kUiScaleAuto) << line;
  }
}

// A bar row is a translucent bar in its ball's or team's colour on a black one that frames it,
// both growing left from the strip's right end: in Tag by the share of the target still to go,
// in Endurance by the time that takes now and from a standing start, in Domination by each
// team's share left, the coloured one divided among the points the team holds.
TEST_F(Board, BarsShowWhatIsLeftToWin) {
  struct Bar { float left, bottom, right, top, r, g, b; };
  auto bars = [] {
    headlessClearVertices();
    DrawScores();
    std::vector<Bar> out;
    const std::vector<HeadlessVertex> &all = headlessVertices();
    for (size_t k = 0; k + 3 < all.size(); k++) {
      const HeadlessVertex &a = all[k];
      if (a.primitive != GL_POLYGON || a.color[3] != .5f) continue;
      out.push_back({a.x, a.y, all[k + 1].x, all[k + 2].y, a.color[0], a.color[1], a.color[2]});
      k += 3;
    }
    return out;
  };
  // black then coloured: the coloured one spans [left, 9.5] x [bottom, top] inside the black
  auto row = [](const Bar *b, float left, float bottom, float top, float r, float g, float bl,
                float blackLeft) {
    const Bar &black = b[0], &c = b[1];
    return ::testing::AssertionResult(
               std::abs(c.left - left) < 1e-5f && c.right == 9.5f && std::abs(c.bottom - bottom) < 1e-5f &&
               std::abs(c.top - top) < 1e-5f && c.r == r && c.g == g && c.b == bl &&
               std::abs(black.left - blackLeft) < 1e-5f && black.r + black.g + black.b == 0 &&
               black.left < c.left && black.right >= c.right && black.bottom < c.bottom &&
               black.top > c.top)
           << "coloured " << c.left << ", " << c.bottom << " to " << c.right << ", " << c.top
           << " in " << c.r << c.g << c.b << "; black from " << black.left << ", " << black.bottom
           << " to " << black.right << ", " << black.top << " in " << black.r << black.g << black.b;
  };
  const float h = 1.0f / 15;
  for (int i = 0; i < numPlayers; i++) { // the third ball, out of play, has no row
    player *p = players[i];
    p->active = i != 2, p->score = 10 * i + 10, p->aliveTime = static_cast<float>(i);
    p->r = .1f * static_cast<float>(i + 1);
  }
  gameType = kTag, maxScore = 100;
  std::vector<Bar> drawn = bars();
  ASSERT_EQ(drawn.size(), 2u * 5);
  for (int k = 0, i = 0; i < numPlayers; i++) {
    const player *p = players[i];
    if (!p->active) continue;
    const float left = 9.5f - 9 * (1 - p->score / 100.0f), v = h * static_cast<float>(k);
    EXPECT_TRUE(row(&drawn[2 * k++], left, v + .1f * h, v + .9f * h, p->r, p->g, p->b, left - h / 5))
        << "tag " << i;
  }
  gameType = kEndurance;
  drawn = bars();
  ASSERT_EQ(drawn.size(), 2u * 5);
  const float slowest = static_cast<float>(TimeToWin(0, 0, 100));
  for (int k = 0, i = 0; i < numPlayers; i++) {
    const player *p = players[i];
    if (!p->active) continue;
    const float now = static_cast<float>(TimeToWin(p->score, i, 100)) / slowest;
    const float afresh = static_cast<float>(TimeToWin(p->score, 0, 100)) / slowest;
    const float v = h * static_cast<float>(k);
    EXPECT_TRUE(row(&drawn[2 * k++], 9.5f - 9 * now, v + .1f * h, v + .9f * h, p->r, p->g, p->b,
                    9.5f - 9 * afresh - h / 5))
        << "endurance " << i;
  }
  maxScore = 4; // so near the target that the slowest takes a single tick: the rows still show
  EXPECT_EQ(bars().size(), 2u * 5);
  gameType = kDomination, maxScore = 100;
  teamLeaders[0]->score = 40, teamLeaders[1]->score = 70;
  const int red = static_cast<int>(std::find(players, players + numPlayers, teamLeaders[0]) - players);
  for (int k = 0; k < 2; k++) blocks[addNode(kNodeStill, 0, 0)].checkPoint = red;
  drawn = bars();
  ASSERT_EQ(drawn.size(), 2u * 2);
  EXPECT_TRUE(row(&drawn[0], 9.5f - 9 * .6f / 2, .25f, .35f, 1, 0, 0, 9.4f - 9 * .6f)) << "red";
  EXPECT_TRUE(row(&drawn[2], 9.5f - 9 * .3f, .05f, .15f, 0, 0, 1, 9.4f - 9 * .3f)) << "blue";
}

// Each ball in play has its score under its own label, and a ball past the six panels none;
// team games show the two teams' scores instead, each just right of its team's mark; games
// scored frame by frame leave it to their bars.
TEST_F(Board, ScoresSitUnderTheirLabelsOrBesideTheirTeamsMarks) {
  AddPlayer(1, 1); // a seventh ball
  for (int i = 0; i < numPlayers; i++) players[i]->score = 10 + i, players[i]->active = i != 2;
  using Shown = std::vector<std::pair<std::string, float>>;
  auto scores = [] {
    headlessClearVertices();
    DrawScores();
    Shown out;
    for (const DrawnLine &l : drawnLines())
      if (l.bottom == 0) out.emplace_back(l.text, std::round(l.left * 100) / 100);
    return out;
  };
  gameType = kDeathmatch;
  EXPECT_EQ(scores(), (Shown{{"10", .6f}, {"11", 2.1f}, {"13", 5.1f}, {"14", 6.6f}, {"15", 8.1f}}));
  gameType = kTeamDeathmatch;
  teamLeaders[0]->score = 4, teamLeaders[1]->score = 7;
  EXPECT_EQ(scores(), (Shown{{"4", .75f}, {"7", 8.25f}}));
  float low[2] = {10, 10}, high[2] = {0, 0}; // each team mark's extent across, under the labels
  for (const HeadlessVertex &v : headlessVertices()) {
    if (v.primitive != GL_LINE_LOOP || v.y > .4f || v.color[2] != 1) continue;
    const int t = v.x > 5;
    low[t] = std::min(low[t], v.x), high[t] = std::max(high[t], v.x);
    EXPECT_NEAR(v.y, .125f, .1f);
  }
  for (int t = 0; t < 2; t++) // centred a glyph's width before the number
    EXPECT_NEAR((low[t] + high[t]) / 2, (t ? 8.25f : .75f) - .125f, 1e-3f) << "team " << t;
  gameType = kEndurance;
  EXPECT_EQ(scores(), Shown{});
}

// The top lines: the game and its target (or the arcade's name, or just the game where points
// accrue each frame), the level, and above them how to leave or, while gravity is changed for a
// while, which gravity and for how long.
TEST_F(Board, TheTopLinesNameTheGameTheLevelAndAChangedGravity) {
  std::snprintf(levelname, kTextSize, "Windmill");
  auto top = [] {
    headlessClearVertices();
    DrawScores();
    std::vector<std::string> out;
    for (const DrawnLine &l : drawnLines())
      if (l.bottom >= 9) out.push_back(l.text);
    return out;
  };
  using Lines = std::vector<std::string>;
  const Lines plain = {"Press ESC to return to menu.", "Deathmatch to:7", "Windmill"};
  gameType = kDeathmatch, maxScore = 7;
  EXPECT_EQ(top(), plain);
  arcadeMode = 1;
  EXPECT_EQ(top()[1], "ARCADE MODE");
  arcadeMode = 0, gameType = kTag;
  EXPECT_EQ(top()[1], "Tag");
  gameType = kDeathmatch;
  struct Case { int mode; float strength, time; const char *status; } cases[] = {
      {kGravityPlanetary, 1, 30.7f, "Planetary Gravity * 1.0 (30)"},
      {kGravityNormal, 2, 30, "Normal Gravity * 2.0 (30)"},
      {kGravityWhirlwind, -.5f, 1, "Whirlwind Gravity * -0.5 (1)"},
      {kGravityVacuum, 1, 12, "Giant Vacuum Cleaner * 1.0 (12)"},
      {kGravityNormal, 1, 30, nullptr}, // nothing changed
      {kGravityPlanetary, 2, 0, nullptr}}; // the change is over
  for (const Case &c : cases) {
    gravityMode = c.mode, gravity = c.strength * kNormalGravity, gravityResetTime = c.time;
    const Lines want = {c.status ? c.status : plain[0], plain[1], plain[2]};
    EXPECT_EQ(top(), want) << c.mode << " " << c.strength << " " << c.time;
  }
}
