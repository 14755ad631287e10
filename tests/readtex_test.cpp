// The SGI reader: pixels of every layout, the refusal of broken files, the texture list.
#include "world_fixture.h"

#include "gl/headless.h"
#include "inclGL.h"
#include "readtex.h"

#include <string>
#include <tuple>
#include <utility>

namespace {

// Left three pixels of a row repeat (run packets), the rest differ (copy packets);
// every channel and row has its own values.
unsigned char testPixel(int x, int y, int z) {
  return static_cast<unsigned char>(x < 3 ? 10 + 40 * z + y : 100 + 40 * z + 7 * y + x);
}

std::string put(std::string s, size_t at, unsigned v, int bytes) {
  for (int i = 0; i < bytes; i++)
    s[at + i] = static_cast<char>(v >> 8 * (bytes - 1 - i));
  return s;
}

std::string sgiHeader(unsigned type, int w, int h, int z) {
  std::string s(kImageHeaderSize, '\0');
  s = put(put(put(s, 0, 474, 2), 2, type, 2), 4, z == 1 ? 2 : 3, 2);
  return put(put(put(s, 6, w, 2), 8, h, 2), 10, z, 2);
}

// Where the table entries of stored row i of a run-length file sit.
size_t startEntry(size_t i) { return kImageHeaderSize + 4 * i; }
size_t sizeEntry(size_t rows, size_t i) { return kImageHeaderSize + 4 * (rows + i); }

// A run-length row is one run of three, one copy of the rest, then the end mark.
std::string sgiFile(int w, int h, int z, bool rle) {
  std::string file = sgiHeader(rle ? 0x0101 : 0x0001, w, h, z);
  const size_t rows = static_cast<size_t>(h * z);
  if (rle) file.append(8 * rows, '\0');
  for (int c = 0; c < z; c++)
    for (int y = 0; y < h; y++) { // stored row y + c * h, as the tables are
      std::string row;
      for (int x = 0; x < w; x++)
        row += static_cast<char>(testPixel(x, y, c));
      if (rle) {
        row = std::string{3, row[0], static_cast<char>(0x80 | (w - 3))} + row.substr(3) + '\0';
        file = put(file, startEntry(y + c * h), static_cast<unsigned>(file.size()), 4);
        file = put(file, sizeEntry(rows, y + c * h), static_cast<unsigned>(row.size()), 4);
      }
      file += row;
    }
  return file;
}

class Readtex : public World {
protected:
  // Runs f, keeping what it said on standard error.
  template <class F> auto quietly(F f) {
    testing::internal::CaptureStderr();
    auto result = f();
    said_ = testing::internal::GetCapturedStderr();
    return result;
  }
  TK_RGBImageRec *load(const std::string &file) {
    writeFile("pic.sgi", file);
    return quietly([] { return tkRGBImageLoad("pic.sgi"); });
  }
  bool mipmaps() {
    return quietly([] { return LoadRGBMipmaps("pic.sgi", 4); });
  }
  std::string said_;
};

// A texture takes one channel as luminance, three or four as colour; two it reports.
TEST_F(Readtex, EveryChannelCountDecodesInterleavedBottomRowFirst) {
  const int w = 7, h = 3;
  const unsigned formats[] = {GL_LUMINANCE, 0, GL_RGB, GL_RGBA};
  const HeadlessState &s = headlessState();
  for (bool rle : {false, true})
    for (int z : {1, 2, 3, 4}) {
      SCOPED_TRACE(std::string(rle ? "run-length " : "verbatim ") + std::to_string(z));
      TK_RGBImageRec *image = load(sgiFile(w, h, z, rle));
      ASSERT_NE(image, nullptr) << said_;
      EXPECT_EQ(std::make_tuple(image->sizeX, image->sizeY, image->components, said_),
                std::make_tuple(w, h, z, std::string()));
      int wrong = 0;
      for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
          for (int c = 0; c < z; c++)
            wrong += image->data[(y * w + x) * z + c] != testPixel(x, y, c);
      EXPECT_EQ(wrong, 0);
      FreeImage(image);
      glBindTexture(GL_TEXTURE_2D, kTexNode);
      EXPECT_EQ(mipmaps(), z != 2) << said_;
      if (z == 2)
        EXPECT_EQ(said_, "Error in LoadRGBMipmaps 2-component images not implemented\n");
      else
        EXPECT_EQ(std::make_tuple(s.mipmapTexture, s.mipmapFormat, s.mipmapInternalFormat,
                                  s.mipmapType, s.mipmapWidth, s.mipmapHeight),
                  std::make_tuple(unsigned(kTexNode), formats[z - 1], z == 1 ? 1 : 4,
                                  unsigned(GL_UNSIGNED_BYTE), w, h));
    }
  // Two rows may share one stored row, which may carry bytes past its end mark.
  std::string file = sgiFile(w, 2, 1, true) + std::string(40, '\x7f');
  const unsigned start = kImageHeaderSize + 16, size = static_cast<unsigned>(file.size()) - start;
  for (int y = 0; y < 2; y++)
    file = put(put(file, startEntry(y), start, 4), sizeEntry(2, y), size, 4);
  TK_RGBImageRec *image = load(file);
  ASSERT_NE(image, nullptr) << said_;
  EXPECT_EQ(std::string(image->data + w, image->data + 2 * w),
            sgiFile(w, 1, 1, false).substr(kImageHeaderSize));
  FreeImage(image);
}

// One case for each check the reader makes.
TEST_F(Readtex, BrokenFilesAreRefusedWithTheirReason) {
  const size_t rows = 3 * 3;
  const std::string rle = sgiFile(7, 3, 3, true), verbatim = sgiFile(7, 3, 3, false);
  const size_t firstRow = kImageHeaderSize + 8 * rows; // row 0 of channel 0: 03 a 84 b c d e 00
  const std::pair<std::string, const char *> cases[] = {
      {verbatim.substr(0, 11), "too few for the header"},
      {put(verbatim, 6, 0, 2), "empty image: 0 x 3"},
      {put(verbatim, 10, 0, 2), "empty image: 7 x 3 pixels, 0 channels"},
      {put(verbatim, 6, kMaxImageSide + 1, 2), "larger than 8192 x 8192"},
      {put(rle, 8, 65535, 2), "larger than"},
      {sgiHeader(1, kMaxImageSide, kMaxImageSide, 5), "larger than"},
      {put(rle, 2, 0x0102, 2), "2 bytes per channel"},
      {verbatim.substr(0, verbatim.size() - 1), "file cut short"},
      {rle.substr(0, firstRow - 1), "too few for the run-length tables"},
      {rle.substr(0, rle.size() - 1), "row 2 of channel 2 lies outside"},
      {put(rle, sizeEntry(rows, 0), 0xffffffffu, 4), "row 0 of channel 0 lies outside"}, // wraps
      {put(rle, firstRow, 0x08, 1), "row 0 of channel 0 expands past"},
      {put(rle, sizeEntry(rows, 0), 3, 4), "row 0 of channel 0 runs past its stored length"},
      {put(rle, firstRow + 2, 0, 1), "row 0 of channel 0 ends 4 pixels short"},
  };
  for (const auto &[file, reason] : cases) {
    EXPECT_EQ(load(file), nullptr);
    EXPECT_TRUE(said_.rfind("pic.sgi: ", 0) == 0 && said_.find(reason) != std::string::npos &&
                said_.find("Image not allocated!\n") != std::string::npos)
        << said_;
    EXPECT_FALSE(mipmaps());
  }
  // A folder opens, but has no length to check against.
  EXPECT_EQ(quietly([] { return tkRGBImageLoad("."); }), nullptr);
  EXPECT_NE(said_.find(".: not a plain file\n"), std::string::npos);
  EXPECT_EQ(headlessState().mipmapBuilds, 0);
}

TEST_F(Readtex, MissingPictureLeavesItsTextureEmptyAndTheShippedOnesLoad) {
  writeFile("sprites.sgi", sgiFile(8, 4, 4, true));
  writeFile("tethrix.sgi", sgiFile(8, 6, 3, true));
  writeFile("wall.sgi", sgiFile(8, 8, 3, false));
  testing::internal::CaptureStderr();
  LoadTextures();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "node.sgi: No such file or directory\nImage not allocated!\n");
  const HeadlessState &s = headlessState();
  EXPECT_EQ(s.texturesBuilt, (1u << kTexSprites) | (1u << kTexTitle) | (1u << kTexWall));
  EXPECT_EQ(s.boundTexture, kTexSprites); // what every drawing routine expects
  ASSERT_EQ(chdir(TETHRIX_SOURCE_DIR "/data"), 0);
  testing::internal::CaptureStderr();
  LoadTextures();
  TK_RGBImageRec *font = tkRGBImageLoad("Font.sgi"); // loaded apart, with the text
  EXPECT_NE(font, nullptr);
  FreeImage(font);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(s.texturesBuilt, s.texturesBuilt | 1u << kTexNode);
}

} // namespace
