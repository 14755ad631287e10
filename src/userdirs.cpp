// The player's own folders: the settings and extra levels under the config
// folder, screenshots under the pictures folder, replays under the data home; and the search for the data
// folder, which is only read.
#include "TethrixExtern.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

char prefsFile[kPathSize] = "prefs.def";
char userFolder[kPathSize];

void ResetFileLocations() {
  std::snprintf(prefsFile, sizeof prefsFile, "%s", "prefs.def");
  userFolder[0] = '\0';
}

namespace {

std::string homeFolder() {
  const char *home = std::getenv("HOME");
  if (home && *home) return home;
  const passwd *pw = getpwuid(getuid());
  return pw && pw->pw_dir ? pw->pw_dir : "";
}

// An XDG variable counts only when it names an absolute path.
std::string xdgFolder(const char *variable, const char *underHome) {
  const char *set = std::getenv(variable);
  if (set && set[0] == '/') return set;
  const std::string home = homeFolder();
  return home.empty() ? "" : home + "/" + underHome;
}

bool isFolder(const std::string &path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

// Whole or not at all: the copy is made beside its place and renamed into it.
bool CopyFileWhole(const std::string &from, const std::string &to) {
  FILE *in = std::fopen(from.c_str(), "rb");
  if (!in) return false;
  const std::string tmp = to + ".tmp";
  FILE *out = std::fopen(tmp.c_str(), "wb");
  bool ok = out != nullptr;
  char buf[8192];
  for (size_t n; ok && (n = std::fread(buf, 1, sizeof buf, in)) > 0;)
    ok = std::fwrite(buf, 1, n, out) == n;
  ok = ok && !std::ferror(in);
  std::fclose(in);
  if (out) ok = std::fclose(out) == 0 && ok;
  ok = ok && std::rename(tmp.c_str(), to.c_str()) == 0;
  if (!ok) std::remove(tmp.c_str());
  return ok;
}

std::string SettingsFolder() {
  const std::string base = xdgFolder("XDG_CONFIG_HOME", ".config");
  return base.empty() ? "" : base + "/tethrix";
}

std::string ReplaysFolder() {
  const std::string base = xdgFolder("XDG_DATA_HOME", ".local/share");
  return base.empty() ? "" : base + "/tethrix/replays";
}

std::string PicturesFolder() {
  const std::string base = xdgFolder("XDG_PICTURES_DIR", "Pictures");
  return base.empty() ? "" : base + "/tethrix";
}

bool MakeFolders(const std::string &path, int mode, std::string &why) {
  for (size_t at = path.find('/', 1);; at = path.find('/', at + 1)) {
    const std::string part = path.substr(0, at);
    if (!isFolder(part) && mkdir(part.c_str(), static_cast<mode_t>(mode)) != 0 &&
        !(errno == EEXIST && isFolder(part))) {
      why = errno == EEXIST ? "\"" + part + "\" is not a folder"
                            : "cannot make \"" + part + "\": " + std::strerror(errno);
      return false;
    }
    if (at == std::string::npos) break;
  }
  if (!isFolder(path)) {
    why = "\"" + path + "\" is not a folder";
    return false;
  }
  return true;
}

// A first run takes the data folder's preferences, if it has any, as its start:
// settings saved beside an uninstalled game carry over.
static bool useFolder(const std::string &dir, std::string &why) {
  if (dir.empty()) {
    why = "no home folder to keep the settings in (HOME is not set)";
    return false;
  }
  const bool firstRun = !isFolder(dir);
  if (!MakeFolders(dir, 0700, why)) {
    why = "cannot use the settings folder \"" + dir + "\": " + why;
    return false;
  }
  if (access(dir.c_str(), R_OK | W_OK | X_OK) != 0) {
    why = "cannot write in the settings folder \"" + dir + "\": " + std::strerror(errno);
    return false;
  }
  const std::string prefs = dir + "/prefs.def";
  if (prefs.size() >= sizeof prefsFile) {
    why = "the settings folder's name is too long: \"" + dir + "\"";
    return false;
  }
  struct stat st;
  if (stat(prefs.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || access(prefs.c_str(), R_OK | W_OK) != 0) {
      why = "\"" + prefs + "\" is not a file the game can read and write";
      return false;
    }
  } else if (access("prefs.def", R_OK) == 0 && !CopyFileWhole("prefs.def", prefs)) {
    std::fprintf(stderr, "tethrix: cannot copy the data folder's prefs.def to \"%s\"\n",
                 prefs.c_str());
  }
  if (firstRun) std::fprintf(stderr, "tethrix: settings are kept in \"%s\"\n", dir.c_str());
  std::snprintf(prefsFile, sizeof prefsFile, "%s", prefs.c_str());
  std::snprintf(userFolder, sizeof userFolder, "%s", dir.c_str());
  return true;
}

// A folder that cannot be used leaves no preferences file: nothing is saved.
bool UseSettingsFolder(const std::string &dir, std::string &why) {
  prefsFile[0] = userFolder[0] = '\0';
  return useFolder(dir, why);
}

std::string UserCopyOf(const char *name) {
  if (!userFolder[0] || std::strchr(name, '/')) return name;
  const std::string own = std::string(userFolder) + "/" + name;
  struct stat st;
  return stat(own.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? own : name;
}

namespace {

bool hasLevelList(const std::string &dir) {
  struct stat st;
  return !dir.empty() && stat((dir + "/level.def").c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string executableDir(const char *argv0) {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  std::string path = n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string(argv0 ? argv0 : "");
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

} // namespace

#ifndef TETHRIX_SHARE_DIR
#define TETHRIX_SHARE_DIR "/usr/local/share/tethrix"
#endif

bool FindDataFolder(const char *argv0, char *out, size_t outSize) {
  std::string candidates[5];
  int n = 0;
  if (const char *env = std::getenv("TETHRIX_DATA")) {
    // An explicit choice is never second-guessed.
    copyText(out, outSize, env);
    return hasLevelList(env);
  }
  std::string exe = executableDir(argv0);
  candidates[n++] = exe + "/data";
  candidates[n++] = exe + "/../data";
  candidates[n++] = exe + "/../share/tethrix";
  candidates[n++] = TETHRIX_SHARE_DIR;
  for (int i = 0; i < n; i++) {
    if (hasLevelList(candidates[i])) {
      copyText(out, outSize, candidates[i].c_str());
      return true;
    }
  }
  return false;
}

// What to tell a player whose data folder could not be used: which folder,
// and which file in it is missing.
std::string MissingDataMessage(const char *tried) {
  if (!tried || !*tried)
    return "cannot find the game's data folder (looked for data/level.def beside the program and "
           "in " TETHRIX_SHARE_DIR "); set TETHRIX_DATA";
  struct stat st;
  const std::string dir = tried;
  if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
    return "the data folder \"" + dir + "\" (TETHRIX_DATA) does not exist";
  return "the data folder \"" + dir + "\" has no level list: \"" + dir + "/level.def\" is missing";
}
