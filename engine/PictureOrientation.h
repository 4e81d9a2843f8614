#pragma once
#include <objidl.h>

// How the pixels of a picture as stored are turned to stand upright, for the
// eight values of the EXIF orientation tag that phones and cameras write.
// Applied to the stored picture in this order: rows become columns (swap),
// then the upright picture is mirrored left to right (flipX) and top to
// bottom (flipY).
struct PictureTurn {
  bool swap = false;
  bool flipX = false;
  bool flipY = false;
};

// 1 and any value outside 1-8 leave the picture as stored.
PictureTurn TurnForOrientation(int orientation);

// The orientation tag of a JPEG read from its Exif segment (APP1) in the
// stream, from the stream's start; 1 when the stream is no JPEG, has no Exif
// segment or no tag, or the segment is damaged. Reads only the segments
// before the picture data. Stands in where the system's decoder gives no
// metadata reader for the segment.
int ReadJpegOrientation(IStream* stream);
