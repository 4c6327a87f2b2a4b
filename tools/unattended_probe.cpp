// unattended_probe: stands in for setup.exe in the tests of the unattended
// install until they run against the real one. It reads its command line as
// setup.exe does: with /S or a usage error it runs the unattended install
// and exits with its status; otherwise it prints "window" and exits with
// 100, where setup.exe would open its window. Not shipped.
#include <windows.h>

#include <cstdio>

#include "app/SetupOptions.h"
#include "app/UnattendedInstall.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  const SetupOptions options = ParseSetupCommandLine(GetCommandLineA());
  if (options.silent || !options.error.empty()) return RunUnattendedInstall(options);
  std::puts("window");
  return 100;
}
