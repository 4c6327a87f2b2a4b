#include "toolkit/window/ShowMessage.h"

#include <windows.h>

int ShowMessage(const char* text) { return MessageBoxA(GetForegroundWindow(), text, "Attention !", MB_OK); }
