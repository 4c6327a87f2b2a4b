// The fields of the installer's own text files (the journal, the install
// record): numbers, words and counted texts ("<length>:<bytes>") read left
// to right from one line, and the checks a path read back from one must
// pass. Files the installer reads back may have been changed by anyone
// who could write where they lie, so every field is checked here and
// nothing is taken on trust. Plain text work over bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/install/PathNames.h"
#include "app/install/PayloadRules.h"

// CRC-32 (the ZIP and PNG one) of size bytes: what seals the journal's
// lines and the record.
uint32_t Crc32(const uint8_t* data, size_t size);

// "<length>:<bytes>".
std::string Counted(const std::string& text);

// Reads one line's fields left to right; any field that does not parse
// fails the whole line.
class LineReader {
public:
  LineReader(const uint8_t* data, size_t size) : at(data), end(data + size) {}

  bool Word(const char* word);
  bool Space() { return Word(" "); }
  // Decimal (or lower-case hexadecimal) digits, no sign, no leading
  // space, and in decimal no leading zero; at most 32 bits.
  bool Number(uint32_t* value, int base = 10);
  // The same for 64 bits.
  bool Number64(uint64_t* value);
  // Exactly sixteen lower-case hexadecimal digits (ContentHash.h).
  bool Hash(uint64_t* value);
  // "<length>:<bytes>", the bytes taken as they are, at most maxLength
  // (by default the bytes of the longest path).
  bool Text(std::string* text, size_t maxLength = kPathBufferSize - 1);
  // Passes over count bytes, whatever they are.
  bool Skip(size_t count) {
    if (size_t(end - at) < count) return false;
    at += count;
    return true;
  }
  // Whether a number here would begin with a zero that is not all of it
  // ("07"): a text that means one value only one way refuses it.
  bool LeadingZero() const { return end - at >= 2 && at[0] == '0' && at[1] >= '0' && at[1] <= '9'; }
  const uint8_t* Position() const { return at; }
  bool AtEnd() const { return at == end; }

private:
  const uint8_t* at;
  const uint8_t* end;
};

// How a reader takes a file of an earlier form, whose texts were in the
// ANSI code page rather than UTF-8: the code page's lead bytes, so that its
// names are checked as they were made, and the texts' conversion to UTF-8.
// Without them (plain builds, the fuzzers) such texts are taken as bytes.
struct AnsiForm {
  LeadBytePredicate isLeadByte = nullptr;
  std::string (*toUtf8)(const std::string& text) = nullptr;

  std::string Converted(const std::string& text) const { return toUtf8 ? toUtf8(text) : text; }

  // A file's texts in UTF-8: those of an earlier form (inAnsi) converted,
  // those of the later one checked. False when one of the later form is
  // not well-formed UTF-8.
  bool InUtf8(const std::vector<std::string*>& texts, bool inAnsi) const;
};

// The system's ANSI code page (TextFields_win.cpp).
const AnsiForm& SystemAnsiForm();

// A path relative to a root that the installer could have made: every
// name passes the name rules, so it never climbs out of the root, names a
// device or holds a drive.
bool IsPlainRelativePath(const std::string& path, LeadBytePredicate isLeadByte);

bool HasControlCharacter(const std::string& text);

// Upper-case ASCII, for comparing paths as Windows does in the plain case
// (a path the installer makes differs from another only so).
std::string AsciiFolded(std::string text);

// folder is root, or a folder that holds it.
bool IsRootOrAbove(const std::string& folder, const std::string& root);
