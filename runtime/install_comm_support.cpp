#include <new>

#include "common/decimal_text.h"
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
      const std::wstring tested = runtimeDirectory + TestedPath(file);
      if (TheFileSystem().FileExists(tested)) {
        Log(L"support file present: " + tested);
        continue;
      }
      Log(L"support file missing, copying it from " + SourcePath(file) + L": " + tested);
      TheFileSystem().CopyFile(SourcePath(file),
                               runtimeDirectory + std::wstring(file.destinationFolder));
      Log(L"support file copied: " + tested);
    }
    return;
  } catch (const Error& error) {
    // The first failure ends the installation; what was copied stays, and the
    // launch goes on with the runtime as it is.
    Log(L"support files: failed with error " + DecimalText(error.number()) + L": " +
        error.description() + L"; the launch goes on");
    ui_.ShowMessage(error.description());
  } catch (const std::bad_alloc&) {
    ui_.ShowMessage(OutOfMemory().description());
  }
  ui_.ShowMessage(kCopyFailedText);
}

}  // namespace tq
