// Folder and path operations the whole install core shares: listing a
// folder once, the key by which Windows tells two names apart, whether a
// folder exists, the full and long forms of a path, and the removal of a
// file or a folder tree.
#pragma once

#include <windows.h>

#include <cstdint>
#include <set>
#include <string>
#include <utility>
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

// The text in capitals as Windows folds it, for comparing names and paths
// letter case aside.
std::wstring CaseFolded(std::wstring text);

// What Windows compares names by: two names with one key are one file.
// Letter case does not count, nor do trailing dots and spaces.
std::wstring NameKey(std::wstring name);
// The same for a UTF-8 path: two spellings of one path have one key.
std::wstring PathKey(const std::string& path);
// Sixteen hexadecimal digits made from a path's key: a name for what
// belongs to that path, the same for each of its spellings.
std::string PathKeyHash(const std::string& path);

// The program's own path, read wide into a buffer that grows until the
// whole path fits. False, with why set, when it cannot be read, is not
// well-formed UTF-16 or passes 259 units.
bool ModulePath(std::string* path, std::string* why);
// The same rules for a program path read as wide: at most kMaxPathLength
// units, and well formed.
bool ProgramPathOf(const std::wstring& wide, std::string* path, std::string* why);

// The install path of a long path ("\\?\C:\..." as "C:\..."), for messages.
std::string ShownPath(const std::wstring& longPath);

// Whether path is on a share ("\\server\share\...").
bool IsSharePath(const std::string& path);

// The long form of a full, normalised UTF-8 path ("\\?\C:\..." or
// "\\?\UNC\server\..."), which no length limit or name rewriting touches.
std::wstring LongPath(const std::string& path);

// The path the platform resolves an open file or folder to, through
// links, junctions, short names and substituted drives, as a plain path
// ("C:\...", "\\server\share\..."); empty when the platform cannot tell.
std::wstring ResolvedPath(HANDLE file);
// The same for a path that exists (any form CreateFileW takes).
std::wstring ResolvedPathOf(const std::wstring& path);

// Whether path names an existing folder.
bool FolderExists(const char* path);

// The full, normalised form of path ("C:\a\..\b" is "C:\b"), as the long
// paths of an install need it. Fails when the platform cannot form it or
// when it is longer than 259 characters.
bool FullPath(const char* path, std::string* full, InstallFailure* failure);

// location (a full path) with its "." and ".." names resolved against the
// real folders, not folded as text: "C:\a\..\b" is "C:\b" only when C:\a
// is a folder (and no link). False, with why, when a ".." climbs out of a
// folder that is not there, or above its drive or share.
bool ResolveDotFolders(const std::string& location, std::string* resolved, std::string* why);

// Whether two paths name one file: one file under two names (hard links)
// or the same name. False when either cannot be opened.
bool SameFile(const std::wstring& first, const std::wstring& second);

// Reads the open file whole into bytes; false when it cannot be read or
// holds more than limit bytes. The file stays open.
bool ReadWholeFile(HANDLE file, size_t limit, std::vector<uint8_t>* bytes);

// Deletes a file, clearing its read-only attribute first when that is what
// stands in the way. The attribute is the file's, not the name's: it is
// cleared and set back through a handle, so that the file under any other
// name it has (a hard link, the install's or anyone's) keeps it. Returns 0
// or the platform's error.
DWORD DeleteFileAlways(const std::wstring& path);

// The number of names (hard links) of the plain file at path: 0 when path
// is nothing, a folder, or a link or junction (a reparse point), which
// recovery never acts through.
DWORD PlainFileLinks(const std::wstring& path);

// Removes a file, or a folder with everything in it. Junctions and symbolic
// links are removed themselves; what they point at is never touched. Names
// are listed in their wide form and never pass through a code page, so
// that no name is taken for a look-alike ("x＼..＼y" for "x\..\y").
void RemovePath(const char* path);

// Deletes everything inside folder; the folder itself stays. A folder that
// is itself a junction or symbolic link is left alone.
void DeleteFolderContents(const char* folder);

// Checks, once each, that the folders between root and a path inside it
// are real folders, not links or junctions that would lead outside: for
// undoing an install and removing one, which never act through a link.
class LinkGuard {
public:
  explicit LinkGuard(std::string root) : root(std::move(root)) {}
  // True when relative's folders (not its last name) are no links; a
  // folder that is not there counts as real (nothing lies behind it).
  bool FoldersAreReal(const std::string& relative);

private:
  const std::string root;
  std::set<std::string> real;  // folders already looked at
};
