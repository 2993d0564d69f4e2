// Asks for what Windows XP does not have: GetTickCount64, which the headers
// declare for Vista and later only, and SetDefaultDllDirectories, which
// they declare for every Windows. The check of what the launcher imports
// must see both here, so that it cannot pass by seeing nothing.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  return static_cast<int>(GetTickCount64() % 2);
}
