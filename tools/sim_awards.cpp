// tethrix-sim --awards: match statistics from JSON, the leaderboard and awards as text.
#include "sim_awards.h"

#include "TethrixExtern.h"

#include <nlohmann/json.hpp>

#include <climits>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

namespace {

using nlohmann::json;

struct Malformed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

const json &field(const json &object, const char *key, const std::string &where) {
  if (!object.is_object() || !object.contains(key))
    throw Malformed(where + ": missing \"" + key + "\"");
  return object.at(key);
}

int intField(const json &object, const char *key, const std::string &where) {
  const json &v = field(object, key, where);
  if (!v.is_number_integer() || v.get<long long>() < INT_MIN || v.get<long long>() > INT_MAX)
    throw Malformed(where + "." + key + ": expected an integer");
  return v.get<int>();
}

int flagField(const json &object, const char *key, const std::string &where) {
  const int v = intField(object, key, where);
  if (v != 0 && v != 1) throw Malformed(where + "." + key + ": expected 0 or 1");
  return v;
}

float floatField(const json &object, const char *key, const std::string &where) {
  const json &v = field(object, key, where);
  if (!v.is_number()) throw Malformed(where + "." + key + ": expected a number");
  return v.get<float>();
}

void readName(const json &object, const std::string &where, player *p) {
  const json &v = field(object, "name", where);
  if (!v.is_string()) throw Malformed(where + ".name: expected a string");
  const std::string name = v.get<std::string>();
  if (name.size() >= sizeof p->name)
    throw Malformed(where + ".name: longer than " + std::to_string(sizeof p->name - 1) + " bytes");
  for (unsigned char c : name)
    if (c < ' ') throw Malformed(where + ".name: control characters are not a name");
  std::memset(p->name, 0, sizeof p->name);
  std::memcpy(p->name, name.data(), name.size());
}

void readKills(const json &object, const std::string &where, player *p) {
  const json &kills = field(object, "playerKills", where);
  if (!kills.is_array() || kills.size() != kRosterSize)
    throw Malformed(where + ".playerKills: expected " + std::to_string(kRosterSize) + " integers");
  for (int j = 0; j < kRosterSize; j++) {
    const json &k = kills[j];
    if (!k.is_number_integer() || k.get<long long>() < INT_MIN || k.get<long long>() > INT_MAX)
      throw Malformed(where + ".playerKills: expected integers");
    p->playerKills[j] = k.get<int>();
  }
}

void readPlayer(const json &object, int i, player *p) {
  const std::string where = "players[" + std::to_string(i) + "]";
  if (!object.is_object()) throw Malformed(where + ": expected an object");
  readName(object, where, p);
  p->active = flagField(object, "active", where);
  p->team = intField(object, "team", where);
  p->score = intField(object, "score", where);
  p->wins = intField(object, "wins", where);
  readKills(object, where, p);
  p->suicides = intField(object, "suicides", where);
  p->attatches = intField(object, "attatches", where);
  p->collisions = intField(object, "collisions", where);
  p->powerups = intField(object, "powerups", where);
  p->maxVelocity = floatField(object, "maxVelocity", where);
  p->maxSize = floatField(object, "maxSize", where);
}

// The roster of start-up with the file's statistics in it.
void readMatch(const json &match) {
  if (!match.is_object()) throw Malformed("expected an object");
  const int type = intField(match, "gameType", "match");
  const json &list = field(match, "players", "match");
  if (!list.is_array() || list.size() != kRosterSize)
    throw Malformed("players: expected " + std::to_string(kRosterSize) + " players");
  ResetWorld();
  frameReport = nullptr;
  BuildRoster();
  gameType = type;
  for (int i = 0; i < kRosterSize; i++)
    readPlayer(list[i], i, players[i]);
}

} // namespace

int PrintLeaderBoard(const char *file, FILE *out) {
  std::ifstream in(file);
  if (!in) {
    std::fprintf(stderr, "tethrix-sim: cannot read %s\n", file);
    return 2;
  }
  try {
    readMatch(json::parse(in));
  } catch (const std::exception &e) { // parse errors and Malformed alike
    std::fprintf(stderr, "tethrix-sim: %s: %s\n", file, e.what());
    return 2;
  }
  LeaderBoard(); // the first frame: sorts, and gives the awards
  char lines[1 + kRosterSize][kAwardLineSize];
  const int n = LeaderBoardStandings(lines, 1 + kRosterSize);
  for (int k = 0; k < n; k++)
    std::fprintf(out, "%s\n", lines[k]);
  for (int i = 0; i < awardLines; i++)
    std::fprintf(out, "%s\n", awards[i]);
  return 0;
}
