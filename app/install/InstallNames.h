// The rules that turn "product.txt" and the chosen location into the
// product's name, the texts and the folder of an install. Plain text work
// over UTF-8 strings, shared by the installer window, the unattended
// install and the distribution checker so that all three agree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/install/PayloadRules.h"
#include "app/install/TargetKind.h"

// The longest first line taken from "product.txt": 1023 characters, as
// the line buffer of 1024 bytes holds.
constexpr size_t kProductLineSize = 1024;

// Longest product name the installer keeps, in UTF-16 units. Every text
// built from the name lives in a title buffer of 260 units; the longest,
// "Follow these 4 steps to install " + name + ".", leaves room for 226.
constexpr size_t kMaxProductNameLength = 226;

// Whether text is a version as a "Version:" line holds it ("2", "2.1",
// "2.1.0", "2.1.0.7"); parts, when given, receives its numbers.
bool ParseVersion(const std::string& text, uint32_t parts[4] = nullptr);
// Compares two versions number by number, a missing number counting as 0
// ("2.1" == "2.1.0"): negative, 0 or positive. An empty or malformed
// version compares as 0.0.0.0.
int CompareVersions(const std::string& a, const std::string& b);
// Whether installing version over the installed one goes down: a lower
// version, or none at all over one that has a version (two steps, first
// without a version, then a lower one, would otherwise make one).
bool IsVersionDowngrade(const std::string& version, const std::string& installed);

// Converts text in the ANSI code page to UTF-8.
using AnsiToUtf8 = std::string (*)(const std::string& text);

// The first line of "product.txt" as the installer reads it.
struct ProductLine {
  std::string text;     // the first non-blank line in UTF-8, line end dropped, at most 1023 UTF-16 units
  std::string refusal;  // why the file gives no name; empty when text is its first line
  std::string version;  // "2.1.0" of a "Version: 2.1.0" line; empty when the file has none
};

// The first non-blank line of a product file's bytes. Leading line ends
// (CR, LF) are skipped; the line ends at the next one. A file that starts
// with a byte-order mark is text in that encoding: UTF-8 (the mark
// dropped) or UTF-16 in either byte order; a line that is not valid in its
// encoding is refused. Without a mark, a line that is valid UTF-8 is
// UTF-8, and any other is in the ANSI code page, converted with fromAnsi
// (taken as it is without one).
//
// The next non-blank line, when it begins with "Version:" (letter case
// aside), gives the product's version: one to four numbers of at most
// 65535 parted by dots, spaces around it dropped. A version line that
// does not hold one refuses the file: an install would otherwise take the
// product for another version of itself. So does one almost so ("Version :
// 3.4", " Version: 3", "Version 3"): taken for no version, it would let any
// version in over it. Any other second line is not a version, as before
// there were versions.
ProductLine ProductLineFromBytes(const uint8_t* data, size_t size, AnsiToUtf8 fromAnsi = nullptr);

// Cuts name (zero-terminated UTF-8) to at most kMaxProductNameLength UTF-16
// units, never inside a character; with isLeadByte, name is in a
// double-byte code page instead and is cut to as many bytes, never between
// the two of a character. Returns the length kept in bytes.
size_t CutProductName(char* name, LeadBytePredicate isLeadByte = nullptr);

// Why a product name cannot be installed as kind, or empty when it can.
// Every kind but FxPlug makes a folder of the name, which must then be one
// usable folder name: never a path, "." or "..", a device or a name that
// Windows would change.
std::string ProductNameRefusal(const char* name, TargetKind kind, LeadBytePredicate isLeadByte = nullptr);

// The folder an install copies into: location + "\" + productFolder, or the
// location itself for an FxPlug payload. A location that ends in a
// backslash (such as "C:\") gets no second one. False, with out empty, when
// the result would not fit in 259 characters (such a destination is
// refused, never cut) or when a product folder is needed and empty. out
// holds 260 bytes.
bool InstallDestination(const char* location, const char* productFolder, TargetKind kind, char* out);

// What a kind installs, for logs and reports: "Program Files application",
// "After Effects plug-in", ...
const char* TargetKindName(TargetKind kind);
