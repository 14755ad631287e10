// The text drawn since the vertices were last cleared, read back from the font's glyph squares.
#pragma once

#include "gl/headless.h"
#include "inclGL.h"

#include <cmath>
#include <string>
#include <vector>

// One drawn line: its text and the box its glyphs cover.
struct DrawnLine {
  std::string text;
  float left, bottom, right, top;
};

// Glyphs are squares cut from a 16 x 16 grid; faces are cells a sixth high, so they never read as
// text. A glyph more than one advance on from the last starts a word after spaces; any other
// jump starts a new line.
inline std::vector<DrawnLine> drawnLines() {
  const std::vector<HeadlessVertex> &all = headlessVertices();
  std::vector<DrawnLine> lines;
  float penH = 0, advance = 0;
  for (size_t i = 0; i + 3 < all.size(); i++) {
    const HeadlessVertex &a = all[i], &c = all[i + 2];
    if (a.primitive != GL_QUADS || a.begin != c.begin || std::abs(c.t - a.t - 1.f / 16) > 1e-4f)
      continue;
    const float size = c.x - a.x;
    const int code = 32 + static_cast<int>(std::lround(a.s * 16)) +
                     16 * static_cast<int>(std::lround((1 - c.t) * 16));
    const float step = 0.6f * size;
    const float gap = lines.empty() ? -1 : (a.x - penH) / advance;
    const bool sameLine = !lines.empty() && a.y == lines.back().bottom &&
                          std::abs(size - advance / 0.6f) < 1e-4f && gap > 0.5f && gap < 8;
    if (!sameLine) lines.push_back({"", a.x, a.y, c.x, c.y});
    else lines.back().text += std::string(static_cast<size_t>(std::lround(gap)) - 1, ' ');
    DrawnLine &l = lines.back();
    l.text += static_cast<char>(code);
    l.right = c.x, l.top = c.y;
    penH = a.x, advance = step;
    i += 3;
  }
  return lines;
}

inline bool drawnText(const std::string &text) {
  for (const DrawnLine &l : drawnLines())
    if (l.text == text) return true;
  return false;
}
