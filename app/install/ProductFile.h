// "product.txt": the first line names the product, and an optional
// "Version: X.Y.Z" line after it gives its version. Read by the window, the
// unattended install and the distribution checker alike (InstallNames.h
// has the rules).
#pragma once

#include <cstdint>
#include <string>

#include "app/install/TargetKind.h"

struct Product {
  std::string line;     // the first non-blank line, uncut (at most 1023 characters)
  std::string name;     // the line cut to the longest name kept (226 characters)
  std::string refusal;  // why the file gives no usable line; empty when it does
  std::string version;  // of its "Version:" line; empty when it has none (InstallNames.h)
};

// Enough of the file for a name after any run of blank lines a publisher
// leaves; the rest of a larger file is not read.
constexpr uint32_t kProductReadLimit = 64 << 10;

// Reads the product file at path. False, with *error set, when it cannot
// be opened or read: the product is unknown.
bool ReadProductFile(const char* path, Product* product, uint32_t* error);

// The product of the file's bytes as read (at most kProductReadLimit of
// them are looked at).
Product ProductFromBytes(const std::string& bytes);

// Why the product cannot be installed as kind: the file's refusal, or the
// name's (InstallNames.h ProductNameRefusal); empty when it can.
std::string ProductRefusal(const Product& product, TargetKind kind);
