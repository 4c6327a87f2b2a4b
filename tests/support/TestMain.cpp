// The main of every test program. Beside running the tests, on Windows it
// does not end the process while one of its threads is still starting.
//
// GoogleTest's Windows port starts a thread of its own the first time a
// thread of the program touches its per-thread state (a SCOPED_TRACE, a
// failure, a skip), to learn when that thread ends. ctest runs one test per
// process, so a short test's program ends a millisecond or two after that
// thread was created. Under Wine 8.0, a process that ends while a thread is
// still being set up (its first exchange with the wineserver) sometimes dies
// of SIGSEGV inside Wine's own signal handling, with status 139, after every
// test passed. A thread passes through the program's TLS callbacks only
// once Wine has set it up, so they count the threads that have started, and
// the program waits, before it ends, until every thread it has has started.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#include <tlhelp32.h>

namespace {

// Threads other than the first that have started and not yet ended.
volatile LONG startedThreads = 0;

void NTAPI CountStartedThreads(PVOID, DWORD reason, PVOID) {
  if (reason == DLL_THREAD_ATTACH) InterlockedIncrement(&startedThreads);
  if (reason == DLL_THREAD_DETACH) InterlockedDecrement(&startedThreads);
}

// The threads of this process besides the calling one; -1 when they cannot
// be listed.
LONG OtherThreads() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return -1;
  const DWORD process = GetCurrentProcessId();
  LONG count = 0;
  THREADENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry)) {
    if (entry.th32OwnerProcessID == process) ++count;
  }
  CloseHandle(snapshot);
  return count - 1;
}

// Returns once every other thread has started, or after about two seconds
// for a thread that never does (one created suspended and left so).
void WaitForThreadsToStart() {
  for (int waited = 0; waited < 2000; ++waited) {
    const LONG others = OtherThreads();
    if (others < 0 || others <= startedThreads) return;
    Sleep(1);
  }
}

}  // namespace

// The loader calls every callback in the .CRT$XL* sections for each thread
// that starts or ends (mingw-w64's TLS directory lists them).
extern "C" __attribute__((section(".CRT$XLQ"), used)) const PIMAGE_TLS_CALLBACK qvCountStartedThreads =
    CountStartedThreads;
#endif

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  const int status = RUN_ALL_TESTS();
#ifdef _WIN32
  WaitForThreadsToStart();
#endif
  return status;
}
