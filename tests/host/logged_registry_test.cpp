#include "runtime/logged_registry.h"

#include <gtest/gtest.h>

#include "platform/memory/memory_launcher_files.h"
#include "platform/memory/memory_registry.h"
#include "platform/memory/memory_system_information.h"
#include "runtime/decision_log.h"

namespace tq {
namespace {

TEST(LoggedRegistryTest, NamesHkcuAndTheKeysOfThe64BitViewWithTheirChildren) {
  FaultPlan faults;
  Journal journal;
  MemoryRegistry memory(faults);
  memory.CreateKey(kHkeyLocalMachine64BitView, L"SOFTWARE\\JDK\\17");
  memory.CreateKey(kHkeyCurrentUser, L"Software");
  MemoryLauncherFiles files(journal, faults);
  files.writableFolders.insert(L"C:\\Temp");
  MemorySystemInformation system;
  DecisionLog log(files, system);
  log.Open(L"C:\\Temp\\tq.log");
  LoggedRegistry registry(memory, log);
  KeyHandle jdk = 0;
  KeyHandle other = 0;
  registry.OpenKey(kHkeyLocalMachine, "SOFTWARE\\JDK", 0, kKeyRead | kKeyWow64_64Key, &jdk);
  registry.OpenKey(jdk, "17", 0, kKeyRead, &other);
  registry.OpenKey(kHkeyLocalMachine, "SOFTWARE\\JDK", 0, kKeyRead, &other);
  registry.OpenKey(kHkeyCurrentUser, "Software", 0, kKeyRead, &other);

  const std::string& written = files.logs[L"C:\\Temp\\tq.log"];
  for (const char* line : {"opened: HKEY_LOCAL_MACHINE\\SOFTWARE\\JDK (64-bit view)\r\n",
                           "opened: HKEY_LOCAL_MACHINE\\SOFTWARE\\JDK\\17 (64-bit view)\r\n",
                           "(error 2): HKEY_LOCAL_MACHINE\\SOFTWARE\\JDK\r\n",
                           "opened: HKEY_CURRENT_USER\\Software\r\n"}) {
    EXPECT_NE(written.find(line), std::string::npos) << line << "in\n" << written;
  }
}

}  // namespace
}  // namespace tq
