// The rules a name must pass before the installer makes a file or folder
// of it: the product's folder name and every name in a payload. The
// installer and the distribution checker both apply them, so the checker
// can never pass what the installer refuses. Plain text work over UTF-8
// names, and over names in the ANSI code page for records and journals of
// earlier versions.
#pragma once

#include <cstddef>
#include <cstdint>

// Tells a lead byte of a double-byte character in the ANSI code page; null
// for single-byte text and for UTF-8, where no byte of a character is a
// reserved one.
using LeadBytePredicate = bool (*)(uint8_t byte);

enum class NameProblem {
  kNone,
  kEmpty,               // "" or only spaces
  kDotName,             // "." or ".."
  kReservedCharacter,   // one of \ / : * ? " < > |
  kControlCharacter,    // a byte below 32, or 127
  kTrailingDotOrSpace,  // Windows drops them, so "a." names "a"
  kDeviceName,          // CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9, LPT1-9 (and COM/LPT with a
                        // superscript 1-3), with any extension, any case
};

// The first problem of a name that is to become one file or folder name.
// The trail bytes of double-byte characters are never taken for reserved
// characters (a Japanese name may hold 0x5C as a trail byte).
NameProblem CheckName(const char* name, LeadBytePredicate isLeadByte = nullptr);

// Why the name is refused, to follow the name: "is a reserved device name".
const char* NameProblemText(NameProblem problem);

// The space a file of size bytes takes on a volume of this cluster size:
// the size rounded up to whole clusters (a cluster size of 0 counts bytes).
uint64_t BytesOnVolume(uint64_t size, uint64_t clusterSize);
