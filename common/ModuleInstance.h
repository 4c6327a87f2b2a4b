// The module that holds the program's code. Resources, window classes and
// dialog templates are taken from it; asking the platform for the allocation
// base of one of our own functions finds it even when the code is linked
// into a plug-in rather than the main program.
#pragma once

#include <windows.h>

HINSTANCE ModuleInstance();
