#include <new>

#include "common/error.h"
#include "interfaces/user_interface.h"
#include "runtime/mod_main.h"
#include "runtime/support_files.h"

namespace tq {

namespace {

constexpr wchar_t kCopyFailedText[] = L"Error While Copying JAR File";

}  // namespace

// Takes its argument by value, as the module's interface declares it.
// NOLINTNEXTLINE(performance-unnecessary-value-param)
void ModMain::InstallCommSupport(std::wstring runtimeDirectory) {
  // The runtime directory is joined to each path as it stands: one ending in
  // a backslash gives a doubled one, which Windows reads as a single one.
  try {
    for (const SupportFile& file : kSupportFiles) {
      if (!TheFileSystem().FileExists(runtimeDirectory + TestedPath(file))) {
        TheFileSystem().CopyFile(SourcePath(file),
                                 runtimeDirectory + std::wstring(file.destinationFolder));
      }
    }
    return;
  } catch (const Error& error) {
    // The first failure ends the installation; what was copied stays, and the
    // launch goes on with the runtime as it is.
    ui_.ShowMessage(error.description());
  } catch (const std::bad_alloc&) {
    ui_.ShowMessage(OutOfMemory().description());
  }
  ui_.ShowMessage(kCopyFailedText);
}

}  // namespace tq
