// rig_probe [crash] [exit CODE] [ARGS...]: prints its arguments one to a line
// and the display's size, then exits with CODE (or crashes), so that the
// rig's pass-through of arguments, output and status can be checked.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  int code = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "crash") == 0) {
      std::fflush(stdout);
      *static_cast<volatile int*>(nullptr) = 1;
    }
    if (std::strcmp(argv[i], "exit") == 0 && i + 1 < argc) code = std::atoi(argv[++i]);
    std::printf("arg[%d]=%s\n", i, argv[i]);
  }
  std::printf("screen=%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  return code;
}
