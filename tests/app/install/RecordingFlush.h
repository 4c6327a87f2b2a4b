// A seam for putting files on the disk (FileFlusher.h) that records which
// files were flushed, in order, and refuses the one named.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "app/install/FileFlusher.h"

class RecordingFlush : public DiskFlush {
public:
  bool Flush(HANDLE file, const std::string& what) override {
    // The last part of the path, without a staged file's ".new-<process>".
    std::string name = what.substr(what.find_last_of('\\') + 1);
    name = name.substr(0, name.find(".new-"));
    std::lock_guard<std::mutex> hold(lock);
    flushed.push_back(name);
    if (name == refused) {
      SetLastError(ERROR_IO_DEVICE);
      return false;
    }
    return FlushFileBuffers(file) != 0;
  }

  std::mutex lock;                   // flushes come from the flusher's thread too
  std::vector<std::string> flushed;  // in order
  std::string refused;               // the file whose flush fails
};
