#include "tests/toolkit/files/IllustratorSamples.h"

std::array<uint8_t, 3> SamplePaletteColor(int index) {
  return {uint8_t(index), uint8_t(255 - index), uint8_t(7 * index)};
}

std::vector<uint8_t> SamplePalette() {
  std::vector<uint8_t> palette;
  for (int i = 0; i < 256; ++i) {
    const auto c = SamplePaletteColor(i);
    palette.insert(palette.end(), c.begin(), c.end());
  }
  return palette;
}

std::string HexLines(const std::vector<uint8_t>& data, const std::string& lineEnd, char firstChar) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (size_t i = 0; i < data.size(); i += 32) {
    text += firstChar;
    for (size_t j = i; j < data.size() && j < i + 32; ++j) {
      text += kDigits[data[j] >> 4];
      text += kDigits[data[j] & 15];
    }
    text += lineEnd;
  }
  return text;
}

std::string AiFile(const std::vector<std::string>& header, const std::vector<uint8_t>& data,
                   const std::string& lineEnd, std::optional<int64_t> byteCount) {
  std::string text;
  for (const std::string& line : header) text += line + lineEnd;
  text += "%%BeginData: " + std::to_string(2 * byteCount.value_or(int64_t(data.size()))) + " Hex Bytes" + lineEnd;
  text += HexLines(data, lineEnd);
  text += "%%EndData" + lineEnd;
  return text;
}
