#pragma once

namespace tq {

// While it lives, the programs this process starts get the system's default
// DLL search. On Windows, CreateProcess hands the DLL directory set with
// SetDllDirectory down to the new process (the documentation of
// SetDllDirectory says so; Wine does not), and the launcher's restriction
// is no business of the Java program's, which starts as it always did.
// SetDefaultDllDirectories, the other half of the restriction, stays with
// the process that calls it and needs no undoing. Afterwards the current
// folder is left out of the launcher's own search again.
class DefaultDllSearchForChildren {
 public:
  DefaultDllSearchForChildren() noexcept;
  DefaultDllSearchForChildren(const DefaultDllSearchForChildren&) = delete;
  DefaultDllSearchForChildren& operator=(const DefaultDllSearchForChildren&) = delete;
  ~DefaultDllSearchForChildren();
};

}  // namespace tq
