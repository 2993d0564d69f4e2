#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace tq {

// The names of a key's subkeys in the order they were added. Each name is
// also its own key, and a key may be present only once: like registry names,
// keys that differ only in letter case are the same key.
class SubKeyCollection {
 public:
  using const_iterator = std::vector<std::wstring>::const_iterator;

  // Appends the name; raises DuplicateKey (457) when the collection already
  // holds it, leaving the collection as it was.
  void Add(std::wstring name);

  [[nodiscard]] bool Contains(std::wstring_view name) const;
  [[nodiscard]] std::size_t size() const noexcept { return names_.size(); }
  [[nodiscard]] bool empty() const noexcept { return names_.empty(); }

  // The name at a 0-based position, in the order of adding.
  [[nodiscard]] const std::wstring& operator[](std::size_t index) const { return names_[index]; }

  [[nodiscard]] const_iterator begin() const noexcept { return names_.begin(); }
  [[nodiscard]] const_iterator end() const noexcept { return names_.end(); }

 private:
  std::vector<std::wstring> names_;
  std::unordered_set<std::wstring> foldedNames_;
};

}  // namespace tq
