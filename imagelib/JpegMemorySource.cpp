#include "imagelib/JpegMemorySource.h"

#include <cstring>

#include <jerror.h>

namespace {

JpegMemorySource* SourceOf(j_decompress_ptr cinfo) {
  return reinterpret_cast<JpegMemorySource*>(cinfo->src);
}

void InitSource(j_decompress_ptr cinfo) { SourceOf(cinfo)->startOfFile = true; }

boolean FillInputBuffer(j_decompress_ptr cinfo) {
  JpegMemorySource* src = SourceOf(cinfo);
  size_t count = src->size - src->position;
  if (count == 0) {
    if (src->startOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    count = 2;
  } else {
    if (count > kJpegSourceChunk) count = kJpegSourceChunk;
    std::memcpy(src->buffer, src->data + src->position, count);
    src->position += count;
  }
  src->manager.next_input_byte = src->buffer;
  src->manager.bytes_in_buffer = count;
  src->startOfFile = false;
  return TRUE;
}

// Skipping past the end of the data stops at the end-of-image marker that
// the refill feeds, instead of consuming copies of it two bytes at a time.
void SkipInputData(j_decompress_ptr cinfo, long count) {
  JpegMemorySource* src = SourceOf(cinfo);
  if (count <= 0) return;
  size_t n = static_cast<size_t>(count);
  while (n > src->manager.bytes_in_buffer) {
    n -= src->manager.bytes_in_buffer;
    bool exhausted = src->position == src->size;
    FillInputBuffer(cinfo);
    if (exhausted) return;
  }
  src->manager.next_input_byte += n;
  src->manager.bytes_in_buffer -= n;
}

void TermSource(j_decompress_ptr) {}

}  // namespace

void AttachJpegMemorySource(j_decompress_ptr cinfo, const uint8_t* data, size_t size) {
  if (!cinfo->src) {
    auto* src = static_cast<JpegMemorySource*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegMemorySource)));
    src->buffer = static_cast<JOCTET*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, kJpegSourceChunk));
    cinfo->src = &src->manager;
  }
  JpegMemorySource* src = SourceOf(cinfo);
  src->manager.init_source = InitSource;
  src->manager.fill_input_buffer = FillInputBuffer;
  src->manager.skip_input_data = SkipInputData;
  src->manager.resync_to_restart = jpeg_resync_to_restart;
  src->manager.term_source = TermSource;
  src->manager.next_input_byte = nullptr;
  src->manager.bytes_in_buffer = 0;
  src->data = data;
  src->size = data ? size : 0;
  src->position = 0;
  src->startOfFile = true;
}
