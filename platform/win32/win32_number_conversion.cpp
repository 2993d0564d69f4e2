#include "platform/win32/win32_number_conversion.h"

#include <string>
#include <vector>

#include "common/error.h"
#include "platform/win32/procedure_address.h"
#include "platform/win32/win32_error.h"
#include "platform/win32/windows_api.h"

namespace tq {
namespace {

std::wstring SystemFolderFile(const wchar_t* name) {
  std::vector<wchar_t> folder(MAX_PATH);
  for (;;) {
    const UINT length = GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size()));
    ThrowLastErrorIf(length == 0);
    if (length < folder.size()) {
      return std::wstring(folder.data(), length) + L"\\" + name;
    }
    folder.resize(length);
  }
}

}  // namespace

double Win32NumberConversion::ToDouble(const std::wstring& text) {
  if (!oleaut32_) {
    oleaut32_.reset(LoadLibraryW(SystemFolderFile(L"oleaut32.dll").c_str()));
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
