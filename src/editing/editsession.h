#pragma once
// One document's editing: the text model, its edit history and its syntax colouring, kept in
// step by one piece of code. A typed key reaches the colouring's typing state before the
// model; every change of the text is noted by the history and the colouring, marks the
// document modified, and, while recording, is recorded and recoloured, always in that order,
// whoever made the change. Listeners hear what came of it.

#include "colouring/syntaxcolouring.h"
#include "history/history.h"
#include "text/editorcore.h"

#include <QTimer>
#include <memory>
#include <vector>

namespace quenbry {

class EditSessionListener {
public:
    virtual ~EditSessionListener() = default;
    // The text changed and the session has handled it: noted, marked modified, and while
    // recording, recorded and recoloured.
    virtual void textChanged() {}
    // The selection moved (after textChanged when an edit moved it).
    virtual void selectionChanged() {}
    // Undo or Redo may have become available or unavailable: after every recorded change,
    // every Undo and Redo (also one that could not act) and every reset of the history.
    virtual void undoAvailabilityChanged(bool /*canUndo*/, bool /*canRedo*/) {}
    // Undo found the newest change starting before the first character, where no caret can
    // stand, and restored the older text another way.
    virtual void undoRejected() {}
    // Undo and Redo hide the selection's highlight while they rewrite the text.
    virtual void selectionHighlightHidden(bool /*hidden*/) {}
    // An Undo or a Redo has ended.
    virtual void historyStepped() {}
    virtual void modifiedChanged(bool /*modified*/) {}
    // An edit was not made: the text would have grown to `length` characters, more than the
    // model may hold.
    virtual void editRefused(qint64 /*length*/) {}
};

class EditSession : public EditorInput,
                    private EditorObserver,
                    private HistoryHost,
                    private PendingColours {
public:
    // The text model is the session's own; tests may hand in one that counts what is read.
    explicit EditSession(std::unique_ptr<EditorCore> text = std::make_unique<EditorCore>());
    ~EditSession() override;
    EditSession(const EditSession &) = delete;
    EditSession &operator=(const EditSession &) = delete;

    // The text. Edits made through it go through the session all the same; views observe it.
    EditorCore &text() { return core_; }
    const EditorCore &text() const { return core_; }
    const History &history() const { return history_; }
    const SyntaxColouring &colouring() const { return colouring_; }

    // Listeners are told in the order they were added; each must be removed before it goes.
    void addListener(EditSessionListener *listener);
    void removeListener(EditSessionListener *listener);

    // EditorInput: what the user types goes through the colouring's key press first, which
    // sets the colour the character takes and may replace a `<` before it.
    void typeCharacter(int key) override;
    void pressDelete() override { core_.pressDelete(); }
    void insertFromUser(const QString &text) override { core_.insertFromUser(text); }
    void selectFromUser(int start, int length) override { core_.selectFromUser(start, length); }

    // History recording: off until start-up has ended, and while Undo or Redo edits the text.
    bool isRecording() const { return history_.isRecording(); }
    void setRecording(bool recording) { history_.setRecording(recording); }
    void undo() { history_.undo(); }
    void redo() { history_.redo(); }
    // The current text as the only entry: nothing to undo or redo.
    void resetHistory() { history_.reset(); }

    // The document has changed since it was last saved.
    bool modified() const { return modified_; }
    void setModified(bool modified);

    // The change handling once more, as if the user had changed the text: the start-up runs
    // it on the page it put in before recording began.
    void handleChange();
    // Replaces the whole text with a document's own (an opened file): a fresh history holds
    // the new text as its only entry; the text is taken over, not copied. Its colouring runs
    // in short steps while the program is idle; whatever reads colours, or changes the text
    // or its colours, first has the colouring finished as far as it needs.
    void load(QString text);

private:
    // EditorObserver
    void textChangeNotified() override;
    void selectionChangeNotified() override;
    void editRefused(const EditRefused &refused) override;
    // HistoryHost
    void availabilityChanged(bool canUndo, bool canRedo) override;
    void undoRejected() override;
    void hideSelection(bool hide) override;
    void focusEditor() override;
    void beginColouring();
    // PendingColours
    bool settleColours(int end) override;
    void discardColours() override;
    void colourWhileIdle();
    void colouringEnded();

    template <typename F> void tell(F f);

    std::unique_ptr<EditorCore> ownCore_;
    EditorCore &core_;
    History history_;
    SyntaxColouring colouring_;
    bool modified_ = false;
    bool loading_ = false;
    // Runs a step of a loaded text's colouring each time the event loop is idle.
    std::unique_ptr<QTimer> idle_;
    // A large text was loaded: what its open freed is given back once its colouring has ended.
    bool trimWhenColoured_ = false;
    std::vector<EditSessionListener *> listeners_;
};

} // namespace quenbry
