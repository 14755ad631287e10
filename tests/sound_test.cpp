// Sound layer on SDL's dummy driver: the announcer's queue, overlapping effects,
// failures that must not stop the game, the sound setting, and the files themselves.
#include "world_fixture.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kSource = TETHRIX_SOURCE_DIR;

class Sound : public World {
protected:
  void SetUp() override {
    World::SetUp();
    setenv("SDL_AUDIODRIVER", "dummy", 1);
  }
  void TearDown() override {
    ShutdownSound();
    World::TearDown();
  }
  // The game's own files, seen from the scratch folder as the game sees them.
  void startWithGameSounds() {
    ASSERT_EQ(symlink((kSource + "/data/Sounds").c_str(), "Sounds"), 0);
    LoadSound("tethrix");
    ASSERT_TRUE(SoundDeviceOpen());
  }
  // Frames until done() holds; false after a few seconds.
  template <class Done> bool idleUntil(Done done) {
    for (int frame = 0; frame < 1000; frame++) {
      SoundIdle();
      if (done()) return true;
      SDL_Delay(5);
    }
    return false;
  }
  // Every distinct line the announcer speaks until it falls silent.
  std::vector<std::string> spokenLines() {
    std::vector<std::string> spoken;
    idleUntil([&] {
      const std::string line = SoundAnnouncerLine();
      if (!line.empty() && (spoken.empty() || spoken.back() != line)) spoken.push_back(line);
      return line.empty() && SoundLinesWaiting() == 0;
    });
    return spoken;
  }
};

int countLines(const std::string &text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

// The names given as literals to PlaySoundFile and PlaySoundFileAnnouncer in a source text.
void literalSoundNames(const std::string &text, std::set<std::string> &names) {
  const std::string call = "PlaySoundFile";
  for (size_t at = text.find(call); at != std::string::npos; at = text.find(call, at + 1)) {
    size_t i = at + call.size();
    if (text.compare(i, 9, "Announcer") == 0) i += 9;
    while (i < text.size() && (text[i] == ' ' || text[i] == '('))
      i++;
    if (i >= text.size() || text[i] != '"') continue;
    const size_t end = text.find('"', i + 1);
    if (end != std::string::npos) names.insert(text.substr(i + 1, end - i - 1));
  }
}

std::string slurp(const std::string &path) {
  std::ifstream in(path);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

} // namespace

using Strings = std::vector<std::string>;

TEST_F(Sound, AnnouncerSpeaksQueuedLinesInTurnAndAColourNameDropsTheWaitingOnes) {
  startWithGameSounds();
  PlaySoundFileAnnouncer("Red");
  PlaySoundFileAnnouncer("HasWonTheRound");
  EXPECT_STREQ(SoundAnnouncerLine(), "");
  EXPECT_EQ(SoundLinesWaiting(), 2);

  const Uint32 start = SDL_GetTicks();
  Uint32 switched = 0;
  bool lateStart = false;
  for (int frame = 0; frame < 1000 && switched == 0; frame++) {
    const bool stopped = !Mix_Playing(0);
    const std::string before = SoundAnnouncerLine();
    SoundIdle();
    const std::string after = SoundAnnouncerLine();
    if (before == "Red" && after == "HasWonTheRound") switched = SDL_GetTicks();
    // The frame after a line ends starts the next: no frame of silence between.
    if (before == "Red" && stopped && after == before) lateStart = true;
    SDL_Delay(5);
  }
  ASSERT_NE(switched, 0u);
  EXPECT_FALSE(lateStart);
  EXPECT_GE(switched - start, 300u) << "\"Red\" lasts about 0.4 s and must not be cut short";
  EXPECT_TRUE(idleUntil([] { return *SoundAnnouncerLine() == '\0'; }));

  // A colour name drops the lines still waiting, colour names too, but not the spoken one.
  PlaySoundFileAnnouncer("Red");
  PlaySoundFileAnnouncer("HasScored");
  PlaySoundFileAnnouncer("Blue");
  EXPECT_EQ(SoundLinesWaiting(), 1);
  SoundIdle();
  ASSERT_STREQ(SoundAnnouncerLine(), "Blue");
  PlaySoundFileAnnouncer("HasScored");
  PlaySoundFileAnnouncer("Green");
  PlaySoundFileAnnouncer("IsNowIt");
  EXPECT_STREQ(SoundAnnouncerLine(), "Blue");
  EXPECT_EQ(spokenLines(), Strings({"Blue", "Green", "IsNowIt"}));

  // Only the six names themselves start an announcement, not names beginning with them.
  PlaySoundFileAnnouncer("Red");
  PlaySoundFileAnnouncer("RedTeam");
  PlaySoundFileAnnouncer("BlueTeam");
  PlaySoundFileAnnouncer("HasWonTheMatch");
  EXPECT_EQ(SoundLinesWaiting(), 4);
}

TEST_F(Sound, TenEffectsInOneFramePlayTogetherAndAreReleasedAsEachEnds) {
  startWithGameSounds();
  PlaySoundFile("Welcome"); // much longer than a crash
  for (int i = 0; i < 9; i++)
    PlaySoundFile("Crash");
  EXPECT_EQ(SoundEffectsPlaying(), 10);
  EXPECT_EQ(Mix_Playing(-1), 10);
  EXPECT_EQ(Mix_Playing(0), 0) << "effects must leave the announcer's channel alone";

  PlaySoundFileAnnouncer("Purple");
  SoundIdle();
  EXPECT_STREQ(SoundAnnouncerLine(), "Purple");
  EXPECT_EQ(Mix_Playing(-1), 11);

  EXPECT_TRUE(idleUntil([] { return SoundEffectsPlaying() == 1; }))
      << "the crashes end first and go without waiting for the welcome";
  EXPECT_TRUE(idleUntil([] { return SoundEffectsPlaying() == 0; }));

  // One that ends unseen, no frame running before the next takes its channel.
  PlaySoundFile("Crash");
  for (int i = 0; i < 400 && Mix_Playing(-1) > 0; i++)
    SDL_Delay(5);
  ASSERT_EQ(Mix_Playing(-1), 0);
  PlaySoundFile("Crash");
  EXPECT_EQ(SoundEffectsPlaying(), 1);
}

TEST_F(Sound, FileThatWillNotLoadGivesOneLineAndPlaysNothing) {
  LoadSound("tethrix"); // the scratch folder has no sounds at all
  ASSERT_TRUE(SoundDeviceOpen());
  testing::internal::CaptureStdout();
  PlaySoundFile("Crash");
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(countLines(out), 1) << out;
  EXPECT_NE(out.find("Sounds/Crash.mp3"), std::string::npos) << out;
  EXPECT_EQ(SoundEffectsPlaying(), 0);

  // A line that cannot load is skipped and the next one is spoken.
  ASSERT_EQ(mkdir("Sounds", 0755), 0);
  writeFile("Sounds/Denied.mp3", "not a sound at all");
  ASSERT_EQ(symlink((kSource + "/data/Sounds/HasScored.mp3").c_str(), "Sounds/HasScored.mp3"), 0);
  PlaySoundFileAnnouncer("Denied");
  PlaySoundFileAnnouncer("HasScored");
  testing::internal::CaptureStdout();
  SoundIdle();
  out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(countLines(out), 1) << out;
  EXPECT_NE(out.find("Sounds/Denied.mp3"), std::string::npos) << out;
  EXPECT_STREQ(SoundAnnouncerLine(), "HasScored");

  // Not remembered as missing: a file that appears later plays.
  ASSERT_EQ(symlink((kSource + "/data/Sounds/Crash.mp3").c_str(), "Sounds/Crash.mp3"), 0);
  PlaySoundFile("Crash");
  EXPECT_EQ(SoundEffectsPlaying(), 1);
}

TEST_F(Sound, NoAudioDeviceGivesOneLineThenSilence) {
  ASSERT_EQ(symlink((kSource + "/data/Sounds").c_str(), "Sounds"), 0);
  setenv("SDL_AUDIODRIVER", "nonexistent", 1);
  testing::internal::CaptureStdout();
  LoadSound("tethrix");
  PlaySoundFile("Welcome");
  PlaySoundFileAnnouncer("Red");
  for (int frame = 0; frame < 3; frame++)
    SoundIdle();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(countLines(out), 1) << out;
  EXPECT_FALSE(SoundDeviceOpen());
  EXPECT_EQ(SoundEffectsPlaying(), 0);
  EXPECT_EQ(SoundLinesWaiting(), 0);

  // A device that turns up later is used after a restart.
  ShutdownSound();
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  LoadSound("tethrix");
  EXPECT_TRUE(SoundDeviceOpen());
  PlaySoundFile("Welcome");
  EXPECT_EQ(SoundEffectsPlaying(), 1);
}

TEST_F(Sound, StartingLeavesInterruptAndTerminateToTheGame) {
  struct sigaction before[2], after[2];
  const int signals[2] = {SIGINT, SIGTERM};
  for (int i = 0; i < 2; i++)
    sigaction(signals[i], nullptr, &before[i]);
  LoadSound("tethrix");
  ASSERT_TRUE(SoundDeviceOpen());
  for (int i = 0; i < 2; i++) {
    sigaction(signals[i], nullptr, &after[i]);
    EXPECT_EQ(after[i].sa_handler, before[i].sa_handler) << "signal " << signals[i];
  }
}

TEST_F(Sound, SoundSettingChoosesWhichSoundsPlay) {
  startWithGameSounds();
  const std::string powerUpLine = powerUpSound(kPowerShield);
  struct Case {
    int mode;
    bool effects, announcer, powerUps;
  };
  const Case cases[] = {
      {kSoundModeNone, false, false, false},      {kSoundModeEffectsOnly, true, false, false},
      {kSoundModeNoAnnouncer, true, false, true}, {kSoundModeNoPowerUps, true, true, false},
      {kSoundModeAll, true, true, true},
  };
  for (const Case &k : cases) {
    SCOPED_TRACE(k.mode);
    soundMode = k.mode;
    PlaySoundFile("Crash");
    PlaySoundFile("DeathMatch"); // a game type's start is an effect
    EXPECT_EQ(SoundEffectsPlaying(), k.effects ? 2 : 0);
    PlaySoundFileAnnouncer("Orange");
    PlaySoundFileAnnouncer("Denied");
    PlaySoundFileAnnouncer(powerUpLine.c_str());
    Strings expected;
    if (k.announcer) expected = {"Orange", "Denied"};
    if (k.powerUps) expected.push_back(powerUpLine);
    EXPECT_EQ(spokenLines(), expected);
    EXPECT_TRUE(idleUntil([] { return SoundEffectsPlaying() == 0; }));
  }

  // Turned down while lines wait: the waiting ones it now forbids are never spoken.
  soundMode = kSoundModeAll;
  PlaySoundFileAnnouncer("Yellow");
  PlaySoundFileAnnouncer("HasCTF");
  PlaySoundFileAnnouncer(powerUpLine.c_str());
  soundMode = kSoundModeNoAnnouncer;
  EXPECT_EQ(spokenLines(), Strings({powerUpLine}));
}

// Every name the game can ask for, from the generator's list, the code's literals,
// the power-up catalogue and the roster, has a file that decodes.
TEST_F(Sound, EveryNameTheGameUsesHasADecodableFile) {
  startWithGameSounds();
  std::set<std::string> listed;
  std::istringstream list(slurp(kSource + "/tools/sound_names.txt"));
  for (std::string name; std::getline(list, name);)
    if (!name.empty()) listed.insert(name);
  ASSERT_FALSE(listed.empty());

  std::set<std::string> used;
  for (const auto &file : std::filesystem::recursive_directory_iterator(kSource + "/src"))
    literalSoundNames(slurp(file.path().string()), used);
  EXPECT_TRUE(used.count("Welcome") && used.count("Die")) << "the source scan found nothing";
  for (int id = 0; id < kNumPowerUps; id++)
    if (*powerUpSound(id)) used.insert(powerUpSound(id));
  for (int type = kFirstGameType; type <= kLastGameType; type++)
    used.insert(GameTypeStartSound(type));
  roster();
  for (int i = 0; i < numPlayers; i++)
    used.insert(players[i]->sound);

  for (const std::string &name : used)
    EXPECT_TRUE(listed.count(name)) << name << " not listed";
  for (const std::string &name : listed) {
    Mix_Chunk *chunk = Mix_LoadWAV(("Sounds/" + name + ".mp3").c_str());
    EXPECT_TRUE(chunk && chunk->alen > 0) << name << ": " << Mix_GetError();
    if (chunk) Mix_FreeChunk(chunk);
  }
}
