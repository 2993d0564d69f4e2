#pragma once

#include <memory>
#include <string>

#include "interfaces/file_system.h"

namespace tq {

class NumberConversion;
class RegistryProvider;
class UserInterface;

// Java runtime preparation: choosing the runtime and installing the serial
// communication support files into it. One object lives for the whole
// process; its members are the module's state.
class ModMain {
 public:
  ModMain(RegistryProvider& registry, FileSystemFactory createFileSystem, NumberConversion& numbers,
          UserInterface& ui)
      : registry_(registry),
        createFileSystem_(std::move(createFileSystem)),
        numbers_(numbers),
        ui_(ui) {}

  // Installation folder of the chosen Java runtime as the registry stores
  // it, or empty when none was chosen. Written only by FindJavaHome.
  std::wstring JavaHomePath;

  void FindJavaHome();
  void InstallCommSupport(std::wstring runtimeDirectory);

 private:
  FileSystem& TheFileSystem();

  RegistryProvider& registry_;
  FileSystemFactory createFileSystem_;
  NumberConversion& numbers_;
  UserInterface& ui_;
  std::unique_ptr<FileSystem> fileSystem_;
};

}  // namespace tq
