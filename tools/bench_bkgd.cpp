// bench_bkgd: times the image library on the installer's start-up road for
// its background picture: opening a 620 x 420 "bkgd.jpg", flipping it top row
// first, lightening the panel behind the steps and turning it into the
// window's background picture (a 24-bit bitmap section). Beside those it times the
// decoding alone from memory and bare libjpeg decoding the same bytes into a
// new buffer, which is the floor the reader's own work sits on.
//
//   bench_bkgd [RUNS] [FILE [WIDTHxHEIGHT]]
//
// With a size it also times the road for a window of that client size (a
// display scale other than 100 %): opening the file decoded for that size
// (a JPEG reduced by the decoder where it can be) and resampling it to
// that size.
//
// Without FILE it encodes a photo-like 620 x 420 picture (quality 90, 4:2:0,
// libjpeg's defaults) into bench-bkgd.jpg in the temporary folder. Prints the
// median, minimum and mean of each stage in milliseconds.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "imagelib/ImageOps.h"
#include "imagelib/JpegReader.h"
#include "imagelib/OpenImage.h"
#include "imagelib/RasterImage.h"
#include "toolkit/files/qvPicture.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kWidth = 620;
constexpr int kHeight = 420;
// The installer's panel: the window inset by 25 and 60, edges included.
constexpr ImageRect kPanel{25, 60, 595, 360};

std::vector<uint8_t> EncodeBackground() {
  std::vector<uint8_t> rgb(size_t(kWidth) * kHeight * 3);
  uint32_t grain = 12345;
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      for (int c = 0; c < 3; ++c) {
        double v = 128 + 90 * std::sin((x + 13 * c) / 37.0) * std::cos((y - 7 * c) / 29.0);
        if ((x - 400) * (x - 400) + (y - 150) * (y - 150) < 90 * 90) v += 50;
        grain = grain * 1103515245u + 12345u;
        v += int(grain >> 27) - 16;
        rgb[(size_t(y) * kWidth + x) * 3 + c] = uint8_t(std::clamp(v, 0.0, 255.0));
      }
    }
  }
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);
  cinfo.image_width = kWidth;
  cinfo.image_height = kHeight;
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = &rgb[size_t(cinfo.next_scanline) * kWidth * 3];
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> bytes(out, out + outSize);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

// libjpeg alone: the same stream into a new RGB buffer, top row first.
void BareDecode(const std::vector<uint8_t>& jpeg, std::vector<uint8_t>* pixels) {
  std::vector<uint8_t>().swap(*pixels);
  jpeg_decompress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), jpeg.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const size_t rowBytes = size_t(cinfo.output_width) * 3;
  pixels->resize(rowBytes * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = pixels->data() + cinfo.output_scanline * rowBytes;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

struct Stage {
  const char* name;
  std::vector<double> ms;
};

double Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
  int fitWidth = 0, fitHeight = 0;
  if (argc > 3 && std::sscanf(argv[3], "%dx%d", &fitWidth, &fitHeight) != 2) fitWidth = -1;
  if (runs < 1 || argc > 4 || fitWidth < 0 || fitHeight < 0) {
    std::fprintf(stderr, "usage: bench_bkgd [RUNS] [FILE [WIDTHxHEIGHT]]\n");
    return 2;
  }
  std::string path;
  if (argc > 2) {
    path = argv[2];
  } else {
    path = (std::filesystem::temp_directory_path() / "bench-bkgd.jpg").string();
    const std::vector<uint8_t> jpeg = EncodeBackground();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), jpeg.size());
  }
  std::vector<uint8_t> bytes;
  {
    // Closed before opening: the reader opens the file without sharing.
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

  RasterImage probe;
  OpenImage(&probe, path.c_str());
  if (!probe.store) {
    std::fprintf(stderr, "bench_bkgd: %s does not open\n", path.c_str());
    return 1;
  }
  std::printf("%s: %d x %d, %zu bytes, %d runs\n", path.c_str(), probe.width, probe.height, bytes.size(),
              runs);

  Stage open{"OpenImage (read + decode)", {}}, flip{"FlipImageVertically", {}},
      lighten{"LightenRectangle", {}}, picture{"ImageToPicture", {}},
      total{"open + flip + lighten + picture", {}},
      decode{"DecodeJpeg from memory", {}}, bare{"bare libjpeg decode", {}},
      openFor{"OpenImageAtLeast (size)", {}}, resample{"ResampleImage to size", {}};
  std::vector<uint8_t> scratch;
  for (int i = 0; i < runs; ++i) {
    RasterImage image;
    const Clock::time_point t0 = Clock::now();
    OpenImage(&image, path.c_str());
    const Clock::time_point t1 = Clock::now();
    FlipImageVertically(&image);
    const Clock::time_point t2 = Clock::now();
    LightenRectangle(kPanel, &image);
    const Clock::time_point t3 = Clock::now();
    delete ImageToPicture(&image, image.store);
    const Clock::time_point t4 = Clock::now();
    open.ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    flip.ms.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
    lighten.ms.push_back(std::chrono::duration<double, std::milli>(t3 - t2).count());
    picture.ms.push_back(std::chrono::duration<double, std::milli>(t4 - t3).count());
    total.ms.push_back(std::chrono::duration<double, std::milli>(t4 - t0).count());

    Clock::time_point t = Clock::now();
    DecodeJpeg(&image, bytes.data(), bytes.size());
    decode.ms.push_back(Since(t));
    t = Clock::now();
    BareDecode(bytes, &scratch);
    bare.ms.push_back(Since(t));

    if (fitWidth > 0 && fitHeight > 0) {
      RasterImage reduced, fitted;
      t = Clock::now();
      OpenImageAtLeast(&reduced, path.c_str(), fitWidth, fitHeight);
      openFor.ms.push_back(Since(t));
      t = Clock::now();
      if (TryAllocatePixels(&fitted, fitWidth, fitHeight, reduced.type)) ResampleImage(&fitted, &reduced);
      resample.ms.push_back(Since(t));
    }
  }

  std::printf("%-28s %9s %9s %9s\n", "stage (ms)", "median", "min", "mean");
  for (Stage* s : {&open, &flip, &lighten, &picture, &total, &decode, &bare, &openFor, &resample}) {
    if (s->ms.empty()) continue;
    std::vector<double> v = s->ms;
    std::sort(v.begin(), v.end());
    double mean = 0;
    for (double x : v) mean += x;
    mean /= double(v.size());
    std::printf("%-28s %9.3f %9.3f %9.3f\n", s->name, v[v.size() / 2], v.front(), mean);
  }
  return 0;
}
