#include "platform/win32/win32_number_conversion.h"

#include "common/error.h"
#include "common/paths.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/windows_api.h"

namespace tq {

double Win32NumberConversion::ToDouble(const std::wstring& text) {
  if (!oleaut32_) {
    const std::wstring systemFolder =
        TextFromCall([](wchar_t* buffer, DWORD size) { return GetSystemDirectoryW(buffer, size); });
    oleaut32_.reset(LoadLibraryW(PathFrom(systemFolder, L"oleaut32.dll").c_str()));
    ThrowLastErrorIf(!oleaut32_);
  }
  auto* varR8FromStr = ProcedureAddress<decltype(VarR8FromStr)>(oleaut32_.get(), "VarR8FromStr");
  ThrowLastErrorIf(varR8FromStr == nullptr);
  double value = 0;
  std::wstring copy = text;  // MinGW declares the text parameter non-const.
  const HRESULT result = varR8FromStr(copy.data(), LOCALE_INVARIANT, 0, &value);
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
