// The score bar over the game, and the leaderboard with its end-of-match awards.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

char awards[kAwardLines][kAwardLineSize];
int awardLines = 0;

namespace {

// ---- Score bar: overlay layout (overlay units, 0..10 both ways) and buttons (menu pixels) ----
constexpr int kScoreTextSize = 100;
constexpr const char *kEscapeLine = "Press ESC to return to menu.";
constexpr float kOverlaySize = 10.0f;
constexpr float kOverlayMiddle = 5.0f;
constexpr float kHalfGlyph = 0.05f; // half a DrawStr advance: centres a line on its length
constexpr float kStatusV = 9.5f, kTitleV = 9.0f, kLevelNameV = 9.5f;
constexpr float kStripLeft = 0.5f, kStripRight = 9.5f, kStripTop = 0.8f;
constexpr float kLabelStep = 1.5f, kLabelLeft = 0.5f, kLabelV = 0.4f;
constexpr float kLabelSize = 0.25f, kLabelGap = 0.05f; // DrawStr's size; room between labels
constexpr float kScoreOffset = 0.6f;                   // a ball's score, under its label
constexpr float kRedScoreH = 0.5f, kBlueScoreH = 8.0f; // the two team scores
constexpr int kButtonStep = 100, kButtonLeft = 20;     // a label's button across
constexpr int kButtonTop = 451, kButtonBottom = 479;   // and down, inclusive
constexpr int kMinBallsInPlay = 2;
constexpr float kTranslucent = 0.5f;
constexpr float kBarEnd = 9.5f, kBarScale = 9.0f; // bars grow leftward from here
constexpr float kBarMargin = 0.1f;                // the black bar's overhang
constexpr float kRowHeight = 1.0f / 15.0f;        // endurance and tag rows
constexpr float kDominationRow = 0.2f, kDominationInset = 0.05f;

const char *const kGravityStatus[] = {"Normal Gravity * %.1f (%i)", "Planetary Gravity * %.1f (%i)",
                                      "Whirlwind Gravity * %.1f (%i)",
                                      "Giant Vacuum Cleaner * %.1f (%i)"};

void beginOverlay() {
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glOrtho(0, kOverlaySize, 0, kOverlaySize, -kOverlaySize, kOverlaySize);
  glMatrixMode(GL_MODELVIEW);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glEnable(GL_BLEND);
}

void endOverlay() {
  glEnable(GL_LIGHTING);
  glEnable(GL_DEPTH_TEST);
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
}

// Text turns depth testing back on; the overlay must not hide behind the arena.
void rect(float h0, float v0, float h1, float v1) {
  glDisable(GL_DEPTH_TEST);
  glBegin(GL_POLYGON);
  glVertex2f(h0, v0);
  glVertex2f(h1, v0);
  glVertex2f(h1, v1);
  glVertex2f(h0, v1);
  glEnd();
}

void drawCentred(float middle, float v, const char *text) {
  DrawStr(middle - kHalfGlyph * static_cast<float>(std::strlen(text)), v, text);
}

void drawStatusLine() {
  char text[kScoreTextSize];
  std::snprintf(text, sizeof text, "%s", kEscapeLine);
  const float strength = gravity / kNormalGravity; // in float: normal gravity is exactly 1
  const bool known = gravityMode >= kGravityNormal && gravityMode <= kGravityVacuum;
  if (gravityResetTime > 0 && known && (gravityMode != kGravityNormal || strength != 1))
    std::snprintf(text, sizeof text, kGravityStatus[gravityMode], strength,
                  static_cast<int>(gravityResetTime));
  glColor3f(1, 1, 1);
  DrawStr(0, kStatusV, text);
}

void drawStrip() {
  if (isTeamGame()) {
    const player *red = teamLeaders[0], *blue = teamLeaders[1];
    if (!red || !blue) return;
    glDisable(GL_DEPTH_TEST);
    glBegin(GL_POLYGON);
    glColor3f(red->r / 2, red->g / 2, red->b / 2);
    glVertex2f(kStripLeft, 0);
    glColor3f(blue->r / 2, blue->g / 2, blue->b / 2);
    glVertex2f(kStripRight, 0);
    glVertex2f(kStripRight, kStripTop);
    glColor3f(red->r / 2, red->g / 2, red->b / 2);
    glVertex2f(kStripLeft, kStripTop);
    glEnd();
    return;
  }
  for (int i = 0; i < numPlayers; i++) {
    const player *p = players[i];
    const float left = kLabelStep * static_cast<float>(i) + kLabelLeft;
    glColor3f(p->r / 2, p->g / 2, p->b / 2);
    rect(left, 0, left + kLabelStep, kStripTop);
  }
}

bool mouseOverLabel(int i) {
  const int left = kButtonStep * i + kButtonLeft;
  return mouseH >= left && mouseH < left + kButtonStep && mouseV >= kButtonTop &&
         mouseV <= kButtonBottom;
}

int humansInPlay() {
  int n = 0;
  for (int i = 0; i < numPlayers; i++)
    if (players[i]->active && players[i]->ai == kHuman) n++;
  return n;
}

// Out -> bot -> human -> out. The last two balls in play only switch between
// human and bot, so a match always has someone to play against.
void clickLabel(player *p) {
  if (p->active && p->ai == kComputer) {
    p->ai = kHuman;
  } else if (!p->active || numPlayersActive() <= kMinBallsInPlay) {
    p->active = 1;
    p->ai = kComputer;
  } else {
    p->active = 0;
  }
  playerPresent = humansInPlay(); // counted, so no switch can leave it astray
  ResetPositions();
}

void labelText(const player *p, char *text, size_t size) {
  if (!p->active)
    std::snprintf(text, size, "%s: Out", p->name);
  else if (p->ai == kHuman)
    std::snprintf(text, size, "%s: %c %c", p->name,
                  std::toupper(static_cast<unsigned char>(p->key)),
                  std::toupper(static_cast<unsigned char>(p->powerUpKey)));
  else
    std::snprintf(text, size, "%s: AI", p->name);
}

void drawLabels() {
  char text[kScoreTextSize];
  for (int i = 0; i < numPlayers; i++) {
    player *p = players[i];
    labelText(p, text, sizeof text);
    glColor3f(1, 1, 1);
    if (mouseOverLabel(i)) {
      glColor3f(1, 0, 0);
      if (buttonDown) {
        buttonDown = 0;
        clickLabel(p);
      }
    }
    // Long names would run into the next ball's label.
    DrawStrWithin(kLabelStep * static_cast<float>(i) + kLabelLeft, kLabelV, kLabelSize,
                  kLabelStep - kLabelGap, text);
  }
}

void drawScoreNumbers() {
  char text[kScoreTextSize];
  glColor3f(1, 1, 1);
  if (!isTeamGame()) {
    if (gameType == kEndurance || gameType == kTag) return; // their bars show the race
    for (int i = 0; i < numPlayers; i++) {
      if (!players[i]->active) continue;
      std::snprintf(text, sizeof text, "%i", players[i]->score);
      DrawStr(kLabelStep * static_cast<float>(i) + kScoreOffset, 0, text);
    }
    return;
  }
  if (gameType == kDomination || !teamLeaders[0] || !teamLeaders[1]) return;
  std::snprintf(text, sizeof text, "%i", teamLeaders[0]->score);
  DrawStr(kRedScoreH, 0, text);
  std::snprintf(text, sizeof text, "%i", teamLeaders[1]->score);
  DrawStr(kBlueScoreH, 0, text);
}

// The share of the target still to win; a target of 0 or less is already won.
float shareToWin(int score) {
  if (maxScore <= 0) return 0;
  return static_cast<float>(maxScore - score) / static_cast<float>(maxScore);
}

// Team 0's bars sit above team 1's: the black one is what remains, the coloured
// one how long that takes at the team's current number of nodes.
void drawDominationBars() {
  constexpr float kRowV[2] = {kDominationRow, 0};
  for (int t = 0; t < 2; t++) {
    player *leader = teamLeaders[t];
    if (!leader) continue;
    const float f = shareToWin(leader->score);
    const int nodes = NumNodes(leader);
    const float g = nodes != 0 ? f / static_cast<float>(nodes) : f;
    glColor4f(0, 0, 0, kTranslucent);
    rect(kBarEnd - kBarMargin - kBarScale * f, kRowV[t], kBarEnd + kBarMargin,
         kRowV[t] + kDominationRow);
    glColor4f(t == 0 ? 1 : 0, 0, t == 0 ? 0 : 1, kTranslucent);
    rect(kBarEnd - kBarScale * g, kRowV[t] + kDominationInset, kBarEnd,
         kRowV[t] + kDominationRow - kDominationInset);
  }
}

void drawBarRow(int row, const player *p, float colourShare, float blackShare) {
  const float h = kRowHeight, v = h * static_cast<float>(row);
  glColor4f(0, 0, 0, kTranslucent);
  rect(kBarEnd - kBarScale * blackShare - h / 5, v, kBarEnd + h / 5, v + h);
  glColor4f(p->r, p->g, p->b, kTranslucent);
  rect(kBarEnd - kBarScale * colourShare, v + 0.1f * h, kBarEnd, v + 0.9f * h);
}

void drawEnduranceBars() {
  const int slowest = TimeToWin(0, 0, maxScore);
  if (slowest <= 0) return; // a target below 2 leaves no time to measure against
  int row = 0;
  for (int i = 0; i < numPlayers; i++) {
    const player *p = players[i];
    if (!p->active) continue;
    const float a =
        static_cast<float>(TimeToWin(p->score, static_cast<int>(p->aliveTime), maxScore));
    const float b = static_cast<float>(TimeToWin(p->score, 0, maxScore));
    drawBarRow(row++, p, a / static_cast<float>(slowest), b / static_cast<float>(slowest));
  }
}

void drawTagBars() {
  if (maxScore <= 0) return;
  int row = 0;
  for (int i = 0; i < numPlayers; i++) {
    const player *p = players[i];
    if (!p->active) continue;
    const float a = 1 - static_cast<float>(p->score) / static_cast<float>(maxScore);
    drawBarRow(row++, p, a, a);
  }
}

void drawTitles() {
  char text[kScoreTextSize];
  if (arcadeMode)
    std::snprintf(text, sizeof text, "ARCADE MODE");
  else if (gameType == kEndurance || gameType == kDomination || gameType == kTag)
    std::snprintf(text, sizeof text, "%s", GameType());
  else
    std::snprintf(text, sizeof text, "%s to:%i", GameType(), maxScore);
  glColor3f(1, 1, 1);
  drawCentred(kOverlayMiddle, kTitleV, text);
  std::snprintf(text, sizeof text, "%.*s", kScoreTextSize - 1, levelname); // cut to the line buffer
  drawCentred(kOverlayMiddle, kLevelNameV, text);
}

// ---- Leaderboard -------------------------------------------------------------------------
constexpr int kTeamSize = 3; // roster positions 0-2 and 3-5 are the teams the awards know
constexpr float kTitleLineV = 4.0f, kFirstStandingV = 3.0f, kLineStep = 0.5f;
constexpr float kAwardH = -4.0f, kFirstAwardV = -1.0f;
constexpr unsigned char kSpace = ' ', kEscape = 27;

// Filled once with the roster and re-sorted in place, so equal scores keep
// the order of the last leaderboard shown.
player *sortedPlayers[kMaxPlayers];
int sortedCount = 0;
std::vector<player *> sortScratch;
bool awardsComputed = false; // awards may rightly be none; that is not "not yet"

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

} // namespace

void DrawScores() {
  beginOverlay();
  drawStatusLine();
  drawStrip();
  drawLabels();
  drawScoreNumbers();
  if (gameType == kDomination) drawDominationBars();
  if (gameType == kEndurance) drawEnduranceBars();
  if (gameType == kTag) drawTagBars();
  drawTitles();
  endOverlay();
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

void LeaderBoard() {
  SoundIdle();
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glColor3f(0, 0, 0);
  char lines[1 + kRosterSize][kAwardLineSize];
  const int n = LeaderBoardStandings(lines, 1 + kRosterSize);
  for (int k = 0; k < n; k++)
    drawCentred(0, k == 0 ? kTitleLineV : kFirstStandingV - kLineStep * static_cast<float>(k),
                lines[k]);
  if (awardLines == 0 && !awardsComputed) {
    glClearColor(backgroundColor[0], backgroundColor[1], backgroundColor[2], 1);
    GenerateAwards();
  }
  for (int i = 0; i < awardLines && i < kAwardLines; i++)
    DrawStr(kAwardH, kFirstAwardV - kLineStep * static_cast<float>(i), awards[i]);
  SwapFrame();
}

void LeaderBoardKey(unsigned char key, int, int) {
  if (key == kSpace) {
    ResetAll();
    for (int i = 0; i < numPlayers; i++)
      players[i]->score = 0;
    backgroundColor[0] = backgroundColor[1] = backgroundColor[2] = 0;
    borderRed = borderGreen = borderBlue = 0.5f;
    glutDisplayFunc(LevelSelect);
    glutKeyboardFunc(LevelKeys);
    glutSpecialFunc(SpecialLevelSelectKey);
    forgetAwards();
  } else if (key == kEscape) {
    ShowTitleScreen();
    forgetAwards();
    ResetAll();
  }
}

void ResetLeaderBoard() {
  forgetAwards();
  sortedCount = 0;
}

// ---- Awards --------------------------------------------------------------------------------
namespace {

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
  if (gameType != kBodyCount) slaughtererAward(s);
  if (gameType != kDeathmatch) kennyAndSurvivorAwards(s);
  meritAwards(s);
  habitAwards(s);
  collisionAwards(s);
  miserAward(s);
  vendettaAward(s);
  physiqueAwards(s);
  clearMatchStatistics();
}
