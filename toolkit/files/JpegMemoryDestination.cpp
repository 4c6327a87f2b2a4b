#include "toolkit/files/JpegMemoryDestination.h"

#include <new>
#include <stdexcept>

#include <jerror.h>

#include "imagelib/RasterImage.h"

namespace {

JpegMemoryDestination* DestinationOf(j_compress_ptr cinfo) {
  return reinterpret_cast<JpegMemoryDestination*>(cinfo->dest);
}

// Appends `count` bytes of the staging buffer to the block. A failure is
// the library's error, raised outside the handler so that the jump leaves
// no exception behind.
void Append(j_compress_ptr cinfo, size_t count) {
  JpegMemoryDestination* dest = DestinationOf(cinfo);
  bool grown = false;
  if (uint64_t(dest->written) + count <= kMaxBlockBytes) {
    try {
      dest->output->insert(dest->output->end(), dest->buffer, dest->buffer + count);
      grown = true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
  }
  if (!grown) ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
  dest->written += count;
}

void InitDestination(j_compress_ptr cinfo) {
  JpegMemoryDestination* dest = DestinationOf(cinfo);
  dest->buffer = static_cast<JOCTET*>(
      (*cinfo->mem->alloc_small)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, kJpegDestinationChunk));
  dest->manager.next_output_byte = dest->buffer;
  dest->manager.free_in_buffer = kJpegDestinationChunk;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  JpegMemoryDestination* dest = DestinationOf(cinfo);
  Append(cinfo, kJpegDestinationChunk);
  dest->manager.next_output_byte = dest->buffer;
  dest->manager.free_in_buffer = kJpegDestinationChunk;
  return TRUE;
}

void TermDestination(j_compress_ptr cinfo) {
  const size_t count = kJpegDestinationChunk - DestinationOf(cinfo)->manager.free_in_buffer;
  if (count > 0) Append(cinfo, count);
}

}  // namespace

void AttachJpegMemoryDestination(j_compress_ptr cinfo, std::vector<uint8_t>* output) {
  if (!cinfo->dest) {
    cinfo->dest = static_cast<jpeg_destination_mgr*>((*cinfo->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(cinfo), JPOOL_PERMANENT, sizeof(JpegMemoryDestination)));
  }
  JpegMemoryDestination* dest = DestinationOf(cinfo);
  dest->manager.init_destination = InitDestination;
  dest->manager.empty_output_buffer = EmptyOutputBuffer;
  dest->manager.term_destination = TermDestination;
  dest->output = output;
  dest->written = 0;
  dest->buffer = nullptr;
  output->clear();
}
