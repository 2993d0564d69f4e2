// Loads each DLL named on its command line by its bare name, as Windows and
// its DLLs load theirs, with the system's default DLL search: what the
// launcher's process would do without its restriction. Started beside
// marker DLLs planted under those names, it must take every one of them;
// that proves the planted-DLL test can see a planting at all.
// Exits with the number of names that could not be loaded.

#include "platform/win32/windows_api.h"

int wmain(int argc, wchar_t** argv) {
  int failed = 0;
  for (int i = 1; i < argc; ++i) {
    if (LoadLibraryW(argv[i]) == nullptr) {
      ++failed;
    }
  }
  return failed;
}
