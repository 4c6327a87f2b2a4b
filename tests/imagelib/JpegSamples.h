// Test material for the JPEG reader, made at test time with libjpeg's own
// encoder: pictures with varied content, their JPEG streams in the colour
// spaces and codings a file may use, libjpeg's own decoding of a stream for
// comparison, and small surgery on streams (cutting, changing the frame
// size, repeating a scan) to make broken files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Samples, top row first, `components` per pixel.
struct SamplePicture {
  int width = 0;
  int height = 0;
  int components = 3;
  std::vector<uint8_t> samples;
};

// Smooth gradients with a checkerboard and some noise, no sample below 40
// so that black rows stand out; a fixed seed gives a fixed picture.
SamplePicture MakeSamplePicture(int width, int height, int components, uint32_t seed = 1);

// A picture of one colour (`components` values of `value`).
SamplePicture MakeFlatPicture(int width, int height, int components, uint8_t value);

struct EncodeOptions {
  int quality = 90;
  bool progressive = false;
  bool arithmetic = false;
  int restartRows = 0;
  int hSampling = 2;  // luminance sampling factors; chroma stays 1 x 1
  int vSampling = 2;
  bool ycck = false;  // four components: YCCK instead of plain CMYK
};

// The picture as a JPEG stream: one component encodes as greyscale, three
// as YCbCr from RGB, four as CMYK (or YCCK).
std::vector<uint8_t> EncodeJpeg(const SamplePicture& picture, const EncodeOptions& options = {});

// libjpeg's decoding of the stream as RGB, top row first, with the library's
// default settings otherwise. Sets width and height; empty on an error.
std::vector<uint8_t> ReferenceDecode(const std::vector<uint8_t>& jpeg, int* width, int* height);

// Writes the bytes to a file of that name in a fresh temporary folder of the
// test program and returns its path.
std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes);

// Offset of the first marker `code` (0xC0 for SOF0, 0xDA for SOS...) in the
// marker segments before the first scan, or -1.
long FindMarker(const std::vector<uint8_t>& jpeg, uint8_t code);

// Rewrites the image size in the stream's frame header.
void SetFrameSize(std::vector<uint8_t>* jpeg, int width, int height);

// Repeats the stream's first scan (its header and entropy-coded data) until
// the stream holds `scans` scans.
void RepeatFirstScan(std::vector<uint8_t>* jpeg, int scans);
