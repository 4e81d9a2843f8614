#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Small media files made at test time.

// A PNG of the given size: a solid colour with a band of a second colour, so
// that pictures can be told apart on screen.
std::string MakePng(int width, int height, uint32_t rgb, uint32_t bandRgb);

// A PNG of the pixels (0xRRGGBB, top row first).
std::string MakePixelsPng(int width, int height, const std::vector<uint32_t>& pixels);

// The same with a number drawn large in the middle, in white.
std::string MakeNumberedPng(int width, int height, uint32_t rgb, uint32_t bandRgb, int number);
// Its pixels (0xRRGGBB, top row first).
std::vector<uint32_t> NumberedPixels(int width, int height, uint32_t rgb, uint32_t bandRgb, int number);

// A JPEG of the pixels (0xRRGGBB, top row first) through the system's
// encoder at its best quality. With an orientation (any number, valid or not)
// an Exif segment holding that tag follows the start marker, its numbers in
// Intel or, with bigEndian, Motorola byte order.
std::string MakeJpeg(int width, int height, const std::vector<uint32_t>& pixels, int orientation = 0,
                     bool bigEndian = false);

// Pixels in four solid quarters, coloured top-left, top-right, bottom-left,
// bottom-right.
std::vector<uint32_t> QuarterPixels(int width, int height, const uint32_t quarters[4]);

// The Exif segment alone, its marker included, holding the orientation tag.
std::string ExifOrientationSegment(int orientation, bool bigEndian = false);

// A mono 16-bit PCM WAV with a sine tone.
std::string MakeWav(double seconds, int sampleRate = 22050, double frequency = 440.0);

// A YUV4MPEG2 clip whose frames sweep a bright bar across a coloured field.
std::string MakeY4m(int width, int height, int frames, int fps, uint8_t y, uint8_t u, uint8_t v);

// A video with sound: an uncompressed AVI of a solid colour (24-bit frames)
// with a mono 16-bit sine tone beside it for the same time.
std::string MakeAvi(int width, int height, int frames, int fps, uint32_t rgb, int sampleRate = 22050,
                    double frequency = 440.0);
