// The world's globals, start-up, the frame loop with its rate regulation and camera, keyboard and mouse input.
#include "TethrixExtern.h"
#include "inclGL.h"
#include "replay.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

// ---- The world -------------------------------------------------------------------
player *players[kMaxPlayers];
int numPlayers;
player *humans[kMaxHumans];
int humansNum;
player *teamLeaders[kMaxTeams];
player *puck;
player *it;
player *champion;
int championWins;
player *suctionPlayer;
block blocks[kMaxBlocks];
int blockNum;
wall walls[kMaxWalls];
int wallNum;
flag flags[kNumFlags];
int flagsPlaced;
int numCheckPoints;
float levelLeft, levelRight, levelTop, levelBottom;
char levelname[kTextSize];
char defaultLevels[kTextSize];
int currentLevel;
int numLevels;
int gameType;
int maxScore;
int gameScores[kNumGameTypes];
messList *firstMessage;
partList *firstParticle;
int paused;
int cyclingCount;
int playersDrawn;
float gravity;
int gravityMode;
float gravityResetTime;
int alwaysGravity;
int rigidStrings;
float maxDist;
float speedMult;
float gameSpeed;
double oldTime, newTime;
int spheredetail;
int powerUpInfrequency;
int powerUpList[kPowerUpListSize];
int powerUpsInList;
int powerUpFrequency[kPowerUpIDs];
int powerUpSetID;
char powerUpSetName[kTextSize];
int arcadeMode;
int hints;
int soundMode;
int useFollowMessages;
int useFullScreen;
int randomPos;
int playerPresent;
float contrails;
float backRed, backGreen, backBlue;
float borderRed, borderGreen, borderBlue;
float backgroundColor[3];
float screenH, screenV;
float actualScreenH, actualScreenV;
float screenScale;
float quantisedScale;
float actualScale;
float ar;
float heightRatio;
int mouseH, mouseV;
int buttonDown;
static bool pressUnseen, releaseDue; // a press no frame has drawn yet, and its release
unsigned char lastKey;
int lastSpecial, playerSelected, attatched;

FILE *frameReport = stdout;

static void freeRoster() {
  for (int i = 0; i < kMaxPlayers; i++) {
    std::free(players[i]);
    players[i] = nullptr;
  }
  std::free(puck);
  puck = nullptr;
}

static void resetTables() {
  std::memset(humans, 0, sizeof humans);
  std::memset(teamLeaders, 0, sizeof teamLeaders);
  std::memset(blocks, 0, sizeof blocks);
  std::memset(walls, 0, sizeof walls);
  std::memset(flags, 0, sizeof flags);
  std::memset(powerUpList, 0, sizeof powerUpList);
  std::memset(powerUpFrequency, 0, sizeof powerUpFrequency);
  for (int i = 0; i < kNumGameTypes; i++) gameScores[i] = GameTypeDefaultTarget(kFirstGameType + i);
  std::strcpy(levelname, "No Level Loaded");
  std::strcpy(defaultLevels, "level.def");
  std::strcpy(powerUpSetName, "Custom");
}

static void resetSettings() {
  numPlayers = 0;
  humansNum = 1;
  it = champion = suctionPlayer = nullptr;
  championWins = 0;
  blockNum = 0;
  wallNum = 0;
  numCheckPoints = 0;
  flagsPlaced = 0;
  levelLeft = levelRight = levelTop = levelBottom = 0;
  currentLevel = 0;
  numLevels = -1;
  gameType = kDeathmatch;
  maxScore = 0;
  paused = 0;
  cyclingCount = 0;
  playersDrawn = 0;
  gravity = kNormalGravity;
  gravityMode = kGravityNormal;
  gravityResetTime = 0;
  alwaysGravity = 0;
  rigidStrings = 1;
  maxDist = 100.0f;
  speedMult = 1.0f;
  gameSpeed = 1.0f;
  oldTime = 1.0;
  newTime = 1.1;
  spheredetail = 15;
  powerUpInfrequency = 301;
  powerUpsInList = 0;
  powerUpSetID = 0;
  arcadeMode = 0;
  hints = 1;
  soundMode = kSoundModeAll;
  useFollowMessages = 1;
  useFullScreen = 1;
  randomPos = 10;
  playerPresent = 0;
  contrails = 0;
}

// The window shape the view and the menus are laid out for, 4:3.
constexpr double kAspectWidth = 4.0, kAspectHeight = 3.0;
constexpr float kLaidOutAspect = static_cast<float>(kAspectWidth) / static_cast<float>(kAspectHeight);

static void resetView() {
  backRed = backGreen = backBlue = 0;
  borderRed = borderGreen = borderBlue = 0.5f;
  backgroundColor[0] = backgroundColor[1] = backgroundColor[2] = 0;
  screenH = screenV = actualScreenH = actualScreenV = 0;
  screenScale = quantisedScale = actualScale = 1.0f;
  ar = kLaidOutAspect;
  heightRatio = 1.0f;
  mouseH = mouseV = 0;
  buttonDown = 0;
  pressUnseen = releaseDue = false;
  lastKey = 0;
  lastSpecial = playerSelected = attatched = 0;
}

void ResetWorld() {
  freeRoster();
  FreeAllParticles();
  ClearMessages();
  resetTables();
  resetSettings();
  resetView();
  ResetIdentityCounter();
  ResetFrameRegulator();
  ResetDoPlayer();
  ForgetReaderWarnings();
  ResetLeaderBoard();
  ResetFileLocations();
  ResetMenus();
  ResetPads();
  ForgetOneSwitch();
  ResetReplays();
  ResetColourVision();
  uiScale = kUiScaleAuto;
}

// ---- Start-up --------------------------------------------------------------------
struct RosterSlot {
  int team, order;
  const char *sound;
};

static const RosterSlot kRoster[kRosterSize] = {
    {0, 1, "Red"}, {0, 3, "Yellow"}, {0, 5, "Orange"}, {1, 4, "Purple"}, {1, 2, "Green"}, {1, 1, "Blue"},
};

void BuildRoster() {
  for (const RosterSlot &slot : kRoster) {
    player *p = AddPlayer(slot.team, slot.order);
    std::strncpy(p->sound, slot.sound, sizeof p->sound - 1);
    ApplyBuiltInIdentity(p, slot.sound);
  }
  teamLeaders[0] = players[0];
  teamLeaders[1] = players[kRosterSize - 1];
  it = players[kRosterSize - 1];
  puck = NewPlayer(kPuckTeam, kPuckTeam);
  puck->playerID = kPuckID;
  puck->r = puck->g = puck->b = 1.0f;
  puck->sprite = 0;
}

// The reads of start-up. Reading the preferences empties the arena, so callers
// read the level list once more before the first frame, as the title screen does.
void StartupReads(bool writePrefs) {
  ResetPositions();
  ReadLevelFile("level.def");
  ResetPositions();
  ReadLevelFile(defaultLevels);
  const bool firstRun = !PrefsFileExists();
  ReadPrefs();
  if (firstRun) UseDefaultPowerUpBag();
  if (writePrefs) WritePrefsFile(); // creates the file on the first run
  ResetPositions();
}

// The window callbacks of start-up: the match's key routines under the given first screen.
void InstallCallbacks(void (*firstScreen)()) {
  glutReshapeFunc(Reshape);
  Screen first = ScreenRow(kScreenMatch);
  first.display = firstScreen;
  InstallScreen(first);
  glutMouseFunc(Buttonfunc);
  glutMotionFunc(PassiveMotion);
  glutPassiveMotionFunc(PassiveMotion);
  glutKeyboardUpFunc(WindowKeyUp);
  glutVisibilityFunc(vis);
}

// The game window. Held keys must not toggle a rope on and off, so the window
// system's auto-repeat never reaches the key routines.
// Closing the window in a match keeps its replay, as leaving it by Escape does.
static void windowClosing() { RecordMatchLeft(); }

void OpenWindow() {
  glutCreateWindow("Tethrix");
  if (useFullScreen) glutFullScreen();
  glutIgnoreKeyRepeat(1);
  glutCloseFunc(windowClosing);
}

void Init() {
  glClearColor(0, 0, 0, 1);
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_NORMALIZE);
  glEnable(GL_LIGHTING);
  glEnable(GL_LIGHT0);
  static const GLfloat kLightDirection[] = {1, 10, 10, 0}; // w = 0: a light from far away
  glLightfv(GL_LIGHT0, GL_POSITION, kLightDirection);
  LoadTextures();
  InitCharArray();
}

// ---- Clock and frame-rate regulation -------------------------------------------------
static std::chrono::steady_clock::duration sinceStart() {
  static const auto start = std::chrono::steady_clock::now();
  return std::chrono::steady_clock::now() - start;
}


static double realClock() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart()).count() / kMsPerSecond;
}

static double (*clockSource)() = realClock;

void SetClock(double (*clock)()) { clockSource = clock ? clock : realClock; }
double mtime() { return clockSource(); }

constexpr double kOneTick = 1.0;    // a frame shorter than this has time to spare
constexpr int kStepRing = 20;
constexpr double kRingShare = 0.05; // one step's share of the ring's mean
constexpr float kSteadyStep = 0.5f;
constexpr float kBotsOnlyGrowth = 1.001f; // per frame while only bots play: their match speeds up
constexpr int kMaxSphereDetail = 30;
constexpr int kDueSearchLeadMs = 2; // the search for the due millisecond starts this early

static struct {
  float ring[kStepRing];
  int slot;
  double total;
  float growth;
} regulator;

// The first millisecond of the real clock that ends the wait, found with the
// wait's own test: its rounding sometimes needs one millisecond more.
static double frameDue() {
  double ms = std::floor((oldTime + kHalfTick / (gameSpeed * static_cast<double>(kTicksPerSecond))) * kMsPerSecond) -
              kDueSearchLeadMs;
  if (ms < std::floor(oldTime * kMsPerSecond)) ms = std::floor(oldTime * kMsPerSecond);
  while (gameSpeed * kTicksPerSecond * (ms / kMsPerSecond - oldTime) < kHalfTick) ms++;
  return ms / kMsPerSecond;
}

// Sleeps until just before the frame is due, so the wait that follows spins for
// a fraction of a millisecond instead of the whole frame. A virtual clock only
// moves when read: it is never slept on.
constexpr double kSpinSeconds = 0.0005;

static void realSleep(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }
static void (*sleeper)(double) = realSleep;

void SetSleeper(void (*sleep)(double)) { sleeper = sleep ? sleep : realSleep; }

static void restUntilFrameDue() {
  if (clockSource != realClock) return;
  const double now = std::chrono::duration<double>(sinceStart()).count();
  const double left = frameDue() - now - kSpinSeconds;
  if (left > 0) sleeper(left);
}

void ResetFrameRegulator() {
  std::memset(&regulator, 0, sizeof regulator);
  regulator.growth = 1.0f;
}

void RegulateFrameRate() {
  oldTime = newTime;
  newTime = mtime();
  double step = gameSpeed * kTicksPerSecond * (newTime - oldTime);
  if (step < kOneTick) {
    if (spheredetail < kMaxSphereDetail) spheredetail++;
    restUntilFrameDue();
    while (step < kHalfTick) {
      newTime = mtime();
      step = gameSpeed * kTicksPerSecond * (newTime - oldTime);
    }
  }
  float frameStep = kSteadyStep;
  if (humansNum == 0 && playerPresent != 0) {
    frameStep = kSteadyStep * regulator.growth;
    regulator.growth *= kBotsOnlyGrowth;
  } else {
    regulator.growth = 1.0f;
  }
  regulator.total += frameStep * kRingShare;
  regulator.total -= kRingShare * regulator.ring[regulator.slot];
  regulator.ring[regulator.slot] = frameStep;
  regulator.slot = (regulator.slot + 1) % kStepRing;
  speedMult = static_cast<float>(regulator.total);
}

// Pads are polled here, never from a display routine: the sim runs those without devices.
void Idle() {
  PollPads();
  RegulateFrameRate();
  glutPostRedisplay();
}

void vis(int visible) { glutIdleFunc(visible == GLUT_VISIBLE ? Idle : nullptr); }

constexpr GLdouble kNearPlane = 2, kFarPlane = 100, kNearHalfHeight = 1;

void Reshape(int width, int height) {
  if (height <= 0) height = 1; // a minimised window must not divide by zero
  glViewport(0, 0, width, height);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  ar = static_cast<float>(width) / static_cast<float>(height);
  const float wide = kLaidOutAspect;
  if (ar < wide)
    glFrustum(-wide, wide, -wide / ar, wide / ar, kNearPlane, kFarPlane);
  else
    glFrustum(-ar, ar, -kNearHalfHeight, kNearHalfHeight, kNearPlane, kFarPlane);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glTranslatef(0, 0, -kEyeDistance);
  heightRatio = height / static_cast<float>(kMenuHeight);
}

// ---- The game frame ------------------------------------------------------------------
static void stepGravityReset() {
  if (gravityResetTime > 0) {
    gravityResetTime -= speedMult;
  } else {
    gravity = kNormalGravity;
    gravityMode = kGravityNormal;
  }
}

constexpr float kContrailAlpha = 0.1f; // how much of the last frame each frame covers
constexpr float kCoverAll = 100;       // a quad this far out covers any view
constexpr float kFlashFadePerTick = 0.1f;

static void clearScreen() {
  if (contrails > 0) {
    contrails -= speedMult;
    glClear(GL_DEPTH_BUFFER_BIT);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    glColor4f(backRed, backGreen, backBlue, kContrailAlpha);
    glBegin(GL_QUADS);
    glVertex3f(-kCoverAll, -kCoverAll, 0);
    glVertex3f(kCoverAll, -kCoverAll, 0);
    glVertex3f(kCoverAll, kCoverAll, 0);
    glVertex3f(-kCoverAll, kCoverAll, 0);
    glEnd();
    glClear(GL_DEPTH_BUFFER_BIT);
  } else {
    glClearColor(backRed, backGreen, backBlue, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  }
  const float fade = 1 - kFlashFadePerTick * speedMult;
  backRed *= fade;
  backGreen *= fade;
  backBlue *= fade;
}

constexpr float kHalfViewH = 6.25f; // half the view at zoom 1, with a margin
constexpr float kCameraKeep = 0.8f, kCameraPull = 0.2f; // each frame the camera goes a fifth of the way

// A window taller than 4:3 shows more above and below, and its strip is taller too.
float ArenaLift() {
  const float wide = kLaidOutAspect;
  const float halfHeight = ar > 0 && ar < wide ? kViewHalfHeight * wide / ar : kViewHalfHeight;
  return kScoreBarShare * halfHeight;
}

void FrameCamera() {
  FindCenter();
  QuantiseScale();
  actualScreenH = kCameraKeep * actualScreenH + kCameraPull * screenH;
  actualScreenV = kCameraKeep * actualScreenV + kCameraPull * screenV;
  actualScale = kCameraKeep * actualScale + kCameraPull * quantisedScale;
  if (levelRight - actualScreenH < kHalfViewH / actualScale) actualScreenH = levelRight - kHalfViewH / actualScale;
  if (levelTop - actualScreenV < kHalfViewV / actualScale) actualScreenV = levelTop - kHalfViewV / actualScale;
  if (actualScreenH - levelLeft < kHalfViewH / actualScale) actualScreenH = levelLeft + kHalfViewH / actualScale;
  if (actualScreenV - levelBottom < kHalfViewV / actualScale) actualScreenV = levelBottom + kHalfViewV / actualScale;
  // A level smaller than the view cannot fill it: show all of it, centred,
  // rather than one edge pinned and the other cut off.
  const bool narrow = levelRight - levelLeft < 2 * kHalfViewH / actualScale;
  const bool low = levelTop - levelBottom < 2 * kHalfViewV / actualScale;
  if (narrow) actualScreenH = (levelLeft + levelRight) / 2;
  if (low) actualScreenV = (levelTop + levelBottom) / 2;
  if (levelRight - levelLeft < 2 * kHalfViewH && levelTop - levelBottom < 2 * kHalfViewV) actualScale = 1;
}

constexpr int kTurboSteps = 3;           // extra steps a frame under turbo
constexpr float kPuckTurboPerFrame = 1.0f; // the puck's turbo runs by frames, not game time

static bool usesPuck() { return GameHas(kTraitPuck); }

static void stepPuck() {
  if (!usesPuck() || !puck) return;
  DoPlayer(puck);
  if (puck->turbo > 0) {
    puck->turbo -= kPuckTurboPerFrame;
    for (int k = 0; k < kTurboSteps; k++) DoPlayer(puck);
  }
}

static void collideWithOthers(player *p, bool includeSelf) {
  for (int j = 0; j < numPlayers; j++) {
    player *q = players[j];
    if (!q->alive || !q->active || (q == p && !includeSelf)) continue;
    CollidePlayers(p, q);
  }
}

// One ball's share of the frame: its step, turbo steps and collisions.
static void stepBall(player *p) {
  DoPlayer(p);
  if (usesPuck() && puck) CollidePlayers(p, puck);
  if (p->turbo != 0) {
    p->turbo -= speedMult;
    for (int k = 0; k < kTurboSteps && p->turbo > 0; k++) {
      collideWithOthers(p, false);
      DoPlayer(p);
    }
  }
  collideWithOthers(p, true);
  CollideParticles(firstParticle, p);
}

static void stepBalls() {
  for (int i = 0; i < numPlayers; i++) {
    player *p = players[i];
    if (p == puck || !p->alive || !p->active) continue;
    stepBall(p);
  }
  if (usesPuck() && puck) CollideParticles(firstParticle, puck);
}

static void frameSawButton() {
  pressUnseen = false;
  if (releaseDue) buttonDown = 0;
  releaseDue = false;
}

// Every screen ends its frame here, so F12 works on each of them, and a tap is let go.
void SwapFrame() {
  ApplyColourVision(); // before F12, so the picture shows what the player saw
  TakeRequestedScreenshot();
  glutSwapBuffers();
  EndTextLogFrame();
  if (contrails > 0) UndoColourVision(); // the next frame fades over this one
  frameSawButton();
}

void Display() {
  RecordFrameBegin();
  cyclingCount++;
  playersDrawn = 0;
  SoundIdle();
  OneSwitchFrame();
  stepGravityReset();
  clearScreen();
  PowerUpSpawnStep();
  FrameCamera();
  if (frameReport) std::fprintf(frameReport, "done displaying a frame\n");
  glPushMatrix();
  glTranslatef(0, ArenaLift(), 0); // balls at the bottom edge stay clear of the score bar
  glPushMatrix();
  glScalef(actualScale, actualScale, actualScale);
  glTranslatef(-actualScreenH, -actualScreenV, 0);
  glDisable(GL_LIGHTING);
  DrawBackground();
  DrawParticles(firstParticle);
  if (GameHas(kTraitFlags)) {
    DrawFlag(0);
    DrawFlag(1);
  }
  glPushMatrix();
  stepPuck();
  stepBalls();
  glPopMatrix();
  DrawMessages(firstMessage);
  glTranslatef(actualScreenH, actualScreenV, 0);
  glScalef(1 / actualScale, 1 / actualScale, 1 / actualScale);
  UpdateScore();
  glPopMatrix();
  glPopMatrix();
  DrawScores();
  DrawReplayMark();
  glFinish();
  SwapFrame();
  RecordFrameEnd();
}

// ---- Input ----------------------------------------------------------------------------
// The rope key's release; bots let go the same way.
void LetGo(player *p) {
  ReleaseHeldNode(p);
  p->block = kRopeFree;
}

void Key(unsigned char key, int, int) {
  RecordKey(key);
  GameKeyAction(key);
  for (int i = 0; i < numPlayers; i++) {
    player *p = players[i];
    if (key == static_cast<unsigned char>(p->key)) {
      if (p->ai != kHuman) return; // a bot earlier in the roster swallows the key
      PadKeyPressedFor(i);
      if (OneSwitchOn(i))
        OneSwitchPress(i);
      else
        RopeAction(p);
    }
    if (key == static_cast<unsigned char>(p->powerUpKey) && p->ai == kHuman) PowerUpAction(p);
  }
  glutPostRedisplay();
}

// Only a one-switch ball's key is recorded coming up: nothing else hears a release.
void KeyUp(unsigned char key, int, int) {
  bool heard = false;
  for (int i = 0; i < numPlayers && i < kRosterSize; i++)
    heard = heard || (key == static_cast<unsigned char>(players[i]->key) && OneSwitchOn(i));
  if (!heard) return;
  RecordKeyUp(key);
  for (int i = 0; i < numPlayers && i < kRosterSize; i++)
    if (key == static_cast<unsigned char>(players[i]->key)) OneSwitchRelease(i);
}

// The window's releases count in a match only; a replay being watched has its own.
void WindowKeyUp(unsigned char key, int x, int y) {
  if (MatchKeysShown() && !ReplayShowing()) KeyUp(key, x, y);
  if (ShownScreen() == kScreenKeyboardCheck) KeyboardCheckKeyUp(key);
}

void SpecialKey(int key, int, int) {
  if (key == GLUT_KEY_F12) RequestScreenshot();
}

// A window pixel as a pixel of the 640 x 480 menu screen centred in it.
static void menuPixel(int px, int py, int &h, int &v) {
  h = static_cast<int>(px / heightRatio);
  v = static_cast<int>(py / heightRatio);
  // In double: an exact 4:3 window (ar as a float) is just above 4/3 and takes the wide rule.
  const double wide = kAspectWidth / kAspectHeight;
  if (ar > wide) {
    h = static_cast<int>((wide - ar) * (kMenuHeight / 2) + h);
  } else {
    const double shrink = ar * kAspectHeight / kAspectWidth;
    h = static_cast<int>(h / shrink);
    v = static_cast<int>(v / shrink);
    v = static_cast<int>((kAspectHeight / kAspectWidth - 1.0 / ar) * (kMenuWidth / 2) + v);
  }
}

// The window's mouse reaches play in menu pixels, so a replay needs no window of the same size.
void MenuPointer(int h, int v) {
  RecordPointer(kReplayMove, h, v);
  mouseH = h;
  mouseV = v;
}

// A tap can go down and come up between two frames, and the screens only look at
// buttonDown when they draw: a press stays down until one frame has seen it.
void MenuButton(bool down, int h, int v) {
  RecordPointer(down ? kReplayPress : kReplayRelease, h, v);
  if (down) {
    mouseH = h, mouseV = v;
    buttonDown = 1;
    pressUnseen = true;
    releaseDue = false;
  } else if (pressUnseen) {
    releaseDue = true; // the click lands where it went down
  } else {
    mouseH = h, mouseV = v;
    buttonDown = 0;
  }
}

void PassiveMotion(int px, int py) {
  if (ReplayShowing()) return; // the replayed match has its own mouse
  int h, v;
  menuPixel(px, py, h, v);
  MenuPointer(h, v);
}

void Buttonfunc(int, int state, int px, int py) {
  if (ReplayShowing()) return;
  int h, v;
  menuPixel(px, py, h, v);
  MenuButton(state == GLUT_DOWN, h, v);
}
