#include "engine/PictureFit.h"

PictureRect FitPicture(int pictureWidth, int pictureHeight, int areaWidth, int areaHeight) {
  PictureRect rect;
  if (pictureWidth <= 0 || pictureHeight <= 0 || areaWidth <= 0 || areaHeight <= 0) return rect;
  // Compared and rounded in whole numbers, so equal proportions fill the area
  // exactly whatever the sizes.
  long long pw = pictureWidth, ph = pictureHeight, aw = areaWidth, ah = areaHeight;
  if (pw * ah >= ph * aw) {  // wider than the area, or just as wide
    rect.width = areaWidth;
    rect.height = static_cast<int>((2 * ph * aw + pw) / (2 * pw));
  } else {
    rect.height = areaHeight;
    rect.width = static_cast<int>((2 * pw * ah + ph) / (2 * ph));
  }
  if (rect.width < 1) rect.width = 1;
  if (rect.height < 1) rect.height = 1;
  rect.x = (areaWidth - rect.width) / 2;
  rect.y = (areaHeight - rect.height) / 2;
  return rect;
}
