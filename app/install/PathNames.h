// Path text operations shared by the whole installer. Paths are UTF-8 text
// of at most 259 UTF-16 units, the platform's own limit, whatever their
// characters: a path buffer holds 259 units of three bytes each (a pair of
// units takes four) and a terminating zero.
#pragma once

#include <cstddef>
#include <string>

#include "app/install/PayloadRules.h"

constexpr size_t kMaxPathLength = 259;  // UTF-16 units
constexpr size_t kPathBufferSize = 3 * kMaxPathLength + 1;

// The length of a path as the platform counts it: UTF-16 units.
size_t PathLength(const std::string& path);
size_t PathLength(const char* path);

// Copies source into out (kPathBufferSize bytes). A path of 260 units or
// more keeps its last 259 units, never half a character: the head is
// dropped. Source and out
// may overlap. For texts that are shown only: a path cut so names another
// file, and every path an install uses is refused when it does not fit.
void BoundedCopy(const char* source, char* out);

// out becomes folder + "\" + name when that fits in a path buffer; otherwise
// out is left empty and the result is false. For callers that must never
// work on a path other than the one they asked for.
bool JoinPathWithin(const char* folder, const char* name, char* out);

// The text after the last backslash of path, or the whole path when it has
// none, cut to its first 255 units (never inside a character); out holds
// kNameBufferSize bytes. Nothing is done
// without an out buffer.
constexpr size_t kNameBufferSize = 3 * 255 + 1;
void LastPathComponent(const char* path, char* out);

// A full path of a drive or a network share: a letter, a colon and a
// backslash ("C:\..."), or "\\server\share" with both names present.
// Relative paths ("Folder", "C:Folder", "\Folder") are not, nor the
// device and raw namespaces ("\\.\COM1", "\\?\C:\").
bool IsAbsoluteWindowsPath(const char* path);

// The folder that holds path: "C:\a" for "C:\a\b", "C:\" for "C:\a";
// empty when path has no backslash.
std::string ParentFolder(const std::string& path);

// Why location cannot be a folder to install into, or empty when it can:
// it must be a full path (IsAbsoluteWindowsPath), and no component of it
// may be a device name ("nul", "AUX", "com1.txt"), hold a reserved or
// control character, or end in a dot or a space, all of which Windows
// would take for something else than the folder named (CheckName's
// rules). "." and ".." components and empty ones are left to whoever
// resolves the path against the real folders. With isLeadByte (text in a
// double-byte code page), a trail byte 0x5C is not taken for a backslash;
// UTF-8 needs none. The
// command line's /D= and the registry's plug-in folders pass through it.
std::string LocationProblem(const std::string& location, LeadBytePredicate isLeadByte = nullptr);
