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
  if (x < 3) return static_cast<unsigned char>(10 + 40 * z + y);
  return static_cast<unsigned char>(100 + 40 * z + 7 * y + x);
}

void put16(std::string &s, size_t at, unsigned v) {
  s[at] = static_cast<char>(v >> 8);
  s[at + 1] = static_cast<char>(v);
}

void put32(std::string &s, size_t at, unsigned v) {
  put16(s, at, v >> 16);
  put16(s, at + 2, v & 0xffff);
}

std::string sgiHeader(unsigned type, int w, int h, int z) {
  std::string s(kImageHeaderSize, '\0');
  put16(s, 0, 474);
  put16(s, 2, type);
  put16(s, 4, z == 1 ? 2 : 3);
  put16(s, 6, w);
  put16(s, 8, h);
  put16(s, 10, z);
  return s;
}

// A row of testPixel values as run-length packets: one run of three, then one copy.
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
        put32(file, startEntry(y + c * h), static_cast<unsigned>(file.size()));
        put32(file, sizeEntry(rows, y + c * h), static_cast<unsigned>(row.size()));
      }
      file += row;
    }
  return file;
}

class Readtex : public World {
protected:
  // Loads through the reader, keeping what it said on standard error.
  TK_RGBImageRec *load(const char *name) {
    testing::internal::CaptureStderr();
    TK_RGBImageRec *image = tkRGBImageLoad(name);
    said_ = testing::internal::GetCapturedStderr();
    return image;
  }
  bool mipmaps(const char *name) {
    testing::internal::CaptureStderr();
    bool ok = LoadRGBMipmaps(name, 4);
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
      writeFile("pic.sgi", sgiFile(w, h, z, rle));
      TK_RGBImageRec *image = load("pic.sgi");
      ASSERT_NE(image, nullptr) << said_;
      EXPECT_EQ(said_, "");
      EXPECT_EQ(std::make_tuple(image->sizeX, image->sizeY, image->components),
                std::make_tuple(w, h, z));
      int wrong = 0;
      for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
          for (int c = 0; c < z; c++)
            wrong += image->data[(y * w + x) * z + c] != testPixel(x, y, c);
      EXPECT_EQ(wrong, 0);
      FreeImage(image);
    }
}

TEST_F(Readtex, RunLengthRowsMayShareStorageAndCarryTrailingBytes) {
  // A stored row longer than any row could need, and two rows pointing at it.
  const int w = 7, h = 2;
  std::string file = sgiHeader(0x0101, w, h, 1);
  file.append(16, '\0');
  const std::string row = sgiFile(w, 1, 1, false).substr(kImageHeaderSize);
  std::string stored = encodeRow(row) + std::string(40, '\x7f');
  for (int y = 0; y < h; y++) {
    put32(file, startEntry(y), static_cast<unsigned>(file.size()));
    put32(file, sizeEntry(h, y), static_cast<unsigned>(stored.size()));
  }
  file += stored;
  writeFile("shared.sgi", file);
  TK_RGBImageRec *image = load("shared.sgi");
  ASSERT_NE(image, nullptr) << said_;
  EXPECT_EQ(std::string(image->data, image->data + 2 * w), row + row);
  FreeImage(image);
}

TEST_F(Readtex, MipmapFormatFollowsChannelCountAndOthersAreReported) {
  struct Case {
    int z;
    GLenum format; // 0: not supported
    int internalFormat;
  } cases[] = {{1, GL_LUMINANCE, 1}, {3, GL_RGB, 4}, {4, GL_RGBA, 4}, {2, 0, 0}, {5, 0, 0}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.z);
    headlessReset();
    writeFile("pic.sgi", sgiFile(7, 3, c.z, c.z < 5));
    glBindTexture(GL_TEXTURE_2D, kTexNode);
    const HeadlessState &s = headlessState();
    EXPECT_EQ(mipmaps("pic.sgi"), c.format != 0) << said_;
    EXPECT_EQ(s.mipmapBuilds, c.format != 0);
    if (c.format == 0)
      EXPECT_EQ(said_, "Error in LoadRGBMipmaps " + std::to_string(c.z) +
                           "-component images not implemented\n");
    else
      EXPECT_EQ(std::make_tuple(s.mipmapTexture, s.mipmapFormat, s.mipmapInternalFormat,
                                s.mipmapType, s.mipmapWidth, s.mipmapHeight),
                std::make_tuple(unsigned(kTexNode), c.format, c.internalFormat,
                                unsigned(GL_UNSIGNED_BYTE), 7, 3));
  }
}

TEST_F(Readtex, BrokenFilesAreRefusedWithTheirReason) {
  const int w = 7, h = 3, z = 3;
  const size_t rows = h * z;
  const std::string rle = sgiFile(w, h, z, true);
  const std::string verbatim = sgiFile(w, h, z, false);
  const size_t firstRow = kImageHeaderSize + 8 * rows; // row 0 of channel 0: 03 a 84 b c d e 00
  auto patched = [](std::string s, size_t at, unsigned v, bool wide) {
    wide ? put32(s, at, v) : put16(s, at, v);
    return s;
  };
  auto byteSet = [](std::string s, size_t at, char v) {
    s[at] = v;
    return s;
  };
  struct Case {
    const char *what;
    std::string file;
    const char *reason;
  };
  const Case cases[] = {
      {"empty file", "", "file cut short: 0 bytes"},
      {"header cut short", verbatim.substr(0, 11), "too few for the header"},
      {"zero width", patched(verbatim, 6, 0, false), "empty image: 0 x 3 pixels"},
      {"zero height", patched(rle, 8, 0, false), "empty image: 7 x 0 pixels"},
      {"no channels", patched(verbatim, 10, 0, false), "0 channels"},
      {"too wide", patched(verbatim, 6, kMaxImageSide + 1, false), "larger than 8192 x 8192"},
      {"too tall", patched(rle, 8, 65535, false), "larger than 8192 x 8192"},
      {"too many channels", sgiHeader(1, kMaxImageSide, kMaxImageSide, 5),
       "larger than 8192 x 8192 x 4"},
      {"two bytes a channel", patched(verbatim, 2, 0x0002, false), "2 bytes per channel"},
      {"no width byte", patched(rle, 2, 0x0100, false), "0 bytes per channel"},
      {"verbatim cut short", verbatim.substr(0, verbatim.size() - 1), "file cut short"},
      {"tables cut short", rle.substr(0, firstRow - 1), "too few for the run-length tables"},
      {"row data cut short", rle.substr(0, rle.size() - 1), "row 2 of channel 2 lies outside"},
      {"row starts past the end", patched(rle, startEntry(4), 1u << 31, true),
       "row 1 of channel 1 lies outside"},
      {"row length wraps", patched(rle, sizeEntry(rows, 0), 0xffffffffu, true),
       "row 0 of channel 0 lies outside"},
      {"run expands past the row", byteSet(rle, firstRow, 0x08), "row 0 of channel 0 expands"},
      {"copy past the row", byteSet(rle, firstRow + 2, static_cast<char>(0x85)), "expands past"},
      {"copy past its length", patched(rle, sizeEntry(rows, 0), 3, true),
       "row 0 of channel 0 runs past its stored length"},
      {"row ends early", byteSet(rle, firstRow + 2, 0), "row 0 of channel 0 ends 4 pixels short"},
      {"empty stored row", patched(rle, sizeEntry(rows, 8), 0, true),
       "row 2 of channel 2 ends 7 pixels short"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    writeFile("bad.sgi", c.file);
    EXPECT_EQ(load("bad.sgi"), nullptr);
    EXPECT_NE(said_.find("bad.sgi: "), std::string::npos) << said_;
    EXPECT_NE(said_.find(c.reason), std::string::npos) << said_;
    EXPECT_NE(said_.find("Image not allocated!\n"), std::string::npos) << said_;
    EXPECT_FALSE(mipmaps("bad.sgi"));
  }
  EXPECT_EQ(load("."), nullptr); // a folder opens, but has no length to check against
  EXPECT_NE(said_.find(".: not a plain file\n"), std::string::npos) << said_;
  EXPECT_EQ(headlessState().mipmapBuilds, 0);
}

TEST_F(Readtex, MissingPictureLeavesItsTextureEmptyAndTheRestLoads) {
  writeFile("sprites.sgi", sgiFile(8, 4, 4, true));
  writeFile("tethrix.sgi", sgiFile(8, 6, 3, true));
  writeFile("wall.sgi", sgiFile(8, 8, 3, false));
  testing::internal::CaptureStderr();
  LoadTextures();
  const std::string said = testing::internal::GetCapturedStderr();
  const HeadlessState &s = headlessState();
  EXPECT_EQ(s.texturesBuilt, (1u << kTexSprites) | (1u << kTexTitle) | (1u << kTexWall));
  EXPECT_EQ(said, "node.sgi: No such file or directory\nImage not allocated!\n");
  EXPECT_EQ(s.boundTexture, kTexSprites); // what every drawing routine expects
}

TEST_F(Readtex, ShippedPicturesLoad) {
  ASSERT_EQ(chdir(TETHRIX_SOURCE_DIR "/data"), 0);
  testing::internal::CaptureStderr();
  LoadTextures();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(headlessState().texturesBuilt,
            (1u << kTexSprites) | (1u << kTexTitle) | (1u << kTexNode) | (1u << kTexWall));
  TK_RGBImageRec *font = load("Font.sgi"); // loaded apart, with the text
  EXPECT_NE(font, nullptr) << said_;
  FreeImage(font);
}

} // namespace
