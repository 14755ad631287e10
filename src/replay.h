// Replays: a match as its start and its inputs, frame by frame, with hashes of the world to check.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// ---- The file ------------------------------------------------------------------------------
// Plain text, one record a line, in this order:
//   tethrix-replay 1              the format; a reader refuses a newer one
//   version 0.1                   the game that recorded it
//   seed S                        the gameplay random source as the match began
//   level N                       the level number, then its text as the level list held it:
//   levelline TEXT                one line each (the list's lines before its first level too)
//   set NAME VALUE                a setting or match-wide value (gravity, gameType, it, ...)
//   bag ID COUNT ID COUNT ...     the power-up bag, as runs of one identifier
//   frequency N N ...             each power-up's share, by identifier
//   ballfields NAME NAME ...      the order of the values on the ball and puck lines
//   ball I V V ...                roster ball I as the match began; name I TEXT its name
//   puck V V ...
//   then, frame by frame (FRAME counts the match's frames from 0, never goes back):
//   FRAME CHAR | esc | space      a key, as the sim's key files write it; FRAME key N any other;
//   FRAME CHAR up, FRAME key N up its release, where a one-switch ball heard it
//   FRAME move H V, press H V, release H V   the mouse on the 640 x 480 menu screen
//   FRAME rope P, power P, join P, wait P, resume P   what a pad did for roster ball P;
//   FRAME hold P, letgo P         its one-switch button went down, came up
//   FRAME speed X, detail N       speedMult and spheredetail from this frame on
//   check FRAME HASH              the world after that frame, 16 hex digits
//   end FRAME leaderboard|escape  how the match ended: after that frame, or before it
constexpr int kReplayFormat = 1;
constexpr int kReplayCheckEvery = 40; // frames between check lines
constexpr int kReplayFieldsMax = 128; // values a ball line may carry

enum ReplayEventKind {
  kReplayKey,     // a = the character
  kReplayMove,    // a, b = menu pixel
  kReplayPress,   // likewise
  kReplayRelease, // likewise
  kReplayRope,    // a = roster ball
  kReplayPower,
  kReplayJoin,
  kReplayWait,   // a pad went: the match waits for its ball
  kReplayResume, // it came back
  kReplaySpeed,  // f = speedMult
  kReplayDetail, // a = spheredetail
  kReplayKeyUp,  // a = the character: its release, which only one-switch balls hear
  kReplayHold,   // a = roster ball: its one-switch pad button went down
  kReplayLetGo,  // and came up
  kReplayEventKinds
};

struct ReplayEvent {
  long frame;
  int kind;
  int a, b;
  float f;
};

struct ReplayCheck {
  long frame;
  uint64_t hash;
};

constexpr int kReplayEndLeaderBoard = 0; // the match was won after the end frame
constexpr int kReplayEndEscape = 1;      // the match was left before the end frame

// The world as the match began: what BeginMatchWorld builds it from.
struct ReplayStart {
  unsigned seed = 0;
  int level = 0;
  std::vector<std::string> levelLines;
  std::string source;     // the replay file, for the level's warnings
  int levelFirstLine = 0; // where its level lines start there; 0: captured live, told already
  std::vector<std::pair<std::string, std::string>> settings; // name, value as written
  std::vector<int> bag;
  std::vector<int> frequency;
  std::vector<std::string> ballFields;
  std::vector<std::vector<std::string>> balls; // values as written, in ballFields order
  std::vector<std::string> names;
  std::vector<std::string> puck;
};

struct Replay {
  std::string version; // the game's that recorded it
  ReplayStart start;
  std::vector<ReplayEvent> events; // in frame order, each frame's in the order they came
  std::vector<ReplayCheck> checks;
  long endFrame = 0;
  int endKind = kReplayEndEscape;
};

// The text of a replay; the reader says why it cannot use one ("FILE:LINE: what").
std::string ReplayText(const Replay &r);
bool ParseReplay(const std::string &text, const char *source, Replay &out, std::string &why);
bool LoadReplay(const char *file, Replay &out, std::string &why);

// ---- The world -----------------------------------------------------------------------------
// What play depends on, hashed: FNV-1a 64 taken a 32-bit word at a time (xor the word, multiply
// by the prime 1099511628211, from the offset 14695981039346656037) over the roster balls, the
// puck, the nodes, walls, flags, owned particles and the gravity; a float's word is its bits.
uint64_t WorldHash();
void CaptureMatchStart(ReplayStart &s); // the world as it stands, the match about to begin
// The world of the match's first frame, built the same way live and in playback.
bool BeginMatchWorld(const ReplayStart &s, std::string &why);
void ApplyCapturedValues(const ReplayStart &s); // the settings, bag and balls alone, as captured

// ---- Recording -----------------------------------------------------------------------------
constexpr int kDefaultReplaysKept = 50;
constexpr int kMostReplaysKept = 100000;
extern int replaysKept; // the "replays" setting: files kept; 0 records nothing
void ResetReplays();    // nothing recorded, the setting at its default, no folder
void SetReplayFolder(const std::string &dir); // "" writes no files (the sim, tests)
void StartLiveMatch();  // the level select and Arcade: capture, begin, record, play
bool RecordingMatch();
// The live inputs, as they reach the game between frames.
void RecordKey(unsigned char key);
void RecordKeyUp(unsigned char key);
void RecordPointer(int kind, int h, int v);
void RecordPadAction(int kind, int ball);
void RecordFrameBegin(); // from Display: this frame's speedMult and detail
void RecordFrameEnd();   // from Display: the count, the check, and the end at the leaderboard
void RecordMatchLeft();  // Escape out of the match
const Replay *LastReplay(); // the match just played, or null
std::string LastReplayFile(); // where it was written, "" when it was not
std::string ReplayFileName(int year, int month, int day, int hour, int minute, int second,
                           const char *levelName, const char *gameTypeName);
void PruneReplays(const std::string &dir, int keep);

// ---- Playback ------------------------------------------------------------------------------
enum ReplayStepResult { kReplayRunning, kReplayEnded, kReplayOutOfStep };

struct ReplayPlayback {
  const Replay *replay = nullptr;
  size_t nextEvent = 0, nextCheck = 0;
  long frame = 0;
  float speed = 0;
  int detail = 0;
  std::string error; // set when out of step
};

bool StartPlayback(ReplayPlayback &pb, const Replay &r, std::string &why);
ReplayStepResult PlaybackFrame(ReplayPlayback &pb); // one frame: inputs, Display, check
std::string OutOfStepMessage(long frame, const std::string &recordedBy);

// ---- In the window -------------------------------------------------------------------------
bool WatchReplayFile(const char *file); // from --replay: false (told) when it cannot be used
void WatchLastReplay();                 // the leaderboard's key
void ReplayScreen();
void ReplayKey(unsigned char key, int x, int y);
void ReplaySpecialKey(int key, int x, int y);
void ReplayAction(int action);
void DrawReplayMark(); // from Display: "Replay" over a replayed match, nothing otherwise
bool ReplayShowing();  // live mouse and keys stay out of a replayed match
void ResetReplayWatch();
