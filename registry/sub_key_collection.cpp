#include "registry/sub_key_collection.h"

#include <utility>

#include "common/error.h"
#include "common/letter_case.h"

namespace tq {

void SubKeyCollection::Add(std::wstring name) {
  std::wstring folded = FoldedName(name);
  if (foldedNames_.contains(folded)) {
    throw DuplicateKey();
  }
  names_.push_back(std::move(name));
  try {
    foldedNames_.insert(std::move(folded));
  } catch (...) {
    names_.pop_back();
    throw;
  }
}

bool SubKeyCollection::Contains(std::wstring_view name) const {
  return foldedNames_.contains(FoldedName(name));
}

}  // namespace tq
