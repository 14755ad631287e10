// The tables of values a replay's start carries, shared by its reader and the match start.
#pragma once

#include "Tethrix.h"

#include <cstddef>
#include <string>

constexpr int kValueFloat = 0;    // any finite float
constexpr int kValuePositive = 1; // a float from 0.001 to 1000: the game speed
constexpr int kValueInt = 2;      // an int from lo to hi
constexpr int kValueChar = 3;     // a character by its code, 0 to 255
constexpr int kValueBall = 4;     // a roster ball by its index, -1 for none
constexpr int kValuePowerUp = 5;  // a power-up held: catalogued, or a second barrel or bomb

struct BallField {
  const char *name;
  size_t offset;
  int type;
  int lo, hi;
};

struct SettingRow {
  const char *name;
  void *address;
  int type;
  int lo, hi;
};

constexpr const char *kBallTargetField = "target"; // the ball it hunts, by index, after the table's

int BallFieldCount();
const BallField &BallFieldAt(int k);
int BallFieldInt(const player *p, const BallField &f);
int FindBallField(const std::string &name); // BallFieldCount() for the target, -1 for none
int SettingCount();
const SettingRow &SettingAt(int k);
const SettingRow *FindSetting(const std::string &name);
bool ValueFits(int type, int lo, int hi, const std::string &text);
