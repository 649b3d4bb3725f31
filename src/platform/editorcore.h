#pragma once
// The editor's exact text, colours and selection, kept in memory with the rich-text rules
// (colour inherited at the insertion point, pending colour of an empty selection). It is the
// in-memory editor used by tests, fuzzing and benchmarks, and the model behind EditorWidget.

#include "editorbuffer.h"
#include "gapbuffer.h"

#include <optional>

namespace quenbry {

class EditorCore : public EditorBuffer {
public:
    EditorCore();

    int length() const override { return text_.size(); }
    QChar at(int offset) const override { return QChar(text_.at(offset)); }
    QString text() const override { return mid(0, length()); }
    QString mid(int start, int length) const override;
    int indexOf(QChar c, int from) const override { return text_.indexOf(c.unicode(), from); }
    int indexOf(QStringView s, int from) const override;
    int lastIndexOf(QChar c, int from) const override;
    void setText(const QString &text) override;

    int selStart() const override { return selStart_; }
    bool setSelStart(int start) override;
    int selLength() const override { return selLength_; }
    bool setSelLength(int length) override;
    QString selText() const override { return mid(selStart_, selLength_); }
    void setSelText(const QString &text) override;

    void setSelColor(QRgb colour) override;
    void setColour(int start, int length, QRgb colour) override;
    QRgb colourAt(int offset) const override;
    std::vector<ColourRun> colourRuns() const override;
    QRgb defaultTextColour() const override { return defaultColour_; }
    void setDefaultTextColour(QRgb colour) { defaultColour_ = colour; }

    const TextEdit &lastEdit() const override { return lastEdit_; }

    // Keyboard input, as the on-screen editor receives it: a typed character goes through
    // KeyPress first (Enter types CR LF); Backspace and Delete remove the selection or one
    // character, a CR LF line end counting as one.
    void typeCharacter(int code);
    void pressBackspace();
    void pressDelete();
    // Text that the user puts in by other means than typing (a drop, an input method).
    void insertFromUser(const QString &text);
    // The user moved the caret or the selection.
    void selectFromUser(int start, int length);

protected:
    // Hooks for a view that mirrors the model; called after the model has changed and before
    // the notifications run.
    virtual void viewReplaced(int /*start*/, const QString & /*removed*/,
                              const QString & /*inserted*/) {}
    virtual void viewReset() {}
    virtual void viewColoured(int /*start*/, int /*length*/) {}
    virtual void viewSelectionChanged() {}

    // The palette index of each character; 0 means "no colour of its own".
    quint8 colourIndexAt(int offset) const { return colours_.at(offset); }
    QRgb paletteColour(quint8 index) const { return index == 0 ? defaultColour_ : palette_[index]; }
    template <typename F> void forEachColourPiece(int pos, int n, F f) const {
        colours_.forEachPiece(pos, n, f);
    }

private:
    void replace(int start, int removeLength, const QString &inserted, int caretAfter);
    quint8 insertionColour() const;
    quint8 paletteIndex(QRgb colour);
    void setSelection(int start, int length);

    GapBuffer<char16_t> text_;
    GapBuffer<quint8> colours_;
    std::vector<QRgb> palette_;
    QRgb defaultColour_ = qRgb(0, 0, 0);
    int selStart_ = 0;
    int selLength_ = 0;
    std::optional<quint8> pendingColour_;
    TextEdit lastEdit_;
};

} // namespace quenbry
