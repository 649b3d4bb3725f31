#pragma once
// The editor's model: the exact text, the colour of every character, where each line starts,
// and the selection, with the rich-text rules (colour inherited at the insertion point,
// pending colour of an empty selection). Views and other followers observe it through typed
// change records; the program's rooms use it through EditorBuffer. It needs no widget.

#include "editorbuffer.h"
#include "gapbuffer.h"
#include "lineindex.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <utility>

namespace quenbry {

// [start, start + removed) of the old text became [start, start + inserted); lines
// [firstLine, firstLine + linesRemoved] of the old text became [firstLine, firstLine +
// linesInserted] of the new one, and the lines after them moved without changing.
struct TextReplaced {
    int start = 0;
    int removed = 0;
    int inserted = 0;
    int firstLine = 0;
    int linesRemoved = 0;
    int linesInserted = 0;
};

// Characters [start, start + length) may show another colour.
struct ColoursChanged {
    int start = 0;
    int length = 0;
};

struct SelectionChanged {
    int start = 0;
    int length = 0;
    int oldStart = 0;
    int oldLength = 0;
};

// An edit was not made: the text would have become `length` characters long, more than the
// model may hold. Nothing changed.
struct EditRefused {
    qint64 length = 0;
};

// One range of the text and what takes its place.
struct RangeReplacement {
    int start = 0;
    int length = 0;
    QString text;
};

// Told of every change of the model, in two rounds. First every observer, in the order they
// were added, brings itself in step with the change; nothing may change the model then. Then,
// once all of them are in step, every observer hears that the text changed (the editor's Change
// notification) or that the selection moved (SelChange): what runs then may colour or edit the
// text, and its changes meet observers that are all in step. An edit refused for its length
// changes nothing and is told on its own.
class EditorObserver {
public:
    virtual ~EditorObserver() = default;
    virtual void textReplaced(const TextReplaced &) {}
    virtual void coloursChanged(const ColoursChanged &) {}
    virtual void selectionChanged(const SelectionChanged &) {}
    virtual void textChangeNotified() {}
    virtual void selectionChangeNotified() {}
    virtual void editRefused(const EditRefused &) {}
};

// Colours that are still being worked out for the text as it stands (a colouring pass that
// runs in steps). The model asks for them before its colours are read, and before its text or
// colours change, so that nobody sees or builds on colours that are not final.
class PendingColours {
public:
    virtual ~PendingColours() = default;
    // Makes the colours of [0, end) final; true when none are left pending.
    virtual bool settleColours(int end) = 0;
    // The whole text is replaced: what was pending is of no use any more.
    virtual void discardColours() = 0;
};

class EditorCore : public EditorBuffer, public EditorInput {
public:
    EditorCore();
    EditorCore(const EditorCore &) = delete;
    EditorCore &operator=(const EditorCore &) = delete;

    int length() const override { return text_.size(); }
    QChar at(int offset) const override { return QChar(text_.at(offset)); }
    QString text() const override { return mid(0, length()); }
    QString mid(int start, int length) const override;
    QStringView peek(int start, int length, QString &scratch) const override;
    int indexOf(QChar c, int from) const override;
    int indexOf(QStringView s, int from) const override;
    int lastIndexOf(QChar c, int from) const override;
    void setText(QString text) override;
    // The whole text in one piece, valid until the next edit. Searching a page this way costs
    // no copy of it: the storage's gap moves to the end, and the next edit elsewhere moves it
    // back once. Views that peek() handed out before are stale then: nobody may be reading one
    // (a colouring pass is done before the session's listeners hear of an edit).
    QStringView wholeText();

    int selStart() const override { return selStart_; }
    bool setSelStart(int start) override;
    int selLength() const override { return selLength_; }
    bool setSelLength(int length) override;
    QString selText() const override { return mid(selStart_, selLength_); }
    void setSelText(const QString &text) override;
    // Replaces every range (in order, none overlapping) as ONE edit: the observers hear of one
    // replacement from the first range's start to the last one's end, so the history records
    // one entry and the colouring passes once. The characters between the ranges keep their
    // colours; each new text takes the colour in force where its range starts. The selection
    // becomes [selStart, selStart + selLength) of the new text.
    // False, with the observers told, when the text would grow past its limit.
    bool replaceRanges(const std::vector<RangeReplacement> &ranges, int selStart, int selLength);

    void setSelectionColour(Rgb colour) override;
    void setColour(int start, int length, Rgb colour) override;
    Rgb colourAt(int offset) const override;
    std::vector<ColourRun> colourRuns() const override;
    Rgb defaultTextColour() const override { return defaultColour_ | 0xff000000u; }
    void setDefaultTextColour(Rgb colour) { defaultColour_ = colour; }

    // The removed run is copied out of the storage the first time someone asks for it: the
    // Undo of a large paste removes megabytes that nobody but the line-end census reads.
    const TextEdit &lastEdit() const override;
    // The same edit without its removed run, and that run read where it lies, valid until the
    // text changes again.
    const TextReplaced &lastChange() const { return lastChange_; }
    QStringView lastRemoved() const;

    // Keyboard input as it comes, with no one looking at the keys first: Enter types CR LF;
    // Backspace and Delete remove the selection or one character, a CR LF line end or a
    // surrogate pair counting as one.
    void typeCharacter(int key) override;
    void pressBackspace();
    void pressDelete() override;
    void insertFromUser(const QString &text) override;
    void selectFromUser(int start, int length) override;

    // Lines: each ends at CR LF, CR or LF; the last one at the end of the text.
    int lineCount() const { return lines_.count(); }
    // The line ends of the text setText() put in, until the next edit: indexing its lines
    // looked at each of them, and a page of megabytes is not read again to count them.
    const std::optional<LineEndCounts> &lineEndsPutIn() const { return lineEndsPutIn_; }
    int lineStart(int line) const { return lines_.start(line); }
    // Where the line's characters end, before its line end.
    int lineEnd(int line) const;
    // The character counts of lines [first, last], line ends left out, handed to f in order:
    // one walk where asking each line's end would look its start up twice.
    template <typename F> void forEachLineLength(int first, int last, F f) const {
        // Right after a page is put in, its lines are walked for their widths: when all its
        // line ends are of one length, the text is not read at each of them.
        const int sameEnds = !lineEndsPutIn_                                      ? 0
                             : lineEndsPutIn_->crLf == 0                          ? 1
                             : lineEndsPutIn_->lf == 0 && lineEndsPutIn_->cr == 0 ? 2
                                                                                  : 0;
        int start = lineStart(first);
        for (int line = first; line <= last; ++line) {
            const int next = line + 1 < lineCount() ? lineStart(line + 1) : -1;
            f(next < 0   ? length() - start
              : sameEnds ? next - start - sameEnds
                         : next - start - lineEndLength(start, next));
            start = next;
        }
    }
    int lineOf(int offset) const { return lines_.lineOf(offset); }

    // Colours as the view draws them: palette index 0 means "no colour of its own".
    quint8 colourIndexAt(int offset) const {
        settleColours(offset + 1);
        return colours_.at(offset);
    }
    Rgb paletteColour(quint8 index) const {
        return (index == 0 ? defaultColour_ : palette_[index]) | 0xff000000u;
    }
    // Calls f(const quint8 *indexes, int count, int offset) over [pos, pos + n) in order.
    template <typename F> void forEachColourPiece(int pos, int n, F f) const {
        settleColours(pos + n);
        colours_.forEachPiece(pos, n, f);
    }
    // Calls f(const char16_t *characters, int count, int offset) over [pos, pos + n).
    template <typename F> void forEachTextPiece(int pos, int n, F f) const {
        text_.forEachPiece(pos, n, f);
    }

    // Who is still working out colours, until it has settled them (nullptr: nobody).
    void setPendingColours(PendingColours *pending) { pending_ = pending; }
    bool coloursPending() const { return pending_ != nullptr; }
    // Has the pending colours of [0, end) made final now; while they are being worked out,
    // what works them out reads and paints the model as it stands.
    void settleColours(int end = INT_MAX) const {
        if (!pending_)
            return;
        PendingColours *pending = std::exchange(pending_, nullptr);
        if (!pending->settleColours(end))
            pending_ = pending;
    }

    // Observers are told in the order they were added; each must be removed before it goes.
    void addObserver(EditorObserver *observer);
    void removeObserver(EditorObserver *observer);

    // The most characters the model can hold at all: half the int range leaves the gap
    // buffers room to grow.
    static constexpr int kLengthBound = INT_MAX / 2;
    // The program's own limit (what it can save and open again): an edit that would make the
    // text longer is not made, and the observers are told. A text put in whole (an opened file)
    // may be longer; edits may then make the text as long as the longest such text, never
    // longer, so that Undo and Redo always find room for what they bring back.
    void setMaxLength(int length) { maxLength_ = std::clamp(length, 0, kLengthBound); }
    int maxLength() const { return maxLength_; }
    // Whether the key would go in: false, with the observers told, for a character that would
    // make the text too long. Asked before anyone hears of the key, which would otherwise
    // count a character as typed that never went in.
    bool admitsKey(int key);

private:
    // The characters of the line end just before next, the start of the line after the one
    // starting at start.
    int lineEndLength(int start, int next) const {
        return next - 2 >= start && text_.at(next - 1) == u'\n' && text_.at(next - 2) == u'\r' ? 2
                                                                                               : 1;
    }

    // Whether replacing removeLength characters by insertLength ones stays within the limit;
    // the observers hear of an edit that does not.
    bool fits(int removeLength, qsizetype insertLength);
    void replace(int start, int removeLength, const QString &inserted, int caretAfter);
    // Replaces the text's characters and notes the edit for lastEdit(): what is removed is only
    // copied now when the storage is about to overwrite it.
    void replaceText(int start, int removeLength, const char16_t *inserted, int insertLength);
    // Tells the observers of a replacement already made, in their two rounds.
    void notifyReplaced(const TextReplaced &change, int oldStart, int oldLength);
    quint8 insertionColour() const;
    quint8 paletteIndex(Rgb colour);
    void setSelection(int start, int length);
    void notifySelection(int oldStart, int oldLength);
    void notifySelectionMoved();

    TextBuffer text_;
    GapBuffer<quint8> colours_;
    LineIndex lines_;
    std::vector<Rgb> palette_;
    Rgb defaultColour_ = rgb(0, 0, 0);
    int maxLength_ = kLengthBound;
    int longestPutIn_ = 0; // the longest text put in whole
    std::optional<LineEndCounts> lineEndsPutIn_;
    int selStart_ = 0;
    int selLength_ = 0;
    std::optional<quint8> pendingColour_;
    mutable PendingColours *pending_ = nullptr;
    mutable TextEdit lastEdit_;
    // lastEdit_.removed is still to be read from the text's storage.
    mutable bool removedInStore_ = false;
    TextReplaced lastChange_;
    std::vector<EditorObserver *> observers_;
};

} // namespace quenbry
