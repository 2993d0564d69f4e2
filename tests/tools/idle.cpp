// Keeps one Wine process alive for a whole test run, so that Wine does not
// shut its desktop and services down between two tests.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, PWSTR /*commandLine*/,
                    int /*show*/) {
  Sleep(INFINITE);
  return 0;
}
