#include "platform/win32/win32_system_information.h"

#include <string_view>

#include "common/decimal_text.h"
#include "common/text.h"
#include "platform/win32/windows_api.h"
#include "runtime/pe_image.h"

namespace tq {
namespace {

std::uint64_t Ticks(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

LocalTime Win32SystemInformation::Now() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

std::uint64_t Win32SystemInformation::MillisecondsSinceStart() {
  FILETIME created{};
  FILETIME exited{};
  FILETIME kernel{};
  FILETIME user{};
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user) ||
      Ticks(now) < Ticks(created)) {
    return 0;
  }
  return (Ticks(now) - Ticks(created)) / 10000;  // 100 ns to ms
}

unsigned long Win32SystemInformation::ProcessId() { return GetCurrentProcessId(); }

std::wstring Win32SystemInformation::LauncherVersion() {
  // Read from our own version resource: the version DLL's functions would
  // load a DLL for four numbers.
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));  // RT_VERSION
  HGLOBAL loaded = resource != nullptr ? LoadResource(nullptr, resource) : nullptr;
  const auto* bytes = static_cast<const char*>(loaded ? LockResource(loaded) : nullptr);
  const DWORD size = resource != nullptr ? SizeofResource(nullptr, resource) : 0;
  const auto words =
      bytes != nullptr ? VersionInfoFileVersion(std::string_view(bytes, size)) : std::nullopt;
  if (!words) {
    return L"of unknown version";
  }
  return Concatenated({L"version ", DecimalText((*words)[0]), L".", DecimalText((*words)[1]), L".",
                       DecimalText((*words)[2]), L".", DecimalText((*words)[3])});
}

std::wstring Win32SystemInformation::WindowsVersion() {
  OSVERSIONINFOEXW version{};
  version.dwOSVersionInfoSize = sizeof version;
  std::wstring text = L"Windows of unknown version";
  if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&version))) {
    text = L"Windows " + DecimalText(version.dwMajorVersion) + L"." +
           DecimalText(version.dwMinorVersion) + L"." + DecimalText(version.dwBuildNumber);
    if (version.szCSDVersion[0] != L'\0') {
      text += L" ";
      text += version.szCSDVersion;
    }
  }
#ifdef _WIN64
  text += L"; the 64-bit build of the launcher";
#else
  text += Is64BitWindows() ? L"; the 32-bit launcher on 64-bit Windows" : L"; the 32-bit launcher";
#endif
  return text;
}

bool Win32SystemInformation::Is64BitWindows() {
#ifdef _WIN64
  return true;
#else
  // A 32-bit program on 64-bit Windows, x64 or ARM64, runs under WOW64.
  // Windows XP SP3's kernel32 has the call, so it is imported.
  BOOL wow64 = FALSE;
  return IsWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

}  // namespace tq
