// The world's globals and every module's entry points, declared for all modules.
#pragma once

#include "Tethrix.h"

#include <cstdio>
#include <string>
#include <vector>

// The world's globals are defined in tethrix.cpp.

// ---- World tables: the roster and the level ----------------------------------
extern player *players[kMaxPlayers];
extern int numPlayers;
extern player *humans[kMaxHumans]; // the human balls in play, rebuilt every frame
extern int humansNum;
extern player *teamLeaders[kMaxTeams]; // the ball that carries each team's score
extern player *puck;
extern block blocks[kMaxBlocks];
extern int blockNum; // index of the last node, -1 for none
extern wall walls[kMaxWalls];
extern int wallNum;
extern flag flags[kNumFlags];
extern int numCheckPoints; // the highest checkpoint number the level gave
extern int flagsPlaced;    // bit t: the level read placed team t's flag
constexpr int kBothFlags = (1 << kNumFlags) - 1;
extern float levelLeft, levelRight, levelTop, levelBottom;
extern char levelname[kTextSize];
extern char defaultLevels[kTextSize]; // the level list file
extern int currentLevel;
extern int numLevels; // the last level number of the list read; -1 after another file
extern messList *firstMessage;
extern partList *firstParticle;

// ---- Match state -------------------------------------------------------------
extern int gameType;
extern int maxScore;                     // the winning score of this match
extern int gameScores[kNumGameTypes];    // each type's target, as the level list gives it
extern player *it;                       // tag's chaser
extern player *champion;                 // who won the last round, and how many in a row
extern int championWins;
extern player *suctionPlayer;            // the vacuum's centre
extern int paused;
extern int arcadeMode;                   // a deathmatch that never ends
extern int playerPresent;                // humans in play
extern int cyclingCount;                 // game frames drawn
extern int playersDrawn;                 // balls drawn this frame
extern float gravity;
extern int gravityMode;
extern float gravityResetTime;           // ticks until plain gravity comes back
extern float contrails;                  // ticks the screen fades instead of clearing

// ---- Frame timing ------------------------------------------------------------
extern float speedMult; // the ticks of this frame
extern double oldTime, newTime;
extern int spheredetail;

// ---- Power-up bag ------------------------------------------------------------
extern int powerUpInfrequency; // ticks between power-ups, on average
extern int powerUpList[kPowerUpListSize];
extern int powerUpsInList;
extern int powerUpFrequency[kPowerUpIDs];
extern int powerUpSetID;
extern char powerUpSetName[kTextSize];

// ---- Settings: the preferences and the level's rope rules --------------------
extern int alwaysGravity;
extern int rigidStrings;
extern float maxDist; // the rope's reach
extern float gameSpeed;
extern int hints;
extern int soundMode;
extern int useFollowMessages;
extern int useFullScreen;
extern int randomPos;

// ---- Colours -----------------------------------------------------------------
extern float backRed, backGreen, backBlue;       // the flash a point leaves, fading
extern float borderRed, borderGreen, borderBlue; // the arena's border
extern float backgroundColor[3];                 // the tint the last point left

// ---- Camera ------------------------------------------------------------------
extern float screenH, screenV;             // where the camera wants to be
extern float actualScreenH, actualScreenV; // where it is, easing toward that
extern float screenScale;
extern float quantisedScale;
extern float actualScale;
extern float ar; // the window's width over its height
// The arena is framed in the window above the score bar's strip. Arena units at zoom 1.
constexpr float kEyeDistance = 9.2f; // from the eye to the arena's plane and the menus'
constexpr float kViewHalfHeight = kEyeDistance / 2; // a 4:3 window: the near plane 2 away, 1 high
constexpr float kScoreBarShare = 0.08f; // the strip's part of the window's height
constexpr float kHalfViewV = 3.9f; // half the framed height: a ball's room short of the strip
float ArenaLift(); // how far the arena is raised so the framed height sits above the strip

// ---- Input -------------------------------------------------------------------
extern float heightRatio; // window pixels per menu pixel, up and down
extern int mouseH, mouseV; // on the 640 x 480 menu screen
extern int buttonDown;     // held, or tapped and not yet seen by a frame
extern unsigned char lastKey;
extern int lastSpecial, playerSelected, attatched;

// ---- tethrix: start-up, frame loop, input, gravity, resets, messages -------------
void ResetWorld();  // every global back to its start value; frees the roster
void BuildRoster(); // the six roster balls and the puck of start-up
void StartupReads(bool writePrefs);
extern FILE *frameReport; // where the per-frame line goes; null for none
void InstallCallbacks(void (*firstScreen)()); // every window callback of start-up
void OpenWindow(); // titled, full screen if asked, key auto-repeat off
void Init();
void Idle();
void RegulateFrameRate();
void ResetFrameRegulator();
void Display();
void SwapFrame(); // a screen's frame is done: the F12 picture is taken, then the swap
// The end-to-end test's view of the text: each frame's lines and their window boxes, in a file.
void OpenTextLog(const char *path); // empty or null: none
void EndTextLogFrame();             // the frame's lines replace the file's
// Words painted in a picture, noted in the log like drawn text: the box is in the current model space.
void LogTextBox(const char *text, float left, float bottom, float right, float top);
void Reshape(int width, int height);
void vis(int visible);
double mtime();
// The frame clock: a frame waits at least half a tick, 20 ticks a second at game speed 1.
constexpr double kMsPerSecond = 1000.0;
constexpr int kTicksPerSecond = 20;
constexpr double kHalfTick = 0.5;
double NominalFrameMs(); // a frame's length where the machine keeps up, at this game speed
void SetClock(double (*clock)()); // tools drive the game on a virtual clock
void SetSleeper(void (*sleep)(double seconds)); // how the frame wait rests; null: really
void Key(unsigned char key, int x, int y);
void KeyUp(unsigned char key, int x, int y); // a release: only one-switch balls listen
void WindowKeyUp(unsigned char key, int x, int y); // installed once: KeyUp while a match is shown
void SpecialKey(int key, int x, int y);
void PassiveMotion(int x, int y);
void Buttonfunc(int button, int state, int x, int y);
void MenuPointer(int h, int v);           // the pointer at a menu pixel, as the window's moves give it
void MenuButton(bool down, int h, int v); // the button there, as the window's presses give it
void LetGo(player *p); // free the ball; a blink node it held hides or goes
void ApplyGravity(float *h, float *v, float hv, float vv, int unblockable);
void ResetPositions();
void ResetAll();
void Swap(int player1, int player2);
void PrepareUnstableMatch();
void DrawMessages(messList *first);
void PushMessage(float h, float v, float hv, float vv, float lifetime, const char *text,
                 float *hCenter, float *vCenter, int *flagP, int flagV);
void ClearMessages();
int CountMessages();
void Say(const char *text);
void PowerUpSpawnStep();
void FrameCamera();

// ---- player: roster, motion, walls, collisions, drawing, power-up use ------------
player *NewPlayer(int team, int order);
player *AddPlayer(int team, int order);
void ResetPlayer(player *p);
void PutOnStart(player *p);    // start position and start velocity
void PlaceForRound(player *p); // a ball's round start: alive, free, a ghost for a moment
void ResetIdentityCounter();
void ApplyBuiltInIdentity(player *p, const char *colourName);
void DoPlayer(player *p);
void MovePlayer(player *p);
void ReleaseHeldNode(const player *p); // the node a ball lets go of blinks out
void HitWalls(player *p);
void StepFlipper(wall *w);
void CollidePlayers(player *p1, player *p2);
bool opposes(const player *p, const player *q); // another ball, and in a team game the other team's
void DrawPlayer(player *p);
int faceColumn(const player *p); // the sprite sheet column that shows the ball's state
void DrawTeamMark(int team, float radius); // the team's outline round the origin
void SpecialPlayer(player *p);
void ProcessPowerUp(player *p);
void CollectPowerUp(player *p, int id); // what grabbing a node that carries id does
void ResetDoPlayer();
// The attacks and strikes ProcessPowerUp dispatches to, and the steps SpecialPlayer runs.
void UseTapeworm(player *p);
void UseNova(player *p);
void UseSupernova(player *p);
void UseAntimatter(player *p);
void UseParticleShield(player *p);
void UseShotgun(player *p); // both barrels
void UseHomingMissile(player *p);
void UseNovaBomb(player *p);
void UseAntimatterBomb(player *p);
void UseMatrixShield(player *p);
void UseRingShield(player *p);
void UseReverse(player *p);
void UseTimeWarp(player *p);
void UseOmegaOne(player *p);
void UseChainCharge(player *p);
void UseSlam(player *p);
void UseChase(player *p);
void UseBlinkStrike(player *p);
void StepChase(player *p);
void StepChainCharge(player *p);
void StepSupernova(player *p);
void StepBeams(player *p); // particle beam and freeze ray

// ---- levels: node motion and arena drawing -----------------------------------
void MoveBlock(int blockID);
int FindCenter();
void QuantiseScale();
int teamAlive(int team);
void DrawBackground();
void DrawLightning(float x1, float y1, float x2, float y2, int move);
void DrawLightning2(float x1, float y1, float x2, float y2);
void DrawFlag(int team);
void StepFlagHome(int team);
void SphereAt2d(int x, int y, float size);

// ---- helpers: lookups ----------------------------------------------------------
int FindNearestBlock(float h, float v);
block *findNode(float h, float v, int checkPoint);
const char *powerUpName(int id);
const char *powerUpDescription(int id);
const char *powerUpLabel(int id);
const char *powerUpSound(int id);
int powerUpIsAuto(int id); // 1 for those used the moment they are collected
BotUse powerUpBotUse(int id); // kKeep for an uncatalogued ID
const char *GameType();
const char *GameTypeName(int num);
int GameTypeAI();
int isTeamGame();
bool GameTypeHas(int num, unsigned trait); // any of the GameTrait bits; false for a number the table lacks
bool GameHas(unsigned trait);              // of the current gameType
const char *GameTypeLevelKey(int num);   // "" for a number the table lacks
int GameTypeKeyRank(int num);            // the reader's order of level keys; -1 for a number the table lacks
const char *GameTypeTeamPoint(int num);  // announcer line after a scoring team's name, or null
const char *GameTypeShortfall(int num);  // what a level lacks when it has no checkpoints or flags, or null
const char *GameTypeObjective(int num);  // what the tournament counts besides kills, or null
const char *GameTypeStartSound(int num);
int GameTypeDefaultTarget(int num);      // 0 for a number the table lacks
const char *GameTypeCaption(int num);    // a format: %i is the target where there is one
int gameRand();           // gameplay source, 0..32767
void gameSrand(unsigned seed);
unsigned gameRandState(); // what gameSrand would set to go on from here: a replay's seed
int gameRandPeek();        // the next gameRand, left in the source: a choice that moves no draw
int cosmeticRand();       // drawing-only source, 0..32767
void cosmeticSrand(unsigned seed);
constexpr int kRandMax = 32767;

// ---- files: the line reader and the preferences writer -----------------------------
void ReadLevelFile(const char *name);
void ForgetReaderWarnings(); // a fault already reported is reported again
void ReadPrefs();
bool PrefsFileExists();
void UseDefaultPowerUpBag(); // the bag of a first run, before any preferences exist
void WritePrefsFile();
int WritePrefsTo(const char *name); // 0 on success
// Writes beside the file and renames over it; false, told in one line on standard error, if not.
bool WriteFileWhole(const char *name, bool (*write)(FILE *out, const void *what), const void *what);
// The lines the level read takes for `level` from the level list (those before its first
// level too), as the reader sees them.
std::vector<std::string> LevelListLines(const char *levelFile, int level);
// Those lines read as the level list: warnings name `source` from line firstLine on, or
// none when quiet (the list itself told them).
void ReadLevelLines(const std::vector<std::string> &lines, const char *source, int firstLine, bool quiet);
void copyText(char *dst, size_t size, const char *src); // cut to fit, always ended

// ---- particles ---------------------------------------------------------------------
// The lists passed in are always firstParticle; emitters push at its front.
void DrawParticles(partList *particles);
void CollideParticles(partList *particles, player *p);
void ClearParticles();   // a round reset: every particle with mass goes
void FreeAllParticles(); // a full reset: every particle goes, the pool is released
int CountParticles();
void LimitParticleMemory(int maxParticles); // tests: memory for no more; -1 = unlimited
void NewParticles(int num, float h, float hv, float v, float vv, float r, float g, float b,
                  float deviation, float *hCenter, float *vCenter, int lifetime);
void NewMassParticles(int num, float h, float hv, float v, float vv, float r, float g, float b,
                      float deviation, float mass, int player, float *hCenter, float *vCenter,
                      int lifetime);
void NewBombParticles(int num, float h, float hv, float v, float vv, float r, float g, float b,
                      float deviation, float mass, int player, float *hCenter, float *vCenter,
                      int lifetime);
void NovaParticles(int num, float h, float hv, float v, float vv, float r, float g, float b,
                   float deviation, float mass, int player, int lifetime);
void FlattenedNovaParticles(int num, float h, float hv, float v, float vv, float r, float g,
                            float b, float deviation, float mass, int player, int lifetime);
void InterpolatedParticles(int num, float h, float hv, float v, float vv, float h2, float hv2,
                           float v2, float vv2, float r, float g, float b, float mass, int player,
                           int lifetime, int type);
void TracebackParticles(player *pl, int lifetime);
void RingParticles(player *pl, int lifetime, float mass, int type);
void MatrixParticles(player *pl, int lifetime, float mass);
void WormParticles(player *pl, int num, int lifetime, float mass);

// ---- ai ------------------------------------------------------------------------------
void DoAI(player *p);
void Retarget(player *p);
// The objective's goal offset: the ball minus the point it heads for. False when the game
// gives the bot nothing to head for (it then plays to survive).
bool BotGoal(player *p, float *temph, float *tempv);
long BotPowerUpUses(); // power-ups bots have fired since the count was last cleared
void ClearBotPowerUpUses();
void SetBotUseHook(void (*hook)(const player *p, int powerUpType)); // hears each try; null for none

// ---- score ---------------------------------------------------------------------------
void UpdateScore();
void DrawScores();
void AddPoint(player *p);
int TimeToWin(int score, int rate, int target); // frames, never below 1
int NumNodes(const player *p);
int numPlayersActive();
float ShareToWin(int score); // of maxScore; 0 when there is no target to win
void LeaderBoard();
void LeaderBoardKey(unsigned char key, int x, int y);
void LeaderBoardAction(int action); // accept: the next match's level select; back: the title
constexpr int kAwardLines = 32;     // lines of the awards table
constexpr int kAwardLineSize = 256; // characters of one award line
extern char awards[kAwardLines][kAwardLineSize];
extern int awardLines;
void sortPlayers(int start, int end, player **array);
void GenerateAwards();
// The leaderboard's title and one line per active ball, sorted, as drawn; returns the count.
int LeaderBoardStandings(char lines[][kAwardLineSize], int maxLines);
void ResetLeaderBoard(); // no awards, and the sort buffer refilled from the roster
// What the leaderboard screen draws from (score_awards.cpp).
extern player *sortedPlayers[kMaxPlayers]; // the roster in leaderboard order
extern int sortedCount;
extern bool awardsComputed; // awards may rightly be none; that is not "not yet"
void fillSortBuffer();      // the roster, when its size changed since the last fill
void forgetAwards();        // the next leaderboard generates them afresh

// ---- menus ---------------------------------------------------------------------------
constexpr unsigned char kKeyEscape = 27;
constexpr unsigned char kKeyTab = 9;
constexpr unsigned char kKeyReturn = 13;   // Return and keypad Enter, as X sends them
constexpr unsigned char kKeyLineFeed = 10; // Enter on some other keyboards
bool IsEnterKey(unsigned char key);
// The menu screen: 640 x 480 pixels over the centred 4:3 area of the window, which the
// window routine's view puts 9.2 units high at the menus' plane.
constexpr int kMenuWidth = 640, kMenuHeight = 480;
constexpr float kMenuPixelsPerUnit = kMenuHeight / (2 * kViewHalfHeight);
float MenuUnitsH(int h); // a menu pixel as view units, origin at the centre, v upward
float MenuUnitsV(int v);
float MenuPixelV(float v); // a view height as a menu pixel, counted down from the top
// The title's buttons, in the order of its table.
constexpr int kTitleArcade = 0, kTitlePlay = 1, kTitleCredits = 2, kTitleOptions = 3;
constexpr int kTitleHelp = 4, kTitleQuit = 5, kTitleButtonCount = 6;
constexpr int kNoTitleFocus = -1;
void TitleScreen();
void TitleKey(unsigned char key, int x, int y);     // arrows and Tab move a highlight, Return takes it
void TitleSpecialKey(int key, int x, int y);
int TitleFocus();                                    // the button the keyboard lit, or kNoTitleFocus
int TitleGridStep(int from, int dh, int dv, bool readOn);
void TitleAction(int action);
void DrawTitle();
void LevelSelect();
const char *GameTypeUnplayable(int type); // why the loaded level cannot be played so, or null
void LevelKeys(unsigned char key, int x, int y);
void SpecialLevelSelectKey(int key, int x, int y);
void LevelSelectAction(int action);
void OpenOptions(); // the title's Options button: remembers what Cancel and Escape go back to
void Options();
void PlayerOptions();
void OptionsKey(unsigned char key, int x, int y);
void OptionsSpecialKey(int key, int x, int y);
void OptionsAction(int action); // the options and their pages: back cancels, the rest is latched
void PowerUpOptions();
void HelpView();
void CreditsView();
void HelpKey(unsigned char key, int x, int y);
void HelpSpecial(int key, int x, int y);
void HelpAction(int action); // help and credits
char toUpper(char in);
int imin(int a, int b);
// Why key cannot become p's attach key (or its power-up key); false when it can.
bool KeyRefused(const player *p, unsigned char key, bool powerUpKey, char *why, size_t whySize);
bool KeyClash(char *why, size_t whySize); // two of the six balls, or a ball and the game, on one key
int OverallFrequencyShown(int infrequency); // the power-up options' 0 (off) to 10 (most often)
// Shared by the menu screens.
void ResetMenus();              // every screen's remembered line, page and scroll start afresh
bool MenuStateStale(int &seen); // true once after each ResetMenus, for a screen's own statics
bool MenuPointerActive(int &lastH, int &lastV); // the mouse moved or pressed since last frame
int MenuStep(int line, int lines);              // up and down arrows, wrapping
int MenuRowUnderMouse(int left, int right, int top, int rows); // -1 for none
void DrawMenuStr(float x, float y, const char *text); // DrawStr, smaller if it would leave the screen
void DrawCentredStr(float h, float v, float size, const char *text);
void FinishMenuFrame(); // lighting on, the title band, swap, the latched input cleared

// ---- screens: the routines that make each screen, installed in one place ---------------------
constexpr int kScreenTitle = 0;
constexpr int kScreenMatch = 1;       // from the level select or Arcade, with the match's F12
constexpr int kScreenLevelSelect = 2;
constexpr int kScreenOptions = 3;     // from the title, with the options' key routines
constexpr int kScreenOptionsBack = 4; // back from a page of the options: its keys stay
constexpr int kScreenPlayerSetup = 5;
constexpr int kScreenPowerUps = 6;
constexpr int kScreenHelp = 7;
constexpr int kScreenCredits = 8;
constexpr int kScreenLeaderBoard = 9; // the match's F12 stays
constexpr int kScreenReplay = 10;     // a match played again from its replay
constexpr int kScreenOptionsMore = 11; // the options' second page, with the options' key routines
constexpr int kScreenKeyboardCheck = 12;
constexpr int kScreenCount = 13;
struct Screen {
  int id;
  const char *name; // its display routine's, as the sim's trace prints it
  void (*display)();
  void (*keyboard)(unsigned char key, int x, int y); // null: the routine installed before stays
  void (*special)(int key, int x, int y);            // null: likewise
  void (*menuAction)(int action); // installed with the keyboard routine; null for play
};
const Screen &ScreenRow(int screen);
void InstallScreen(const Screen &s); // the only place the display and key routines change
void ShowScreen(int screen);
int ShownScreen();                   // the last screen shown, kScreenMatch at start-up
void BackToTitle();                  // the title, and the world reset for a fresh match
const char *ScreenDisplayName(void (*display)()); // null for a routine no screen has

// ---- actions: what the keys do, for any input device to call -------------------------------
void RopeAction(player *p);    // a free ball asks for a rope, a tethered one lets go
void PowerUpAction(player *p); // fires what the ball holds
bool IsGameKey(unsigned char key);     // pause, restart, detail, leave: never a ball's
void GameKeyAction(unsigned char key); // what the game's own key does in play; nothing for others
constexpr int kMenuNoAction = -1;
constexpr int kMenuActionUp = 0, kMenuActionDown = 1, kMenuActionLeft = 2, kMenuActionRight = 3;
constexpr int kMenuActionAccept = 4, kMenuActionBack = 5;
void MenuAction(int action);        // the shown menu acts on it
int MenuArrowAction(int key);       // an arrow key's action, kMenuNoAction for other keys
int MenuActionArrow(int action);    // the arrow key of a move, 0 for accept and back
void LatchMenuAction(int action);   // for the screens that read lastSpecial and lastKey each frame

// ---- sound ---------------------------------------------------------------------------
// soundMode: which sounds play. Effects are what PlaySoundFile starts; of the announcer's
// lines, the power-ups' collection lines are power-up sounds, the others announcer sounds.
constexpr int kSoundModeNone = 0;
constexpr int kSoundModeEffectsOnly = 1; // "No announcer or powerup sounds"
constexpr int kSoundModeNoAnnouncer = 2;
constexpr int kSoundModeNoPowerUps = 3;
constexpr int kSoundModeAll = 4;
struct soundQueue;
void LoadSound(const char *programPath); // opens the audio device, or reports and stays silent
void ShutdownSound();                    // everything released; LoadSound may run again
void PlaySoundFile(const char *name);
void PlaySoundFileAnnouncer(const char *name);
void SetAnnouncerHook(void (*hook)(const char *name)); // hears every line asked for; null for none
void SoundIdle();
void EmptyQueue(soundQueue *first);
int SoundEffectsPlaying();        // effects not yet released
int SoundLinesWaiting();          // announcer lines not yet started
const char *SoundAnnouncerLine(); // the line being spoken, "" when silent
bool SoundDeviceOpen();
// Test hooks: what the game asked to play, with or without a device.
const char *SoundLastEffectAsked(); // "" when none
const char *SoundLinesAsked();      // the last four announcer lines asked for, oldest first
void ForgetSoundsAsked();

// ---- readtex / text --------------------------------------------------------------------
void LoadTextures();
bool LoadRGBMipmaps(const char *name, int internalFormat);
bool TextureLoaded(unsigned name); // false until LoadTextures built it from its picture
constexpr float kGlyphAdvance = 0.6f; // glyphs are a unit square and overlap by 0.4
void InitCharArray();
void DrawGLChar(int code);
constexpr float kGlyphSize = 0.25f;   // the glyph size DrawStr draws at
void DrawStr(float x, float y, const char *text);
void DrawStr2(float x, float y, float size, const char *text);
void DrawStrWithin(float x, float y, float size, float width, const char *text); // shrunk to fit
// As DrawStrWithin, but narrowed before it is shrunk, where the view is `stretch` times wider than high.
void DrawStrNarrowed(float x, float y, float size, float width, float stretch, const char *text);
float NarrowedStrHeight(float size, float width, float stretch, const char *text); // as drawn so
// As DrawStrWithin, centred on `middle`.
void DrawStrCentred(float middle, float y, float size, float width, const char *text);
float DrawnStrWidth(float size, float width, const char *text); // as DrawStrWithin draws it
// The "uiscale" setting: 0 picks from the window (larger text in a small window), else a percent.
constexpr int kUiScaleAuto = 0, kUiScaleLeast = 75, kUiScaleMost = 200, kUiScaleStep = 25;
extern int uiScale;
float UiScale();      // what the leaderboard, the pause note and floating messages grow by
void StepUiScale();   // auto, 75 %, 100 % ... 200 %, auto again

// ---- ball glyphs, colour vision: balls told apart by shape, and the frame as a dichromat sees it --
// Each roster slot's outline (circle, triangle, square, diamond, star, plus), white with a dark
// rim, centred on (h, v) with radius `size`; nothing for a slot past the roster.
void DrawBallGlyph(int slot, float h, float v, float size);
const char *BallGlyphName(int slot); // "" past the roster
constexpr int kColourVisionNormal = 0;
constexpr int kColourVisionProtanopia = 1;
constexpr int kColourVisionDeuteranopia = 2;
constexpr int kColourVisionTritanopia = 3;
constexpr int kColourVisionModes = 4;
extern int colourVision;                // the "colourvision" setting: one of the modes above
const char *ColourVisionName(int mode); // "Normal", "Protanopia"...; "" for no mode
void StepColourVision();                // the next mode; after tritanopia, normal again
void ResetColourVision();               // normal
// One sRGB colour (0..1) as the mode shows it: what ApplyColourVision does to every pixel.
void SimulateColourVision(int mode, const float srgbIn[3], float srgbOut[3]);
void ApplyColourVision(); // the finished back buffer, transformed in place; nothing when normal
// After the swap, for a screen that fades over its last frame: that frame as drawn, not as shown.
void UndoColourVision();

// ---- userdirs, screenshot: the player's own folders, the data folder, F12 --------------
constexpr int kPathSize = 4096;
extern char prefsFile[kPathSize];  // "" when the settings cannot be kept
extern char userFolder[kPathSize]; // its level lists and power-up sets come before the data's
void ResetFileLocations();         // prefs.def in the working folder, no user folder
std::string SettingsFolder();      // $XDG_CONFIG_HOME/tethrix, ~/.config/tethrix; "" if homeless
std::string PicturesFolder();      // $XDG_PICTURES_DIR/tethrix or ~/Pictures/tethrix
std::string ReplaysFolder();       // $XDG_DATA_HOME/tethrix/replays, ~/.local/share/...; "" if homeless
bool MakeFolders(const std::string &path, int mode, std::string &why);
// Settings and user folder in dir; false: why, and nothing will be saved.
bool UseSettingsFolder(const std::string &dir, std::string &why);
std::string UserCopyOf(const char *name); // the user's own copy of a data file, or name
bool CopyFileWhole(const std::string &from, const std::string &to);
bool FindDataFolder(const char *argv0, char *out, size_t outSize);
std::string MissingDataMessage(const char *tried); // tried: the folder TETHRIX_DATA named, or ""
bool WritePng(const char *path, int width, int height, const unsigned char *rgbTopDown);
std::string SaveScreenshot();   // the back buffer; the file written, or "" when none was
void RequestScreenshot();       // F12: the next frame is saved
void TakeRequestedScreenshot(); // every display routine, after drawing and before the swap

// ---- pads: game controllers through SDL, one more way to call the actions -----------------
// A pad is known by its GUID and its order among connected pads of the same GUID; "Pad N" is
// its slot. Real pads reach the handlers from PollPads; a replay calls them itself.
constexpr int kMaxPads = 8;
constexpr int kPadGuidSize = 33; // SDL's GUID as 32 hex digits
extern int padRumble;            // the "rumble" setting: 1 on, 0 off
bool StartPads();                // SDL's game-controller subsystem; false: no pads this run
void StopPads();                 // every pad closed and the subsystem stopped
void ResetPads();                // every pad and binding forgotten, rumble on
void PollPads();                 // the idle routine's: SDL's events, then PadsFrame
void PadsFrame();                // once a frame: held menu directions repeat
bool PadConnected(int device, const char *guid); // false when every slot is taken
void PadDisconnected(int device);
void PadButton(int device, int button, bool down); // an SDL_GameControllerButton
void PadAxis(int device, int axis, int value);     // an SDL_GameControllerAxis, -32768..32767
int PadNumberOfBall(int ball);    // the N of "Pad N" playing the roster ball, 0 for none
const char *PadNotice();          // why a pad paused the match, "" when none did
void PadKeyPressedFor(int ball);  // the ball's own key: it plays on by keys
void PadWaitFor(int ball);        // its pad is gone: the match pauses until it is back
void PadResumeFor(int ball);      // it is back, or its key was pressed
void PadsMatchFrame();            // the part of PadsFrame a match sees: an unpaused wait ends
void BindBallToPad(int ball, const char *guid, int order);
bool BallPadBinding(int ball, char *guid, int &order); // guid: kPadGuidSize characters
bool PadPresent(const char *guid, int order);
bool AnyPadConnected();
// A pad's buttons as codes: SDL's buttons in its order, then the two triggers.
constexpr int kNoPadCode = -1;
constexpr int kPadTriggerLeft = 21, kPadTriggerRight = 22, kPadCodes = 23;
int PadCodeOfName(const char *name); // SDL's name ("a", "dpup", "lefttrigger"), or kNoPadCode
const char *PadCodeName(int code);   // SDL's name, "" for none
const char *PadCodeLabel(int code);  // as player setup shows it: "A", "LB", "RT"
void UnbindBallPad(int ball);
bool SetBallPadButtons(int ball, int rope, int powerUp); // false: not two different codes
void BallPadButtons(int ball, int &rope, int &powerUp);  // south and east until set
bool PadButtonsAreDefault(int ball);
// Player setup's "Pad" line: the next press on any pad is the ball's rope button, the one after
// (on the same pad) its power-up button; a press another ball plays is refused.
enum PadBindStageCode { kPadBindNone, kPadBindRope, kPadBindPowerUp };
void PadBindBegin(int ball);
void PadBindCancel();
int PadBindStage();
const char *PadBindRefusal(); // why the last press was not taken, "" when it was
enum RumbleKind { kRumbleHit, kRumbleDeath };
void RumbleBall(const player *p, int kind); // on the pads that play it, when "rumble" is on
bool MatchKeysShown();
// ---- the keyboard check: key presses as they arrive, and what the keyboard drops -------------
enum CheckKey { kCheckRopeKey, kCheckPowerUpKey };
enum CheckKeyState { kCheckKeyMissing, kCheckKeyAlone, kCheckKeyTogether, kCheckKeyHeld };
struct RolloverSuggestion {
  int ball, which; // which: kCheckRopeKey or kCheckPowerUpKey
  unsigned char key;
};
void RolloverReset();
void RolloverDown(unsigned char key);
void RolloverUp(unsigned char key);
bool RolloverBallChecked(int ball);      // a human in play, or every ball when none is
int RolloverKeyState(int ball, int which); // held now; came with the most held; came; never
int RolloverMostHeld();                  // the most keys that were held at once
bool RolloverPairDropped(int ball);      // a key of the ball's did not come with the most held
int RolloverSuggestions(RolloverSuggestion *out, int max); // spare keys that came, in its place
bool TakeRolloverSuggestion(const RolloverSuggestion &s, char *why, size_t whySize);

void MoreOptions();
void OpenKeyboardCheck(); // nothing heard yet
void KeyboardCheck();
void KeyboardCheckKey(unsigned char key, int x, int y);
void KeyboardCheckSpecialKey(int key, int x, int y);
void KeyboardCheckAction(int action);
void KeyboardCheckKeyUp(unsigned char key);

// ---- one-switch: one key ropes on a tap and fires the power-up on a hold ----------------------
constexpr int kOneSwitchDefaultMs = 350, kOneSwitchStepMs = 50;
constexpr int kOneSwitchMinMs = 150, kOneSwitchMaxMs = 1000;
extern int oneSwitchMs[kRosterSize]; // a ball's hold threshold; 0: its two keys, as ever
bool OneSwitchOn(int ball);
void OneSwitchPress(int ball);   // its key or pad button went down
void OneSwitchRelease(int ball); // and came up: a tap ropes on or lets go
void OneSwitchFrame();           // every match frame: a long enough hold fires the power-up
void ResetOneSwitch();           // nothing held
void ForgetOneSwitch();          // and every ball back on two keys            // the match's key routines are installed: pads play, not walk menus
void JoinAsHuman(player *p);      // takes part as a human, as clicking its score-bar label would
