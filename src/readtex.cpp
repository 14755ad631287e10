// The SGI image reader and the game's textures.
#include "readtex.h"

#include "TethrixExtern.h"
#include "inclGL.h"

#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace {

constexpr int kHeaderBytes = 12;    // the six 16-bit fields that are used
constexpr int kRunLengthType = 1;   // high byte of type
constexpr int kBytesPerChannel = 1; // low byte of type: the only width read
constexpr unsigned kCopyBit = 0x80; // packet copies its bytes instead of repeating one
constexpr unsigned kCountMask = 0x7f;
constexpr int kTableEntryBytes = 4;

__attribute__((format(printf, 2, 3))) void refuse(const rawImageRec *raw, const char *why, ...) {
  std::fprintf(stderr, "%s: ", raw->name);
  va_list args;
  va_start(args, why);
  std::vfprintf(stderr, why, args);
  va_end(args);
  std::fputc('\n', stderr);
}

void *allocate(unsigned long bytes) {
  void *p = std::calloc(bytes ? bytes : 1, 1);
  if (!p) std::fputs("Out of memory!\n", stderr);
  return p;
}

unsigned short bigEndian16(const unsigned char *p) {
  return static_cast<unsigned short>(p[0] << 8 | p[1]);
}

unsigned int bigEndian32(const unsigned char *p) {
  return static_cast<unsigned int>(p[0]) << 24 | static_cast<unsigned int>(p[1]) << 16 |
         static_cast<unsigned int>(p[2]) << 8 | p[3];
}

bool isRunLength(const rawImageRec *raw) { return raw->type >> 8 == kRunLengthType; }

// Reads exactly bytes at offset, never past the end the file had when opened.
bool readAt(rawImageRec *raw, unsigned long offset, void *buf, unsigned long bytes) {
  if (offset > raw->fileSize || bytes > raw->fileSize - offset) return false;
  return std::fseek(raw->file, static_cast<long>(offset), SEEK_SET) == 0 &&
         std::fread(buf, 1, bytes, raw->file) == bytes;
}

// Pictures from memory have no descriptor; those from disk must be plain files.
bool measureFile(rawImageRec *raw) {
  struct stat st;
  const int fd = fileno(raw->file);
  if (fd >= 0 && (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))) {
    refuse(raw, "not a plain file");
    return false;
  }
  long size = -1;
  if (std::fseek(raw->file, 0, SEEK_END) == 0) size = std::ftell(raw->file);
  if (size < 0) {
    refuse(raw, "cannot be read as a file of known length");
    return false;
  }
  raw->fileSize = static_cast<unsigned long>(size);
  return true;
}

bool readHeader(rawImageRec *raw) {
  unsigned char h[kHeaderBytes];
  if (!readAt(raw, 0, h, sizeof h)) {
    refuse(raw, "file cut short: %lu bytes, too few for the header", raw->fileSize);
    return false;
  }
  raw->imagic = bigEndian16(h);
  raw->type = bigEndian16(h + 2);
  raw->dim = bigEndian16(h + 4);
  raw->sizeX = bigEndian16(h + 6);
  raw->sizeY = bigEndian16(h + 8);
  raw->sizeZ = bigEndian16(h + 10);
  return true;
}

unsigned long imageBytes(const rawImageRec *raw) {
  return static_cast<unsigned long>(raw->sizeX) * raw->sizeY * raw->sizeZ;
}

bool checkHeader(rawImageRec *raw) {
  if (raw->sizeX == 0 || raw->sizeY == 0 || raw->sizeZ == 0) {
    refuse(raw, "empty image: %d x %d pixels, %d channels", raw->sizeX, raw->sizeY, raw->sizeZ);
    return false;
  }
  if (raw->sizeX > kMaxImageSide || raw->sizeY > kMaxImageSide ||
      imageBytes(raw) > kMaxImageBytes) {
    refuse(raw, "image of %d x %d pixels, %d channels, is larger than %d x %d x 4", raw->sizeX,
           raw->sizeY, raw->sizeZ, kMaxImageSide, kMaxImageSide);
    return false;
  }
  if ((raw->type & 0xff) != kBytesPerChannel) {
    refuse(raw, "%d bytes per channel; only 1 is read", raw->type & 0xff);
    return false;
  }
  if (!isRunLength(raw) && raw->fileSize < kImageHeaderSize + imageBytes(raw)) {
    refuse(raw, "file cut short: %lu bytes, %lu expected", raw->fileSize,
           kImageHeaderSize + imageBytes(raw));
    return false;
  }
  return true;
}

// The two run-length tables, every row checked to lie inside the file.
bool readTables(rawImageRec *raw) {
  const unsigned long rows = static_cast<unsigned long>(raw->sizeY) * raw->sizeZ;
  const unsigned long tableBytes = rows * kTableEntryBytes;
  if (raw->fileSize < kImageHeaderSize + 2 * tableBytes) {
    refuse(raw, "file cut short: %lu bytes, too few for the run-length tables", raw->fileSize);
    return false;
  }
  unsigned char *table = static_cast<unsigned char *>(allocate(2 * tableBytes));
  raw->rowStart = static_cast<unsigned int *>(allocate(tableBytes));
  raw->rowSize = static_cast<unsigned int *>(allocate(tableBytes));
  bool ok = table && raw->rowStart && raw->rowSize;
  if (ok && !readAt(raw, kImageHeaderSize, table, 2 * tableBytes)) {
    refuse(raw, "cannot read the run-length tables");
    ok = false;
  }
  for (unsigned long i = 0; ok && i < rows; i++) {
    raw->rowStart[i] = bigEndian32(table + i * kTableEntryBytes);
    raw->rowSize[i] = bigEndian32(table + tableBytes + i * kTableEntryBytes);
    if (static_cast<unsigned long>(raw->rowStart[i]) + raw->rowSize[i] > raw->fileSize) {
      refuse(raw, "run-length row %lu of channel %lu lies outside the file", i % raw->sizeY,
             i / raw->sizeY);
      ok = false;
    }
  }
  std::free(table);
  return ok;
}

// Row buffers: one expanded row, and for run-length files the most a stored row
// can take to fill it (a packet of one byte per pixel, then the end mark).
bool allocateRows(rawImageRec *raw) {
  raw->tmp = static_cast<unsigned char *>(allocate(raw->sizeX));
  if (!raw->tmp) return false;
  if (!isRunLength(raw)) return true;
  raw->packedSize = 2UL * raw->sizeX + 1;
  raw->packed = static_cast<unsigned char *>(allocate(raw->packedSize));
  return raw->packed != nullptr;
}

// Expands one stored run-length row into exactly sizeX bytes.
bool expandRow(const rawImageRec *raw, const unsigned char *in, unsigned long inBytes,
               unsigned char *out, int y, int z) {
  const unsigned char *end = in + inBytes;
  unsigned long left = raw->sizeX;
  while (in < end) {
    const unsigned pixel = *in++;
    const unsigned long count = pixel & kCountMask;
    if (count == 0) break;
    if (count > left) {
      refuse(raw, "run-length row %d of channel %d expands past the row", y, z);
      return false;
    }
    const unsigned long needed = (pixel & kCopyBit) ? count : 1;
    if (static_cast<unsigned long>(end - in) < needed) {
      refuse(raw, "run-length row %d of channel %d runs past its stored length", y, z);
      return false;
    }
    if (pixel & kCopyBit)
      std::memcpy(out, in, count);
    else
      std::memset(out, *in, count);
    in += needed;
    out += count;
    left -= count;
  }
  if (left > 0) {
    refuse(raw, "run-length row %d of channel %d ends %lu pixels short", y, z, left);
    return false;
  }
  return true;
}

} // namespace

rawImageRec *RawImageOpen(const char *fileName) {
  FILE *file = std::fopen(fileName, "rb");
  if (!file) {
    std::perror(fileName);
    return nullptr;
  }
  return RawImageOpenFile(file, fileName);
}

rawImageRec *RawImageOpenFile(FILE *file, const char *name) {
  rawImageRec *raw = static_cast<rawImageRec *>(allocate(sizeof(rawImageRec)));
  if (!raw) {
    std::fclose(file);
    return nullptr;
  }
  raw->file = file;
  std::snprintf(raw->name, sizeof raw->name, "%s", name);
  bool ok = measureFile(raw) && readHeader(raw) && checkHeader(raw) && allocateRows(raw);
  if (ok && isRunLength(raw)) ok = readTables(raw);
  if (!ok) {
    RawImageClose(raw);
    return nullptr;
  }
  return raw;
}

bool RawImageGetRow(rawImageRec *raw, unsigned char *buf, int y, int z) {
  if (y < 0 || y >= raw->sizeY || z < 0 || z >= raw->sizeZ) {
    refuse(raw, "row %d of channel %d is outside the image", y, z);
    return false;
  }
  if (!isRunLength(raw)) {
    const unsigned long offset = kImageHeaderSize + static_cast<unsigned long>(y) * raw->sizeX +
                                 static_cast<unsigned long>(z) * raw->sizeX * raw->sizeY;
    if (readAt(raw, offset, buf, raw->sizeX)) return true;
    refuse(raw, "cannot read row %d of channel %d", y, z);
    return false;
  }
  const unsigned long index =
      static_cast<unsigned long>(y) + static_cast<unsigned long>(z) * raw->sizeY;
  unsigned long stored = raw->rowSize[index];
  if (stored > raw->packedSize) stored = raw->packedSize; // the rest can never be reached
  if (!readAt(raw, raw->rowStart[index], raw->packed, stored)) {
    refuse(raw, "cannot read run-length row %d of channel %d", y, z);
    return false;
  }
  return expandRow(raw, raw->packed, stored, buf, y, z);
}

bool RawImageGetData(rawImageRec *raw, TK_RGBImageRec *final) {
  const unsigned long channels = raw->sizeZ;
  const unsigned long rowBytes = raw->sizeX * channels;
  final->data = static_cast<unsigned char *>(allocate(imageBytes(raw)));
  if (!final->data) return false;
  for (int y = 0; y < raw->sizeY; y++) {
    unsigned char *row = final->data + y * rowBytes;
    for (int z = 0; z < raw->sizeZ; z++) {
      if (!RawImageGetRow(raw, raw->tmp, y, z)) {
        std::free(final->data);
        final->data = nullptr;
        return false;
      }
      for (int x = 0; x < raw->sizeX; x++)
        row[x * channels + z] = raw->tmp[x];
    }
  }
  return true;
}

void RawImageClose(rawImageRec *raw) {
  if (!raw) return;
  if (raw->file) std::fclose(raw->file);
  std::free(raw->tmp);
  std::free(raw->packed);
  std::free(raw->rowStart);
  std::free(raw->rowSize);
  std::free(raw);
}

namespace {

TK_RGBImageRec *decode(rawImageRec *raw) {
  TK_RGBImageRec *final = nullptr;
  if (raw) final = static_cast<TK_RGBImageRec *>(allocate(sizeof(TK_RGBImageRec)));
  if (final) {
    final->sizeX = raw->sizeX;
    final->sizeY = raw->sizeY;
    final->components = raw->sizeZ;
    if (!RawImageGetData(raw, final)) {
      std::free(final);
      final = nullptr;
    }
  }
  RawImageClose(raw);
  if (!final) std::fputs("Image not allocated!\n", stderr);
  return final;
}

} // namespace

TK_RGBImageRec *tkRGBImageLoad(const char *fileName) { return decode(RawImageOpen(fileName)); }

TK_RGBImageRec *tkRGBImageLoadFile(FILE *file, const char *name) {
  return decode(RawImageOpenFile(file, name));
}

void FreeImage(TK_RGBImageRec *image) {
  if (!image) return;
  std::free(image->data);
  std::free(image);
}

bool LoadRGBMipmaps(const char *imageFile, int intFormat) {
  TK_RGBImageRec *image = tkRGBImageLoad(imageFile);
  if (!image) return false;
  GLenum format;
  switch (image->components) {
  case 1:
    format = GL_LUMINANCE;
    intFormat = 1;
    break;
  case 3: format = GL_RGB; break;
  case 4: format = GL_RGBA; break;
  default:
    std::fprintf(stderr, "Error in LoadRGBMipmaps %d-component images not implemented\n",
                 image->components);
    FreeImage(image);
    return false;
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1); // rows of 1 or 3 bytes a pixel are not padded
  const bool built = gluBuild2DMipmaps(GL_TEXTURE_2D, intFormat, image->sizeX, image->sizeY, format,
                                       GL_UNSIGNED_BYTE, image->data) == 0;
  if (built) {
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  }
  FreeImage(image);
  return built;
}

static unsigned loadedTextures; // bit n: texture name n has its picture

bool TextureLoaded(unsigned name) { return name < 32 && (loadedTextures >> name & 1u) != 0; }

// The pictures of start-up; the font is loaded into kTexFont by the text module.
void LoadTextures() {
  struct TextureFile {
    unsigned name;
    const char *file;
  };
  static const TextureFile kTextureFiles[] = {
      {kTexSprites, "sprites.sgi"},
      {kTexTitle, "tethrix.sgi"},
      {kTexNode, "node.sgi"},
      {kTexWall, "wall.sgi"},
  };
  for (const TextureFile &t : kTextureFiles) {
    glBindTexture(GL_TEXTURE_2D, t.name);
    if (LoadRGBMipmaps(t.file, 4))
      loadedTextures |= 1u << t.name;
    else
      loadedTextures &= ~(1u << t.name);
  }
  glBindTexture(GL_TEXTURE_2D, kTexSprites);
}
