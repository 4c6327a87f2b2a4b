// The installer window in this process, on a distribution folder made by
// the test: what it shows at its pixels, and what its progress caption
// says during an install.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/install/UiText.h"
#include "resources/StringIds.h"
#include "tests/app/window/InstallerWindowFixture.h"
#include "common/AnsiText.h"
#include "tests/imagelib/JpegSamples.h"
#include "toolkit/draw/qvDrawingItem.h"
#include "toolkit/draw/qvTextDrawing.h"

namespace {

std::vector<std::string>* progressTexts = nullptr;
WNDPROC captionProcedure = nullptr;

// Records every text the progress caption is given, as it is given.
LRESULT CALLBACK RecordingCaption(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETTEXT && progressTexts) progressTexts->push_back(reinterpret_cast<const char*>(lParam));
  return CallWindowProcA(captionProcedure, hwnd, message, wParam, lParam);
}

// Over a flat grey background of 40: the panel (25, 60) to (595, 360),
// edges included, has a grey outline of 128 and an inside lightened to
// 40 / 2 + 128; the controls sit at their rectangles.
TEST_F(InstallerWindow, ThePanelAndTheControlsAtTheirPixels) {
  const std::vector<uint8_t> flat = EncodeJpeg(MakeFlatPicture(620, 420, 3, 40), EncodeOptions{100});
  Put("dist/install files/bkgd.jpg", std::string(flat.begin(), flat.end()));
  Open();
  const Snapshot shot(*window);
  struct Point {
    int x, y;
    int grey;
    const char* what;
  } points[] = {
      {24, 200, 40, "left of the panel"},    {25, 200, 128, "its left edge"},   {26, 355, 148, "inside"},
      {594, 300, 148, "inside, far right"},  {595, 300, 128, "its right edge"}, {596, 300, 40, "right of it"},
      {300, 59, 40, "above it"},             {300, 60, 128, "its top edge"},    {300, 360, 128, "its bottom edge"},
      {300, 361, 40, "below it"},            {510, 390, 0, "Install's outline, left"},
      {509, 390, 40, "beside Install"},      {410, 390, 0, "Cancel's outline, left"},
      {100, 210, 128, "the check box's frame, top left"},
  };
  for (const Point& p : points)
    EXPECT_TRUE(Near(shot.Colour(p.x, p.y), p.grey, p.grey, p.grey)) << p.what << ": " << shot.At(p.x, p.y);
}

// A picture of two halves: grey 40 on the left, 200 on the right.
std::string TwoTonePicture(int width, int height) {
  SamplePicture picture;
  picture.width = width;
  picture.height = height;
  picture.components = 3;
  picture.samples.resize(size_t(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      for (int c = 0; c < 3; ++c) picture.samples[(size_t(y) * width + x) * 3 + c] = x < width / 2 ? 40 : 200;
  const std::vector<uint8_t> jpeg = EncodeJpeg(picture, EncodeOptions{100});
  return std::string(jpeg.begin(), jpeg.end());
}

// A picture of any size is fitted to the window before the panel is
// lightened: the halves meet in the window's middle, and the panel's
// outline and inside are where the window's layout puts them.
TEST_F(InstallerWindow, AnyBackgroundSizeIsFittedToTheWindow) {
  struct Point {
    int x, y;
    int grey;
    const char* what;
  } const points[] = {
      {24, 200, 40, "left of the panel"},      {25, 200, 128, "its left edge"},
      {26, 355, 40 / 2 + 128, "inside, left"}, {594, 300, 200 / 2 + 128, "inside, right"},
      {595, 300, 128, "its right edge"},       {596, 300, 200, "right of it"},
      {100, 59, 40, "above it"},               {100, 60, 128, "its top edge"},
      {500, 360, 128, "its bottom edge"},      {500, 361, 200, "below it"},
      {5, 5, 40, "the top left corner"},       {614, 414, 200, "the bottom right corner"},
  };
  for (const auto& size : {std::make_pair(310, 210), std::make_pair(620, 420), std::make_pair(1920, 1080)}) {
    SCOPED_TRACE(std::to_string(size.first) + " x " + std::to_string(size.second));
    Put("dist/install files/bkgd.jpg", TwoTonePicture(size.first, size.second));
    Open();
    const Snapshot shot(*window);
    for (const Point& p : points)
      EXPECT_TRUE(Near(shot.Colour(p.x, p.y), p.grey, p.grey, p.grey)) << p.what << ": " << shot.At(p.x, p.y);
    window.reset();
  }
}

// A long product name ends in "..." within the panel: nothing is drawn
// beyond its right edge.
TEST_F(InstallerWindow, ALongProductNameStaysInsideThePanel) {
  Put("dist/install files/product.txt", std::string(200, 'W') + "\r\n");
  const std::vector<uint8_t> flat = EncodeJpeg(MakeFlatPicture(620, 420, 3, 40), EncodeOptions{100});
  Put("dist/install files/bkgd.jpg", std::string(flat.begin(), flat.end()));
  Open();
  const Snapshot shot(*window);
  int drawnInside = 0;
  for (int y = 96; y < 113; ++y) {
    for (int x = 596; x < 620; ++x) ASSERT_TRUE(Near(shot.Colour(x, y), 40, 40, 40)) << x << ", " << y;
    for (int x = 500; x < 585; ++x) drawnInside += !Near(shot.Colour(x, y), 148, 148, 148);
  }
  EXPECT_GT(drawnInside, 20) << "the text reaches the panel's right part, ending there";
}

TEST_F(InstallerWindow, TheProgressCountsFilesAndBytesUpToTheTotals) {
  const int files = 1500;
  for (int i = 1; i < files; ++i) Put("dist/install files/FX Files/Many/f" + std::to_string(i) + ".txt", "xx");
  Open();
  const HWND caption = FindWindowExA(window->GetHandle(), nullptr, nullptr, "Installing. Please wait...");
  ASSERT_NE(caption, nullptr);
  std::vector<std::string> texts;
  progressTexts = &texts;
  captionProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(caption, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingCaption)));
  ClickClient(106, 216);   // the terms
  ClickClient(550, 390);   // Install: the copy runs on its own thread
  PumpUntil([&] { return window->InstallFinished(); }, 60000);
  progressTexts = nullptr;

  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts.front(), "Installing. Please wait...");
  EXPECT_EQ(texts[1].find("Installing. Please wait... "), 0u);
  EXPECT_NE(texts[1].find(" of 1,500 files, "), std::string::npos) << texts[1];
  // The last count: every file, and the bytes done are the total.
  const std::string last = texts[texts.size() - 2], counted = "Installing. Please wait... 1,500 of 1,500 files, ";
  ASSERT_EQ(last.rfind(counted, 0), 0u) << last;
  const std::string sizes = last.substr(counted.size());
  const size_t of = sizes.find(" of ");
  ASSERT_NE(of, std::string::npos) << last;
  EXPECT_EQ(sizes.substr(0, of), sizes.substr(of + 4)) << last;
  // The result says where.
  EXPECT_EQ(texts.back(), "Installation Complete.\n\nInstalled in " + Path("target"));
  int previous = -1;
  for (size_t i = 1; i + 1 < texts.size(); ++i) {
    const std::string& text = texts[i];
    const size_t at = text.find("... ") + 4;
    std::string digits;
    for (size_t j = at; j < text.size() && text[j] != ' '; ++j)
      if (text[j] != ',') digits += text[j];
    const int count = std::stoi(digits);
    EXPECT_GE(count, previous) << text;
    previous = count;
  }
  EXPECT_LT(texts.size(), 100u) << "repainted now and then, not for every file";
}

}  // namespace

namespace {

// text as a caption of size width x height draws it, in black on
// background, with the toolkit's choice of a face that has its glyphs or
// in the western face alone: the red of each pixel, row by row.
std::vector<int> Drawn(const std::wstring& text, int width, int height, COLORREF background, bool substitute) {
  const HDC dc = CreateCompatibleDC(nullptr);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  RECT all = {0, 0, width, height};
  const HBRUSH brush = CreateSolidBrush(background);
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(0, 0, 0));
  qvFont font(qvFontLarge, 96);
  font.SelectInto(dc);
  {
    std::unique_ptr<qvTextFace> face(substitute ? new qvTextFace(dc, text) : nullptr);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &all, DT_WORDBREAK);
  }
  font.Deselect();
  std::vector<int> red(static_cast<size_t>(width * height));
  for (size_t i = 0; i < red.size(); ++i) red[i] = (static_cast<uint32_t*>(bits)[i] >> 16) & 0xFF;
  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return red;
}

// Pixels of two drawings that differ clearly.
int Differing(const std::vector<int>& a, const std::vector<int>& b) {
  int differing = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) differing += std::abs(a[i] - b[i]) > 60;
  return differing;
}

// Every text of every table has a face with all its glyphs on this
// system (a western one): Cyrillic, Polish, Japanese, Chinese and Korean
// drawn as letters, never as the missing glyph's boxes.
TEST(TextFaces, EveryTableIsDrawnWithItsGlyphs) {
  const HDC dc = CreateCompatibleDC(nullptr);
  for (int kind : {qvFontSmall, qvFontLarge}) {
    qvFont font(kind, 96);
    font.SelectInto(dc);
    for (const UiTable& table : UiTables())
      for (size_t i = 0; i < table.count; ++i) {
        const std::wstring text = WideFromUtf8(table.strings[i].text);
        const qvTextFace face(dc, text);
        EXPECT_TRUE(FontHoldsText(dc, text)) << table.tag << ": " << table.strings[i].text;
      }
    font.Deselect();
  }
  DeleteDC(dc);
}

// The window in Japanese and in Chinese: its welcome is drawn in the ink
// of the face that has the glyphs, not in that of the missing glyph's
// boxes, which the western face alone draws; a path keeps its backslashes
// in the western face.
TEST_F(InstallerWindow, JapaneseAndChineseAreDrawnWithRealGlyphs) {
  const struct {
    const char* tag;
    const wchar_t* welcome;
  } cases[] = {{"ja", L"\u3088\u3046\u3053\u305D"}, {"zh-CN", L"\u6B22\u8FCE\uFF01"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tag);
    SetupOptions options;
    options.language = c.tag;
    window = std::make_unique<QuorvinUI>(qvRect(0, 0, 620, 420),
                                         PrepareInstallFrom(Path("dist/install files"), "", options, SetupMode::kWindow));
    window->Show();
    BringToFront(window->GetHandle());
    RedrawWindow(window->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const HWND caption = FindWindowExW(window->GetHandle(), nullptr, nullptr, c.welcome);
    ASSERT_NE(caption, nullptr);
    const RECT r = Placed(caption);
    const Snapshot shot(*window);
    const int width = r.right - r.left, height = r.bottom - r.top;
    std::vector<int> shown;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) shown.push_back(GetRValue(shot.Colour(x, y)));
    const COLORREF background = shot.Colour(r.right - 1, r.bottom - 1);
    const int fromGlyphs = Differing(shown, Drawn(c.welcome, width, height, background, true));
    const int fromBoxes = Differing(shown, Drawn(c.welcome, width, height, background, false));
    EXPECT_LT(fromGlyphs * 4, fromBoxes) << fromGlyphs << " pixels differ from the glyphs, " << fromBoxes
                                         << " from the boxes";
    window.reset();
  }
  const HDC dc = CreateCompatibleDC(nullptr);
  qvFont font(qvFontLarge, 96);
  font.SelectInto(dc);
  const qvTextFace path(dc, L"C:\\Program Files\\Plug-ins");
  EXPECT_EQ(path.Substitute(), L"") << "a western path stays in the western face";
  const qvTextFace japanese(dc, L"C:\\\u65E5\u672C");
  EXPECT_NE(japanese.Substitute(), L"");
  font.Deselect();
  DeleteDC(dc);
}

}  // namespace
