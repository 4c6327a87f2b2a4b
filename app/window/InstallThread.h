// Runs one install on a thread of its own, so that the window keeps taking
// messages (it moves, repaints, answers the system and can be cancelled)
// while the files are copied. The thread never touches a window: it counts
// what the copy has done, posts kInstallProgressMessage to the window about
// ten times a second while the counts move, and kInstallDoneMessage once
// when the install has ended, installed, failed or stopped. The window reads
// the counts when told, and the outcome once the install is done.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "app/install/InstallJob.h"

// wParam and lParam unused.
constexpr UINT kInstallProgressMessage = WM_APP + 1;
constexpr UINT kInstallDoneMessage = WM_APP + 2;

class InstallThread {
public:
  // Copies what job names (its stop flag is the thread's own), opens the log
  // at logPath (empty: none) on the thread, and starts. window receives the
  // messages; it may be gone by then.
  InstallThread(HWND window, const InstallJob& job, const std::string& logPath);
  // Stops the install, which is then undone, and waits for the thread.
  ~InstallThread();
  InstallThread(const InstallThread&) = delete;
  InstallThread& operator=(const InstallThread&) = delete;

  // False when the platform refused the thread: the install never ran.
  bool Started() const { return thread != nullptr; }
  // Asks the install to stop; it is undone, and the done message follows.
  void Stop() { stop = true; }
  // Keeps the install from committing while held (a user is being asked
  // whether to cancel it): it waits, with every file in place, until
  // released or stopped.
  void HoldCommit(bool hold) { commitHeld = hold; }
  bool StopAsked() const { return stop; }
  bool Done() const { return done; }

  // What the copy has done so far and the walk's totals (0 until counted).
  uint64_t FilesDone() const { return filesDone; }
  uint64_t BytesDone() const { return bytesDone; }
  uint64_t FilesTotal() const { return filesTotal; }
  uint64_t BytesTotal() const { return bytesTotal; }

  // The outcome; only once Done.
  const InstallOutcome& Outcome() const { return outcome; }

private:
  class Reports;
  static DWORD WINAPI Run(void* self);

  const HWND window;  // not owned
  const std::string product, payloadFolder, source, location, host, hostsSeen, hostKey, language, version, logPath;
  const std::vector<std::string> moreLocations;
  const TargetKind kind;
  const bool registers, allowDowngrade;
  const bool hasCoverage;                  // the job had the distribution's coverage
  const DistributionCoverage coverage;     // a copy of it: the thread's own
  std::atomic<bool> stop{false};
  std::atomic<bool> commitHeld{false};
  std::atomic<bool> done{false};
  std::atomic<uint64_t> filesDone{0}, bytesDone{0}, filesTotal{0}, bytesTotal{0};
  InstallOutcome outcome;  // written by the thread before done is set
  HANDLE thread = nullptr;  // owned
};
