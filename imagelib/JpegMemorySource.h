// JpegMemorySource: the data source through which libjpeg reads a JPEG
// stream that is already in memory. It hands the library the block in
// chunks of kJpegSourceChunk bytes through a staging buffer. When the block
// runs out before the stream ends it warns "Premature end of JPEG file" and
// feeds an end-of-image marker, so a truncated file decodes as far as its
// data goes instead of failing; a block that is empty from the start is the
// library's "Empty input file" error.
//
// The source and its staging buffer live in the decompressor's permanent
// pool and go with it; the block stays the caller's and must outlive the
// decoding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include <jpeglib.h>

constexpr size_t kJpegSourceChunk = 4096;

struct JpegMemorySource {
  jpeg_source_mgr manager;  // first: the library sees only this part
  const uint8_t* data;      // not owned
  size_t size;              // bytes at `data`
  size_t position;          // bytes of the block handed over so far
  JOCTET* buffer;           // kJpegSourceChunk bytes, in the permanent pool
  bool startOfFile;         // no refill has happened yet
};

// Makes `cinfo` read from the `size` bytes at `data`; a source attached
// before is reused.
void AttachJpegMemorySource(j_decompress_ptr cinfo, const uint8_t* data, size_t size);
