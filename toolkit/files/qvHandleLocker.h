// qvHandleLocker holds a loaded resource or a movable global memory handle
// locked while the picture code reads through the pointer, and ends the lock
// when it goes out of scope, exceptions included. A resource lock has no
// unlock; movable memory is unlocked exactly once.
#pragma once

#include <windows.h>

#include <cstdint>

class qvHandleLocker {
public:
  qvHandleLocker(HANDLE handle, bool isResource) : handle(handle), isResource(isResource ? 1 : 0) {}
  qvHandleLocker(const qvHandleLocker&) = delete;
  qvHandleLocker& operator=(const qvHandleLocker&) = delete;

  virtual ~qvHandleLocker();
  virtual void Reset();
  virtual void Lock();
  virtual void Unlock();

  HANDLE handle;            // not owned
  void* pointer = nullptr;  // the locked address, null when not locked
  uint8_t isResource;
};
