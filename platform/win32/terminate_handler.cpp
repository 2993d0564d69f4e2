// The handler the C++ runtime calls when an exception has nowhere to go.
//
// libstdc++'s own writes the exception's demangled type to standard error,
// which a GUI program has not, and then aborts; linking it brings the
// demangler and the C library's formatted output, some 70 KB of the
// launcher. This one aborts the same way without them. It is linked into
// the launcher alone, ahead of libstdc++, so the runtime's copy is never
// taken in.

#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
