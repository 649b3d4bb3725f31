#pragma once
// The editor's text as the rest of the program reads and edits it: an exact text with one
// selection and per-character colours. EditorCore keeps it; the on-screen view only shows it;
// who needs to hear of changes observes the model (EditorObserver).

#include <QString>
#include <QStringView>
#include <vector>

namespace quenbry {

// A colour as 0xAARRGGBB, the layout of Qt's QRgb, which belongs to Qt Gui: the editor's text
// and everything that reads it need no more than Qt Core.
using Rgb = quint32;
constexpr Rgb rgb(int red, int green, int blue) {
    return 0xff000000u | (Rgb(red & 0xff) << 16) | (Rgb(green & 0xff) << 8) | Rgb(blue & 0xff);
}

// Characters [start, start + length) all show this colour.
struct ColourRun {
    int start = 0;
    int length = 0;
    Rgb colour = 0;
    bool operator==(const ColourRun &) const = default;
};

// The edit behind the latest Change notification: [start, start + removed.size()) of the
// previous text was replaced by insertedLength characters.
struct TextEdit {
    int start = 0;
    QString removed;
    int insertedLength = 0;
};

class EditorBuffer {
public:
    virtual ~EditorBuffer() = default;

    // The text, every line end as it is stored (CR LF counts as two characters).
    virtual int length() const = 0;
    virtual QChar at(int offset) const = 0;
    virtual QString text() const = 0;
    virtual QString mid(int start, int length) const = 0;
    // The same characters as mid(), to read before the text changes next: where it can, the
    // view looks straight at the stored text, otherwise it is copied into scratch.
    virtual QStringView peek(int start, int length, QString &scratch) const {
        scratch = mid(start, length);
        return scratch;
    }
    virtual int indexOf(QChar c, int from) const = 0;
    virtual int indexOf(QStringView s, int from) const = 0;
    virtual int lastIndexOf(QChar c, int from) const = 0;
    // Replaces the whole text; the caret goes to the start. Handed over with std::move, the
    // text's characters are taken over rather than copied.
    virtual void setText(QString text) = 0;

    // Setting the start collapses the selection to a caret there; the length then extends
    // the selection from the start. Out-of-range values are clamped to the text; negative
    // values are rejected (false) and change nothing.
    virtual int selStart() const = 0;
    virtual bool setSelStart(int start) = 0;
    virtual int selLength() const = 0;
    virtual bool setSelLength(int length) = 0;
    virtual QString selText() const = 0;
    // Replaces the selection (or inserts at the caret); the caret ends after the new text.
    virtual void setSelText(const QString &text) = 0;

    // Colours the selection; on an empty selection, sets the colour that the next inserted
    // character takes.
    virtual void setSelectionColour(Rgb colour) = 0;
    // Colours [start, start + length) without touching the selection.
    virtual void setColour(int start, int length, Rgb colour) = 0;
    // The colour the user sees at offset.
    virtual Rgb colourAt(int offset) const = 0;
    virtual std::vector<ColourRun> colourRuns() const = 0;
    // What a character shows that never got a colour of its own.
    virtual Rgb defaultTextColour() const = 0;

    // The edit behind the latest change of the text.
    virtual const TextEdit &lastEdit() const = 0;
};

// What the user does to the text with the keys and the mouse, as the view hands it on. The
// model takes it as it comes; the edit session first lets the colouring see each typed key.
class EditorInput {
public:
    virtual ~EditorInput() = default;
    // A typed character: Enter types CR LF, '\b' is Backspace, Escape types nothing.
    virtual void typeCharacter(int key) = 0;
    virtual void pressDelete() = 0;
    // Text put in by other means than typing (an input method, a paste with the middle
    // button, a character outside the basic plane): it replaces the selection.
    virtual void insertFromUser(const QString &text) = 0;
    // The user moved the caret or the selection.
    virtual void selectFromUser(int start, int length) = 0;
};

} // namespace quenbry
