#include "toolkit/files/FileTypeTable.h"

#include <cstring>

const FileType FileTypeTable[kFileTypeCount] = {
    {"Adobe Illustrator Files (*.ai)", "*.ai"},
    {"Images (*.tga)", "*.tga"},
    {"PICT (*.pic)", "*.pic"},
    {"Targa (*.tga)", "*.tga"},
    {"JPEG (*.jpg)", "*.jpg"},
    {"Bitmap (*.bmp)", "*.bmp"},
    {"Material libraries (*.qvml)", "*.qvml"},
    {"Object style libraries (*.qvol)", "*.qvol"},
    {"Light libraries (*.qvll)", "*.qvll"},
    {"Lighting style libraries (*.qvsl)", "*.qvsl"},
    {"Projects (*.qvp)", "*.qvp"},
    {"Animation projects (*.qva)", "*.qva"},
    {"Scene projects (*.qvs)", "*.qvs"},
    {"FACT (*.fac)", "*.fac"},
    {"C4D (*.c4d)", "*.c4d"},
    {"OBJ (*.obj)", "*.obj"},
    {"DXF (*.dxf)", "*.dxf"},
    {"LWO (*.lwo)", "*.lwo"},
    {"3DS (*.3ds)", "*.3ds"},
    {"Objects (*.qvo)", "*.qvo"},
    {"Font files", "*.ttf;*.pfb;*.pfa"},
    {"Text files", "*.txt"},
    {"Movie files (*.mov)", "*.mov"},
    {"Avi files (*.avi)", "*.avi"},
    {"PDF files", "*.pdf"},
    {"PSD files", "*.psd"},
    {"FBX files", "*.fbx"},
    {"All files", "*.*"},
};

namespace {

bool ValidId(int id) { return id >= 0 && id < kFileTypeCount; }

}  // namespace

bool BuildFilterList(int count, const int* ids, char* out, size_t capacity) {
  if (!out || capacity == 0) return false;
  size_t used = 0;
  auto append = [&](const char* text) {
    const size_t n = std::strlen(text) + 1;  // with its terminator
    if (capacity - used < n + 1) return false;  // room for the final zero
    std::memcpy(out + used, text, n);
    used += n;
    return true;
  };
  bool fits = count >= 0 && (count == 0 || ids);
  for (int i = 0; fits && i < count; ++i)
    fits = ValidId(ids[i]) && append(FileTypeTable[ids[i]].name) && append(FileTypeTable[ids[i]].pattern);
  if (!fits) used = 0;
  out[used] = '\0';
  if (used + 1 < capacity) out[used + 1] = '\0';
  return fits;
}

void DefaultExtension(int id, char* out) {
  out[0] = '\0';
  if (!ValidId(id)) return;
  const char* pattern = FileTypeTable[id].pattern;
  if (std::strncmp(pattern, "*.", 2) != 0) return;
  const char* extension = pattern + 2;
  const size_t n = std::strcspn(extension, ";");
  if (n == 0 || n >= 32 || std::memchr(extension, '*', n)) return;
  std::memcpy(out, extension, n);
  out[n] = '\0';
}
