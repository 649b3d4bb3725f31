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

} // namespace

std::optional<std::pair<int, int>> changeRange(int longerLength, int growth, int startSearch) {
    if (growth <= 0)
        return std::pair{0, 0};
    const int offset = startSearch - growth - 1;
    if (offset < 0)
        return std::nullopt;
    const int from = std::min(offset, longerLength);
    return std::pair{from, std::min(growth, longerLength - from)};
}

std::optional<QString> change(const QString &lParam1, const QString &lParam2, int startSearch) {
    const QString &longer = lParam1.size() > lParam2.size() ? lParam1 : lParam2;
    const int growth = int(std::abs(lParam1.size() - lParam2.size()));
    const auto range = changeRange(int(longer.size()), growth, startSearch);
    if (!range)
        return std::nullopt;
    return longer.mid(range->first, range->second);
}

History::History(EditorBuffer &buffer, HistoryHost &host)
    : buffer_(buffer)
    , host_(host) {}

void History::noteEdit() {
    if (undoCount_ == 0)
        return;
    const TextEdit &edit = buffer_.lastEdit();
    TextDelta delta{edit.start, edit.removed, buffer_.mid(edit.start, edit.insertedLength)};
    trimDelta(delta);
    drift_ = composeDeltas(drift_, delta, buffer_);
}

bool History::recordChange() {
    if (!trapUndo)
        return false;
    entries_.resize(size_t(undoCount_));
    Entry entry{{buffer_.selStart(), buffer_.length()}, {}};
    if (undoCount_ > 0)
        entry.fromPrevious = std::move(drift_);
    drift_ = TextDelta{};
    entries_.push_back(std::move(entry));
    ++undoCount_;
    refreshUndoState();
    return true;
}

void History::undo() {
    // The editor refusing a negative selection start: the old program's error 380.
    bool startRejected = false;
    if (undoCount_ > 1 && trapUndo) {
        trapUndo = false;
        const UndoElement prev = entries_[size_t(undoCount_ - 2)].element;
        const UndoElement last = entries_[size_t(undoCount_ - 1)].element;
        const TextDelta toTarget =
            composeDeltas(entries_[size_t(undoCount_ - 1)].fromPrevious, drift_, buffer_).inverse();
        const int length = buffer_.length();

        // The newest change is guessed from the two entries' lengths and carets: a longer
        // text was an insertion ending at the caret, anything else a deletion at the caret.
        std::optional<Plan> guess;
        if (prev.textLen < last.textLen) {
            const int inserted = last.textLen - prev.textLen;
            const int start = last.selStart - inserted;
            if (start < 0) {
                startRejected = true;
            } else {
                Plan plan;
                plan.start = std::min(start, length);
                plan.removeLength = std::min(inserted, length - plan.start);
                plan.finalStart = plan.start;
                guess = plan;
            }
        } else {
            const int removed = prev.textLen - last.textLen;
            const auto range = changeRange(prev.textLen, removed, last.selStart + 1 + removed);
            Plan plan;
            if (range)
                plan.text = targetMid(buffer_, toTarget, range->first, range->second);
            plan.start = std::min(last.selStart, length);
            placeAfterRun(plan.finalStart, plan.finalLength, last.selStart, plan.text,
                          length + int(plan.text.size()));
            guess = plan;
        }
        // The guess is only trusted when it really gives back the older text; a replaced
        // selection or a whole new page would otherwise leave a text that never existed.
        apply(guess && turnsInto(*guess, toTarget) ? *guess : restoreRun(toTarget));

        --undoCount_;
        drift_ = composeDeltas(entries_[size_t(undoCount_)].fromPrevious, drift_, buffer_);
    }
    refreshUndoState();
    trapUndo = true;
    host_.focusEditor();
    if (startRejected)
        host_.setCommandEnabled(HistoryCommand::cmdUndo, false);
}

void History::redo() {
    if (redoCount() > 0 && trapUndo) {
        trapUndo = false;
        const Entry &next = entries_[size_t(undoCount_)];
        const UndoElement element = next.element;
        const TextDelta toTarget =
            composeDeltas(next.fromPrevious.inverse(), drift_, buffer_).inverse();
        const int length = buffer_.length();

        // The same guess as Undo's, the other way round: a shorter entry was a deletion at
        // its caret, anything else an insertion ending at its caret.
        std::optional<Plan> guess;
        if (element.textLen < length) {
            Plan plan;
            plan.start = std::min(element.selStart, length);
            plan.removeLength = std::min(length - element.textLen, length - plan.start);
            plan.finalStart = plan.start;
            guess = plan;
        } else if (const auto range = changeRange(element.textLen, element.textLen - length,
                                                  element.selStart + 1)) {
            Plan plan;
            plan.text = targetMid(buffer_, toTarget, range->first, range->second);
            const int runStart = element.selStart - int(plan.text.size());
            plan.start = std::min(runStart, length);
            placeAfterRun(plan.finalStart, plan.finalLength, runStart, plan.text,
                          length + int(plan.text.size()));
            guess = plan;
        }
        apply(guess && turnsInto(*guess, toTarget) ? *guess : restoreRun(toTarget));

        ++undoCount_;
        drift_ =
            composeDeltas(entries_[size_t(undoCount_ - 1)].fromPrevious.inverse(), drift_, buffer_);
    }
    refreshUndoState();
    trapUndo = true;
    host_.focusEditor();
}

void History::reinitUndo() {
    if (!trapUndo)
        return;
    entries_.clear();
    entries_.push_back(Entry{{buffer_.selStart(), buffer_.length()}, {}});
    undoCount_ = 1;
    drift_ = TextDelta{};
    refreshUndoState();
}

void History::refreshUndoState() {
    const bool canUndo = undoCount_ > 1;
    const bool canRedo = redoCount() > 0;
    host_.setCommandEnabled(HistoryCommand::XPButton7, canUndo);
    host_.setCommandEnabled(HistoryCommand::mnuundo, canUndo);
    host_.setCommandEnabled(HistoryCommand::XPButton10, canRedo);
    host_.setCommandEnabled(HistoryCommand::mnuredo, canRedo);
    host_.setCommandEnabled(HistoryCommand::cmdUndo, canUndo);
    host_.setCommandEnabled(HistoryCommand::cmdRedo, canRedo);
    host_.selChange();
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

QString History::undoText(int index) const {
    return entryText(index);
}

QString History::redoText(int index) const {
    return entryText(int(entries_.size()) - 1 - index);
}

QString History::entryText(int index) const {
    QString text = buffer_.text();
    if (undoCount_ == 0)
        return text;
    applyDelta(text, drift_.inverse());
    for (int i = undoCount_ - 1; i > index; --i)
        applyDelta(text, entries_[size_t(i)].fromPrevious.inverse());
    for (int i = undoCount_; i <= index; ++i)
        applyDelta(text, entries_[size_t(i)].fromPrevious);
    return text;
}

bool History::turnsInto(const Plan &plan, const TextDelta &toTarget) const {
    if (int(plan.text.size()) - plan.removeLength != toTarget.growth())
        return false;
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
