// The rules that turn the product's name and the chosen location into the
// texts and the folder of an install. Plain text work over single-byte
// strings, shared by the installer window, the unattended install and the
// distribution checker so that all three agree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "app/install/TargetKind.h"

// The buffer the product file's first line is read into (at most 1023
// characters and a zero).
constexpr size_t kProductLineSize = 1024;

// Longest product name the installer keeps. Every text built from the name
// lives in a 260-byte title buffer; the longest, "Follow these 4 steps to
// install " + name + ".", leaves room for 226 characters.
constexpr size_t kMaxProductNameLength = 226;

// Tells a lead byte of a double-byte character in the ANSI code page; null
// for single-byte text.
using LeadBytePredicate = bool (*)(uint8_t byte);

// Cuts name (zero-terminated) to at most kMaxProductNameLength characters,
// never between the two bytes of a double-byte character when isLeadByte is
// given. Returns the length kept.
size_t CutProductName(char* name, LeadBytePredicate isLeadByte = nullptr);

// The folder an install copies into: location + "\" + productFolder, or the
// location itself for an FxPlug payload or an empty product folder. A
// location that ends in a backslash (such as "C:\") gets no second one.
// False, with out empty, when the result would not fit in 259 characters:
// such a destination is refused, never cut. out holds 260 bytes.
bool InstallDestination(const char* location, const char* productFolder, TargetKind kind, char* out);

// Whether Windows can make a folder of this name: not empty, no control
// characters, none of < > : " / \ | ? *, not ending in a space or a dot and
// not a device name (CON, NUL, COM1, LPT1, ... with or without extension).
bool IsUsableFolderName(const char* name);

// What a kind installs, for logs and reports: "Program Files application",
// "After Effects plug-in", ...
const char* TargetKindName(TargetKind kind);
