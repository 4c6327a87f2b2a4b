#include "toolkit/files/PictureJpeg.h"

#include <algorithm>
#include <csetjmp>

#include "imagelib/JpegErrorTrap.h"
#include "imagelib/JpegMemorySource.h"
#include "imagelib/JpegReader.h"
#include "toolkit/files/JpegMemoryDestination.h"

namespace {

// Everything between creating and destroying the compressor; a library
// error long-jumps out of here, so nothing in this frame has a destructor.
void CompressRows(j_compress_ptr cinfo, const BitmapRows& picture) {
  cinfo->image_width = static_cast<JDIMENSION>(picture.width);
  cinfo->image_height = static_cast<JDIMENSION>(picture.height);
  cinfo->input_components = 3;
  cinfo->in_color_space = JCS_RGB;
  jpeg_set_defaults(cinfo);
  jpeg_set_quality(cinfo, 100, TRUE);
  jpeg_start_compress(cinfo, TRUE);
  JSAMPROW row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                             cinfo->image_width * 3, 1)[0];
  while (cinfo->next_scanline < cinfo->image_height) {
    SwapRedBlue(picture.Row(static_cast<int32_t>(cinfo->next_scanline)), row, size_t(picture.width),
                picture.bytesPerPixel);
    jpeg_write_scanlines(cinfo, &row, 1);
  }
  jpeg_finish_compress(cinfo);
}

// The same for the decompressor. True when a stream of the picture's size
// decoded whole.
bool DecompressRows(j_decompress_ptr cinfo, const BitmapRows& picture) {
  jpeg_read_header(cinfo, TRUE);
  if (cinfo->jpeg_color_space == JCS_CMYK || cinfo->jpeg_color_space == JCS_YCCK) return false;
  cinfo->out_color_space = JCS_RGB;
  jpeg_start_decompress(cinfo);
  if (cinfo->output_components != 3) return false;
  JSAMPROW row = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE,
                                             cinfo->output_width * 3, 1)[0];
  const size_t columns = std::min<size_t>(cinfo->output_width, size_t(picture.width));
  const JDIMENSION rows = std::min<JDIMENSION>(cinfo->output_height, JDIMENSION(picture.height));
  while (cinfo->output_scanline < rows) {
    const int32_t y = static_cast<int32_t>(cinfo->output_scanline);
    if (jpeg_read_scanlines(cinfo, &row, 1) != 1) return false;
    SwapRedBlue(row, picture.Row(y), columns, 3, picture.bytesPerPixel);
  }
  if (cinfo->output_width != JDIMENSION(picture.width) || cinfo->output_height != JDIMENSION(picture.height)) {
    return false;
  }
  jpeg_finish_decompress(cinfo);
  return true;
}

}  // namespace

int EncodePictureJpeg(const BitmapRows& picture, std::vector<uint8_t>* output) {
  output->clear();
  if (picture.Empty()) return -1;
  jpeg_compress_struct cinfo{};
  JpegErrorTrap trap;
  cinfo.err = InitJpegErrorTrap(&trap);
  if (setjmp(trap.recovery)) {
    jpeg_destroy_compress(&cinfo);
    output->clear();
    return -1;
  }
  jpeg_create_compress(&cinfo);
  AttachJpegMemoryDestination(&cinfo, output);
  CompressRows(&cinfo, picture);
  jpeg_destroy_compress(&cinfo);
  return 0;
}

int DecodeJpegIntoPicture(const uint8_t* data, size_t size, const BitmapRows& picture) {
  if (picture.Empty()) return -1;
  jpeg_decompress_struct cinfo{};
  JpegErrorTrap trap;
  cinfo.err = InitJpegErrorTrap(&trap);
  if (setjmp(trap.recovery)) {
    jpeg_destroy_decompress(&cinfo);
    return -1;
  }
  jpeg_create_decompress(&cinfo);
  cinfo.mem->max_memory_to_use = kMaxJpegDecoderMemory;
  AttachJpegMemorySource(&cinfo, data, size);
  const bool whole = DecompressRows(&cinfo, picture);
  jpeg_destroy_decompress(&cinfo);
  return whole ? 0 : -1;
}
