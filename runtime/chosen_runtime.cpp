#include <new>
#include <string>

#include "common/error.h"
#include "common/text.h"
#include "interfaces/exit_codes.h"
#include "interfaces/user_interface.h"
#include "runtime/mod_main.h"
#include "runtime/pe_image.h"

namespace tq {

void ModMain::TakeConfiguredHome() {
  const std::wstring java = Concatenated({configuredHome_.folder, kJavaProgramInRuntime});
  Log(L"Java runtime from the settings file, no registry search: " + configuredHome_.folder);
  std::wstring reason;
  bool found = false;
  try {
    found = TheFileSystem().FileExists(java);
  } catch (const Error& error) {
    reason = error.description();
  }
  if (!found) {
    Log(L"no java.exe at " + java);
    ui_.ShowMessage(configuredHome_.noJavaMessage(java, reason));
    End(kExitNoJavaRuntime);
  }
  Log(L"java.exe found: " + java);
  CheckBitsOfConfiguredHome(java);
  JavaHomePath = configuredHome_.folder;
  InstallCommSupport(configuredHome_.folder);
}

void ModMain::CheckBitsOfConfiguredHome(const std::wstring& java) {
  const std::optional<RuntimeBits> bits = configuredHome_.bits;
  if (!bits && !log_.WasOpened()) {
    return;  // nothing asked of it, and nobody to tell
  }
  std::wstring refusal;
  try {
    const JavaProgram program = ReadJavaProgram(TheFileSystem(), java);
    if (!program.machine) {
      refusal = L"it is no Windows program";
    } else {
      Log(L"java.exe is " + MachineName(*program.machine));
      refusal = bits ? BitsRefusal(*bits, program.machine) : std::wstring();
      if (!bits && !IsMachine32Bit(*program.machine)) {
        Log(Concatenated(
            {L"this runtime is ", MachineName(*program.machine),
             L": the serial-port support DLL (Win32com.dll) is 32-bit and will not load in it, "
             L"so the application will find no serial port"}));
      }
    }
  } catch (const Error& error) {
    refusal = L"it cannot be read: " + error.description();
  }
  if (refusal.empty()) {
    return;
  }
  if (!bits) {
    Log(L"the bitness of java.exe is unknown: " + refusal);
    return;
  }
  Log(L"java.exe refused: " + refusal);
  ui_.ShowMessage(configuredHome_.wrongBitsMessage(java, refusal));
  End(kExitNoJavaRuntime);
}

void ModMain::TakeSearchedRuntime() {
  Log(L"Java runtime search of the settings file, no registry look-up of its own");
  SearchResult result;
  std::wstring failure;
  try {
    result = SearchJavaRuntimes(*search_, registry_, TheFileSystem(), log_);
  } catch (const Error& error) {
    failure = error.description();
  } catch (const std::bad_alloc&) {
    failure = OutOfMemory().description();
  }
  if (!result.chosen) {
    if (!failure.empty()) {
      Log(L"the search could not be made: " + failure);
    }
    ui_.ShowMessage(search_->noneTakenMessage(result.found, failure));
    End(kExitNoJavaRuntime);
  }
  JavaHomePath = result.found[*result.chosen].folder;
  InstallCommSupport(JavaHomePath);
}

}  // namespace tq
