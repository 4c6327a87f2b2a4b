// The one walk over a payload folder. It lists each folder once and gives
// what an install needs before it writes anything: every file and folder
// in the order the copy makes them, the totals, and every problem that
// would make the install fail or go wrong, checked by the same rules for
// the installer and the distribution checker:
//
// - a name Windows cannot make as it is (PayloadRules.h: a device name, a
//   trailing dot or space, a reserved or control character);
// - a name that is not well-formed UTF-16 (half a surrogate pair), which
//   no UTF-8 path holds;
// - two names of one folder that Windows takes as one ("a.txt", "A.TXT");
// - a path past 259 characters, where the payload is read or where it
//   would be installed;
// - a folder that cannot be listed;
// - a link or a junction (the payload folder itself, or anything in it):
//   the walk never goes through one, so a payload cannot reach outside
//   itself, loop, or bring in a file that lies elsewhere;
// - more than kMaxPayloadEntries files and folders, or folders more than
//   kMaxPayloadDepth deep: the walk stops there.
//
// Names beginning with "." are not installed; the walk notes them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/install/InstallFailure.h"

// The most files and folders one payload may hold, and the deepest its
// folders may go. Both lie far beyond any plug-in or program, and keep a
// hostile payload from holding the installer (or the checker) for ever.
constexpr size_t kMaxPayloadEntries = 250000;
constexpr int kMaxPayloadDepth = 64;

// The text of a payload link refused.
extern const char kPayloadLink[];

// One file or folder of a payload.
struct PayloadEntry {
  std::string path;  // relative to the payload folder, UTF-8: "Sub\b.txt"
  bool isFolder = false;
  uint64_t size = 0;  // of a file, as listed
};

struct Payload {
  // In the copy's order: the files of a folder, then each of its
  // sub-folders in listing order, each folder's entry before what it holds.
  std::vector<PayloadEntry> entries;
  uint64_t files = 0;
  uint64_t bytes = 0;
  std::vector<std::wstring> skipped;  // relative paths of names beginning with "."
};

// One problem: the failure it makes (its path in UTF-8, full), and the
// entry's path relative to the payload folder in wide characters, which
// hold the name as it really is when UTF-8 cannot (empty for the payload
// folder itself).
struct PayloadProblem {
  InstallFailure failure;
  std::wstring relativePath;
};

// Told of each problem; answers whether the walk goes on.
using PayloadProblemSink = std::function<bool(const PayloadProblem& problem)>;

// Walks source (a UTF-8 path). Installed paths are checked under
// destination, the folder the payload goes into; with an empty
// destination they are not checked. True when no problem was found; a
// problem reported stops the walk when the sink says so. A source folder
// that does not exist is a problem: there is nothing to install.
bool WalkPayload(const char* source, const char* destination, Payload* payload, const PayloadProblemSink& sink);
