// AFile: a thin wrapper around one platform file handle. The installer reads
// "product.txt" with it, the copy engine writes file data through it, the
// text viewer and the Targa reader read through it. Every outcome is a
// return value; nothing throws.
//
// The object is built in place by its user, who keeps the name alive; the
// object never copies it. Opening an open object loses the first handle:
// close first. The four open modes never share the file with other openers.
#pragma once

#include <windows.h>

#include <cstdint>

class AFile {
public:
  explicit AFile(const char* name = nullptr, HANDLE handle = INVALID_HANDLE_VALUE)
      : name(name), handle(handle) {}
  AFile(const AFile&) = delete;
  AFile& operator=(const AFile&) = delete;

  // Forgets the handle without closing it; returns 0.
  virtual int Clear();
  // Closes a non-null handle.
  virtual ~AFile();

  // Each open mode takes argument words it ignores. OpenRead, OpenWrite and
  // OpenReadWrite return 1 when the open failed, else 0.
  virtual int OpenRead(int ignored);
  // Existing file only, positioned at its end; -1 on failure, else 0.
  virtual int OpenAppend(int ignored);
  // Always created anew: an existing file is truncated.
  virtual int OpenWrite(int ignored1, int ignored2, int ignored3);
  // Opened if it exists, created if not.
  virtual int OpenReadWrite(int ignored1, int ignored2, int ignored3);
  virtual void Close();

  // The low 32 bits of the size of the open file, 0 with a null handle.
  virtual int Size();
  // Records the current position for SeekFromBase; -1 on failure, else 0.
  virtual int MarkBase();
  virtual int Tell();
  // Moves to baseOffset + offset from the start; -1 on failure, else 0.
  virtual int SeekFromBase(int offset);
  // One platform write or read: the count moved, 0 on failure (and, for
  // Read, at the end of the file).
  virtual int Write(const void* buffer, int count);
  virtual int Read(void* buffer, int count);

  // One text line into buffer (max + 1 bytes), leading line ends skipped, so
  // blank lines vanish. Returns the count stored; 0 at the end of the file.
  virtual int ReadLine(char* buffer, int max);
  // One text line; a blank line reads as one space. A CR LF pair therefore
  // yields a one-space line after the line it ends.
  virtual int ReadLineKeepBlank(char* buffer, int max);

  const char* name;  // not owned
  HANDLE handle;     // INVALID_HANDLE_VALUE when never opened or cleared, null once closed
  int32_t baseOffset = 0;

private:
  HANDLE OpenWith(DWORD access, DWORD disposition);
};
