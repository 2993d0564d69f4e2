// A DLL to plant beside a program under the name of a DLL that Windows or
// one of its DLLs loads by name. It does nothing but leave a record beside
// itself (planted_dll_record.h) in every process that loads it, saying
// which process and when, so a test sees from outside whether the program
// took it. It exports nothing: a process that goes on to call into it fails,
// which a test sees as well.

#include <string>

#include "common/unicode_text.h"
#include "platform/win32/unique_any.h"
#include "platform/win32/windows_api.h"
#include "tests/e2e/planted_dll_record.h"

namespace {

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void LeaveRecord(HMODULE self, bool whileImportsResolve) {
  using namespace tq::e2e;
  const DWORD pid = GetCurrentProcessId();
  const std::string text =
      std::string(planted_key::kProcess) + ": " + tq::ToUtf8(ModulePath(nullptr)) + "\r\n" +
      planted_key::kPid + ": " + std::to_string(pid) + "\r\n" + planted_key::kWhen + ": " +
      (whileImportsResolve ? kLoadedWhileImportsResolve : kLoadedLater) + "\r\n";
  const std::wstring path = ModulePath(self) + L"." + std::to_wstring(pid) + kPlantedRecordSuffix;
  const tq::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (file) {
    WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  }
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    DisableThreadLibraryCalls(instance);
    LeaveRecord(instance, reserved != nullptr);
  }
  return TRUE;
}
