#include "common/paths.h"

#include "common/text.h"

namespace tq {
namespace {

bool EndsWithExe(const std::wstring& name) {
  return name.size() >= 4 &&
         SameIgnoringAsciiCase(std::wstring_view(name).substr(name.size() - 4), L".exe");
}

std::wstring WithoutExe(const std::wstring& path) {
  return EndsWithExe(path) ? path.substr(0, path.size() - 4) : path;
}

}  // namespace

std::wstring FolderOfPath(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) {
    return path;
  }
  std::wstring folder = path.substr(0, slash);
  if (folder.size() == 2 && folder[1] == L':') {
    folder += L'\\';
  }
  return folder;
}

std::wstring PathFrom(const std::wstring& folder, const std::wstring& path) {
  if (path.size() >= 2 && path[1] == L':') {
    return path;  // on a drive
  }
  if (!path.empty() && IsPathSeparator(path[0])) {
    if (path.size() >= 2 && IsPathSeparator(path[1])) {
      return path;  // on a server
    }
    return folder.substr(0, folder.size() >= 2 && folder[1] == L':' ? 2 : 0) + path;
  }
  if (!folder.empty() && IsPathSeparator(folder.back())) {
    return folder + path;
  }
  return folder + L"\\" + path;
}

std::wstring WithoutClosingSeparators(std::wstring folder) {
  while (folder.size() > 3 && IsPathSeparator(folder.back())) {
    folder.pop_back();
  }
  return folder;
}

std::wstring SiblingFile(const std::wstring& program, const std::wstring& extension) {
  return WithoutExe(program) + extension;
}

std::wstring FileNameOfPath(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

std::wstring ProgramBaseName(const std::wstring& program) {
  return WithoutExe(FileNameOfPath(program));
}

}  // namespace tq
