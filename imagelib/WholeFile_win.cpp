#include "imagelib/WholeFile.h"

#include <windows.h>

#include <algorithm>
#include <new>
#include <string>

bool ReadWholeFile(const char* path, size_t maxBytes, std::vector<uint8_t>* out) {
  out->clear();
  // The path is UTF-8, opened wide whatever the system's code page.
  const int units = MultiByteToWideChar(CP_UTF8, 0, path, -1, nullptr, 0);
  if (units <= 0) return false;
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, path, -1, &wide[0], units);
  HANDLE file = CreateFileW(wide.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;

  bool whole = false;
  LARGE_INTEGER size;
  if (GetFileSizeEx(file, &size) && uint64_t(size.QuadPart) <= maxBytes) {
    try {
      out->resize(static_cast<size_t>(size.QuadPart));
      size_t done = 0;
      while (done < out->size()) {
        DWORD want = static_cast<DWORD>(std::min<size_t>(out->size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, out->data() + done, want, &got, nullptr) || got == 0) break;
        done += got;
      }
      whole = done == out->size();
    } catch (const std::bad_alloc&) {
    }
  }
  CloseHandle(file);
  if (!whole) std::vector<uint8_t>().swap(*out);
  return whole;
}
