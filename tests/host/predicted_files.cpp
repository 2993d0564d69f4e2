#include <string_view>

#include "common/error.h"
#include "tests/host/predicted_machine.h"

namespace tq::whole_run {
namespace {

// Paths as the file-system double reads them: either slash, runs of
// separators as one, no closing separator, letters in either case.
std::wstring PathKey(std::wstring_view path) {
  std::wstring key;
  key.reserve(path.size());
  for (std::size_t i = 0; i < path.size(); ++i) {
    wchar_t c = path[i] == L'/' ? L'\\' : path[i];
    if (c == L'\\' && !key.empty() && key.back() == L'\\' && i > 1) {
      continue;
    }
    if ((c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
      c = static_cast<wchar_t>(c + 0x20);
    }
    key.push_back(c);
  }
  while (key.size() > 2 && key.back() == L'\\') {
    key.pop_back();
  }
  return key;
}

}  // namespace

PredictedFiles::PredictedFiles(const Machine& machine) {
  for (const std::wstring& folder : machine.folders) {
    AddFolder(folder);
  }
  for (const std::wstring& file : machine.files) {
    AddFile(file, false);
  }
  for (const std::wstring& file : machine.readOnlyFiles) {
    AddFile(file, true);
  }
}

void PredictedFiles::AddFolder(const std::wstring& path) { AddFolderKey(PathKey(path)); }

void PredictedFiles::AddFolderKey(const std::wstring& key) {
  for (std::size_t end = key.find(L'\\', 1); end != std::wstring::npos;
       end = key.find(L'\\', end + 1)) {
    if (end > 1 && !folders_.contains(std::wstring_view(key).substr(0, end))) {
      folders_.insert(key.substr(0, end));
    }
  }
  folders_.insert(key);
}

void PredictedFiles::AddFile(const std::wstring& path, bool readOnly) {
  const std::wstring key = PathKey(path);
  AddFolderKey(key.substr(0, key.find_last_of(L'\\')));
  files_.insert(key);
  if (readOnly) {
    readOnly_.insert(key);
  }
}

bool PredictedFiles::FileExists(const std::wstring& path) const {
  return files_.contains(PathKey(path));
}

std::optional<Failure> PredictedFiles::CopyFile(const std::wstring& source,
                                                const std::wstring& folder) {
  if (!files_.contains(PathKey(source))) {
    return Failure{kFileNotFound, L"File not found"};
  }
  if (!folders_.contains(PathKey(folder))) {
    return Failure{kPathNotFound, L"Path not found"};
  }
  const std::wstring fileName = source.substr(source.find_last_of(L'\\') + 1);
  const std::wstring target = PathKey(folder + L"\\" + fileName);
  if (readOnly_.contains(target) || folders_.contains(target)) {
    return Failure{kPermissionDenied, L"Permission denied"};
  }
  files_.insert(target);
  return std::nullopt;
}

}  // namespace tq::whole_run
