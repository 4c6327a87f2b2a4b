#include "toolkit/files/qvHandleLocker.h"

qvHandleLocker::~qvHandleLocker() { qvHandleLocker::Unlock(); }

void qvHandleLocker::Reset() {
  handle = nullptr;
  pointer = nullptr;
  isResource = 0;
}

void qvHandleLocker::Lock() {
  if (!handle) return;
  pointer = isResource ? LockResource(static_cast<HGLOBAL>(handle)) : GlobalLock(static_cast<HGLOBAL>(handle));
}

void qvHandleLocker::Unlock() {
  if (!handle || !pointer) return;
  if (!isResource) GlobalUnlock(static_cast<HGLOBAL>(handle));
  pointer = nullptr;
}
