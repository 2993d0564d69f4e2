#pragma once

#include "platform/win32/windows_api.h"

// After windows_api.h: COM's initialisation calls.
#include <objbase.h>

namespace tq {

// COM for the calling thread, as a single-threaded apartment, for as long as
// the object lives. The system's picture object may create COM objects to
// decode a picture; objects from COM must be released before this ends.
class ComApartment {
 public:
  ComApartment() noexcept
      : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (initialized_) {
      CoUninitialize();
    }
  }

 private:
  bool initialized_;
};

}  // namespace tq
