// JpegMemoryDestination: the data destination through which libjpeg writes
// a compressed stream into memory. The library fills a staging buffer of
// kJpegDestinationChunk bytes; each full buffer, and the rest at the end,
// is appended to the caller's growable block, so a stream of any length
// fits (a small picture's stream is longer than its pixels). When the block
// cannot grow, or would pass kMaxBlockBytes, compression fails with the
// library's out-of-memory error, which reaches the caller's recovery point.
//
// The destination lives in the compressor's permanent pool, its staging
// buffer in the image pool; the block stays the caller's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include <jpeglib.h>

constexpr size_t kJpegDestinationChunk = 4096;

struct JpegMemoryDestination {
  jpeg_destination_mgr manager;  // first: the library sees only this part
  std::vector<uint8_t>* output;  // not owned; receives the stream
  size_t written;                // bytes appended to `output` so far
  JOCTET* buffer;                // kJpegDestinationChunk bytes, in the image pool
};

// Makes `cinfo` write its stream into `output`, which is emptied first; a
// destination attached before is reused.
void AttachJpegMemoryDestination(j_compress_ptr cinfo, std::vector<uint8_t>* output);
