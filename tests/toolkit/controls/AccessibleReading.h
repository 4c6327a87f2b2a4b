// Reading windows the way a screen reader does: the object a window gives
// for its client area (AccessibleObjectFromWindow, OBJID_CLIENT), then its
// role, name, value and state in oleacc's own words, as one line that
// compares readably in a table. For the control tests in this process and
// the installer's tests across processes.
#pragma once

#include <windows.h>

#include <oleacc.h>

#include <string>

// COM for the calling thread while it lives (a single-threaded apartment).
class ComApartment {
public:
  ComApartment() : result(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ~ComApartment() {
    if (SUCCEEDED(result)) CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

private:
  HRESULT result;
};

// The client object of a window, or null.
IAccessible* ClientObject(HWND hwnd);

// role "name" value "value" state, state...: the role's and the states'
// texts as oleacc gives them, "(no name)" when there is none, the value
// only when there is one, then the keyboard shortcut when there is one
// ("Alt+I"); "error 0x..." when the object or a property cannot be had.
std::string Describe(IAccessible* object);
std::string Describe(HWND hwnd);

// The object's state bits; -1 when they cannot be had.
long StateOf(IAccessible* object);

// CHILDID_SELF, the object itself.
VARIANT Self();
