// The player's config folder: where it is, the first run, a damaged one, and
// the level lists kept there.
#include "scoped_env.h"
#include "world_fixture.h"

#include <climits>
#include <pwd.h>
#include <tuple>
#include <unistd.h>

TEST_F(World, FoldersFollowAbsoluteXdgVariablesElseTheHomeFolder) {
  struct Case { const char *config, *pictures, *wantSettings, *wantPictures; } cases[] = {
      {"/cfg", "/pics", "/cfg/tethrix", "/pics/tethrix"},
      {nullptr, nullptr, "/home/a/.config/tethrix", "/home/a/Pictures/tethrix"},
      {"cfg", "pics", "/home/a/.config/tethrix", "/home/a/Pictures/tethrix"}, // relative: ignored
  };
  ScopedEnv home("HOME", "/home/a");
  for (const Case &c : cases) {
    ScopedEnv config("XDG_CONFIG_HOME", c.config), pictures("XDG_PICTURES_DIR", c.pictures);
    EXPECT_EQ(SettingsFolder(), c.wantSettings) << (c.config ? c.config : "unset");
    EXPECT_EQ(PicturesFolder(), c.wantPictures) << (c.pictures ? c.pictures : "unset");
  }
  ScopedEnv empty("HOME", ""), config("XDG_CONFIG_HOME", nullptr); // the account's own folder then
  EXPECT_EQ(SettingsFolder(), std::string(getpwuid(getuid())->pw_dir) + "/.config/tethrix");
}

// The working folder stands for the data folder: it is read, never written.
TEST_F(World, AFirstRunMakesAPrivateFolderStartingFromTheDataFoldersPreferences) {
  writeFile("level.def", "nextlevel 0\nOnly\nblock 0 0\n");
  // The copy's last read is a single byte.
  const std::string prefs = "sound 2\n" + std::string(8185, '\n');
  writeFile("prefs.def", prefs);
  const std::string dir = std::filesystem::current_path().string() + "/home/.config/tethrix";
  std::string reason;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(UseSettingsFolder(dir, reason)) << reason;
  EXPECT_NE(testing::internal::GetCapturedStderr().find("kept in \"" + dir + "\""),
            std::string::npos);
  EXPECT_EQ(std::filesystem::status(dir).permissions(), std::filesystem::perms::owner_all);
  EXPECT_EQ(readFile(prefsFile), prefs);
  roster();
  StartupReads(true);
  EXPECT_EQ(soundMode, 2);
  EXPECT_NE(readFile(prefsFile).find("player 0 "), std::string::npos);
  EXPECT_EQ(readFile("prefs.def"), prefs);
  // A level list of the player's own comes before the data folder's.
  EXPECT_STREQ(levelname, "Only");
  writeFile("home/.config/tethrix/level.def", "nextlevel 0\nMine\n");
  ReadLevelFile("level.def");
  EXPECT_STREQ(levelname, "Mine");
  // Later runs keep the player's own file.
  writeFile("prefs.def", "sound 1\n");
  ASSERT_TRUE(UseSettingsFolder(dir, reason));
  EXPECT_NE(readFile(prefsFile).find("sound 2\n"), std::string::npos);
}

// A level list of the player's own with no level in it is named, and the data folder's is
// played instead of an empty arena.
TEST_F(World, AnOwnLevelListWithoutALevelIsToldAndTheDataFoldersIsPlayed) {
  writeFile("level.def", "nextlevel 0\nData\nlevel -10 10 7 -7\ndeathmatch 10\n");
  std::filesystem::create_directory("own");
  std::snprintf(userFolder, sizeof userFolder, "%s", "own");
  roster();
  const std::string owns[] = {"", "# my levels\nblock 1 1\n", std::string("\x7f\x01\0\xff\n", 5)};
  for (const std::string &own : owns) {
    writeFile("own/level.def", own);
    ForgetReaderWarnings();
    testing::internal::CaptureStderr();
    ReadLevelFile(defaultLevels);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::make_tuple(std::string(levelname), numLevels, gameType, maxScore),
              std::make_tuple(std::string("Data"), 0, kDeathmatch, 10));
    EXPECT_NE(err.find("own/level.def: has no level in it"), std::string::npos) << err;
  }
}

TEST_F(World, ADamagedSettingsFolderIsNamedAndTheGamePlaysOnItsDefaults) {
  writeFile("level.def", "nextlevel 0\nOnly\nblock 0 0\n");
  writeFile("file", "");
  std::filesystem::create_directories("folder/prefs.def");
  const std::string here = std::filesystem::current_path();
  for (auto [damaged, told] : {std::make_pair("file/tethrix", "/file\" is not a folder"),
                               std::make_pair("folder", "/folder/prefs.def\" is not a file"),
                               std::make_pair("", "HOME is not set")}) {
    ResetWorld();
    std::string why;
    EXPECT_FALSE(UseSettingsFolder(damaged[0] ? here + "/" + damaged : "", why)) << damaged;
    EXPECT_NE(why.find(told), std::string::npos) << why;
    roster();
    StartupReads(true);
    ResetAll(); // as a return to the title does
    EXPECT_EQ(std::make_tuple(soundMode, powerUpsInList), std::make_tuple(4, 43 * 3)) << damaged;
    EXPECT_NE(access("prefs.def", F_OK), 0) << damaged; // the data folder is never written
  }
}

// The data folder is the one holding a level list; a folder named by TETHRIX_DATA is kept as named.
TEST_F(World, TheDataFolderIsTheOneHoldingALevelList) {
  char out[PATH_MAX], exe[PATH_MAX], source[PATH_MAX], found[PATH_MAX];
  ScopedEnv named("TETHRIX_DATA", "nowhere");
  EXPECT_FALSE(FindDataFolder(nullptr, out, sizeof out));
  EXPECT_STREQ(out, "nowhere");
  // Run from a build folder of the checkout, the game plays the checkout's data.
  ScopedEnv none("TETHRIX_DATA", nullptr);
  ASSERT_NE(realpath("/proc/self/exe", exe), nullptr);
  std::string checkout = exe;
  checkout.resize(checkout.rfind('/')), checkout.resize(checkout.rfind('/'));
  if (!realpath(TETHRIX_SOURCE_DIR, source) || checkout != source) GTEST_SKIP() << "built apart";
  ASSERT_TRUE(FindDataFolder(nullptr, out, sizeof out));
  EXPECT_EQ(std::string(realpath(out, found) ? found : out), checkout + "/data");
}

// A named data folder that is not there, and one without its level list, are told apart.
TEST_F(World, AMissingDataFolderSaysWhatIsMissing) {
  std::filesystem::create_directory("empty");
  for (auto [dir, says] : {std::pair{"empty", "has no level list"}, {"nowhere", "does not exist"},
                           {"", "cannot find the game's data folder"}})
    EXPECT_NE(MissingDataMessage(dir).find(says), std::string::npos) << MissingDataMessage(dir);
}
