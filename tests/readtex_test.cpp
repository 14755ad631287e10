// The SGI reader: pixels of every layout, the refusal of broken files, the texture list.
#include "world_fixture.h"

#include "gl/headless.h"
#include "inclGL.h"
#include "readtex.h"

#include <string>
#include <tuple>

namespace {

// Left three pixels of a row repeat (run packets), the rest differ (copy packets);
// every channel and row has its own values.
unsigned char testPixel(int x, int y, int z) {
  return static_cast<unsigned char>(x < 3 ? 10 + 40 * z + y : 100 + 40 * z + 7 * y + x);
}

std::string put(std::string s, size_t at, unsigned v, int bytes) {
  for (int i = 0; i < bytes; i++) s[at + i] = static_cast<char>(v >> 8 * (bytes - 1 - i));
  return s;
}

std::string sgiHeader(unsigned type, int w, int h, int z) {
  std::string s(kImageHeaderSize, '\0');
  s = put(put(put(s, 0, 474, 2), 2, type, 2), 4, z == 1 ? 2 : 3, 2);
  return put(put(put(s, 6, w, 2), 8, h, 2), 10, z, 2);
}

// A row as run-length packets: one run of three, then one copy, then the end mark.
std::string encodeRow(const std::string &row) {
  return std::string{3, row[0], static_cast<char>(0x80 | (row.size() - 3))} + row.substr(3) + '\0';
}

// Where the table entries of stored row i of a run-length file sit.
size_t startEntry(size_t i) { return kImageHeaderSize + 4 * i; }
size_t sizeEntry(size_t rows, size_t i) { return kImageHeaderSize + 4 * (rows + i); }

std::string sgiFile(int w, int h, int z, bool rle) {
  std::string file = sgiHeader(rle ? 0x0101 : 0x0001, w, h, z);
  const size_t rows = static_cast<size_t>(h * z);
  if (rle) file.append(8 * rows, '\0');
  for (int c = 0; c < z; c++)
    for (int y = 0; y < h; y++) { // stored row y + c * h, as the tables are
      std::string row;
      for (int x = 0; x < w; x++) row += static_cast<char>(testPixel(x, y, c));
      if (rle) {
        row = encodeRow(row);
        file = put(file, startEntry(y + c * h), static_cast<unsigned>(file.size()), 4);
        file = put(file, sizeEntry(rows, y + c * h), static_cast<unsigned>(row.size()), 4);
      }
      file += row;
    }
  return file;
}

class Readtex : public World {
protected:
  // Loads through the reader, keeping what it said on standard error.
  TK_RGBImageRec *load(const std::string &file) {
    writeFile("pic.sgi", file);
    testing::internal::CaptureStderr();
    TK_RGBImageRec *image = tkRGBImageLoad("pic.sgi");
    said_ = testing::internal::GetCapturedStderr();
    return image;
  }
  bool mipmaps() {
    testing::internal::CaptureStderr();
    bool ok = LoadRGBMipmaps("pic.sgi", 4);
    said_ = testing::internal::GetCapturedStderr();
    return ok;
  }
  std::string said_;
};

TEST_F(Readtex, EveryChannelCountDecodesInterleavedBottomRowFirst) {
  const int w = 7, h = 3;
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
    }
  // Two rows may share one stored row, which may carry bytes past its end mark.
  std::string file = sgiHeader(0x0101, w, 2, 1) + std::string(16, '\0');
  const std::string row = sgiFile(w, 1, 1, false).substr(kImageHeaderSize);
  const std::string stored = encodeRow(row) + std::string(40, '\x7f');
  for (int y = 0; y < 2; y++) {
    file = put(file, startEntry(y), static_cast<unsigned>(file.size()), 4);
    file = put(file, sizeEntry(2, y), static_cast<unsigned>(stored.size()), 4);
  }
  TK_RGBImageRec *image = load(file + stored);
  ASSERT_NE(image, nullptr) << said_;
  EXPECT_EQ(std::string(image->data, image->data + 2 * w), row + row);
  FreeImage(image);
}

TEST_F(Readtex, MipmapFormatFollowsChannelCountAndOthersAreReported) {
  struct Case {
    int z;
    GLenum format; // 0: not supported
    int internalFormat;
  } cases[] = {{1, GL_LUMINANCE, 1}, {3, GL_RGB, 4}, {4, GL_RGBA, 4}, {2, 0, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.z);
    headlessReset();
    writeFile("pic.sgi", sgiFile(7, 3, c.z, true));
    glBindTexture(GL_TEXTURE_2D, kTexNode);
    const HeadlessState &s = headlessState();
    EXPECT_EQ(mipmaps(), c.format != 0) << said_;
    if (c.format == 0)
      EXPECT_EQ(said_, "Error in LoadRGBMipmaps 2-component images not implemented\n");
    else
      EXPECT_EQ(std::make_tuple(s.mipmapTexture, s.mipmapFormat, s.mipmapInternalFormat,
                                s.mipmapType, s.mipmapWidth, s.mipmapHeight),
                std::make_tuple(unsigned(kTexNode), c.format, c.internalFormat,
                                unsigned(GL_UNSIGNED_BYTE), 7, 3));
  }
}

// One case for each check the reader makes.
TEST_F(Readtex, BrokenFilesAreRefusedWithTheirReason) {
  const size_t rows = 3 * 3;
  const std::string rle = sgiFile(7, 3, 3, true), verbatim = sgiFile(7, 3, 3, false);
  const size_t firstRow = kImageHeaderSize + 8 * rows; // row 0 of channel 0: 03 a 84 b c d e 00
  struct Case { std::string file; const char *reason; } cases[] = {
      {verbatim.substr(0, 11), "too few for the header"},
      {put(verbatim, 6, 0, 2), "empty image: 0 x 3"},
      {put(rle, 8, 0, 2), "empty image: 7 x 0"},
      {put(verbatim, 10, 0, 2), "empty image: 7 x 3 pixels, 0 channels"},
      {put(verbatim, 6, kMaxImageSide + 1, 2), "larger than 8192 x 8192"},
      {put(rle, 8, 65535, 2), "larger than"},
      {sgiHeader(1, kMaxImageSide, kMaxImageSide, 5), "larger than"},
      {put(verbatim, 2, 0x0002, 2), "2 bytes per channel"},
      {put(rle, 2, 0x0100, 2), "0 bytes per channel"},
      {verbatim.substr(0, verbatim.size() - 1), "file cut short"},
      {rle.substr(0, firstRow - 1), "too few for the run-length tables"},
      {rle.substr(0, rle.size() - 1), "row 2 of channel 2 lies outside"},
      {put(rle, sizeEntry(rows, 0), 0xffffffffu, 4), "row 0 of channel 0 lies outside"}, // wraps
      {put(rle, firstRow, 0x08, 1), "row 0 of channel 0 expands past"},
      {put(rle, sizeEntry(rows, 0), 3, 4), "row 0 of channel 0 runs past its stored length"},
      {put(rle, firstRow + 2, 0, 1), "row 0 of channel 0 ends 4 pixels short"},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(load(c.file), nullptr);
    EXPECT_TRUE(said_.rfind("pic.sgi: ", 0) == 0 && said_.find(c.reason) != std::string::npos &&
                said_.find("Image not allocated!\n") != std::string::npos)
        << said_;
    EXPECT_FALSE(mipmaps());
  }
  testing::internal::CaptureStderr();
  EXPECT_EQ(tkRGBImageLoad("."), nullptr); // a folder opens, but has no length to check against
  EXPECT_NE(testing::internal::GetCapturedStderr().find(".: not a plain file\n"),
            std::string::npos);
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
