#pragma once
#include <cstdint>
#include <string>

// Small media files made at test time.

// A PNG of the given size: a solid colour with a band of a second colour, so
// that pictures can be told apart on screen.
std::string MakePng(int width, int height, uint32_t rgb, uint32_t bandRgb);

// The same with a number drawn large in the middle, in white.
std::string MakeNumberedPng(int width, int height, uint32_t rgb, uint32_t bandRgb, int number);

// A mono 16-bit PCM WAV with a sine tone.
std::string MakeWav(double seconds, int sampleRate = 22050, double frequency = 440.0);

// A YUV4MPEG2 clip whose frames sweep a bright bar across a coloured field.
std::string MakeY4m(int width, int height, int frames, int fps, uint8_t y, uint8_t u, uint8_t v);

// A video with sound: an uncompressed AVI of a solid colour (24-bit frames)
// with a mono 16-bit sine tone beside it for the same time.
std::string MakeAvi(int width, int height, int frames, int fps, uint32_t rgb, int sampleRate = 22050,
                    double frequency = 440.0);
