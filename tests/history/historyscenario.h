#pragma once
// A random editing session (typing, Backspace, Delete, selecting, typing over a selection,
// paste, tag insertion, whole-text loads, Undo and Redo) driven by bytes, checked after every
// step against a plain model that keeps every entry as a whole text.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quenbry {

// Empty when every check held; otherwise what went wrong first, and at which step.
std::string runHistoryScenario(const std::uint8_t *data, std::size_t size);

} // namespace quenbry
