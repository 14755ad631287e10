// The score bar over the game, and the leaderboard screen that shows the standings and awards.
#include "TethrixExtern.h"
#include "inclGL.h"
#include "replay.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// ---- Score bar: overlay layout (overlay units, 0..10 both ways) and buttons (menu pixels) ----
constexpr int kScoreTextSize = 100;
constexpr const char *kEscapeLine = "Press ESC to return to menu.";
constexpr float kOverlaySize = 10.0f;
constexpr float kOverlayMiddle = 5.0f;
constexpr float kTitleV = 9.0f, kLevelNameV = 9.5f;
constexpr float kStatusV = 9.78f, kStatusSize = 0.2f; // a row of its own above the level name
constexpr float kTopMargin = 0.1f;                    // the top lines keep off the window's sides
constexpr float kStripLeft = 0.5f, kStripRight = 9.5f, kStripTop = 0.8f;
constexpr float kLabelStep = 1.5f, kLabelLeft = 0.5f, kLabelV = 0.4f;
constexpr float kLabelSize = 0.25f, kLabelGap = 0.05f; // DrawStr's size; room between labels
constexpr float kScoreOffset = 0.6f;                   // a ball's score, under its label
constexpr float kLeastOneLineShare = 0.8f;             // of kLabelSize: smaller takes two lines
constexpr float kUpperLineV = 0.54f, kLowerLineV = 0.27f; // a two-line label's lines
constexpr float kRedScoreH = 0.5f, kBlueScoreH = 8.0f; // the two team scores
constexpr int kButtonStep = 100, kButtonLeft = 20;     // a label's button across
constexpr int kButtonTop = 451, kButtonBottom = 479;   // and down, inclusive
constexpr int kMinBallsInPlay = 2;
constexpr float kTranslucent = 0.5f;
constexpr float kBarEnd = 9.5f, kBarScale = 9.0f; // bars grow leftward from here
constexpr float kBarMargin = 0.1f;                // the black bar's overhang
constexpr float kRowHeight = 1.0f / 15.0f;        // endurance and tag rows
constexpr float kDominationRow = 0.2f, kDominationInset = 0.05f;
constexpr float kRowTextSize = 0.18f, kRowTextV = 0.02f; // a team's numbers inside its row
constexpr float kMarkRadius = 0.09f, kMarkRoom = 0.25f;  // a team's mark left of its text
constexpr float kGlyphRadius = 0.09f, kGlyphRoom = 0.25f; // a ball's glyph left of its name
constexpr float kPauseMiddle = 5.0f, kPauseV = 7.0f, kPauseHintV = 6.5f;
constexpr float kPauseSize = 0.5f, kPauseHintSize = 0.25f;
constexpr float kPauseLeft = 3.0f, kPauseRight = 7.0f, kPauseBottom = 6.3f, kPauseTop = 7.7f;

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

void drawStatusLine() {
  char text[kScoreTextSize];
  std::snprintf(text, sizeof text, "%s", kEscapeLine);
  const float strength = gravity / kNormalGravity; // in float: normal gravity is exactly 1
  const bool known = gravityMode >= kGravityNormal && gravityMode <= kGravityVacuum;
  if (gravityResetTime > 0 && known && (gravityMode != kGravityNormal || strength != 1))
    std::snprintf(text, sizeof text, kGravityStatus[gravityMode], strength,
                  static_cast<int>(gravityResetTime));
  glColor3f(1, 1, 1);
  DrawStrWithin(0, kStatusV, kStatusSize, kOverlaySize, text);
}

const player *leaderOf(const player *p) {
  return p->team >= 0 && p->team < kMaxTeams ? teamLeaders[p->team] : nullptr;
}

// The team's mark in the current colour, centred on (h, v).
void drawMarkAt(int team, float h, float v) {
  glDisable(GL_DEPTH_TEST);
  glPushMatrix();
  glTranslatef(h, v, 0);
  DrawTeamMark(team, kMarkRadius);
  glPopMatrix();
}

// The overlay's units are wider than high: the glyph is stretched back upright.
void drawGlyphAt(int slot, float h, float v) {
  glPushMatrix();
  glTranslatef(h, v, 0);
  glScalef(1, ar, 1);
  DrawBallGlyph(slot, 0, 0, kGlyphRadius);
  glPopMatrix();
}

// In team games each ball's panel takes its team's colour, so the teams read as blocks.
void drawStrip() {
  for (int i = 0; i < numPlayers && i < kRosterSize; i++) {
    const player *p = players[i];
    if (isTeamGame() && leaderOf(p)) p = leaderOf(p);
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

// Counted, so no switch can leave it astray; then the round starts again.
void rosterChanged() {
  playerPresent = humansInPlay();
  ResetPositions();
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
  rosterChanged();
}

} // namespace

void JoinAsHuman(player *p) {
  p->active = 1;
  p->ai = kHuman;
  rosterChanged();
}

namespace {

void labelText(const player *p, int ball, char *text, size_t size) {
  if (!p->active)
    std::snprintf(text, size, "%s: Out", p->name);
  else if (p->ai == kHuman && PadNumberOfBall(ball) > 0)
    std::snprintf(text, size, "%s: Pad %d", p->name, PadNumberOfBall(ball));
  else if (p->ai == kHuman)
    std::snprintf(text, size, "%s: %c %c", p->name,
                  std::toupper(static_cast<unsigned char>(p->key)),
                  std::toupper(static_cast<unsigned char>(p->powerUpKey)));
  else
    std::snprintf(text, size, "%s: AI", p->name);
}

// A label too long for its panel even narrowed takes two lines, the name over what the ball is
// doing, between the score row and the strip's top; Domination's numbers keep the first
// panel's lower line, so there it shrinks instead. Long names stay in their panel either way.
void drawLabelText(int panel, float left, float width, const char *text) {
  const char *status = nullptr;
  for (const char *c = std::strstr(text, ": "); c; c = std::strstr(c + 1, ": ")) status = c;
  const bool roomBelow = !(GameHas(kTraitHeldPoints) && panel == 0);
  if (!status || !roomBelow ||
      NarrowedStrHeight(kLabelSize, width, ar, text) >= kLeastOneLineShare * kLabelSize) {
    DrawStrNarrowed(left, kLabelV, kLabelSize, width, ar, text);
    return;
  }
  char name[kScoreTextSize];
  std::snprintf(name, sizeof name, "%.*s", static_cast<int>(status - text), text);
  DrawStrNarrowed(left, kUpperLineV, kLabelSize, width, ar, name);
  DrawStrNarrowed(left, kLowerLineV, kLabelSize, width, ar, status + 2);
}

void drawLabels() {
  char text[kScoreTextSize];
  for (int i = 0; i < numPlayers; i++) {
    player *p = players[i];
    labelText(p, i, text, sizeof text);
    glColor3f(1, 1, 1);
    if (mouseOverLabel(i)) {
      glColor3f(1, 0, 0);
      if (buttonDown) {
        buttonDown = 0;
        clickLabel(p);
      }
    }
    if (i >= kRosterSize) continue; // only six panels fit the bar
    float left = kLabelStep * static_cast<float>(i) + kLabelLeft, width = kLabelStep - kLabelGap;
    if (isTeamGame() && leaderOf(p)) {
      drawMarkAt(p->team, left + kMarkRoom / 2, kLabelV + kLabelSize / 2);
      left += kMarkRoom, width -= kMarkRoom;
    }
    drawGlyphAt(i, left + kGlyphRoom / 2, kLabelV + kLabelSize / 2);
    left += kGlyphRoom, width -= kGlyphRoom;
    drawLabelText(i, left, width, text);
  }
}

void drawScoreNumbers() {
  char text[kScoreTextSize];
  glColor3f(1, 1, 1);
  if (!isTeamGame()) {
    if (GameHas(kTraitFrameScoring)) return; // their bars show the race
    for (int i = 0; i < numPlayers && i < kRosterSize; i++) {
      if (!players[i]->active) continue;
      std::snprintf(text, sizeof text, "%i", players[i]->score);
      DrawStr(kLabelStep * static_cast<float>(i) + kScoreOffset, 0, text);
    }
    return;
  }
  if (GameHas(kTraitFrameScoring) || !teamLeaders[0] || !teamLeaders[1]) return;
  const float scoreH[2] = {kRedScoreH, kBlueScoreH};
  for (int t = 0; t < 2; t++) {
    drawMarkAt(t, scoreH[t] + kMarkRoom / 2, kLabelSize / 2);
    std::snprintf(text, sizeof text, "%i", teamLeaders[t]->score);
    DrawStr(scoreH[t] + kMarkRoom, 0, text);
  }
}

// Bars never leave the strip, whatever share they are asked to show.
void barRect(float h0, float v0, float h1, float v1) {
  if (!std::isfinite(h0) || !std::isfinite(h1)) return;
  rect(std::clamp(h0, kStripLeft, kStripRight), std::clamp(v0, 0.0f, kStripTop),
       std::clamp(h1, kStripLeft, kStripRight), std::clamp(v1, 0.0f, kStripTop));
}

// Team 0's bars sit above team 1's: the black one is what remains, the coloured
// one how long that takes at the team's current number of nodes.
void drawDominationBars() {
  constexpr float kRowV[2] = {kDominationRow, 0};
  for (int t = 0; t < 2; t++) {
    player *leader = teamLeaders[t];
    if (!leader) continue;
    const float f = ShareToWin(leader->score);
    const int nodes = NumNodes(leader);
    const float g = nodes != 0 ? f / static_cast<float>(nodes) : f;
    glColor4f(0, 0, 0, kTranslucent);
    barRect(kBarEnd - kBarMargin - kBarScale * f, kRowV[t], kBarEnd + kBarMargin,
            kRowV[t] + kDominationRow);
    glColor4f(t == 0 ? 1 : 0, 0, t == 0 ? 0 : 1, kTranslucent);
    barRect(kBarEnd - kBarScale * g, kRowV[t] + kDominationInset, kBarEnd,
            kRowV[t] + kDominationRow - kDominationInset);
  }
  // The bars show how near; the numbers say how much, each by its team's mark.
  char text[kScoreTextSize];
  for (int t = 0; t < 2; t++) {
    if (!teamLeaders[t]) continue;
    glColor3f(1, 1, 1);
    drawMarkAt(t, kStripLeft + kMarkRoom / 2, kRowV[t] + kDominationRow / 2);
    std::snprintf(text, sizeof text, "%i/%i", teamLeaders[t]->score, maxScore);
    DrawStr2(kStripLeft + kMarkRoom, kRowV[t] + kRowTextV, kRowTextSize, text);
  }
}

void drawBarRow(int row, const player *p, float colourShare, float blackShare) {
  const float h = kRowHeight, v = h * static_cast<float>(row);
  glColor4f(0, 0, 0, kTranslucent);
  barRect(kBarEnd - kBarScale * blackShare - h / 5, v, kBarEnd + h / 5, v + h);
  glColor4f(p->r, p->g, p->b, kTranslucent);
  barRect(kBarEnd - kBarScale * colourShare, v + 0.1f * h, kBarEnd, v + 0.9f * h);
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
  else if (GameHas(kTraitFrameScoring))
    std::snprintf(text, sizeof text, "%s", GameType());
  else
    std::snprintf(text, sizeof text, "%s to:%i", GameType(), maxScore);
  glColor3f(1, 1, 1);
  const float width = kOverlaySize - 2 * kTopMargin;
  DrawStrCentred(kOverlayMiddle, kTitleV, kLabelSize, width, text);
  std::snprintf(text, sizeof text, "%.*s", kScoreTextSize - 1, levelname); // cut to the line buffer
  DrawStrCentred(kOverlayMiddle, kLevelNameV, kLabelSize, width, text);
}

// The arena stands still behind it; say so, and how to go on.
// The note grows with the text size about its middle line, and stays inside the window.
void drawPauseNote() {
  const float s = UiScale();
  const float middleV = (kPauseBottom + kPauseTop) / 2, half = s * (kPauseTop - kPauseBottom) / 2;
  const float halfWidth = s * (kPauseRight - kPauseLeft) / 2;
  glColor4f(0, 0, 0, kTranslucent);
  rect(kPauseMiddle - halfWidth, middleV - half, kPauseMiddle + halfWidth, middleV + half);
  glColor3f(1, 1, 1);
  const float width = kOverlaySize - 2 * kTopMargin;
  DrawStrCentred(kPauseMiddle, middleV + s * (kPauseV - middleV), s * kPauseSize, width, "Paused");
  const char *padNotice = PadNotice(); // an unplugged pad says whose, and how to go on
  const float hintV = middleV + s * (kPauseHintV - middleV);
  // A replay goes on by itself when the players did; P would do nothing there.
  const char *hint = ReplayShowing() ? "The match was paused here" : "Press P to play on";
  DrawStrCentred(kPauseMiddle, hintV, s * kPauseHintSize, width, padNotice[0] ? padNotice : hint);
}

// ---- Leaderboard -------------------------------------------------------------------------
constexpr unsigned char kSpace = ' ';
constexpr unsigned char kWatchKey = 'w';
constexpr const char *kLeaderBoardKeys = "Space: next match    W: watch again    Escape: title";
constexpr const char *kLeaderBoardKeysUnrecorded = "Space: next match    Escape: title"; // replays off

// Menu view units: the title band fills the top down to 1.5, the screen's half-height is 4.6.
// The panel below holds a title, six standings, thirteen awards and the keys without overlap.
constexpr float kPanelLeft = -5.9f, kPanelRight = 5.9f, kPanelTop = 1.35f, kPanelBottom = -4.5f;
constexpr float kPanelInset = 0.2f, kPanelWidth = kPanelRight - kPanelLeft - 2 * kPanelInset;
constexpr float kWinnerV = 0.85f, kWinnerSize = 0.4f;
constexpr float kFirstStandingV = 0.45f, kStandingStep = 0.3f, kStandingSize = 0.25f;
constexpr float kStandingGlyphRadius = 0.1f, kStandingGlyphRoom = 0.3f; // the ball's glyph, then its line
constexpr float kStandingWidth = kPanelWidth - kStandingGlyphRoom;
constexpr float kAwardGap = 0.05f, kAwardStep = 0.22f, kAwardSize = 0.19f; // under the standings
constexpr float kKeysV = -4.45f, kKeysSize = 0.22f;
constexpr int kShownAwards = 13; // as many as the awards can give
constexpr float kNight[3] = {0.03f, 0.04f, 0.11f}, kPanelShade[4] = {0.08f, 0.1f, 0.25f, 0.7f};
constexpr float kPanelEdge[3] = {0.45f, 0.85f, 1.0f}, kGold[3] = {1.0f, 0.82f, 0.3f};
constexpr float kAwardInk[3] = {0.8f, 0.88f, 1.0f}, kKeysInk[3] = {0.5f, 1.0f, 0.6f};

} // namespace

void DrawScores() {
  beginOverlay();
  drawStatusLine();
  drawStrip();
  drawLabels();
  drawScoreNumbers();
  if (GameHas(kTraitHeldPoints)) drawDominationBars();
  if (GameHas(kTraitAliveScores)) drawEnduranceBars();
  if (GameHas(kTraitIt)) drawTagBars();
  drawTitles();
  if (paused) drawPauseNote();
  endOverlay();
}

namespace {

const char *plural(int n) { return n == 1 ? "" : "s"; }
void ink(const float rgb[3]) { glColor3f(rgb[0], rgb[1], rgb[2]); }

void drawPanel() {
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glEnable(GL_BLEND);
  glColor4f(kPanelShade[0], kPanelShade[1], kPanelShade[2], kPanelShade[3]);
  rect(kPanelLeft, kPanelBottom, kPanelRight, kPanelTop);
  ink(kPanelEdge);
  glBegin(GL_LINE_LOOP);
  glVertex2f(kPanelLeft, kPanelBottom);
  glVertex2f(kPanelRight, kPanelBottom);
  glVertex2f(kPanelRight, kPanelTop);
  glVertex2f(kPanelLeft, kPanelTop);
  glEnd();
}

// The first standing's line: lower as its text grows, so it keeps clear of the winner's.
float firstStandingV(float s) { return kFirstStandingV - (s - 1) * kStandingSize; }

// The text size asked for, made smaller where the standings and awards would not fit above
// the keys' line.
float boardScale(int standings, int awardCount) {
  constexpr float kRoom = kFirstStandingV - (kKeysV + kKeysSize + kAwardGap);
  const float needed = kStandingStep * static_cast<float>(standings) + kAwardGap +
                       kAwardStep * static_cast<float>(awardCount < kShownAwards ? awardCount : kShownAwards);
  const float fits = (kRoom + kStandingSize) / (needed + kStandingSize);
  const float s = UiScale();
  return s < fits ? s : (fits > 1 ? fits : 1);
}

int standingsShown() {
  int k = 0;
  for (int i = 0; i < sortedCount && i < kRosterSize; i++) k += sortedPlayers[i]->active ? 1 : 0;
  return k;
}

// Each ball's line in a light shade of its own colour; one point or win is not "1 wins".
// Returns where a line after them would go.
float drawStandings(float s) {
  char text[kAwardLineSize];
  int k = 0;
  for (int i = 0; i < sortedCount && i < kRosterSize; i++) {
    const player *p = sortedPlayers[i];
    if (!p->active) continue;
    std::snprintf(text, sizeof text, "%s:%i point%s; %i win%s", p->name, p->score,
                  plural(p->score), p->wins, plural(p->wins));
    const float v = firstStandingV(s) - s * kStandingStep * static_cast<float>(k++);
    const float width = DrawnStrWidth(s * kStandingSize, kStandingWidth, text);
    DrawBallGlyph(p->playerID, -width / 2, v + s * kStandingSize / 2, s * kStandingGlyphRadius);
    glColor3f((1 + p->r) / 2, (1 + p->g) / 2, (1 + p->b) / 2);
    DrawStrCentred(kStandingGlyphRoom / 2, v, s * kStandingSize, kStandingWidth, text);
  }
  return firstStandingV(s) - s * kStandingStep * static_cast<float>(k);
}

} // namespace

// Drawn as the menus are: the title band over the night sky, the results on a panel below.
void LeaderBoard() {
  SoundIdle();
  glClearColor(kNight[0], kNight[1], kNight[2], 1); // the reset on leaving puts black back
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  fillSortBuffer();
  sortPlayers(0, sortedCount, sortedPlayers);
  if (awardLines == 0 && !awardsComputed) GenerateAwards();
  glEnable(GL_LIGHTING);
  DrawTitle();
  drawPanel();
  const float left = kPanelLeft + kPanelInset;
  const float s = boardScale(standingsShown(), awardLines);
  float below = firstStandingV(s);
  if (sortedCount > 0) {
    char text[kAwardLineSize];
    std::snprintf(text, sizeof text, "%s Wins!", sortedPlayers[0]->name);
    ink(kGold);
    DrawStrCentred(0, kWinnerV, kWinnerSize, kPanelWidth, text);
    below = drawStandings(s);
  }
  ink(kAwardInk);
  for (int i = 0; i < awardLines && i < kShownAwards; i++)
    DrawStrWithin(left, below - kAwardGap - s * kAwardStep * static_cast<float>(i), s * kAwardSize,
                  kPanelWidth, awards[i]);
  ink(kKeysInk);
  DrawStrCentred(0, kKeysV, kKeysSize, kPanelWidth, LastReplay() ? kLeaderBoardKeys : kLeaderBoardKeysUnrecorded);
  glEnable(GL_LIGHTING);
  SwapFrame();
}

void LeaderBoardAction(int action) {
  if (action == kMenuActionAccept) {
    ResetAll();
    for (int i = 0; i < numPlayers; i++)
      players[i]->score = 0;
    backgroundColor[0] = backgroundColor[1] = backgroundColor[2] = 0;
    borderRed = borderGreen = borderBlue = 0.5f;
    ShowScreen(kScreenLevelSelect);
    forgetAwards();
  } else if (action == kMenuActionBack) {
    forgetAwards();
    BackToTitle();
  }
}

void LeaderBoardKey(unsigned char key, int, int) {
  if (key == kSpace)
    LeaderBoardAction(kMenuActionAccept);
  else if (key == kWatchKey || key == std::toupper(kWatchKey))
    WatchLastReplay();
  else if (key == kKeyEscape)
    LeaderBoardAction(kMenuActionBack);
}
