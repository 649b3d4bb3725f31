#pragma once
// Random editing of a coloured page, read from bytes: the fuzz target's input, the checked-in
// corpus, or random bytes from a fixed seed. Typing goes through colour-as-you-type; Backspace,
// Delete, selections, pastes, whole new texts and edits made with recording off (as Undo and
// Redo make them) follow. After every step the incremental pass must have left exactly the
// reference pass's colours and kept what a fresh scan finds; no pass may move the selection,
// recolour text outside tags and comments, or read and paint more than a fixed multiple of
// the text.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quenbry::testing {

// Empty when every check held; otherwise the first fault and the step it came at. A page, when
// given, is the starting text instead of one read from the bytes.
std::string runColouringSession(const std::uint8_t *data, std::size_t size,
                                const QString &page = QString());

} // namespace quenbry::testing
