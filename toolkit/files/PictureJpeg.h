// A picture's pixels as a JPEG stream and back, for the JPEG forms of its
// thumbnails. Both work on the picture's rows (blue, green, red, top row
// first) through libjpeg with a recovery point, so a codec error is a
// failed result and never ends the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "toolkit/files/BitmapRows.h"

// Compresses the whole picture at quality 100 (baseline tables) into
// `output`, which grows to the stream's length. Returns 0, or -1 with
// `output` empty for a picture without rows or a codec error (the library's
// message goes to the standard error stream).
int EncodePictureJpeg(const BitmapRows& picture, std::vector<uint8_t>* output);

// Decodes the stream into the picture's rows. Only the part the picture and
// the stream share is written, whatever size the stream announces. Returns
// 0 when a stream of the picture's size decoded whole; -1 without rows, for
// a stream of another size or that is not a colour or greyscale JPEG
// stream, or on a codec error, keeping whatever rows were written before.
int DecodeJpegIntoPicture(const uint8_t* data, size_t size, const BitmapRows& picture);
