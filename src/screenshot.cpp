// F12: the next finished frame saved as a PNG in the player's pictures folder.
#include "TethrixExtern.h"
#include "inclGL.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <png.h>
#include <vector>

bool WritePng(const char *path, int width, int height, const unsigned char *rgbTopDown) {
  // "x": a picture already there is never overwritten.
  FILE *out = std::fopen(path, "wbx");
  if (!out) return false;
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGB;
  bool ok = png_image_write_to_stdio(&image, out, 0, rgbTopDown, 0, nullptr) != 0;
  if (!ok) std::fprintf(stderr, "tethrix: %s: %s\n", path, image.message);
  ok = std::fclose(out) == 0 && ok;
  if (!ok) {
    std::remove(path);
    errno = EIO;
  }
  return ok;
}

namespace {

// GL's first row is the bottom of the window; a PNG starts at the top.
std::vector<unsigned char> readWindow(int width, int height) {
  const size_t row = static_cast<size_t>(width) * 3;
  std::vector<unsigned char> bottomUp(row * static_cast<size_t>(height));
  glPixelStorei(GL_PACK_ALIGNMENT, 1); // rows of any width, unpadded
  glReadBuffer(
      GL_BACK); // a finished frame not yet swapped: the front buffer cannot be read everywhere
  glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
  std::vector<unsigned char> topDown(bottomUp.size());
  for (int y = 0; y < height; y++)
    std::memcpy(&topDown[row * static_cast<size_t>(y)],
                &bottomUp[row * static_cast<size_t>(height - 1 - y)], row);
  return topDown;
}

// tethrix-2024-05-01-173012.png, then -2, -3 for more in the same second.
std::string pictureName(const std::string &folder, int n) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char stamp[32];
  std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &local);
  return folder + "/tethrix-" + stamp + (n > 1 ? "-" + std::to_string(n) : "") + ".png";
}

} // namespace

namespace {
bool requested;
}

void RequestScreenshot() {
  requested = true;
  glutPostRedisplay();
}

void TakeRequestedScreenshot() {
  if (!requested) return;
  requested = false;
  SaveScreenshot();
}

std::string SaveScreenshot() {
  const int width = glutGet(GLUT_WINDOW_WIDTH), height = glutGet(GLUT_WINDOW_HEIGHT);
  if (width <= 0 || height <= 0) return "";
  const std::vector<unsigned char> pixels = readWindow(width, height);
  const std::string folder = PicturesFolder();
  std::string why = "no home folder for pictures (HOME is not set)";
  if (folder.empty() || !MakeFolders(folder, 0755, why)) {
    std::fprintf(stderr, "tethrix: screenshot not saved: %s\n", why.c_str());
    return "";
  }
  constexpr int kNamesASecond = 100;
  for (int n = 1; n <= kNamesASecond; n++) {
    const std::string path = pictureName(folder, n);
    if (WritePng(path.c_str(), width, height, pixels.data())) {
      std::printf("Screenshot saved to %s\n", path.c_str());
      return path;
    }
    if (errno != EEXIST) {
      std::fprintf(stderr, "tethrix: cannot save the screenshot \"%s\": %s\n", path.c_str(),
                   std::strerror(errno));
      return "";
    }
  }
  return "";
}
