// Folder and path operations the whole install core shares: listing a
// folder once, the key by which Windows tells two names apart, whether a
// folder exists, the full and long forms of a path, and the removal of a
// file or a folder tree.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/install/InstallFailure.h"

// One entry of a folder listing.
struct ListedEntry {
  std::wstring name;
  DWORD attributes;
  uint64_t size;

  bool IsFolder() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // A symbolic link, junction or mount point.
  bool IsLink() const { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }
};

// The entries of folder (a wide path, long form allowed) except "." and
// "..", in the platform's order. Returns 0, or the platform's error when
// the folder could not be listed or its listing broke off part way.
DWORD ListFolder(const std::wstring& folder, std::vector<ListedEntry>* entries);

// What Windows compares names by: two names with one key are one file.
// Letter case does not count, nor do trailing dots and spaces.
std::wstring NameKey(std::wstring name);

// Whether path is on a share ("\\server\share\...").
bool IsSharePath(const std::string& path);

// The long form of a full, normalised ANSI path ("\\?\C:\..." or
// "\\?\UNC\server\..."), which no length limit or name rewriting touches.
std::wstring LongPath(const std::string& path);

// Whether path names an existing folder.
bool FolderExists(const char* path);

// The full, normalised form of path ("C:\a\..\b" is "C:\b"), as the long
// paths of an install need it. Fails when the platform cannot form it or
// when it is longer than 259 characters.
bool FullPath(const char* path, std::string* full, InstallFailure* failure);

// Removes a file, or a folder with everything in it. Junctions and symbolic
// links are removed themselves; what they point at is never touched.
void RemovePath(const char* path);

// Deletes everything inside folder; the folder itself stays. A folder that
// is itself a junction or symbolic link is left alone.
void DeleteFolderContents(const char* folder);
