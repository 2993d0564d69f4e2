#pragma once

#include <fuzzer/FuzzedDataProvider.h>

namespace tq::fuzz {

// Searches a fuzzed machine (JavaSoft keys in both registry views and the
// user's, runtime folders with java.exe images of any machine and release
// files, JAVA_HOME, PATH with links, program folders) with fuzzed settings
// and at most one platform call made to fail, and checks the result against
// what the machine and the settings alone say of it.
void FuzzSearch(FuzzedDataProvider& input);

}  // namespace tq::fuzz
