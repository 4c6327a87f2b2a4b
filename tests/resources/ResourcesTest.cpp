// The installer's resources as a program linked with resources/setup.rc
// sees them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

struct IconShape {
  bool isIcon = false;
  int width = 0, height = 0;
  int hotX = 0, hotY = 0;
  int colourBits = 0;
};

IconShape ShapeOf(HICON icon) {
  IconShape shape;
  ICONINFO info = {};
  if (!GetIconInfo(icon, &info)) return shape;
  shape.isIcon = info.fIcon;
  shape.hotX = int(info.xHotspot);
  shape.hotY = int(info.yHotspot);
  BITMAP bitmap = {};
  GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
  shape.width = bitmap.bmWidth;
  shape.height = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
  shape.colourBits = info.hbmColor ? bitmap.bmBitsPixel : 1;
  if (info.hbmColor) DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return shape;
}

// An icon or cursor drawn at its own size on white, as 0xRRGGBB pixels, top
// row first.
std::vector<uint32_t> DrawnOnWhite(HICON icon, int size) {
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HBITMAP section = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(dc, section);
  RECT all = {0, 0, size, size};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
  GdiFlush();
  const auto* pixels = static_cast<const uint32_t*>(bits);
  std::vector<uint32_t> result(pixels, pixels + size * size);
  for (uint32_t& p : result) p &= 0xFFFFFF;
  SelectObject(dc, old);
  DeleteObject(section);
  DeleteDC(dc);
  return result;
}

bool Bluish(uint32_t p) { return (p & 0xFF) > ((p >> 16) & 0xFF) + 60; }

TEST(ResourcesTest, ProgramIcon) {
  const HICON icon = LoadIconA(Self(), MAKEINTRESOURCEA(107));
  ASSERT_NE(icon, nullptr);
  const IconShape shape = ShapeOf(icon);
  EXPECT_TRUE(shape.isIcon);
  EXPECT_EQ(shape.width, GetSystemMetrics(SM_CXICON));
  for (int size : {16, 32, 48}) {
    const auto sized = static_cast<HICON>(LoadImageA(Self(), MAKEINTRESOURCEA(107), IMAGE_ICON, size, size, 0));
    ASSERT_NE(sized, nullptr) << size;
    EXPECT_EQ(ShapeOf(sized).width, size);
    EXPECT_EQ(ShapeOf(sized).colourBits, 32) << "with alpha";
    DestroyIcon(sized);
  }
  // A white arrow on a blue tile with transparent corners.
  const auto drawn = DrawnOnWhite(icon, 32);
  EXPECT_EQ(drawn[0], 0xFFFFFFu) << "corner";
  EXPECT_EQ(drawn[8 * 32 + 16], 0xFFFFFFu) << "arrow shaft";
  EXPECT_TRUE(Bluish(drawn[16 * 32 + 6])) << std::hex << drawn[16 * 32 + 6];
}

TEST(ResourcesTest, BusyCursorFrames) {
  std::vector<std::vector<uint32_t>> frames;
  for (int id = 209; id <= 216; ++id) {
    SCOPED_TRACE(id);
    const HCURSOR cursor = LoadCursorA(Self(), MAKEINTRESOURCEA(id));
    ASSERT_NE(cursor, nullptr);
    const IconShape shape = ShapeOf(cursor);
    EXPECT_FALSE(shape.isIcon);
    EXPECT_EQ(shape.width, 32);
    EXPECT_EQ(shape.height, 32);
    EXPECT_EQ(shape.hotX, 16);
    EXPECT_EQ(shape.hotY, 16);
    frames.push_back(DrawnOnWhite(cursor, 32));
  }
  EXPECT_EQ(LoadCursorA(Self(), MAKEINTRESOURCEA(217)), nullptr);
  // The dark head goes round clockwise: at the top in the first frame, at
  // the right in the third, at the bottom in the fifth.
  const auto dark = [](uint32_t p) { return ((p >> 16) & 0xFF) < 0x40 && (p & 0xFF) > 0x90; };
  EXPECT_TRUE(dark(frames[0][5 * 32 + 16]));
  EXPECT_FALSE(dark(frames[0][26 * 32 + 16]));
  EXPECT_TRUE(dark(frames[2][16 * 32 + 26]));
  EXPECT_TRUE(dark(frames[4][26 * 32 + 16]));
  EXPECT_EQ(frames[0][16 * 32 + 16], 0xFFFFFFu) << "the ring is hollow";
}

TEST(ResourcesTest, FooterStrip) {
  const HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(22020), reinterpret_cast<LPCSTR>(RT_BITMAP));
  ASSERT_NE(found, nullptr);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(Self(), found)));
  EXPECT_EQ(header->biSize, 40u);
  EXPECT_EQ(header->biWidth, 16);
  EXPECT_EQ(header->biHeight, 20) << "bottom row first";
  EXPECT_EQ(header->biBitCount, 24);
  EXPECT_EQ(header->biCompression, DWORD(BI_RGB));
  EXPECT_GE(SizeofResource(Self(), found), 40u + 16 * 3 * 20);
  // Every column alike, so that tiles join without a seam.
  const auto* rows = reinterpret_cast<const uint8_t*>(header + 1);
  for (int y = 0; y < 20; ++y)
    for (int x = 1; x < 16; ++x) ASSERT_EQ(std::memcmp(rows + y * 48, rows + y * 48 + x * 3, 3), 0) << x << "," << y;
}

std::string VersionString(const std::string& name) {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(path, &ignored));
  if (block.empty() || !GetFileVersionInfoA(path, 0, DWORD(block.size()), block.data())) return "<none>";
  char* value = nullptr;
  UINT length = 0;
  const std::string query = "\\StringFileInfo\\040904B0\\" + name;
  if (!VerQueryValueA(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) return "<none>";
  return std::string(value);
}

// The maker as the signature, the window's texts and the Apps & features
// entry name it; the numbers as the texts give them.
TEST(ResourcesTest, Version) {
  EXPECT_EQ(VersionString("CompanyName"), "Kestrova");
  EXPECT_EQ(VersionString("LegalCopyright"), "Copyright (C) Kestrova");
  EXPECT_EQ(VersionString("FileDescription"), "Quorvin Installer");
  EXPECT_EQ(VersionString("OriginalFilename"), "setup.exe");
  EXPECT_EQ(VersionString("ProductName"), "Quorvin Installer");
  EXPECT_EQ(VersionString("FileVersion"), "1.1.0.0");
  EXPECT_EQ(VersionString("ProductVersion"), "1.1.0.0");
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  DWORD ignored = 0;
  std::vector<char> block(GetFileVersionInfoSizeA(path, &ignored));
  ASSERT_TRUE(GetFileVersionInfoA(path, 0, DWORD(block.size()), block.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
}

TEST(ResourcesTest, ManifestAsksForAdministratorAndCommonControls6) {
  const HRSRC found = FindResourceA(Self(), MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_MANIFEST));
  ASSERT_NE(found, nullptr);
  const std::string manifest(static_cast<const char*>(LockResource(LoadResource(Self(), found))),
                             SizeofResource(Self(), found));
  EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
  EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(manifest.find("processorArchitecture=\"x86\" publicKeyToken=\"6595b64144ccf1df\""), std::string::npos);

  // The platform honours it: asked for by name, the common controls come
  // from the side-by-side store.
  const HMODULE controls = LoadLibraryA("comctl32.dll");
  ASSERT_NE(controls, nullptr);
  char path[MAX_PATH] = "";
  GetModuleFileNameA(controls, path, MAX_PATH);
  EXPECT_NE(std::string(CharLowerA(path)).find("microsoft.windows.common-controls_6595b64144ccf1df_6.0"),
            std::string::npos)
      << path;
}

}  // namespace
