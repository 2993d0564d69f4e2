#include "common/error.h"

namespace tq {

Error UnsupportedValueType() { return {kUnsupportedValueType, L"Unsupported value type"}; }
Error InvalidProcedureCall() {
  return {kInvalidProcedureCall, L"Invalid procedure call or argument"};
}
Error Overflow() { return {kOverflow, L"Overflow"}; }
Error OutOfMemory() { return {kOutOfMemory, L"Out of memory"}; }
Error TypeMismatch() { return {kTypeMismatch, L"Type mismatch"}; }
Error FileNotFound() { return {kFileNotFound, L"File not found"}; }
Error PermissionDenied() { return {kPermissionDenied, L"Permission denied"}; }
Error PathNotFound() { return {kPathNotFound, L"Path not found"}; }
Error DuplicateKey() {
  return {kDuplicateKey, L"This key is already associated with an element of this collection"};
}

}  // namespace tq
