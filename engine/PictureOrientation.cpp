#include "engine/PictureOrientation.h"

#include <cstring>
#include <vector>

namespace {

constexpr int kNoTurn = 1;
constexpr unsigned kOrientationTag = 0x0112;
constexpr unsigned kShortType = 3;

bool ReadBytes(IStream* stream, void* buffer, ULONG size) {
  ULONG read = 0;
  return SUCCEEDED(stream->Read(buffer, size, &read)) && read == size;
}

bool Skip(IStream* stream, ULONG size) {
  LARGE_INTEGER move;
  move.QuadPart = size;
  return SUCCEEDED(stream->Seek(move, STREAM_SEEK_CUR, nullptr));
}

// The TIFF structure inside the Exif segment: a byte-order mark, 42, the
// offset of the first directory, and its 12-byte entries. The file is the
// user's, damaged or not: nothing is read outside the segment.
class TiffReader {
 public:
  TiffReader(const unsigned char* data, size_t size) : data_(data), size_(size) {
    if (Has(0, 8) && data_[0] == 'I' && data_[1] == 'I') valid_ = true;
    if (Has(0, 8) && data_[0] == 'M' && data_[1] == 'M') valid_ = bigEndian_ = true;
    valid_ = valid_ && Read16(2) == 42;
  }

  int Orientation() const {
    if (!valid_) return kNoTurn;
    size_t directory = Read32(4);
    if (!Has(directory, 2)) return kNoTurn;
    unsigned count = Read16(directory);
    for (unsigned i = 0; i < count; ++i) {
      size_t entry = directory + 2 + 12 * static_cast<size_t>(i);
      if (!Has(entry, 12)) break;  // more entries declared than the segment holds
      if (Read16(entry) != kOrientationTag) continue;
      if (Read16(entry + 2) != kShortType || Read32(entry + 4) < 1) return kNoTurn;
      unsigned value = Read16(entry + 8);
      return value >= 1 && value <= 8 ? static_cast<int>(value) : kNoTurn;
    }
    return kNoTurn;
  }

 private:
  bool Has(size_t at, size_t bytes) const { return at <= size_ && size_ - at >= bytes; }
  // Outside the segment a number reads as 0.
  unsigned Read16(size_t at) const {
    if (!Has(at, 2)) return 0;
    return bigEndian_ ? (data_[at] << 8) | data_[at + 1] : data_[at] | (data_[at + 1] << 8);
  }
  size_t Read32(size_t at) const {
    if (!Has(at, 4)) return 0;
    unsigned long high = Read16(bigEndian_ ? at : at + 2);
    unsigned long low = Read16(bigEndian_ ? at + 2 : at);
    return static_cast<size_t>((high << 16) | low);
  }

  const unsigned char* data_;
  size_t size_;
  bool bigEndian_ = false;
  bool valid_ = false;
};

}  // namespace

PictureTurn TurnForOrientation(int orientation) {
  switch (orientation) {
    case 2:  // mirrored
      return {false, true, false};
    case 3:  // upside down
      return {false, true, true};
    case 4:  // mirrored upside down
      return {false, false, true};
    case 5:  // mirrored, lying on its left side
      return {true, false, false};
    case 6:  // lying on its left side: turned a quarter clockwise to stand
      return {true, true, false};
    case 7:  // mirrored, lying on its right side
      return {true, true, true};
    case 8:  // lying on its right side: turned a quarter anticlockwise
      return {true, false, true};
    default:
      return {};
  }
}

int ReadJpegOrientation(IStream* stream) {
  if (!stream) return kNoTurn;
  LARGE_INTEGER start = {};
  if (FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return kNoTurn;
  unsigned char soi[2];
  if (!ReadBytes(stream, soi, 2) || soi[0] != 0xFF || soi[1] != 0xD8) return kNoTurn;
  // The segments before the picture data; a file has a few dozen at most.
  for (int segment = 0; segment < 1000; ++segment) {
    unsigned char code = 0;
    if (!ReadBytes(stream, &code, 1) || code != 0xFF) return kNoTurn;
    do {  // a marker may be padded with any number of 0xFF
      if (!ReadBytes(stream, &code, 1)) return kNoTurn;
    } while (code == 0xFF);
    bool standalone = code == 0x01 || code == 0xD8 || (code >= 0xD0 && code <= 0xD7);
    if (standalone) continue;
    if (code == 0xDA || code == 0xD9) return kNoTurn;  // picture data or the end: no Exif before it
    unsigned char length[2];
    if (!ReadBytes(stream, length, 2)) return kNoTurn;
    ULONG size = (static_cast<ULONG>(length[0]) << 8) | length[1];
    if (size < 2) return kNoTurn;
    size -= 2;
    if (code != 0xE1) {
      if (!Skip(stream, size)) return kNoTurn;
      continue;
    }
    std::vector<unsigned char> body(size);
    if (size && !ReadBytes(stream, body.data(), size)) return kNoTurn;
    // APP1 also carries XMP; only the Exif one holds the tag.
    static const unsigned char kExif[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (size >= sizeof(kExif) && std::memcmp(body.data(), kExif, sizeof(kExif)) == 0)
      return TiffReader(body.data() + sizeof(kExif), size - sizeof(kExif)).Orientation();
  }
  return kNoTurn;
}
