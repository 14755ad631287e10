// F12 and the PNG writer: what libpng reads back is the frame the window showed.
#include "gl/headless.h"
#include "inclGL.h"
#include "scoped_env.h"
#include "world_fixture.h"

#include <filesystem>
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
  arena();
  SpecialKey(GLUT_KEY_F11, 0, 0);
  Display();
  EXPECT_FALSE(fs::exists("pics/tethrix"));
  testing::internal::CaptureStdout();
  SpecialKey(GLUT_KEY_F12, 0, 0);
  SpecialKey(GLUT_KEY_F12, 0, 0); // twice before a frame: one picture
  Display();
  const HeadlessState &s = headlessState();
  EXPECT_EQ(std::make_pair(s.readBuffer, s.swapsAtRead),
            std::make_pair(unsigned(GL_BACK), s.swaps - 1));
  SpecialKey(GLUT_KEY_F12, 0, 0);
  Display(); // most likely the same second: a name of its own, nothing overwritten
  Display();
  const std::string out = testing::internal::GetCapturedStdout();
  int saved = 0;
  for (const fs::directory_entry &e : fs::directory_iterator("pics/tethrix")) {
    const std::string name = e.path().filename();
    saved++;
    EXPECT_EQ(name.rfind("tethrix-", 0), 0u) << name;
    EXPECT_NE(out.find("/pics/tethrix/" + name + "\n"), std::string::npos) << out;
    png_image image{}; // read back as libpng sees it, RGB rows from the top
    image.version = PNG_IMAGE_VERSION;
    ASSERT_TRUE(png_image_begin_read_from_file(&image, e.path().c_str())) << name;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> got(PNG_IMAGE_SIZE(image));
    ASSERT_TRUE(png_image_finish_read(&image, nullptr, got.data(), 0, nullptr)) << name;
    EXPECT_EQ(std::make_pair(image.width, image.height), std::make_pair(unsigned{w}, unsigned{h}))
        << name;
    EXPECT_TRUE(got == want) << name;
  }
  EXPECT_EQ(saved, 2) << out;
}
