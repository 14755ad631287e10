// An environment variable set (or unset, for null) for one scope, then put back.
#pragma once

#include <cstdlib>
#include <optional>
#include <string>

struct ScopedEnv {
  std::string name;
  std::optional<std::string> old;
  ScopedEnv(const char *n, const char *value) : name(n) {
    if (const char *was = std::getenv(n)) old = was;
    value ? setenv(n, value, 1) : unsetenv(n);
  }
  ~ScopedEnv() { old ? setenv(name.c_str(), old->c_str(), 1) : unsetenv(name.c_str()); }
};
