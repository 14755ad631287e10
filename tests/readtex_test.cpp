// The SGI reader: pixels of every layout, the refusal of broken files, the texture list.
#include "world_fixture.h"

#include "gl/headless.h"
#include "inclGL.h"
#include "readtex.h"

#include <string>
#include <tuple>

namespace {

// The left three pixels of a row repeat (a run packet), the rest differ (a copy packet).
unsigned char testPixel(int x, int y, int z) {
  return static_cast<unsigned char>(x < 3 ? 10 + 40 * z + y : 100 + 40 * z + 7 * y + x);
}

std::string put(std::string s, size_t at, unsigned v, int bytes) {
  for (int i = 0; i < bytes; i++)
    s[at + i] = static_cast<char>(v >> 8 * (bytes - 1 - i));
  return s;
}

// Where the length of stored row i of a run-length file sits.
size_t sizeEntry(size_t rows, size_t i) { return kImageHeaderSize + 4 * (rows + i); }

// A run-length row is one run of three, one copy of the rest, then the end mark. The first
// stored row says it runs on to the end of the file: bytes past an end mark are never read.
std::string sgiFile(int w, int h, int z, bool rle) {
  std::string file(kImageHeaderSize, '\0');
  file = put(put(put(file, 0, 474, 2), 2, rle ? 0x0101 : 0x0001, 2), 4, z == 1 ? 2 : 3, 2);
  file = put(put(put(file, 6, w, 2), 8, h, 2), 10, z, 2);
  const size_t rows = static_cast<size_t>(h * z), first = kImageHeaderSize + 8 * rows;
  if (rle) file.append(8 * rows, '\0');
  for (size_t i = 0; i < rows; i++) { // stored row y + c * h, as the tables are
    std::string row;
    for (int x = 0; x < w; x++)
      row += static_cast<char>(testPixel(x, static_cast<int>(i) % h, static_cast<int>(i) / h));
    if (rle) {
      row = std::string{3, row[0], static_cast<char>(0x80 | (w - 3))} + row.substr(3) + '\0';
      file = put(file, kImageHeaderSize + 4 * i, static_cast<unsigned>(file.size()), 4);
      file = put(file, sizeEntry(rows, i), static_cast<unsigned>(row.size()), 4);
    }
    file += row;
  }
  return rle ? put(file, sizeEntry(rows, 0), static_cast<unsigned>(file.size() - first), 4) : file;
}

class Readtex : public World {
protected:
  // Loads the file as pic.sgi, keeping what the reader said on standard error.
  TK_RGBImageRec *load(const std::string &file) {
    writeFile("pic.sgi", file);
    testing::internal::CaptureStderr();
    TK_RGBImageRec *image = tkRGBImageLoad("pic.sgi");
    said_ = testing::internal::GetCapturedStderr();
    return image;
  }
  std::string said_;
};

// A texture takes one channel as luminance, three or four as colour; two it refuses.
TEST_F(Readtex, EveryChannelCountDecodesInterleavedBottomRowFirst) {
  const int w = 7, h = 3;
  const unsigned formats[] = {GL_LUMINANCE, GL_LUMINANCE, GL_RGB, GL_RGBA};
  const HeadlessState &s = headlessState();
  for (bool rle : {false, true})
    for (int z : {1, 2, 3, 4}) {
      SCOPED_TRACE(std::string(rle ? "run-length " : "verbatim ") + std::to_string(z));
      TK_RGBImageRec *image = load(sgiFile(w, h, z, rle));
      ASSERT_NE(image, nullptr) << said_;
      int wrong = 0;
      for (int i = 0; i < w * h * z; i++)
        wrong += image->data[i] != testPixel(i / z % w, i / z / w, i % z);
      EXPECT_EQ(wrong, 0);
      FreeImage(image);
      testing::internal::CaptureStderr(); // two channels leave the last texture, and say so
      const bool built = LoadRGBMipmaps("pic.sgi", 4);
      const bool told = !testing::internal::GetCapturedStderr().empty();
      EXPECT_EQ(std::make_tuple(built, told, s.mipmapFormat, s.mipmapInternalFormat, s.mipmapWidth),
                std::make_tuple(z != 2, z == 2, formats[z - 1], z <= 2 ? 1 : 4, w));
    }
}

// One case for each kind of damage: header, size, truncation, run length.
TEST_F(Readtex, DamagedFilesAreRefusedWithTheirNameAndReason) {
  const std::string rle = sgiFile(7, 3, 3, true), verbatim = sgiFile(7, 3, 3, false);
  const size_t rows = 3 * 3, firstRow = kImageHeaderSize + 8 * rows; // 03 a 84 b c d e 00
  const std::tuple<std::string, const char *> cases[] = {
      {put(rle, 2, 0x0102, 2), "2 bytes per channel"},
      {put(verbatim, 6, kMaxImageSide + 1, 2), "larger than 8192 x 8192"},
      {verbatim.substr(0, verbatim.size() - 1), "file cut short"},
      {put(rle, sizeEntry(rows, 0), 0xffffffffu, 4), "row 0 of channel 0 lies outside"}, // wraps
      {put(rle, firstRow, 0x08, 1), "row 0 of channel 0 expands past"},
      {put(rle, sizeEntry(rows, 0), 3, 4), "row 0 of channel 0 runs past its stored length"},
  };
  for (const auto &[file, reason] : cases)
    EXPECT_TRUE(!load(file) && said_.rfind("pic.sgi: ", 0) == 0 &&
                said_.find(reason) != std::string::npos)
        << said_;
}

TEST_F(Readtex, ShippedPicturesAndTheFontAllLoadAndLeaveTheSpritesBound) {
  ASSERT_EQ(chdir(TETHRIX_SOURCE_DIR "/data"), 0);
  InitCharArray();
  LoadTextures();
  EXPECT_EQ(headlessState().texturesBuilt,
            1u << kTexSprites | 1u << kTexTitle | 1u << kTexNode | 1u << kTexFont | 1u << kTexWall);
  EXPECT_EQ(headlessState().boundTexture, kTexSprites);
}

} // namespace
