#include "app/window/PayloadMeasure.h"

#include <system_error>
#include <utility>

#include "app/install/FileTree.h"
#include "app/install/PathNames.h"
#include "app/install/PayloadWalk.h"
#include "common/AnsiText.h"

PayloadMeasure::PayloadMeasure(HWND window, std::string payload) {
  const auto measure = [this, window, payload] {
    Payload walked;
    // Every problem is the install's to tell; the size of what was walked
    // is what the window shows.
    WalkPayload(payload.c_str(), "", &walked, [](const PayloadProblem&) { return true; });
    bytes = walked.bytes;
    done = true;
    PostMessageA(window, kPayloadMeasuredMessage, 0, 0);
  };
  try {
    walk = std::thread(measure);
  } catch (const std::system_error&) {
    measure();
  }
}

PayloadMeasure::~PayloadMeasure() {
  if (walk.joinable()) walk.join();
}

bool FreeSpaceOf(const std::string& location, std::string* volume, uint64_t* free) {
  std::string folder = location;
  while (!folder.empty() && !FolderExists(folder.c_str())) folder = ParentFolder(folder);
  if (folder.empty()) return false;
  wchar_t root[kPathBufferSize];
  ULARGE_INTEGER available;
  if (!GetVolumePathNameW(LongPath(folder).c_str(), root, kPathBufferSize) ||
      !GetDiskFreeSpaceExW(root, &available, nullptr, nullptr))
    return false;
  *volume = ShownPath(root);
  *free = available.QuadPart;
  return true;
}
