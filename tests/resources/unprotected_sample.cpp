// A program built without the protections the launcher asks for (see
// CMakeLists.txt) and importing version.dll, which is on no KnownDLLs list:
// the check of the launcher's protections must find every one missing here,
// so that none of its checks can pass by seeing nothing.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  return static_cast<int>(GetFileVersionInfoSizeW(L"kernel32.dll", nullptr) % 2);
}
