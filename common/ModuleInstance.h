// The module that holds the program's code. Resources, window classes and
// dialog templates are taken from it; asking the platform for the allocation
// base of one of our own functions finds it even when the code is linked
// into a plug-in rather than the main program.
//
// The handle's type is declared here as the platform declares it, so that
// this header, like the rest of common/, needs no <windows.h>; the
// definition is Windows only (ModuleInstance.cpp).
#pragma once

struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;

HINSTANCE ModuleInstance();
