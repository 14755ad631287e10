// Sound layer on SDL's dummy driver: the announcer's queue, overlapping effects,
// failures that must not stop the game, the sound setting, and the files themselves.
#include "world_fixture.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

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
  // Standard output of f, line by line.
  template <class F> Strings printed(F f) {
    testing::internal::CaptureStdout();
    f();
    std::istringstream out(testing::internal::GetCapturedStdout());
    Strings lines;
    for (std::string line; std::getline(out, line);) lines.push_back(line);
    return lines;
  }
};

std::string slurp(const std::string &path) {
  std::stringstream s;
  s << std::ifstream(path).rdbuf();
  return s.str();
}

} // namespace

TEST_F(Sound, AnnouncerSpeaksQueuedLinesInTurnAndAColourNameDropsTheWaitingOnes) {
  startWithGameSounds();
  PlaySoundFileAnnouncer("Red");
  PlaySoundFileAnnouncer("HasWonTheRound");
  EXPECT_EQ(std::make_tuple(std::string(SoundAnnouncerLine()), SoundLinesWaiting()),
            std::make_tuple(std::string(), 2));
  const Uint32 start = SDL_GetTicks();
  Uint32 switched = 0;
  bool lateStart = false;
  for (int frame = 0; frame < 1000 && switched == 0; frame++, SDL_Delay(5)) {
    const bool stopped = !Mix_Playing(0);
    const std::string before = SoundAnnouncerLine();
    SoundIdle();
    const std::string after = SoundAnnouncerLine();
    if (before == "Red" && after == "HasWonTheRound") switched = SDL_GetTicks();
    // The frame after a line ends starts the next: no frame of silence between.
    if (before == "Red" && stopped && after == before) lateStart = true;
  }
  ASSERT_NE(switched, 0u);
  EXPECT_FALSE(lateStart);
  EXPECT_GE(switched - start, 300u) << "\"Red\" lasts about 0.4 s and must not be cut short";
  // A colour name drops the lines still waiting, colour names too, but not the spoken one.
  for (const char *line : {"HasScored", "Blue", "Green", "IsNowIt"}) PlaySoundFileAnnouncer(line);
  EXPECT_EQ(spokenLines(), Strings({"HasWonTheRound", "Green", "IsNowIt"}));
  // Only the six names themselves, not names beginning with them.
  for (const char *colour : {"Blue", "Red", "Green", "Yellow", "Purple", "Orange"}) {
    PlaySoundFileAnnouncer("HasScored");
    PlaySoundFileAnnouncer(colour);
    EXPECT_EQ(SoundLinesWaiting(), 1) << colour;
  }
  for (const char *line : {"RedTeam", "BlueTeam", "red", "HasWonTheMatch"})
    PlaySoundFileAnnouncer(line);
  EXPECT_EQ(SoundLinesWaiting(), 5);
}

TEST_F(Sound, TenEffectsInOneFramePlayTogetherAndAreReleasedAsEachEnds) {
  startWithGameSounds();
  PlaySoundFile("Welcome"); // much longer than a crash
  for (int i = 0; i < 9; i++) PlaySoundFile("Crash");
  EXPECT_EQ(std::make_tuple(SoundEffectsPlaying(), Mix_Playing(-1)), std::make_tuple(10, 10));
  EXPECT_EQ(Mix_Playing(0), 0) << "effects must leave the announcer's channel alone";
  EXPECT_TRUE(idleUntil([] { return SoundEffectsPlaying() == 1; }))
      << "the crashes end first and go without waiting for the welcome";
  EXPECT_TRUE(idleUntil([] { return SoundEffectsPlaying() == 0; }));
  // One that ends unseen, no frame running before the next takes its channel.
  PlaySoundFile("Crash");
  for (int i = 0; i < 400 && Mix_Playing(-1) > 0; i++) SDL_Delay(5);
  ASSERT_EQ(Mix_Playing(-1), 0);
  PlaySoundFile("Crash");
  EXPECT_EQ(SoundEffectsPlaying(), 1);
}

TEST_F(Sound, FileThatWillNotLoadGivesOneLineAndIsSkipped) {
  LoadSound("tethrix"); // the scratch folder has no sounds at all
  ASSERT_TRUE(SoundDeviceOpen());
  Strings out = printed([] { PlaySoundFile("Crash"); });
  ASSERT_EQ(out.size(), 1u);
  EXPECT_NE(out[0].find("Sounds/Crash.mp3"), std::string::npos) << out[0];
  EXPECT_EQ(SoundEffectsPlaying(), 0);
  // A line that cannot load is skipped and the next one is spoken.
  std::filesystem::create_directory("Sounds");
  writeFile("Sounds/Denied.mp3", "not a sound at all");
  for (const char *name : {"HasScored", "Crash"})
    std::filesystem::create_symlink(kSource + "/data/Sounds/" + name + ".mp3",
                                    std::string("Sounds/") + name + ".mp3");
  PlaySoundFileAnnouncer("Denied");
  PlaySoundFileAnnouncer("HasScored");
  out = printed([] { SoundIdle(); });
  ASSERT_EQ(out.size(), 1u);
  EXPECT_NE(out[0].find("Sounds/Denied.mp3"), std::string::npos) << out[0];
  EXPECT_STREQ(SoundAnnouncerLine(), "HasScored");
  PlaySoundFile("Crash"); // not remembered as missing: a file that appears later plays
  EXPECT_EQ(SoundEffectsPlaying(), 1);
}

TEST_F(Sound, NoAudioDeviceGivesOneLineThenSilenceAndLeavesTheSignalsAlone) {
  struct sigaction before, after;
  sigaction(SIGINT, nullptr, &before);
  ASSERT_EQ(symlink((kSource + "/data/Sounds").c_str(), "Sounds"), 0);
  setenv("SDL_AUDIODRIVER", "nonexistent", 1);
  const Strings out = printed([] {
    LoadSound("tethrix");
    PlaySoundFile("Welcome");
    PlaySoundFileAnnouncer("Red");
    for (int frame = 0; frame < 3; frame++) SoundIdle();
  });
  EXPECT_EQ(out.size(), 1u);
  EXPECT_EQ(std::make_tuple(SoundDeviceOpen(), SoundEffectsPlaying(), SoundLinesWaiting()),
            std::make_tuple(false, 0, 0));
  // A device that turns up later is used after a restart; audio leaves SIGINT to the game.
  ShutdownSound();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  LoadSound("tethrix");
  PlaySoundFile("Welcome");
  EXPECT_EQ(std::make_tuple(SoundDeviceOpen(), SoundEffectsPlaying()), std::make_tuple(true, 1));
  sigaction(SIGINT, nullptr, &after);
  EXPECT_EQ(after.sa_handler, before.sa_handler);
}

TEST_F(Sound, SoundSettingChoosesWhichSoundsPlay) {
  startWithGameSounds();
  const std::string powerUpLine = powerUpSound(kPowerShield);
  // Effects, then announcer lines and power-up lines, each setting afresh.
  struct Case { int mode, effects, lines; } cases[] = {
      {kSoundModeNone, 0, 0},       {kSoundModeEffectsOnly, 2, 0}, {kSoundModeNoAnnouncer, 2, 1},
      {kSoundModeNoPowerUps, 2, 2}, {kSoundModeAll, 2, 3},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.mode);
    LoadSound("tethrix");
    soundMode = k.mode;
    PlaySoundFile("Crash");
    PlaySoundFile("DeathMatch"); // a game type's start is an effect
    EXPECT_EQ(SoundEffectsPlaying(), k.effects);
    for (const std::string &line : {std::string("Orange"), std::string("Denied"), powerUpLine})
      PlaySoundFileAnnouncer(line.c_str());
    EXPECT_EQ(SoundLinesWaiting(), k.lines);
    ShutdownSound();
  }
  // Turned down while lines wait: the waiting ones it now forbids are never spoken.
  LoadSound("tethrix");
  soundMode = kSoundModeAll;
  for (const std::string &line : {std::string("Yellow"), std::string("HasCTF"), powerUpLine})
    PlaySoundFileAnnouncer(line.c_str());
  soundMode = kSoundModeNoAnnouncer;
  EXPECT_EQ(spokenLines(), Strings({powerUpLine}));
}

// Every name the game can ask for, from the generator's list, the code's literals,
// the power-up catalogue and the roster, has a file that decodes.
TEST_F(Sound, EveryNameTheGameUsesHasADecodableFile) {
  startWithGameSounds();
  std::set<std::string> listed, used;
  std::istringstream list(slurp(kSource + "/tools/sound_names.txt"));
  for (std::string name; std::getline(list, name);)
    if (!name.empty()) listed.insert(name);
  const std::regex call("PlaySoundFile(Announcer)?\\(\\s*\"([^\"]*)\"");
  for (const auto &file : std::filesystem::recursive_directory_iterator(kSource + "/src")) {
    const std::string text = slurp(file.path().string());
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
  for (const std::string &name : used) EXPECT_TRUE(listed.count(name)) << name << " not listed";
  for (const std::string &name : listed) {
    Mix_Chunk *chunk = Mix_LoadWAV(("Sounds/" + name + ".mp3").c_str());
    EXPECT_TRUE(chunk && chunk->alen > 0) << name << ": " << Mix_GetError();
    if (chunk) Mix_FreeChunk(chunk);
  }
}
