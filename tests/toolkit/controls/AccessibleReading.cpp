#include "tests/toolkit/controls/AccessibleReading.h"

#include <cstdio>

namespace {

std::string Hex(long value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%lx", static_cast<unsigned long>(value));
  return text;
}

std::string Narrow(BSTR text) {
  const int length = static_cast<int>(SysStringLen(text));
  std::string result(static_cast<size_t>(length) * 3, '\0');
  result.resize(static_cast<size_t>(
      WideCharToMultiByte(CP_UTF8, 0, text, length, &result[0], static_cast<int>(result.size()), nullptr, nullptr)));
  return result;
}

}  // namespace

VARIANT Self() {
  VARIANT self;
  VariantInit(&self);
  V_VT(&self) = VT_I4;
  V_I4(&self) = CHILDID_SELF;
  return self;
}

IAccessible* ClientObject(HWND hwnd) {
  IAccessible* object = nullptr;
  if (FAILED(AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&object))))
    return nullptr;
  return object;
}

long StateOf(IAccessible* object) {
  VARIANT state;
  VariantInit(&state);
  if (object->get_accState(Self(), &state) != S_OK || V_VT(&state) != VT_I4) return -1;
  return V_I4(&state);
}

std::string Describe(IAccessible* object) {
  VARIANT role;
  VariantInit(&role);
  HRESULT result = object->get_accRole(Self(), &role);
  if (result != S_OK || V_VT(&role) != VT_I4) return "error " + Hex(result);
  char text[64] = {};
  GetRoleTextA(V_I4(&role), text, sizeof text);
  std::string line = text;

  BSTR name = nullptr;
  result = object->get_accName(Self(), &name);
  if (FAILED(result)) return line + " name error " + Hex(result);
  line += name ? " \"" + Narrow(name) + "\"" : " (no name)";
  SysFreeString(name);

  BSTR value = nullptr;
  result = object->get_accValue(Self(), &value);
  if (FAILED(result) && result != DISP_E_MEMBERNOTFOUND) return line + " value error " + Hex(result);
  if (result == S_OK) line += " value \"" + Narrow(value) + "\"";
  SysFreeString(value);

  const long state = StateOf(object);
  if (state == -1) return line + " state error";
  for (long bit = 1; bit > 0 && bit <= state; bit <<= 1) {
    if (!(state & bit)) continue;
    GetStateTextA(static_cast<DWORD>(bit), text, sizeof text);
    line += std::string(" ") + text;
  }

  BSTR shortcut = nullptr;
  if (object->get_accKeyboardShortcut(Self(), &shortcut) == S_OK && shortcut) line += " " + Narrow(shortcut);
  SysFreeString(shortcut);
  return line;
}

std::string Describe(HWND hwnd) {
  IAccessible* object = ClientObject(hwnd);
  if (!object) return "no object";
  const std::string line = Describe(object);
  object->Release();
  return line;
}
