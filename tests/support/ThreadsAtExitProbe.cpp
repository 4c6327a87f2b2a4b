// A test program that leaves threads behind which were created a moment
// before it ends: GoogleTest starts a watcher thread on a test's first
// SCOPED_TRACE, and a listener starts eight more once the last line is
// printed. threads-at-exit.sh runs it many times: each run must end with
// the tests' status, 0.
#include <windows.h>

#include <gtest/gtest.h>

namespace {

DWORD WINAPI WaitForever(LPVOID) {
  Sleep(INFINITE);
  return 0;
}

class StartThreadsAtTheEnd : public testing::EmptyTestEventListener {
  void OnTestProgramEnd(const testing::UnitTest&) override {
    for (int i = 0; i < 8; ++i) {
      if (HANDLE thread = CreateThread(nullptr, 0, WaitForever, nullptr, 0, nullptr)) CloseHandle(thread);
    }
  }
};

const bool listening = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new StartThreadsAtTheEnd);
  return true;
}();

TEST(ThreadsAtExitTest, ATraceStartsGoogleTestsOwnThread) {
  SCOPED_TRACE("the first trace on this thread");
  EXPECT_TRUE(listening);
}

}  // namespace
