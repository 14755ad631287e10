// Floating texts: a collected power-up's name trails its ball and bursts into
// letters when the power-up is used.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cstdlib>
#include <cmath>
#include <cstring>

namespace {

constexpr float kLetterSpacing = 0.16f;
constexpr float kCentring = 0.04f; // half a glyph advance per character
constexpr float kLetterLife = 100.0f;
constexpr float kLetterScatter = 0.1f;
constexpr float kFollowPull = 0.05f;
constexpr float kFollowDamping = 0.05f;
constexpr float kDetonatorLife = 60.0f;
constexpr float kShotgunShift = 0.6f;

// A list node with room for the one letter a burst gives it.
struct MessageNode : messList {
  char letter[2];
};

messList *newNode(const message &m) {
  MessageNode *node = static_cast<MessageNode *>(std::calloc(1, sizeof(MessageNode)));
  if (!node) std::abort();
  node->head = m;
  node->tail = firstMessage;
  firstMessage = node;
  return node;
}

void freeNode(messList *node) { std::free(static_cast<MessageNode *>(node)); }

bool finished(const message &m) {
  return m.flagP ? *m.flagP != m.flagV : m.lifetime < 0;
}

float cosmeticFraction() { return static_cast<float>(cosmeticRand()) / kRandMax; }

// The first `count` letters of m fly apart as messages of their own.
void scatterLetters(const message &m, size_t count) {
  const size_t n = std::strlen(m.text);
  const float scale = UiScale(); // the letters fly from where the grown label drew them
  for (size_t i = 0; i < count && i < n; i++) {
    message letter{};
    letter.h = m.h - scale * (kCentring * n - kLetterSpacing * i);
    letter.v = m.v;
    letter.hv = m.hv + kLetterScatter * (cosmeticFraction() - 0.5f);
    letter.vv = m.vv + kLetterScatter * (cosmeticFraction() - 0.5f);
    letter.lifetime = kLetterLife;
    MessageNode *node = static_cast<MessageNode *>(newNode(letter));
    node->letter[0] = m.text[i];
    node->head.text = node->letter;
  }
}

void burst(message &m) {
  scatterLetters(m, std::strlen(m.text));
  if (std::strcmp(m.text, "Nova Bomb") == 0 || std::strcmp(m.text, "Antimatter Bomb") == 0) {
    message detonator = m;
    detonator.text = "Detonator";
    detonator.flagV = kPowerBombInFlight;
    detonator.lifetime = kDetonatorLife;
    newNode(detonator);
  }
  m.flagP = nullptr;
  m.lifetime = -1;
}

// The first shot of the shotgun bursts "Double"; "Shotgun" waits for the second.
void burstFirstBarrel(message &m) {
  const char *space = std::strchr(m.text, ' ');
  scatterLetters(m, space ? static_cast<size_t>(space - m.text) : std::strlen(m.text));
  m.text = "Shotgun";
  m.h += UiScale() * kShotgunShift;
  m.flagV = *m.flagP;
  m.lifetime = -1;
}

void move(message &m) {
  const float s = speedMult;
  if (!m.hCenter) {
    m.h += m.hv * s;
    m.v += m.vv * s;
    m.lifetime -= s;
    return;
  }
  const float dh = m.h - *m.hCenter, dv = m.v - *m.vCenter;
  const float d = std::sqrt(dh * dh + dv * dv);
  if (d != 0) {
    m.vv -= s * (dv * kFollowPull / d);
    m.hv -= s * (dh * kFollowPull / d);
  }
  m.vv *= 1 - kFollowDamping * s;
  m.hv *= 1 - kFollowDamping * s;
  m.h += m.hv * s;
  m.v += m.vv * s;
}

// Settles the head of the list; returns the first node to draw.
messList *settleHead() {
  while (firstMessage && finished(firstMessage->head)) {
    message &m = firstMessage->head;
    if (!m.flagP) {
      messList *gone = firstMessage;
      firstMessage = gone->tail;
      freeNode(gone);
      continue;
    }
    messList *stop = firstMessage;
    if (std::strcmp(m.text, "Double Shotgun") == 0)
      burstFirstBarrel(m);
    else
      burst(m);
    return stop;
  }
  return firstMessage;
}

} // namespace

void PushMessage(float h, float v, float hv, float vv, float lifetime, const char *text,
                 float *hCenter, float *vCenter, int *flagP, int flagV) {
  message m{h, v, hv, vv, lifetime, hCenter, vCenter, flagP, flagV, text ? text : ""};
  newNode(m);
}

void DrawMessages(messList *) {
  glDisable(GL_LIGHTING);
  glColor3f(1, 1, 1);
  const float scale = UiScale();
  for (messList *node = settleHead(); node; node = node->tail) {
    message &m = node->head;
    DrawStr2(m.h - scale * kCentring * std::strlen(m.text), m.v, scale * kGlyphSize, m.text);
    move(m);
    messList *next = node->tail;
    if (next && finished(next->head)) {
      if (!next->head.flagP) {
        node->tail = next->tail;
        freeNode(next);
      } else {
        burst(next->head);
      }
    }
  }
  glEnable(GL_LIGHTING);
}

void ClearMessages() {
  while (firstMessage) {
    messList *gone = firstMessage;
    firstMessage = gone->tail;
    freeNode(gone);
  }
}

int CountMessages() {
  int n = 0;
  for (messList *node = firstMessage; node; node = node->tail) n++;
  return n;
}

void Say(const char *) {}
