#pragma once
// A random editing session (typing, Backspace, Delete, selecting, typing over a selection,
// paste, tag insertion, whole-text loads, Undo and Redo) read from bytes: the fuzz target's
// input, the checked-in corpus, or random bytes from a fixed seed. A plain model keeps every
// entry as a whole text and states what the user must see after each step.

#include <cstddef>
#include <cstdint>
#include <string>

namespace quenbry {

// Empty when every check held; otherwise what went wrong first, and at which step.
std::string runHistoryScenario(const std::uint8_t *data, std::size_t size);

} // namespace quenbry
