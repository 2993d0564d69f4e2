#pragma once

// What the tests of hostile machines need beyond the common harness:
// registry keys in bulk, values of any shape, and answering every message
// box a launcher shows, in order.

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/windows_api.h"
#include "tests/e2e/harness.h"

namespace tq::e2e {

// Creates `count` version keys below the Java runtime key, in the 32-bit
// view, named by `nameOf(index)`, each with a JavaHome; fast enough for
// thousands. Removing the Java runtime key removes them.
void CreateVersionKeys(int count, const std::function<std::wstring(int)>& nameOf,
                       const std::wstring& javaHome);

// Sets a value in the 32-bit view, making the key as needed, with no undo.
void SetValueDirectly(const std::wstring& key, const std::wstring& name, DWORD type,
                      const void* data, DWORD size);

// Answers each message box of `launcher` with OK, in the order they come,
// until the launcher ends or the time is up; the texts, in order. A box with
// another title than the launcher's is listed as "<box titled ...> text".
// `beforeOk(index, text)`, if given, runs while box `index` (from 0) waits.
std::vector<std::wstring> AnswerEveryBox(
    WatchedProcess& launcher, unsigned timeoutMilliseconds,
    const std::function<void(std::size_t, const std::wstring&)>& beforeOk = {});

}  // namespace tq::e2e
