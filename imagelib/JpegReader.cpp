#include "imagelib/JpegReader.h"

#include <cstring>
#include <vector>

#include "imagelib/JpegErrorTrap.h"
#include "imagelib/JpegMemorySource.h"
#include "imagelib/WholeFile.h"

#include <jerror.h>

namespace {

// The reader's own message, after the library's table.
constexpr int kTooManyScans = 1000;
const char* const kReaderMessages[] = {"Too many scans in the JPEG stream (more than %d)"};

void LimitScans(j_common_ptr cinfo) {
  if (reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxJpegScans) {
    ERREXIT1(cinfo, kTooManyScans, kMaxJpegScans);
  }
}

// What the decoder learns beside the pixels, reached through client_data.
struct DecodeState {
  void (*emitMessage)(j_common_ptr, int);  // the standard manager's
  // Set by WatchMessages, from inside the library's calls, when the entropy
  // decoder needed bytes past the end of the data.
  bool dataRanShort = false;
};

// The Huffman decoder warns "premature end of data segment" once, when it
// needs bits that are not there; bytes it merely read ahead do not count.
void WatchMessages(j_common_ptr cinfo, int level) {
  DecodeState* state = static_cast<DecodeState*>(cinfo->client_data);
  if (level < 0 && cinfo->err->msg_code == JWRN_HIT_MARKER) state->dataRanShort = true;
  state->emitMessage(cinfo, level);
}

bool SizeAllowed(JDIMENSION width, JDIMENSION height) {
  return width > 0 && height > 0 && width <= JDIMENSION(kMaxImageSide) &&
         height <= JDIMENSION(kMaxImageSide) &&
         uint64_t(width) * uint64_t(height) <= uint64_t(kMaxImagePixels);
}

// Everything between creating and destroying the decompressor. A library
// error long-jumps out of here, so nothing in this frame may need a
// destructor. A stream refused here leaves the record empty.
void DecodeRows(j_decompress_ptr cinfo, RasterImage* image, int32_t minWidth, int32_t minHeight) {
  jpeg_read_header(cinfo, TRUE);
  if (!SizeAllowed(cinfo->image_width, cinfo->image_height)) return;
  if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK) return;

  // The one change from the library's defaults: greyscale comes out as RGB,
  // so every decoded row holds three samples per pixel.
  cinfo->out_color_space = JCS_RGB;
  // The decoder's own reduction (1/8, 1/4 or 1/2: the factors of the
  // libjpeg 6b interface), the strongest that still gives the size asked.
  cinfo->scale_num = 1;
  cinfo->scale_denom = ReductionFor(cinfo->image_width, cinfo->image_height, minWidth, minHeight);
  jpeg_calc_output_dimensions(cinfo);
  const JDIMENSION expectedWidth = cinfo->output_width, expectedHeight = cinfo->output_height;
  jpeg_start_decompress(cinfo);
  if (cinfo->output_width != expectedWidth || cinfo->output_height != expectedHeight ||
      cinfo->output_components != 3) {
    return;
  }

  const int32_t width = static_cast<int32_t>(cinfo->output_width);
  const int32_t height = static_cast<int32_t>(cinfo->output_height);
  if (!TryAllocatePixels(image, width, height, kPixelRgb8)) return;

  // A single-scan stream decodes while its rows are read: once the data
  // runs short, this row and the rows after it are not in the file and stay
  // black. A multi-scan stream was read whole before the first row; its rows
  // show whatever arrived.
  // Not const: jpeg_read_scanlines below changes dataRanShort through the
  // message hook, so it is read afresh after every row.
  DecodeState* state = static_cast<DecodeState*>(cinfo->client_data);
  const bool shortBeforeRows = state->dataRanShort;
  // Rows are decoded straight into the image, the top one into the last row.
  while (cinfo->output_scanline < cinfo->output_height) {
    JSAMPROW row = image->store->Pixel(0, height - 1 - static_cast<int32_t>(cinfo->output_scanline));
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) break;
    if (state->dataRanShort && !shortBeforeRows) {
      std::memset(row, 0, image->store->RowBytes());
      break;
    }
  }
  if (cinfo->output_scanline == cinfo->output_height) jpeg_finish_decompress(cinfo);
}

}  // namespace

unsigned ReductionFor(uint32_t width, uint32_t height, int32_t minWidth, int32_t minHeight) {
  if (minWidth <= 0 || minHeight <= 0) return 1;
  for (unsigned denominator : {8u, 4u, 2u}) {
    // libjpeg rounds a reduced side up.
    const uint64_t w = (uint64_t(width) + denominator - 1) / denominator;
    const uint64_t h = (uint64_t(height) + denominator - 1) / denominator;
    if (w >= uint64_t(minWidth) && h >= uint64_t(minHeight)) return denominator;
  }
  return 1;
}

int DecodeJpeg(RasterImage* image, const uint8_t* data, size_t size) {
  return DecodeJpegAtLeast(image, data, size, 0, 0);
}

int DecodeJpegAtLeast(RasterImage* image, const uint8_t* data, size_t size, int32_t minWidth, int32_t minHeight) {
  EmptyImage(image);

  jpeg_decompress_struct cinfo{};
  JpegErrorTrap trap;
  cinfo.err = InitJpegErrorTrap(&trap);
  trap.manager.addon_message_table = kReaderMessages;
  trap.manager.first_addon_message = kTooManyScans;
  trap.manager.last_addon_message = kTooManyScans;
  DecodeState state;
  state.emitMessage = trap.manager.emit_message;
  trap.manager.emit_message = WatchMessages;
  cinfo.client_data = &state;
  jpeg_progress_mgr progress{};
  progress.progress_monitor = LimitScans;

  if (setjmp(trap.recovery)) {
    jpeg_destroy_decompress(&cinfo);
    return image->store ? 0 : -1;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxJpegDecoderMemory;
  cinfo.progress = &progress;
  AttachJpegMemorySource(&cinfo, data, size);
  DecodeRows(&cinfo, image, minWidth, minHeight);
  jpeg_destroy_decompress(&cinfo);
  return image->store ? 0 : -1;
}

int ReadJpegFile(RasterImage* image, const char* path) { return ReadJpegFileAtLeast(image, path, 0, 0); }

int ReadJpegFileAtLeast(RasterImage* image, const char* path, int32_t minWidth, int32_t minHeight) {
  EmptyImage(image);
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, kMaxJpegFileBytes, &bytes)) return -1;
  return DecodeJpegAtLeast(image, bytes.data(), bytes.size(), minWidth, minHeight);
}
