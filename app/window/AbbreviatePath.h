// The display form of a folder path in the installer window: its last
// components joined with "/", at most about 47 characters, with ".../" in
// front when components had to be left out.
#pragma once

#include <string>

// C:\Program Files gives C:/Program Files; a trailing backslash does not
// show; a last component of 47 characters or more gives ".../" alone; an
// empty path gives an empty text. Only the first 1023 characters of the
// path are looked at.
std::string AbbreviatePath(const char* path);
