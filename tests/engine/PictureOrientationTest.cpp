// The orientation tag read from a JPEG's own segments, as the show reads it
// where the system's decoder gives no metadata: damaged files included, since
// every photo is the user's.
#include <gtest/gtest.h>
#include <shlwapi.h>

#include <string>

#include "engine/PictureOrientation.h"
#include "platform/ComPtr.h"
#include "support/MediaFixtures.h"

namespace {

const std::string kStart("\xFF\xD8", 2);
const std::string kPictureData("\xFF\xDA\x00\x02", 4);

std::string Segment(unsigned char code, const std::string& body) {
  std::string s = "\xFF";
  s += static_cast<char>(code);
  size_t length = body.size() + 2;
  s += static_cast<char>(length >> 8);
  s += static_cast<char>(length);
  return s + body;
}

// A little-endian TIFF structure of one directory: (tag, type, count, value).
struct Entry {
  unsigned tag, type, count, value;
};
std::string Little(unsigned v, int bytes) {
  std::string s;
  for (int i = 0; i < bytes; ++i) s += static_cast<char>(v >> (8 * i));
  return s;
}
std::string Exif(const std::vector<Entry>& entries, unsigned directory = 8, unsigned declaredCount = 0) {
  std::string tiff = "II" + Little(42, 2) + Little(directory, 4);
  tiff += Little(declaredCount ? declaredCount : static_cast<unsigned>(entries.size()), 2);
  for (const Entry& e : entries) tiff += Little(e.tag, 2) + Little(e.type, 2) + Little(e.count, 4) + Little(e.value, 4);
  return Segment(0xE1, std::string("Exif\0\0", 6) + tiff);
}

int OrientationOf(const std::string& bytes) {
  ComPtr<IStream> stream = ComPtr<IStream>::Adopt(
      SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
  return ReadJpegOrientation(stream.Get());
}

}  // namespace

TEST(PictureOrientation, ReadFromTheExifSegment) {
  const std::string jfif = Segment(0xE0, std::string("JFIF\0\x01\x01\0\0\x01\0\x01\0\0", 14));
  const std::string xmp = Segment(0xE1, std::string("http://ns.adobe.com/xap/1.0/\0<x/>", 33));
  const std::string six = ExifOrientationSegment(6);
  struct Row {
    const char* what;
    std::string bytes;
    int orientation;
  };
  const Row rows[] = {
      {"Intel byte order", kStart + six + kPictureData, 6},
      {"Motorola byte order", kStart + ExifOrientationSegment(8, true) + kPictureData, 8},
      {"after a JFIF segment", kStart + jfif + ExifOrientationSegment(3) + kPictureData, 3},
      {"after an XMP segment", kStart + xmp + ExifOrientationSegment(5) + kPictureData, 5},
      {"marker padded with fill bytes", kStart + "\xFF\xFF" + six + kPictureData, 6},
      {"tag after other tags", kStart + Exif({{0x010F, 2, 4, 0}, {0x0112, 3, 1, 7}}) + kPictureData, 7},
      {"no Exif segment", kStart + jfif + kPictureData, 1},
      {"Exif only after the picture data", kStart + kPictureData + six, 1},
      {"no tag", kStart + Exif({{0x010F, 2, 4, 0}}) + kPictureData, 1},
      {"a value outside 1-8", kStart + ExifOrientationSegment(9) + kPictureData, 1},
      {"a value of 0", kStart + ExifOrientationSegment(0) + kPictureData, 1},
      {"the tag of another type", kStart + Exif({{0x0112, 4, 1, 6}}) + kPictureData, 1},
      {"the tag with no value", kStart + Exif({{0x0112, 3, 0, 6}}) + kPictureData, 1},
      {"a directory beyond the segment", kStart + Exif({{0x0112, 3, 1, 6}}, 0xFFFFFFF0u) + kPictureData, 1},
      {"more entries declared than there are", kStart + Exif({{0x010F, 2, 4, 0}}, 8, 4000) + kPictureData, 1},
      {"no byte-order mark", kStart + Segment(0xE1, std::string("Exif\0\0XX\x2A\0\x08\0\0\0", 14)), 1},
      {"a segment cut short", kStart + six.substr(0, six.size() - 6), 1},
      {"a length below its own two bytes", kStart + std::string("\xFF\xE1\x00\x01", 4) + six, 1},
      {"no JPEG at all", MakePng(4, 4, 0xFF0000, 0xFF0000), 1},
      {"an empty file", std::string(), 1},
  };
  for (const Row& row : rows) EXPECT_EQ(OrientationOf(row.bytes), row.orientation) << row.what;
}
