#include "runtime/mod_main.h"

#include <utility>

#include "common/error.h"
#include "runtime/decision_log.h"
#include "runtime/process_end.h"

namespace tq {

FileSystem& ModMain::TheFileSystem() {
  // Made at the first existence test and kept until the process ends. When
  // making it fails nothing is kept, and the next use tries again.
  if (!fileSystem_) {
    std::unique_ptr<FileSystem> made = createFileSystem_();
    if (!made) {
      // What using an object that was never set gives.
      throw Error(91, L"Object variable or With block variable not set");
    }
    fileSystem_ = std::move(made);
  }
  return *fileSystem_;
}

void ModMain::Log(std::wstring_view text) { log_.Write(text); }

void ModMain::End(unsigned exitCode) { EndProcessAndLogIt(ui_, log_, exitCode); }

}  // namespace tq
