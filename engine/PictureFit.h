#pragma once

// Where a picture goes in an area: as large as fits at its own proportions,
// centred, in whole pixels.
struct PictureRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  bool operator==(const PictureRect& other) const {
    return x == other.x && y == other.y && width == other.width && height == other.height;
  }
};

// The side that limits the picture spans the area exactly; the other is
// rounded to the nearest pixel (at least one). An empty picture or area gives
// an empty rectangle.
PictureRect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight);
