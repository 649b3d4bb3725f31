#include "editorcore.h"
#include "textmotion.h"

#include <algorithm>

namespace quenbry {

EditorCore::EditorCore() {
    palette_.push_back(0);
    lines_.reset(text_);
}

QString EditorCore::mid(int start, int length) const {
    start = std::clamp(start, 0, this->length());
    length = std::clamp(length, 0, this->length() - start);
    QString out(length, Qt::Uninitialized);
    text_.copyOut(start, length, reinterpret_cast<char16_t *>(out.data()));
    return out;
}

QStringView EditorCore::peek(int start, int length, QString &scratch) const {
    start = std::clamp(start, 0, this->length());
    length = std::clamp(length, 0, this->length() - start);
    if (const char16_t *p = text_.contiguous(start, length))
        return QStringView(p, length);
    scratch.resize(length);
    text_.copyOut(start, length, reinterpret_cast<char16_t *>(scratch.data()));
    return scratch;
}

QStringView EditorCore::wholeText() {
    lastEdit(); // the gap moves over the removed run
    return QStringView(text_.gathered(), length());
}

int EditorCore::indexOf(QChar c, int from) const {
    // Qt's search looks at many characters at once; the colouring's pass over a page of
    // megabytes is mostly this search.
    from = std::max(from, 0);
    if (from >= length())
        return -1;
    int found = -1;
    text_.forEachPiece(from, length() - from, [&](const char16_t *p, int count, int offset) {
        if (found < 0) {
            const qsizetype hit = QStringView(p, count).indexOf(c);
            if (hit >= 0)
                found = offset + int(hit);
        }
    });
    return found;
}

int EditorCore::indexOf(QStringView s, int from) const {
    if (s.isEmpty())
        return std::clamp(from, 0, length());
    const QChar first = s.front();
    for (int i = indexOf(first, from); i >= 0 && i + s.size() <= length();
         i = indexOf(first, i + 1)) {
        int k = 1;
        while (k < s.size() && text_.at(i + k) == s[k].unicode())
            ++k;
        if (k == s.size())
            return i;
    }
    return -1;
}

int EditorCore::lastIndexOf(QChar c, int from) const {
    return text_.lastIndexOf(c.unicode(), from);
}

bool EditorCore::fits(int removeLength, qsizetype insertLength) {
    const qint64 newLength = qint64(length()) - removeLength + insertLength;
    // An edit that does not lengthen the text is always made, whatever the limit came to be.
    if (newLength <= std::max({maxLength_, longestPutIn_, length()}))
        return true;
    for (EditorObserver *o : observers_)
        o->editRefused({newLength});
    return false;
}

void EditorCore::setText(QString text) {
    if (text.size() > kLengthBound) {
        for (EditorObserver *o : observers_)
            o->editRefused({text.size()});
        return;
    }
    longestPutIn_ = std::max(longestPutIn_, int(text.size()));
    if (text.size() == length() && text == this->text()) {
        // Nothing changes, so nothing is notified but the caret going to the start.
        setSelection(0, 0);
        return;
    }
    // The new text starts with no colours at all: the old text's pending ones are dropped.
    if (PendingColours *pending = std::exchange(pending_, nullptr))
        pending->discardColours();
    const int oldLines = lineCount();
    lastEdit_ = TextEdit{0, this->text(), int(text.size())};
    removedInStore_ = false;
    const int removed = int(lastEdit_.removed.size());
    const int length = int(text.size());
    text_.adopt(std::move(text));
    colours_.assignFill(length, 0);
    lineEndsPutIn_ = lines_.reset(text_);
    const int oldStart = selStart_, oldLength = selLength_;
    selStart_ = selLength_ = 0;
    pendingColour_.reset();
    notifyReplaced({0, removed, length, 0, oldLines - 1, lineCount() - 1}, oldStart, oldLength);
}

const TextEdit &EditorCore::lastEdit() const {
    if (removedInStore_) {
        lastEdit_.removed = lastRemoved().toString();
        removedInStore_ = false;
    }
    return lastEdit_;
}

QStringView EditorCore::lastRemoved() const {
    if (removedInStore_)
        return QStringView(text_.removedRun(), text_.removedLength());
    return lastEdit_.removed;
}

void EditorCore::replaceText(int start, int removeLength, const char16_t *inserted,
                             int insertLength) {
    const bool kept = text_.keepsRemoved(insertLength);
    lineEndsPutIn_.reset();
    lastEdit_ = TextEdit{start, kept ? QString() : mid(start, removeLength), insertLength};
    text_.replace(start, removeLength, inserted, insertLength);
    removedInStore_ = kept && removeLength > 0;
}

void EditorCore::notifyReplaced(const TextReplaced &change, int oldStart, int oldLength) {
    lastChange_ = change;
    for (EditorObserver *o : observers_)
        o->textReplaced(change);
    const bool selectionMoved = oldStart != selStart_ || oldLength != selLength_;
    if (selectionMoved)
        notifySelection(oldStart, oldLength);
    // An observer of the second round may edit the text again; the list is read afresh.
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->textChangeNotified();
    if (selectionMoved)
        notifySelectionMoved();
}

void EditorCore::notifySelectionMoved() {
    for (size_t i = 0; i < observers_.size(); ++i)
        observers_[i]->selectionChangeNotified();
}

bool EditorCore::setSelStart(int start) {
    if (start < 0)
        return false;
    setSelection(std::min(start, length()), 0);
    return true;
}

bool EditorCore::setSelLength(int length) {
    if (length < 0)
        return false;
    setSelection(selStart_, std::min(length, this->length() - selStart_));
    return true;
}

void EditorCore::setSelection(int start, int length) {
    if (start == selStart_ && length == selLength_)
        return;
    const int oldStart = selStart_, oldLength = selLength_;
    selStart_ = start;
    selLength_ = length;
    pendingColour_.reset();
    notifySelection(oldStart, oldLength);
    notifySelectionMoved();
}

void EditorCore::notifySelection(int oldStart, int oldLength) {
    const SelectionChanged change{selStart_, selLength_, oldStart, oldLength};
    for (EditorObserver *o : observers_)
        o->selectionChanged(change);
}

void EditorCore::addObserver(EditorObserver *observer) {
    observers_.push_back(observer);
}

void EditorCore::removeObserver(EditorObserver *observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

int EditorCore::lineEnd(int line) const {
    if (line + 1 >= lineCount())
        return length();
    const int next = lineStart(line + 1);
    return next - lineEndLength(lineStart(line), next);
}

void EditorCore::selectFromUser(int start, int length) {
    start = std::clamp(start, 0, this->length());
    setSelection(start, std::clamp(length, 0, this->length() - start));
}

void EditorCore::setSelText(const QString &text) {
    replace(selStart_, selLength_, text, selStart_ + int(text.size()));
}

void EditorCore::replace(int start, int removeLength, const QString &inserted, int caretAfter) {
    if (removeLength == 0 && inserted.isEmpty()) {
        setSelection(caretAfter, 0);
        return;
    }
    if (!fits(removeLength, inserted.size()))
        return;
    settleColours(INT_MAX);
    const quint8 colour = insertionColour();
    replaceText(start, removeLength, reinterpret_cast<const char16_t *>(inserted.constData()),
                int(inserted.size()));
    colours_.replace(start, removeLength, nullptr, int(inserted.size()), colour);
    const LineIndex::Change lines = lines_.update(text_, start, removeLength, int(inserted.size()));
    const int oldStart = selStart_, oldLength = selLength_;
    selStart_ = caretAfter;
    selLength_ = 0;
    pendingColour_.reset();
    notifyReplaced(
        {start, removeLength, int(inserted.size()), lines.firstLine, lines.removed, lines.inserted},
        oldStart, oldLength);
}

bool EditorCore::replaceRanges(const std::vector<RangeReplacement> &ranges, int selStart,
                               int selLength) {
    if (ranges.empty())
        return true;
    const int first = ranges.front().start;
    const int removed = ranges.back().start + ranges.back().length - first;
    qsizetype inserted = removed;
    for (const RangeReplacement &r : ranges)
        inserted += r.text.size() - r.length;
    if (!fits(removed, inserted))
        return false;
    settleColours(INT_MAX);
    QString span;
    span.reserve(inserted);
    std::vector<quint8> colours;
    colours.reserve(size_t(inserted));
    QString scratch;
    int pos = first;
    for (const RangeReplacement &r : ranges) {
        span += peek(pos, r.start - pos, scratch);
        colours_.forEachPiece(pos, r.start - pos, [&](const quint8 *p, int count, int) {
            colours.insert(colours.end(), p, p + count);
        });
        const quint8 colour = r.length > 0   ? colours_.at(r.start)
                              : r.start > 0  ? colours_.at(r.start - 1)
                              : length() > 0 ? colours_.at(0)
                                             : 0;
        span += r.text;
        colours.insert(colours.end(), size_t(r.text.size()), colour);
        pos = r.start + r.length;
    }
    replaceText(first, removed, reinterpret_cast<const char16_t *>(span.constData()),
                int(inserted));
    colours_.replace(first, removed, colours.data(), int(inserted));
    const LineIndex::Change lines = lines_.update(text_, first, removed, int(inserted));
    const int oldStart = selStart_, oldLength = selLength_;
    selStart_ = std::clamp(selStart, 0, length());
    selLength_ = std::clamp(selLength, 0, length() - selStart_);
    pendingColour_.reset();
    notifyReplaced({first, removed, int(inserted), lines.firstLine, lines.removed, lines.inserted},
                   oldStart, oldLength);
    return true;
}

quint8 EditorCore::insertionColour() const {
    if (pendingColour_)
        return *pendingColour_;
    if (selLength_ > 0)
        return colours_.at(selStart_);
    if (selStart_ > 0)
        return colours_.at(selStart_ - 1);
    if (length() > 0)
        return colours_.at(0);
    return 0;
}

quint8 EditorCore::paletteIndex(Rgb colour) {
    colour |= 0xff000000u;
    auto it = std::find(palette_.begin() + 1, palette_.end(), colour);
    if (it != palette_.end())
        return quint8(it - palette_.begin());
    if (palette_.size() < 256) {
        palette_.push_back(colour);
        return quint8(palette_.size() - 1);
    }
    // More than 255 distinct colours never happens in this program; rather than fail, the
    // colour shares the last slot and shows as the colour stored there.
    return quint8(255);
}

void EditorCore::setSelectionColour(Rgb colour) {
    if (selLength_ == 0) {
        pendingColour_ = paletteIndex(colour);
        return;
    }
    setColour(selStart_, selLength_, colour);
}

void EditorCore::setColour(int start, int length, Rgb colour) {
    start = std::clamp(start, 0, this->length());
    length = std::clamp(length, 0, this->length() - start);
    if (length == 0)
        return;
    settleColours(INT_MAX);
    const quint8 index = paletteIndex(colour);
    colours_.fill(start, length, index);
    const ColoursChanged change{start, length};
    for (EditorObserver *o : observers_)
        o->coloursChanged(change);
}

Rgb EditorCore::colourAt(int offset) const {
    settleColours(offset + 1);
    return paletteColour(colours_.at(offset));
}

std::vector<ColourRun> EditorCore::colourRuns() const {
    settleColours(INT_MAX);
    std::vector<ColourRun> runs;
    colours_.forEachPiece(0, length(), [&](const quint8 *p, int count, int offset) {
        for (int i = 0; i < count; ++i) {
            const Rgb c = paletteColour(p[i]);
            if (!runs.empty() && runs.back().colour == c)
                ++runs.back().length;
            else
                runs.push_back({offset + i, 1, c});
        }
    });
    return runs;
}

bool EditorCore::admitsKey(int key) {
    const bool types = key != '\b' && key != 27 && key != 0;
    return !types || fits(selLength_, key == '\r' || key == '\n' ? 2 : 1);
}

void EditorCore::typeCharacter(int key) {
    if (key == '\b') {
        pressBackspace();
        return;
    }
    if (key == '\r' || key == '\n') {
        setSelText(QStringLiteral("\r\n"));
        return;
    }
    if (key == 27 || key == 0)
        return; // Escape types nothing
    setSelText(QString(QChar(char16_t(key))));
}

void EditorCore::insertFromUser(const QString &text) {
    setSelText(text);
}

void EditorCore::pressBackspace() {
    if (selLength_ > 0) {
        setSelText(QString());
        return;
    }
    const int c = selStart_;
    const int from = characterBefore(*this, c);
    if (from < c)
        replace(from, c - from, QString(), from);
}

void EditorCore::pressDelete() {
    if (selLength_ > 0) {
        setSelText(QString());
        return;
    }
    const int c = selStart_;
    const int to = characterAfter(*this, c);
    if (to > c)
        replace(c, to - c, QString(), c);
}

} // namespace quenbry
