#include "app/window/InstallThread.h"

#include "app/install/InstallLog.h"
#include "app/install/InstallProgress.h"

namespace {

// Milliseconds between looks at a held commit: a user's answer is seen at
// once, to the eye.
constexpr DWORD kHeldCommitPoll = 10;

}  // namespace

// The copy's reports, kept as counts; the window is only told that they
// moved, at the pace of the progress display.
class InstallThread::Reports : public InstallObserver {
public:
  explicit Reports(InstallThread& owner) : owner(owner) {}

  void TotalsCounted(const CopyTally& totals) override {
    owner.filesTotal = totals.files;
    owner.bytesTotal = totals.bytes;
    Tell(true);
  }
  void FileCopied(const char*, const char*, uint64_t bytes) override {
    ++owner.filesDone;
    owner.bytesDone += bytes;
    Tell(owner.filesDone == owner.filesTotal);
  }
  void CopyFailed(const InstallFailure&) override {}
  void BeforeCommit() override {
    while (owner.commitHeld && !owner.stop) Sleep(kHeldCommitPoll);
  }

private:
  void Tell(bool always) {
    if (throttle.Due(GetTickCount()) || always) PostMessageA(owner.window, kInstallProgressMessage, 0, 0);
  }

  InstallThread& owner;
  RepaintThrottle throttle;
};

InstallThread::InstallThread(HWND window, const InstallJob& job, const std::string& logPath)
    : window(window), product(job.productName), payloadFolder(job.payloadFolder), source(job.source),
      location(job.location), host(job.host ? job.host : ""), hostsSeen(job.hostsSeen ? job.hostsSeen : ""),
      hostKey(job.hostKey ? job.hostKey : ""), language(job.language ? job.language : ""), version(job.version ? job.version : ""), logPath(logPath),
      moreLocations(job.moreLocations ? *job.moreLocations : std::vector<std::string>()), kind(job.kind), registers(job.registers),
      allowDowngrade(job.allowDowngrade), hasCoverage(job.coverage != nullptr),
      coverage(job.coverage ? *job.coverage : DistributionCoverage()) {
  thread = CreateThread(nullptr, 0, Run, this, 0, nullptr);
}

InstallThread::~InstallThread() {
  if (!thread) return;
  stop = true;
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
}

DWORD WINAPI InstallThread::Run(void* self) {
  auto& owner = *static_cast<InstallThread*>(self);
  InstallJob job = {owner.product.c_str(), owner.kind, owner.payloadFolder.c_str(), owner.source.c_str(),
                    owner.location.c_str()};
  job.stop = &owner.stop;
  job.host = owner.host.c_str();
  job.hostsSeen = owner.hostsSeen.c_str();
  job.hostKey = owner.hostKey.c_str();
  job.language = owner.language.c_str();
  job.moreLocations = &owner.moreLocations;
  job.registers = owner.registers;
  job.version = owner.version.c_str();
  job.allowDowngrade = owner.allowDowngrade;
  job.coverage = owner.hasCoverage ? &owner.coverage : nullptr;
  {
    InstallLog log;
    log.Hold(owner.logPath.c_str());
    Reports reports(owner);
    owner.outcome = RunInstallJob(job, &reports, &log);
  }
  owner.done = true;
  PostMessageA(owner.window, kInstallDoneMessage, 0, 0);
  return 0;
}
