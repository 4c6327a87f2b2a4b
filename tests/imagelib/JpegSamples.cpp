#include "tests/imagelib/JpegSamples.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include <jpeglib.h>

namespace fs = std::filesystem;

SamplePicture MakeSamplePicture(int width, int height, int components, uint32_t seed) {
  SamplePicture p{width, height, components, {}};
  p.samples.resize(size_t(width) * height * components);
  std::mt19937 noise(seed);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      bool light = ((x / 8) + (y / 8)) % 2 == 0;
      for (int c = 0; c < components; ++c) {
        int v = 40 + (x * 97 / (width + 1) + y * 61 / (height + 1) + c * 50) % 150;
        v += light ? 40 : 0;
        v += int(noise() % 25);
        p.samples[(size_t(y) * width + x) * components + c] = uint8_t(v);
      }
    }
  }
  return p;
}

SamplePicture MakeFlatPicture(int width, int height, int components, uint8_t value) {
  SamplePicture p{width, height, components, {}};
  p.samples.assign(size_t(width) * height * components, value);
  return p;
}

std::vector<uint8_t> EncodeJpeg(const SamplePicture& picture, const EncodeOptions& options) {
  jpeg_compress_struct cinfo;
  jpeg_error_mgr err;
  cinfo.err = jpeg_std_error(&err);
  jpeg_create_compress(&cinfo);
  unsigned char* out = nullptr;
  unsigned long outSize = 0;
  jpeg_mem_dest(&cinfo, &out, &outSize);

  cinfo.image_width = picture.width;
  cinfo.image_height = picture.height;
  cinfo.input_components = picture.components;
  cinfo.in_color_space = picture.components == 1   ? JCS_GRAYSCALE
                         : picture.components == 3 ? JCS_RGB
                                                   : JCS_CMYK;
  jpeg_set_defaults(&cinfo);
  if (picture.components == 4) jpeg_set_colorspace(&cinfo, options.ycck ? JCS_YCCK : JCS_CMYK);
  jpeg_set_quality(&cinfo, options.quality, TRUE);
  if (picture.components > 1) {
    cinfo.comp_info[0].h_samp_factor = options.hSampling;
    cinfo.comp_info[0].v_samp_factor = options.vSampling;
  }
  cinfo.arith_code = options.arithmetic ? TRUE : FALSE;
  cinfo.restart_in_rows = options.restartRows;
  if (options.progressive) jpeg_simple_progression(&cinfo);

  jpeg_start_compress(&cinfo, TRUE);
  const size_t rowSamples = size_t(picture.width) * picture.components;
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(&picture.samples[cinfo.next_scanline * rowSamples]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<uint8_t> bytes(out, out + outSize);
  jpeg_destroy_compress(&cinfo);
  std::free(out);
  return bytes;
}

namespace {

struct ReferenceError {
  jpeg_error_mgr manager;
  jmp_buf recovery;
};

void ReferenceErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ReferenceError*>(cinfo->err)->recovery, 1);
}

void ReferenceQuiet(j_common_ptr, int) {}

}  // namespace

std::vector<uint8_t> ReferenceDecode(const std::vector<uint8_t>& jpeg, int* width, int* height) {
  // Declared before setjmp so that the jump back skips no destructor.
  std::vector<uint8_t> pixels;
  jpeg_decompress_struct cinfo{};
  ReferenceError err;
  cinfo.err = jpeg_std_error(&err.manager);
  err.manager.error_exit = ReferenceErrorExit;
  err.manager.emit_message = ReferenceQuiet;
  *width = *height = 0;
  if (setjmp(err.recovery)) {
    jpeg_destroy_decompress(&cinfo);
    pixels.clear();
    return pixels;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), jpeg.size());
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  const size_t rowBytes = size_t(cinfo.output_width) * 3;
  pixels.resize(rowBytes * cinfo.output_height);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = &pixels[cinfo.output_scanline * rowBytes];
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  *width = int(cinfo.output_width);
  *height = int(cinfo.output_height);
  jpeg_destroy_decompress(&cinfo);
  return pixels;
}

namespace {

// One folder of written samples per test process, removed when it ends.
struct SampleFolder {
  SampleFolder() : path(fs::temp_directory_path() / ("qv-imagelib-" + std::to_string(std::random_device{}()))) {
    fs::create_directories(path);
  }
  ~SampleFolder() {
    std::error_code ignored;
    fs::remove_all(path, ignored);
  }
  const fs::path path;
};

}  // namespace

std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  static const SampleFolder folder;
  fs::path path = folder.path / name;
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return path.string();
}

long FindMarker(const std::vector<uint8_t>& jpeg, uint8_t code) {
  size_t at = 2;  // past SOI
  while (at + 4 <= jpeg.size() && jpeg[at] == 0xFF) {
    if (jpeg[at + 1] == code) return long(at);
    if (jpeg[at + 1] == 0xDA) return -1;
    at += 2 + ((jpeg[at + 2] << 8) | jpeg[at + 3]);
  }
  return -1;
}

void SetFrameSize(std::vector<uint8_t>* jpeg, int width, int height) {
  long sof = -1;
  for (uint8_t code : {0xC0, 0xC1, 0xC2, 0xC9, 0xCA}) {
    if ((sof = FindMarker(*jpeg, code)) >= 0) break;
  }
  if (sof < 0) std::abort();
  // FF Cn, length (2), precision (1), height (2), width (2)
  (*jpeg)[sof + 5] = uint8_t(height >> 8);
  (*jpeg)[sof + 6] = uint8_t(height);
  (*jpeg)[sof + 7] = uint8_t(width >> 8);
  (*jpeg)[sof + 8] = uint8_t(width);
}

void RepeatFirstScan(std::vector<uint8_t>* jpeg, int scans) {
  const long sos = FindMarker(*jpeg, 0xDA);
  if (sos < 0) std::abort();
  // The entropy-coded data ends at the first marker that is neither a
  // stuffed FF 00 nor a restart marker.
  size_t end = sos + 2 + (((*jpeg)[sos + 2] << 8) | (*jpeg)[sos + 3]);
  while (end + 1 < jpeg->size() &&
         !((*jpeg)[end] == 0xFF && (*jpeg)[end + 1] != 0x00 &&
           ((*jpeg)[end + 1] < 0xD0 || (*jpeg)[end + 1] > 0xD7))) {
    ++end;
  }
  const std::vector<uint8_t> scan(jpeg->begin() + sos, jpeg->begin() + end);
  for (int i = 1; i < scans; ++i) jpeg->insert(jpeg->begin() + end, scan.begin(), scan.end());
}
