#include "platform/win32/win32_number_conversion.h"

#include <string>

#include "common/error.h"
#include "platform/win32/windows_api.h"

namespace tq {

double Win32NumberConversion::ToDouble(const std::wstring& text) {
  double value = 0;
  std::wstring copy = text;  // MinGW declares the text parameter non-const.
  const HRESULT result = VarR8FromStr(copy.data(), LOCALE_INVARIANT, 0, &value);
  if (SUCCEEDED(result)) {
    return value;
  }
  if (result == DISP_E_OVERFLOW) {
    throw Overflow();
  }
  if (result == E_OUTOFMEMORY) {
    throw OutOfMemory();
  }
  throw TypeMismatch();
}

}  // namespace tq
