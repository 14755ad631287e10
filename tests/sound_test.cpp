// Sound layer on SDL's dummy driver: the announcer's queue, overlapping effects,
// failures that must not stop the game, the sound setting, and the files themselves.
#include "world_fixture.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <csignal>
#include <regex>
#include <set>
#include <unistd.h>
#include <vector>

const std::string kSource = TETHRIX_SOURCE_DIR;
using Strings = std::vector<std::string>;

class Sound : public World {
protected:
  void SetUp() override { World::SetUp(), setenv("SDL_AUDIODRIVER", "dummy", 1); }
  void TearDown() override { ShutdownSound(), World::TearDown(); }
  // The game's own files, seen from the scratch folder as the game sees them.
  void startWithGameSounds() {
    ASSERT_EQ(symlink((kSource + "/data/Sounds").c_str(), "Sounds"), 0);
    LoadSound("tethrix");
    ASSERT_TRUE(SoundDeviceOpen());
  }
  // Frames until done() holds; false after a few seconds.
  template <class Done> bool idleUntil(Done done) {
    for (int frame = 0; frame < 1000; frame++, SDL_Delay(5)) {
      SoundIdle();
      if (done()) return true;
    }
    return false;
  }
  // Every distinct line the announcer speaks until it falls silent.
  Strings spokenLines() {
    Strings spoken;
    idleUntil([&] {
      const std::string line = SoundAnnouncerLine();
      if (!line.empty() && (spoken.empty() || spoken.back() != line)) spoken.push_back(line);
      return line.empty() && SoundLinesWaiting() == 0;
    });
    return spoken;
  }
  // f prints one line on standard error, naming what went wrong, and nothing
  // among the frame lines of standard output.
  template <class F> void expectOneLineNaming(const std::string &what, F f) {
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    f();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find(what), std::string::npos) << err;
  }
};

TEST_F(Sound, AnnouncerSpeaksQueuedLinesInTurnAndAColourNameDropsTheWaitingOnes) {
  startWithGameSounds();
  PlaySoundFileAnnouncer("Red");
  PlaySoundFileAnnouncer("HasWonTheRound");
  const Uint32 start = SDL_GetTicks();
  ASSERT_TRUE(idleUntil([] { return std::string(SoundAnnouncerLine()) == "HasWonTheRound"; }));
  EXPECT_GE(SDL_GetTicks() - start, 300u) << "\"Red\" lasts about 0.4 s and must not be cut short";
  // A colour name drops the waiting lines, not the spoken one; "RedTeam" is no colour name.
  for (const char *line : {"HasScored", "Blue", "Green", "IsNowIt", "RedTeam"})
    PlaySoundFileAnnouncer(line);
  EXPECT_EQ(spokenLines(), Strings({"HasWonTheRound", "Green", "IsNowIt", "RedTeam"}));
}

TEST_F(Sound, TenEffectsInOneFramePlayTogetherAndAreReleasedAsEachEnds) {
  startWithGameSounds();
  PlaySoundFile("Welcome"); // much longer than a crash
  for (int i = 0; i < 9; i++) PlaySoundFile("Crash");
  EXPECT_EQ(std::make_tuple(SoundEffectsPlaying(), Mix_Playing(-1)), std::make_tuple(10, 10));
  EXPECT_EQ(Mix_Playing(0), 0) << "effects must leave the announcer's channel alone";
  EXPECT_TRUE(idleUntil([] { return SoundEffectsPlaying() == 1; })) << "crashes go as they end";
  // One that ends unseen, no frame running before the next takes its channel.
  for (int i = 0; i < 600 && Mix_Playing(-1) > 0; i++) SDL_Delay(5);
  PlaySoundFile("Crash");
  EXPECT_EQ(SoundEffectsPlaying(), 1);
}

TEST_F(Sound, FileThatWillNotLoadGivesOneLineAndIsSkipped) {
  LoadSound("tethrix"); // the scratch folder has no sounds at all
  ASSERT_TRUE(SoundDeviceOpen());
  expectOneLineNaming("Sounds/Crash.mp3", [] { PlaySoundFile("Crash"); });
  // A line that cannot load is skipped and the next one is spoken.
  std::filesystem::create_directory("Sounds");
  writeFile("Sounds/Denied.mp3", "not a sound at all");
  for (const char *name : {"HasScored", "Crash"})
    std::filesystem::create_symlink(kSource + "/data/Sounds/" + name + ".mp3",
                                    std::string("Sounds/") + name + ".mp3");
  PlaySoundFileAnnouncer("Denied");
  PlaySoundFileAnnouncer("HasScored");
  expectOneLineNaming("Sounds/Denied.mp3", [] { SoundIdle(); });
  EXPECT_STREQ(SoundAnnouncerLine(), "HasScored");
  PlaySoundFile("Crash"); // not remembered as missing: a file that appears later plays
  EXPECT_EQ(SoundEffectsPlaying(), 1);
}

TEST_F(Sound, NoAudioDeviceGivesOneLineThenSilenceAndLeavesTheSignalsAlone) {
  struct sigaction before, after;
  sigaction(SIGINT, nullptr, &before);
  setenv("SDL_AUDIODRIVER", "nonexistent", 1);
  expectOneLineNaming("No audio device", [] {
    LoadSound("tethrix");
    PlaySoundFile("Welcome");
    PlaySoundFileAnnouncer("Red");
    SoundIdle();
  });
  EXPECT_EQ(SoundEffectsPlaying() + SoundLinesWaiting(), 0);
  // A device that turns up later is used after a restart; audio leaves SIGINT to the game.
  ShutdownSound();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  startWithGameSounds();
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST_F(Sound, SoundSettingChoosesWhichSoundsPlay) {
  startWithGameSounds();
  const char *powerUpLine = powerUpSound(kPowerShield);
  // An effect, then an announcer line, a second one and a power-up line, each setting afresh.
  struct Case { int mode, effects, lines; } cases[] = {
      {kSoundModeNone, 0, 0},       {kSoundModeEffectsOnly, 1, 0}, {kSoundModeNoAnnouncer, 1, 1},
      {kSoundModeNoPowerUps, 1, 2}, {kSoundModeAll, 1, 3},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.mode);
    LoadSound("tethrix");
    soundMode = k.mode;
    PlaySoundFile("Crash");
    EXPECT_EQ(SoundEffectsPlaying(), k.effects);
    for (const char *line : {"Orange", "Denied", powerUpLine}) PlaySoundFileAnnouncer(line);
    EXPECT_EQ(SoundLinesWaiting(), k.lines);
    ShutdownSound();
  }
  // Turned down from All while lines wait: the waiting ones it now forbids are never spoken.
  LoadSound("tethrix");
  for (const char *line : {"Yellow", "HasCTF", powerUpLine}) PlaySoundFileAnnouncer(line);
  soundMode = kSoundModeNoAnnouncer;
  EXPECT_EQ(spokenLines(), Strings({powerUpLine}));
}

// Every name the game can ask for has a file that decodes.
TEST_F(Sound, EveryNameTheGameUsesHasADecodableFile) {
  startWithGameSounds();
  std::set<std::string> used;
  const std::regex call("PlaySoundFile(Announcer)?\\(\\s*\"([^\"]*)\"");
  for (const auto &file : std::filesystem::recursive_directory_iterator(kSource + "/src")) {
    const std::string text = readFile(file.path().c_str());
    for (std::sregex_iterator m(text.begin(), text.end(), call), end; m != end; ++m)
      used.insert((*m)[2]);
  }
  EXPECT_TRUE(used.count("Welcome") && used.count("Die")) << "the source scan found nothing";
  for (int id = 0; id < kNumPowerUps; id++)
    if (*powerUpSound(id)) used.insert(powerUpSound(id));
  for (int type = kFirstGameType; type <= kLastGameType; type++)
    used.insert(GameTypeStartSound(type));
  roster();
  for (int i = 0; i < numPlayers; i++) used.insert(players[i]->sound);
  for (const std::string &name : used) {
    Mix_Chunk *chunk = Mix_LoadWAV(("Sounds/" + name + ".mp3").c_str());
    EXPECT_TRUE(chunk && chunk->alen > 0) << name << ": " << Mix_GetError();
    if (chunk) Mix_FreeChunk(chunk);
  }
}
