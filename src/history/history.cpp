#include "history.h"

#include <algorithm>

namespace quenbry {

namespace {

// A restored single character or line end leaves the caret after it; a longer run is
// selected so that the user sees what came back.
void placeAfterRun(int &finalStart, int &finalLength, int runStart, const QString &run,
                   int newLength) {
    if (run == QLatin1String("\r\n") || run.size() <= 1) {
        finalStart = std::min(runStart + int(run.size()), newLength);
        finalLength = 0;
    } else {
        finalStart = std::min(runStart, newLength);
        finalLength = std::min(int(run.size()), newLength - finalStart);
    }
}

// Where the run by which a longer text exceeds a shorter one lies when it ends just before
// the 1-based position startSearch of the longer text: its offset and length, or nothing when
// it would start before the first character. longerLength is the length of the longer text,
// growth the difference of the two lengths.
std::optional<std::pair<int, int>> changeRange(int longerLength, int growth, int startSearch) {
    if (growth <= 0)
        return std::pair{0, 0};
    const int offset = startSearch - growth - 1;
    if (offset < 0)
        return std::nullopt;
    const int from = std::min(offset, longerLength);
    return std::pair{from, std::min(growth, longerLength - from)};
}

} // namespace

History::History(EditorBuffer &buffer, HistoryHost &host)
    : buffer_(buffer)
    , host_(host) {}

void History::noteEdit() {
    if (undoCount_ == 0)
        return;
    if (applying_) {
        // Undo or Redo's own edit: it makes the target entry's text, which the drift is
        // counted from; only edits after it (a listener's) are drift.
        applying_ = false;
        return;
    }
    const TextEdit &edit = buffer_.lastEdit();
    TextDelta delta{edit.start, edit.removed, buffer_.mid(edit.start, edit.insertedLength)};
    trimDelta(delta);
    drift_ = composeDeltas(drift_, delta, buffer_);
}

bool History::recordChange() {
    if (!recording_)
        return false;
    entries_.resize(size_t(undoCount_));
    Entry entry{{buffer_.selStart(), buffer_.length()}, {}};
    if (undoCount_ > 0)
        entry.fromPrevious = std::move(drift_);
    drift_ = TextDelta{};
    entries_.push_back(std::move(entry));
    ++undoCount_;
    notifyAvailability();
    return true;
}

void History::undo() {
    step(Direction::Undo);
}

void History::redo() {
    step(Direction::Redo);
}

void History::step(Direction direction) {
    const bool undoing = direction == Direction::Undo;
    bool startRejected = false;
    if ((undoing ? canUndo() : canRedo()) && recording_) {
        recording_ = false;
        // The entry whose text the editor holds, and the one it turns into.
        const int current = undoCount_ - 1;
        const int target = undoing ? current - 1 : current + 1;
        const Entry &newer = entries_[size_t(std::max(current, target))];
        // From the target's text to the current entry's.
        const TextDelta targetToCurrent =
            undoing ? newer.fromPrevious : newer.fromPrevious.inverse();
        const TextDelta toTarget = composeDeltas(targetToCurrent, drift_, buffer_).inverse();

        const std::optional<Plan> guess = undoing
                                              ? guessUndo(entries_[size_t(target)].element,
                                                          newer.element, toTarget, startRejected)
                                              : guessRedo(newer.element, toTarget);
        // The guess is only trusted when it really gives back the target's text; a replaced
        // selection or a whole new page would otherwise leave a text that never existed.
        const TextDelta driftBefore = std::move(drift_);
        drift_ = TextDelta{};
        applying_ = true;
        apply(guess && turnsInto(*guess, toTarget) ? *guess : restoreRun(toTarget));
        // The text is the target's, and drift_ holds what changed after that; an edit that
        // did not happen leaves the target's text as far from the editor's as before.
        if (applying_)
            drift_ = composeDeltas(targetToCurrent, driftBefore, buffer_);
        applying_ = false;

        undoCount_ = target + 1;
    }
    notifyAvailability();
    recording_ = true;
    host_.focusEditor();
    if (startRejected)
        host_.undoRejected();
}

// The newest change is guessed from the two entries' lengths and carets: a longer text was
// an insertion ending at the caret, anything else a deletion at the caret.
std::optional<History::Plan> History::guessUndo(const UndoElement &older, const UndoElement &newer,
                                                const TextDelta &toTarget,
                                                bool &startRejected) const {
    const int length = buffer_.length();
    Plan plan;
    if (older.textLen < newer.textLen) {
        const int inserted = newer.textLen - older.textLen;
        const int start = newer.selStart - inserted;
        if (start < 0) {
            startRejected = true;
            return std::nullopt;
        }
        plan.start = std::min(start, length);
        plan.removeLength = std::min(inserted, length - plan.start);
        plan.finalStart = plan.start;
        return plan;
    }
    const int removed = older.textLen - newer.textLen;
    if (const auto range = changeRange(older.textLen, removed, newer.selStart + 1 + removed))
        plan.text = targetMid(buffer_, toTarget, range->first, range->second);
    plan.start = std::min(newer.selStart, length);
    placeAfterRun(plan.finalStart, plan.finalLength, newer.selStart, plan.text,
                  length + int(plan.text.size()));
    return plan;
}

// The same guess as Undo's, the other way round: a shorter entry was a deletion at its caret,
// anything else an insertion ending at its caret.
std::optional<History::Plan> History::guessRedo(const UndoElement &newer,
                                                const TextDelta &toTarget) const {
    const int length = buffer_.length();
    Plan plan;
    if (newer.textLen < length) {
        plan.start = std::min(newer.selStart, length);
        plan.removeLength = std::min(length - newer.textLen, length - plan.start);
        plan.finalStart = plan.start;
        return plan;
    }
    const auto range = changeRange(newer.textLen, newer.textLen - length, newer.selStart + 1);
    if (!range)
        return std::nullopt;
    plan.text = targetMid(buffer_, toTarget, range->first, range->second);
    const int runStart = newer.selStart - int(plan.text.size());
    plan.start = std::min(runStart, length);
    placeAfterRun(plan.finalStart, plan.finalLength, runStart, plan.text,
                  length + int(plan.text.size()));
    return plan;
}

void History::reset() {
    if (!recording_)
        return;
    entries_.clear();
    entries_.push_back(Entry{{buffer_.selStart(), buffer_.length()}, {}});
    undoCount_ = 1;
    drift_ = TextDelta{};
    notifyAvailability();
}

void History::clear() {
    entries_.clear();
    undoCount_ = 0;
    drift_ = TextDelta{};
}

void History::notifyAvailability() {
    host_.availabilityChanged(canUndo(), canRedo());
}

std::vector<UndoElement> History::undoStack() const {
    std::vector<UndoElement> out;
    for (int i = 0; i < undoCount_; ++i)
        out.push_back(entries_[size_t(i)].element);
    return out;
}

std::vector<UndoElement> History::redoStack() const {
    std::vector<UndoElement> out;
    for (int i = int(entries_.size()) - 1; i >= undoCount_; --i)
        out.push_back(entries_[size_t(i)].element);
    return out;
}

bool History::turnsInto(const Plan &plan, const TextDelta &toTarget) const {
    if (int(plan.text.size()) - plan.removeLength != toTarget.growth())
        return false;
    if (plan.start == toTarget.start && plan.removeLength == int(toTarget.removed.size()))
        return plan.text == toTarget.inserted; // the same run replaced: its texts decide
    if (toTarget.isEmpty())
        return buffer_.mid(plan.start, plan.removeLength) == plan.text;
    if (plan.removeLength == 0 && plan.text.isEmpty())
        return false; // changes nothing, while the texts differ
    // Outside the span of both runs the two results are the same text; compare the span.
    const int planEnd = plan.start + plan.removeLength;
    const int targetEnd = toTarget.start + int(toTarget.removed.size());
    const int low = std::min(plan.start, toTarget.start);
    const int high = std::max(planEnd, targetEnd);
    const QString guessed =
        buffer_.mid(low, plan.start - low) + plan.text + buffer_.mid(planEnd, high - planEnd);
    const QString exact = buffer_.mid(low, toTarget.start - low) + toTarget.inserted +
                          buffer_.mid(targetEnd, high - targetEnd);
    return guessed == exact;
}

History::Plan History::restoreRun(const TextDelta &toTarget) const {
    Plan plan;
    plan.start = toTarget.start;
    plan.removeLength = int(toTarget.removed.size());
    plan.text = toTarget.inserted;
    placeAfterRun(plan.finalStart, plan.finalLength, plan.start, plan.text,
                  buffer_.length() + toTarget.growth());
    return plan;
}

void History::apply(const Plan &plan) {
    host_.hideSelection(true);
    buffer_.setSelStart(plan.start);
    buffer_.setSelLength(plan.removeLength);
    buffer_.setSelText(plan.text);
    buffer_.setSelStart(plan.finalStart);
    buffer_.setSelLength(plan.finalLength);
    host_.hideSelection(false);
}

} // namespace quenbry
