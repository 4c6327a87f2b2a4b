// bench_formats: times the image library's readers on files of each format
// it reads, such as a 620 x 420 background saved as JPEG, Targa and SGI
// (scripts/bench-formats makes them and times the reference decoders beside
// it). For each file: decoding from memory, and OpenImage (the whole file
// read, then decoded).
//
//   bench_formats RUNS FILE...
//
// Prints the median, minimum and mean in milliseconds.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "imagelib/JpegReader.h"
#include "imagelib/OpenImage.h"
#include "imagelib/RasterImage.h"
#include "imagelib/SgiReader.h"
#include "imagelib/TargaReader.h"

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

void Print(const char* file, const char* stage, std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  double mean = 0;
  for (double x : ms) mean += x;
  mean /= double(ms.size());
  std::printf("%-28s %-22s %9.3f %9.3f %9.3f\n", file, stage, ms[ms.size() / 2], ms.front(), mean);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 0;
  if (runs < 1 || argc < 3) {
    std::fprintf(stderr, "usage: bench_formats RUNS FILE...\n");
    return 2;
  }
  std::printf("%-28s %-22s %9s %9s %9s\n", "file", "stage (ms)", "median", "min", "mean");
  for (int i = 2; i < argc; ++i) {
    const char* path = argv[i];
    std::vector<uint8_t> bytes;
    {
      std::ifstream in(path, std::ios::binary);
      bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    int (*decode)(RasterImage*, const uint8_t*, size_t) = nullptr;
    switch (ImageTypeFromName(path)) {
      case kFormatJpeg: decode = DecodeJpeg; break;
      case kFormatSgi: decode = DecodeSgi; break;
      case kFormatTarga: decode = DecodeTarga; break;
      default: break;
    }
    RasterImage probe;
    if (!decode || decode(&probe, bytes.data(), bytes.size()) != 0) {
      std::fprintf(stderr, "bench_formats: %s does not decode\n", path);
      return 1;
    }
    const char* name = std::strrchr(path, '/') ? std::strrchr(path, '/') + 1 : path;
    std::vector<double> fromMemory, open;
    for (int r = 0; r < runs; ++r) {
      RasterImage image;
      Clock::time_point t = Clock::now();
      decode(&image, bytes.data(), bytes.size());
      fromMemory.push_back(Since(t));
      t = Clock::now();
      OpenImage(&image, path);
      open.push_back(Since(t));
    }
    Print(name, "decode from memory", fromMemory);
    Print(name, "OpenImage", open);
  }
  return 0;
}
