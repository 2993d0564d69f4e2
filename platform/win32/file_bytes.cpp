#include "platform/win32/file_bytes.h"

#include <algorithm>
#include <vector>

#include "platform/win32/win32_error.h"

namespace tq {

UniqueHandle OpenToRead(const std::wstring& path) {
  return UniqueHandle(CreateFileW(path.c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::string ReadUpTo(HANDLE file, std::size_t limit) {
  std::string bytes;
  std::vector<char> chunk(4096);
  while (bytes.size() < limit) {
    DWORD read = 0;
    const auto wanted = static_cast<DWORD>(std::min(chunk.size(), limit - bytes.size()));
    ThrowLastErrorIf(!::ReadFile(file, chunk.data(), wanted, &read, nullptr));
    if (read == 0) {
      break;
    }
    bytes.append(chunk.data(), read);
  }
  return bytes;
}

}  // namespace tq
