#include "tests/resources/splash_face.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace tq::splash_face {
namespace {

std::wstring LauncherPath() {
  const char* host = std::getenv("TQ_RESOURCES_LAUNCHER");
  if (host == nullptr) {
    return {};
  }
  // CTest gives a host path; Wine shows the host's root as drive Z:.
  std::wstring path(host, host + std::strlen(host));
  if (!path.empty() && path.front() == L'/') {
    std::replace(path.begin(), path.end(), L'/', L'\\');
    path = L"Z:" + path;
  }
  return path;
}

}  // namespace

int ChannelDistance(std::uint32_t a, std::uint32_t b) {
  int worst = 0;
  for (int shift = 0; shift <= 16; shift += 8) {
    const int ca = static_cast<int>((a >> shift) & 0xFF);
    const int cb = static_cast<int>((b >> shift) & 0xFF);
    worst = std::max(worst, std::abs(ca - cb));
  }
  return worst;
}

BITMAPINFO TopDown32(int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  return info;
}

void KeepColoursOnly(Pixels& pixels) {
  for (auto& value : pixels.values) {
    value &= 0xFFFFFF;
  }
}

std::vector<std::uint8_t> ResourceBytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
  HRSRC resource = FindResourceW(module, name, type);
  if (resource == nullptr) {
    return {};
  }
  HGLOBAL loaded = LoadResource(module, resource);
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  if (bytes == nullptr) {
    return {};
  }
  return {bytes, bytes + SizeofResource(module, resource)};
}

IconImage ReadAlphaIconImage(HMODULE module, int id) {
  const std::vector<std::uint8_t> data =
      ResourceBytes(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(3));
  BITMAPINFOHEADER header{};
  if (data.size() < sizeof header) {
    return {};
  }
  std::memcpy(&header, data.data(), sizeof header);
  IconImage image{header.biWidth, {}};
  if (header.biBitCount != 32 ||
      data.size() < sizeof header + static_cast<std::size_t>(image.size) * image.size * 4) {
    return {};
  }
  for (int y = 0; y < image.size; ++y) {
    const std::uint8_t* row = data.data() + sizeof header + (image.size - 1 - y) * image.size * 4;
    for (int x = 0; x < image.size; ++x) {
      const std::uint8_t* p = row + x * 4;
      image.argb.push_back((std::uint32_t{p[3]} << 24) | (std::uint32_t{p[2]} << 16) |
                           (std::uint32_t{p[1]} << 8) | p[0]);
    }
  }
  return image;
}

double OpaqueMatch(const IconImage& image, const Pixels& shown, int left, int top) {
  int opaque = 0;
  int matching = 0;
  for (int y = 0; y < image.size; ++y) {
    for (int x = 0; x < image.size; ++x) {
      const std::uint32_t argb = image.argb[static_cast<std::size_t>(y) * image.size + x];
      if ((argb >> 24) != 0xFF) {
        continue;
      }
      ++opaque;
      if (left + x < shown.width && top + y < shown.height &&
          ChannelDistance(argb & 0xFFFFFF, shown.at(left + x, top + y)) <= 24) {
        ++matching;
      }
    }
  }
  return opaque == 0 ? 0.0 : static_cast<double>(matching) / opaque;
}

void SplashFace::SetUp() {
  path_ = LauncherPath();
  ASSERT_FALSE(path_.empty()) << "TQ_RESOURCES_LAUNCHER names TovaneQuillon.exe";
  module_.reset(LoadLibraryExW(path_.c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  ASSERT_TRUE(module_) << "cannot load the launcher as data";
}

}  // namespace tq::splash_face
