// F12 and the PNG writer: what libpng reads back is the frame the window showed.
#include "gl/headless.h"
#include "inclGL.h"
#include "scoped_env.h"
#include "world_fixture.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <png.h>
#include <vector>

namespace fs = std::filesystem;

TEST_F(World, F12SavesTheNextFrameBeforeItsSwapTopRowFirstUnderThePicturesFolder) {
  ScopedEnv pictures("XDG_PICTURES_DIR", (fs::current_path() / "pics").c_str());
  for (auto [width, height] : {std::make_pair(0, 5), std::make_pair(5, 0)}) {
    glutInitWindowSize(width, height);
    EXPECT_EQ(SaveScreenshot(), "");
  }
  EXPECT_FALSE(fs::exists("pics")); // nothing, not even a folder
  const int w = 37, h = 5;          // an odd width: GL would pad each row to 4 bytes
  std::vector<unsigned char> want(w * h * 3);
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++)
      headlessPixel(x, h - 1 - y, &want[(y * w + x) * 3]);
  glutInitWindowSize(w, h);
  SpecialKey(GLUT_KEY_F11, 0, 0); // another key takes no picture
  Display();
  testing::internal::CaptureStdout();
  SpecialKey(GLUT_KEY_F12, 0, 0);
  Display();
  EXPECT_EQ(headlessState().readBuffer, unsigned(GL_BACK));
  EXPECT_EQ(headlessState().swapsAtRead, headlessState().swaps - 1);
  SpecialKey(GLUT_KEY_F12, 0, 0);
  Display(); // most likely the same second: a name of its own, nothing overwritten
  Display();
  const std::string out = testing::internal::GetCapturedStdout();
  for (const fs::directory_entry &e : fs::directory_iterator("pics/tethrix")) {
    EXPECT_NE(out.find("/pics/tethrix/" + e.path().filename().string() + "\n"), out.npos) << out;
    png_image image{}; // read back as libpng sees it: an RGB file, rows from the top
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, e.path().c_str()));
    std::vector<unsigned char> got(PNG_IMAGE_SIZE(image));
    EXPECT_TRUE(png_image_finish_read(&image, nullptr, got.data(), 0, nullptr) && got == want);
    EXPECT_EQ(std::make_pair(image.width, image.height), std::make_pair(unsigned{w}, unsigned{h}));
  }
  EXPECT_EQ(std::distance(fs::directory_iterator("pics/tethrix"), {}), 2) << out;
}

// The text log: each finished frame replaces the file with that frame's lines, boxed in window
// pixels counted from the top, in whatever viewport and model space they were drawn.
TEST_F(World, TheTextLogHoldsTheLastFramesLinesInWindowPixels) {
  DrawStr2(0, 0, 0.25f, "unlogged"); // before the log opens: never in it
  OpenTextLog("text.log");
  glutInitWindowSize(800, 600);
  glViewport(100, 0, 600, 600); // a letterboxed square: x from 100, the whole height
  auto frame = [](const char *text) {
    glPushMatrix();
    glTranslatef(-0.5f, 0, 0);
    DrawStr2(0, 0, 0.25f, text);
    glPopMatrix();
    SwapFrame();
    std::ifstream in("text.log");
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  EXPECT_EQ(frame("old"), "window 800 600\n250.0 225.0 415.0 300.0 old\n");
  EXPECT_EQ(frame("ABCD"), "window 800 600\n250.0 225.0 460.0 300.0 ABCD\n");
  EXPECT_EQ(frame("A\nBC"), "window 800 600\n250.0 225.0 370.0 375.0 A|BC\n");
  EXPECT_EQ(frame("\xe9t\xe9"), "window 800 600\n250.0 225.0 415.0 300.0 \xe9t\xe9\n"); // signed chars
  OpenTextLog(nullptr);
  glViewport(0, 0, 800, 600);
}
