#include "app/install/SetupCommandLine.h"

#include <windows.h>

#include "app/install/SetupOptions.h"
#include "common/AnsiText.h"

std::string ReadSetupCommandLine() {
  const wchar_t* line = GetCommandLineW();
  return Utf8MarkingUnpaired(line ? line : L"", kUnconvertibleCharacter);
}
