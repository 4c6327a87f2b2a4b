// ThumbnailStream: where a picture's thumbnail is written to or read from.
// A caller embeds the thumbnail in a stream of its own, so the stream is an
// interface with two small primitives, reading and writing bytes; the text
// of the thumbnail layout (lines, hexadecimal digits, decimal numbers) is
// formed here once on top of them. Two streams come with it: one over
// memory and one over a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

class ThumbnailStream {
public:
  virtual ~ThumbnailStream() = default;

  // Each false when the stream took less than all.
  bool WriteText(const char* text);
  bool WriteBytes(const uint8_t* data, size_t size);
  // Two lower-case hexadecimal digits per byte, nothing in between.
  bool WriteHex(const uint8_t* data, size_t size);

  // Up to `size` bytes; fewer only at the end of the stream.
  size_t ReadBytes(uint8_t* data, size_t size);
  // The next byte, or -1 at the end.
  int ReadByte();
  // Skips spaces, tabs and line ends; false at the end of the stream.
  bool SkipBlanks();
  // A decimal integer after any blanks, with an optional '-', and the line
  // end right after it ("\n" or "\r\n"), so that binary data may follow.
  // False without digits or when it does not fit in 32 bits.
  bool ReadInteger(int32_t* value);
  // One line without its line end, into `out` (capacity bytes with the
  // terminating zero). False at the end of the stream or for a longer line.
  bool ReadLine(char* out, size_t capacity);

protected:
  ThumbnailStream() = default;
  virtual size_t ReadSome(uint8_t* data, size_t size) = 0;
  virtual bool WriteSome(const uint8_t* data, size_t size) = 0;

private:
  int pending = -1;  // a byte read ahead and given back, or -1
};

// Reads from a block the caller keeps, and writes into a block of its own.
class MemoryThumbnailStream : public ThumbnailStream {
public:
  MemoryThumbnailStream() = default;
  MemoryThumbnailStream(const uint8_t* data, size_t size) : input(data), inputSize(data ? size : 0) {}

  const std::vector<uint8_t>& Written() const { return output; }

protected:
  size_t ReadSome(uint8_t* data, size_t size) override;
  bool WriteSome(const uint8_t* data, size_t size) override;

private:
  const uint8_t* input = nullptr;  // not owned
  size_t inputSize = 0;
  size_t inputPosition = 0;
  std::vector<uint8_t> output;  // owned
};

// Reads or writes a file through the C run-time's streams.
class FileThumbnailStream : public ThumbnailStream {
public:
  // Opens `path` for reading, or for writing (created or emptied).
  FileThumbnailStream(const char* path, bool write);
  ~FileThumbnailStream() override;
  FileThumbnailStream(const FileThumbnailStream&) = delete;
  FileThumbnailStream& operator=(const FileThumbnailStream&) = delete;

  bool IsOpen() const { return file != nullptr; }
  // Closes the file; false when it was not open or writing it failed.
  bool Close();

protected:
  size_t ReadSome(uint8_t* data, size_t size) override;
  bool WriteSome(const uint8_t* data, size_t size) override;

private:
  std::FILE* file = nullptr;  // owned
};
