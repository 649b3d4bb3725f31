#pragma once
// How journal files are named in the state folder: unsaved-TIME-RANDOM.journal, with
// ".partial" after it while a checkpoint is being written.

namespace quenbry {

inline constexpr char kJournalPrefix[] = "unsaved-";
inline constexpr char kJournalSuffix[] = ".journal";
inline constexpr char kJournalPartial[] = ".partial";

} // namespace quenbry
