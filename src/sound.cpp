// Effects on free mixer channels, the announcer's queue on a channel of its own.
#include "TethrixExtern.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <map>
#include <string>
#include <unistd.h>

// One playing effect. The chunk belongs to the cache, so releasing a finished
// effect frees only this node.
struct channelList {
  channelList *next;
  int channel;
  Mix_Chunk *chunk;
};

// One announcer line waiting its turn.
struct soundQueue {
  soundQueue *next;
  std::string name;
};

namespace {

constexpr int kAnnouncerChannel = 0; // reserved: effects never land on it
constexpr int kStartChannels = 8;    // grown by doubling when every one is busy
constexpr int kSampleRate = 44100;
constexpr int kMixFrames = 1024; // per mixing pass: about 23 ms of latency

enum SoundKind { kEffectSound, kAnnouncerSound, kPowerUpSound };

bool audioOpen = false;               // a device is open and the mixer runs
bool started = false;                 // LoadSound has run, with or without a device
channelList *c = nullptr;             // every effect playing, newest first
soundQueue *announcerQueue = nullptr; // oldest line first
Mix_Chunk *anChunk = nullptr;         // the line being spoken; null when silent
std::string anName;
std::map<std::string, Mix_Chunk *> loadedSounds; // decoded once, freed at shutdown

// What the game asked for, played or not, so tests can see it without a device.
constexpr size_t kLinesRemembered = 4;
std::string lastEffect;
std::deque<std::string> lastLines;
std::string linesText;

bool isColourName(const char *name) {
  static const char *const kColours[] = {"Blue", "Red", "Green", "Yellow", "Purple", "Orange"};
  for (const char *colour : kColours)
    if (std::strcmp(name, colour) == 0) return true;
  return false;
}

bool isPowerUpLine(const char *name) {
  for (int id = 0; id < kNumPowerUps; id++) {
    const char *sound = powerUpSound(id);
    if (*sound && std::strcmp(name, sound) == 0) return true;
  }
  return false;
}

SoundKind lineKind(const char *name) {
  return isPowerUpLine(name) ? kPowerUpSound : kAnnouncerSound;
}

// Read at every play, so a change on the options screen takes effect at once.
bool soundModeAllows(SoundKind kind) {
  switch (soundMode) {
  case kSoundModeNone: return false;
  case kSoundModeEffectsOnly: return kind == kEffectSound;
  case kSoundModeNoAnnouncer: return kind != kAnnouncerSound;
  case kSoundModeNoPowerUps: return kind != kPowerUpSound;
  default: return true;
  }
}

// A name that will not load is reported every time it is asked for, and not kept.
Mix_Chunk *getSound(const char *name) {
  const auto cached = loadedSounds.find(name);
  if (cached != loadedSounds.end()) return cached->second;
  const std::string path = std::string("Sounds/") + name + ".mp3";
  SDL_RWops *file = SDL_RWFromFile(path.c_str(), "rb");
  if (!file) {
    std::fprintf(stderr, "Cannot load sound %s: %s\n", path.c_str(), std::strerror(errno));
    return nullptr;
  }
  Mix_Chunk *chunk = Mix_LoadWAV_RW(file, 1);
  if (!chunk) {
    std::fprintf(stderr, "Cannot load sound %s: %s\n", path.c_str(), Mix_GetError());
    return nullptr;
  }
  loadedSounds[name] = chunk;
  return chunk;
}

// A free channel, adding channels when all are busy.
int startEffect(Mix_Chunk *chunk) {
  int channel = Mix_PlayChannel(-1, chunk, 0);
  if (channel < 0) {
    Mix_AllocateChannels(2 * Mix_AllocateChannels(-1));
    channel = Mix_PlayChannel(-1, chunk, 0);
  }
  if (channel < 0) {
    std::fprintf(stderr, "Sound could not start: %s\n", Mix_GetError());
  }
  return channel;
}

// Unlinks and frees every node whose channel has stopped; with reuse set, the
// node on that channel too (its sound ended before the mixer handed it out again).
void releaseEffects(int reusedChannel) {
  channelList **link = &c;
  while (*link) {
    channelList *node = *link;
    if (node->channel == reusedChannel || !Mix_Playing(node->channel)) {
      *link = node->next;
      delete node;
    } else {
      link = &node->next;
    }
  }
}

// Takes lines off the queue until one starts; lines the sound setting now
// forbids, and lines that will not load, are dropped on the way.
void startNextLine() {
  anChunk = nullptr;
  anName.clear();
  while (announcerQueue) {
    soundQueue *first = announcerQueue;
    announcerQueue = first->next;
    const std::string name = first->name;
    delete first;
    if (!soundModeAllows(lineKind(name.c_str()))) continue;
    Mix_Chunk *chunk = getSound(name.c_str());
    if (!chunk || Mix_PlayChannel(kAnnouncerChannel, chunk, 0) < 0) continue;
    anChunk = chunk;
    anName = name;
    return;
  }
}

// Probing for a device that is not there makes the drivers chatter on stderr;
// LoadSound's one line says what matters.
class QuietStderr {
public:
  QuietStderr() {
    std::fflush(stderr);
    saved_ = dup(STDERR_FILENO);
    if (saved_ < 0) return; // could not put it back: leave it alone
    const int null = open("/dev/null", O_WRONLY);
    if (null >= 0) {
      dup2(null, STDERR_FILENO);
      close(null);
    }
  }
  ~QuietStderr() {
    if (saved_ < 0) return;
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
  }
  QuietStderr(const QuietStderr &) = delete;
  QuietStderr &operator=(const QuietStderr &) = delete;

private:
  int saved_;
};

bool openMixer() {
  QuietStderr quiet;
  // Audio brings up SDL's events, whose handlers would turn SIGINT and SIGTERM into
  // quit events nobody reads: the game could then not be stopped.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  if ((Mix_Init(MIX_INIT_MP3) & MIX_INIT_MP3) == 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  if (Mix_OpenAudio(kSampleRate, MIX_DEFAULT_FORMAT, 2, kMixFrames) != 0) {
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_AllocateChannels(kStartChannels);
  Mix_ReserveChannels(kAnnouncerChannel + 1);
  return true;
}

} // namespace

void LoadSound(const char *) {
  if (started) return;
  started = true;
  static bool exitHook = false;
  if (!exitHook) exitHook = std::atexit(ShutdownSound) == 0;
  audioOpen = openMixer();
  if (!audioOpen) {
    std::fprintf(stderr, "No audio device (%s); playing silent\n", SDL_GetError());
  }
}

void ShutdownSound() {
  while (c) {
    channelList *next = c->next;
    delete c;
    c = next;
  }
  EmptyQueue(announcerQueue);
  announcerQueue = nullptr;
  anChunk = nullptr;
  anName.clear();
  if (audioOpen) {
    Mix_HaltChannel(-1);
    for (auto &entry : loadedSounds)
      Mix_FreeChunk(entry.second);
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  loadedSounds.clear();
  audioOpen = false;
  started = false;
}

void PlaySoundFile(const char *name) {
  lastEffect = name;
  if (!audioOpen || !soundModeAllows(kEffectSound)) return;
  Mix_Chunk *chunk = getSound(name);
  if (!chunk) return;
  const int channel = startEffect(chunk);
  if (channel < 0) return;
  releaseEffects(channel);
  c = new channelList{c, channel, chunk};
}

static void (*announcerHook)(const char *) = nullptr;

void SetAnnouncerHook(void (*hook)(const char *name)) { announcerHook = hook; }

void PlaySoundFileAnnouncer(const char *name) {
  lastLines.push_back(name);
  if (lastLines.size() > kLinesRemembered) lastLines.pop_front();
  if (announcerHook) announcerHook(name); // asked for, whether or not it can be heard
  if (!audioOpen || !soundModeAllows(lineKind(name))) return;
  if (isColourName(name)) { // a new announcement about a player: what waits is stale
    EmptyQueue(announcerQueue);
    announcerQueue = nullptr;
  }
  soundQueue **end = &announcerQueue;
  while (*end)
    end = &(*end)->next;
  *end = new soundQueue{nullptr, name};
}

void EmptyQueue(soundQueue *first) {
  while (first) {
    soundQueue *next = first->next;
    delete first;
    first = next;
  }
}

void SoundIdle() {
  if (!audioOpen) return;
  if (!anChunk || !Mix_Playing(kAnnouncerChannel)) startNextLine();
  releaseEffects(-1);
}

int SoundEffectsPlaying() {
  int n = 0;
  for (channelList *node = c; node; node = node->next)
    n++;
  return n;
}

int SoundLinesWaiting() {
  int n = 0;
  for (soundQueue *node = announcerQueue; node; node = node->next)
    n++;
  return n;
}

const char *SoundAnnouncerLine() { return anName.c_str(); }

bool SoundDeviceOpen() { return audioOpen; }

const char *SoundLastEffectAsked() { return lastEffect.c_str(); }

const char *SoundLinesAsked() {
  linesText.clear();
  for (const std::string &line : lastLines)
    linesText += (linesText.empty() ? "" : " ") + line;
  return linesText.c_str();
}

void ForgetSoundsAsked() {
  lastEffect.clear();
  lastLines.clear();
}
