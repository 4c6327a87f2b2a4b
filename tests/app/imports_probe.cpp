// A program that imports the common controls and the version library
// directly, which the imports check must refuse.
#include <windows.h>

#include <commctrl.h>

int main() {
  InitCommonControls();
  DWORD ignored = 0;
  return static_cast<int>(GetFileVersionInfoSizeA("x", &ignored));
}
