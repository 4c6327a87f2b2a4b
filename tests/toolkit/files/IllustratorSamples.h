// Illustrator-style files for tests: header comment lines, then the
// thumbnail data as hexadecimal lines between %%BeginData and %%EndData, and
// a palette whose every entry tells its index.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Entry i of the sample palette: red i, green 255 - i, blue 7i mod 256.
std::array<uint8_t, 3> SamplePaletteColor(int index);
// The 768 bytes of the sample palette.
std::vector<uint8_t> SamplePalette();

// data as hexadecimal lines of 32 bytes, each starting with firstChar.
std::string HexLines(const std::vector<uint8_t>& data, const std::string& lineEnd, char firstChar = '%');

// The header lines (the last being the thumbnail line), "%%BeginData:"
// announcing twice byteCount digits (by default the data's size), the data
// lines and "%%EndData", every line ended with lineEnd.
std::string AiFile(const std::vector<std::string>& header, const std::vector<uint8_t>& data,
                   const std::string& lineEnd = "\r\n", std::optional<int64_t> byteCount = std::nullopt);
