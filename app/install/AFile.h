// AFile: a thin wrapper around one platform file handle. The installer reads
// "product.txt" and the payload with it and writes the installed files
// through it; the text viewer reads and saves its text with it.
//
// One failure convention throughout: every operation that can fail answers
// true or false, and after a false Error() gives the platform's error code.
// Reads and writes move the whole count or fail: a file that ends before
// the count fails with ERROR_HANDLE_EOF, a volume that takes fewer bytes
// than asked with ERROR_DISK_FULL. Nothing throws.
//
// The object is built in place by its user, who keeps the name alive; the
// object never copies it. Opening an open object loses the first handle:
// close first.
#pragma once

#include <windows.h>

#include <cstdint>

class AFile {
public:
  explicit AFile(const char* name = nullptr, HANDLE handle = INVALID_HANDLE_VALUE)
      : name(name), handle(handle) {}
  AFile(const AFile&) = delete;
  AFile& operator=(const AFile&) = delete;

  // Forgets the handle without closing it.
  virtual void Clear();
  // Closes a non-null handle.
  virtual ~AFile();

  // An existing file for reading, shared with any number of other readers:
  // installs from one distribution never lock each other out.
  virtual bool OpenRead();
  // An existing file for writing, positioned at its end; not shared.
  virtual bool OpenAppend();
  // A file created anew for writing, an existing one truncated; not
  // shared. Only for a file the user chose to replace.
  virtual bool OpenWrite();
  // A new file for writing; an existing one is never opened
  // (ERROR_FILE_EXISTS). Not shared.
  virtual bool OpenCreateNew();
  // Opened if it exists, created if not, for reading and writing; not
  // shared.
  virtual bool OpenReadWrite();
  virtual void Close();

  virtual bool Size(uint64_t* size);
  // Records the current position for SeekFromBase.
  virtual bool MarkBase();
  virtual bool Tell(int64_t* position);
  // Moves to baseOffset + offset from the start of the file.
  virtual bool SeekFromBase(int64_t offset);

  // One platform read of at most count bytes; *got is 0 at the end of the
  // file. The line readers read through it.
  virtual bool Read(void* buffer, uint32_t count, uint32_t* got);
  // Exactly count bytes, or false.
  bool ReadWhole(void* buffer, uint32_t count);
  // Exactly count bytes, or false.
  virtual bool Write(const void* buffer, uint32_t count);

  // One text line into buffer (max + 1 bytes), leading line ends skipped, so
  // blank lines vanish. Returns the count stored; 0 at the end of the file.
  virtual int ReadLine(char* buffer, int max);
  // One text line; a blank line reads as one space. A CR LF pair therefore
  // yields a one-space line after the line it ends.
  virtual int ReadLineKeepBlank(char* buffer, int max);

  // The platform's error code of the last operation that failed.
  uint32_t Error() const { return error; }

  const char* name;  // not owned
  HANDLE handle;     // INVALID_HANDLE_VALUE when never opened or cleared, null once closed
  int64_t baseOffset = 0;

protected:
  // Records the calling thread's last error and answers false.
  bool Failed();
  bool Failed(uint32_t code);

private:
  bool OpenWith(DWORD access, DWORD share, DWORD disposition);

  uint32_t error = 0;
};
