#include <algorithm>
#include <cstdint>
#include <set>
#include <utility>

#include "common/error.h"
#include "tests/host/predicted_machine.h"
#include "tests/launcher_texts.h"

namespace tq::whole_run {
namespace {

constexpr std::size_t kEnumNameBuffer = 260;
constexpr std::size_t kFirstQueryBuffer = 1024;
constexpr int kMoreData = 234;
constexpr int kNotFound = 2;
constexpr std::uint32_t kString = 1;
constexpr std::uint32_t kExpandString = 2;
constexpr std::uint32_t kMultiString = 7;

std::wstring AsciiUpper(std::wstring_view name) {
  std::wstring upper(name);
  for (wchar_t& c : upper) {
    if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - 0x20);
    }
  }
  return upper;
}

}  // namespace

bool PredictedRegistry::Open(bool opensByItself) {
  return !calls_.Fails(Operation::kOpenKey) && opensByItself;
}

void PredictedRegistry::Close() {
  if (calls_.Fails(Operation::kCloseKey)) {
    ++openHandles_;
  }
}

bool PredictedRegistry::BaseKeyOpens() const {
  return machine_.hasBaseKey && !machine_.baseKeyUnreadable;
}

bool PredictedRegistry::BaseKeyExists() {
  if (!Open(BaseKeyOpens())) {
    return false;
  }
  Close();
  return true;
}

std::vector<std::wstring> PredictedRegistry::EnumerateVersions(std::optional<Failure>& failure) {
  std::vector<std::wstring> names;
  if (!Open(BaseKeyOpens())) {
    return names;
  }
  std::set<std::wstring> held;
  for (std::size_t index = 0;; ++index) {
    if (calls_.Fails(Operation::kEnumKey) || index >= machine_.runtimes.size()) {
      break;
    }
    const std::string ansi = ToCodePage(machine_.codePage, machine_.runtimes[index].name);
    if (ansi.size() + 1 > kEnumNameBuffer) {
      break;
    }
    std::wstring name = FromCodePage(machine_.codePage, ansi);
    name.resize(std::min(name.size(), name.find(L'\0')));
    if (!held.insert(AsciiUpper(name)).second) {
      failure = Failure{kDuplicateKey,
                        L"This key is already associated with an element of this collection"};
      break;
    }
    names.push_back(std::move(name));
  }
  Close();
  return names;
}

const RuntimeEntry* PredictedRegistry::EntryNamed(const std::wstring& name) const {
  for (const RuntimeEntry& entry : machine_.runtimes) {
    if (AsciiUpper(entry.name) == AsciiUpper(name)) {
      return &entry;
    }
  }
  return nullptr;
}

// One RegQueryValueExA of JavaHome into a buffer of buffer.size() bytes.
int PredictedRegistry::Query(const RuntimeEntry& entry, std::uint32_t& type, std::uint32_t& size,
                             std::vector<std::uint8_t>& buffer) {
  if (calls_.Fails(Operation::kQueryValue)) {
    return calls_.InjectedCode();
  }
  if (!entry.javaHome) {
    return kNotFound;
  }
  type = entry.javaHome->type;
  const std::vector<std::uint8_t>& data = entry.javaHome->data;
  if (data.size() > buffer.size()) {
    size = static_cast<std::uint32_t>(data.size());
    return kMoreData;
  }
  std::copy(data.begin(), data.end(), buffer.begin());
  size = static_cast<std::uint32_t>(data.size());
  return 0;
}

std::optional<Failure> PredictedRegistry::ReadRuntimeDirectory(const std::wstring& winner,
                                                               std::wstring& directory) {
  const RuntimeEntry* entry = EntryNamed(winner);
  if (!Open(entry != nullptr && !entry->unreadable)) {
    directory.clear();
    return std::nullopt;
  }
  // One query with 1024 bytes; when they are too few, one more with
  // exactly the size reported, whose answer is not looked at. Whatever
  // the queries left behind (a zero-filled buffer when the data never
  // came) is what is read.
  std::uint32_t type = 0;
  std::uint32_t size = kFirstQueryBuffer;
  std::vector<std::uint8_t> buffer(kFirstQueryBuffer);
  if (Query(*entry, type, size, buffer) == kMoreData) {
    if (static_cast<std::int32_t>(size) < 0) {
      Close();
      return Failure{kOverflow, L"Overflow"};
    }
    buffer.assign(size, 0);
    Query(*entry, type, size, buffer);
  }
  Close();
  // A size beyond the buffer (the value grew between the queries) covers
  // only the buffer.
  const std::int64_t dataSize =
      std::min<std::int64_t>(static_cast<std::int32_t>(size), std::int64_t(buffer.size()));
  std::int64_t textBytes = 0;
  if (type == kString || type == kExpandString) {
    textBytes = dataSize - 1;
  } else if (type == kMultiString) {
    textBytes = dataSize - 2;
  } else {
    // Unsupported types, and numbers and bytes, which name no folder.
    return Failure{kUnsupportedValueType, text::kUnsupportedValueType};
  }
  // Data too short to hold even its closing NULs reads as no text.
  directory = textBytes <= 0
                  ? std::wstring()
                  : FromCodePage(machine_.codePage,
                                 std::string(buffer.begin(), buffer.begin() + textBytes));
  return std::nullopt;
}

}  // namespace tq::whole_run
