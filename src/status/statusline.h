#pragma once
// The status bar along the bottom of the window: where the caret is (line and column, from 1),
// how much is selected, how the text's lines end and the document's encoding. Fields are
// labels in a row; a new one is one more label. It follows the edit session as a listener.

#include "editing/editsession.h"
#include "text/lineends.h"

#include <QCoreApplication>
#include <QWidget>
#include <functional>

class QLabel;

namespace quenbry {

class StatusLine : public QWidget, private EditSessionListener {
    Q_DECLARE_TR_FUNCTIONS(StatusLine)

public:
    // caret tells where the caret is: the moving end of the selection, which only the view
    // knows; the model holds the selection's start and length.
    StatusLine(EditSession &session, std::function<int()> caret, QWidget *parent = nullptr);
    ~StatusLine() override;

    // What the fields show.
    struct State {
        int line = 1;
        int column = 1; // characters as the editor stores them, a tab being one
        int selected = 0;
        LineEnds lineEnds = LineEnds::None;
        QString encoding;
    };
    const State &state() const { return state_; }

    void setEncoding(const QString &encoding);

    // "CRLF", "LF", "CR", "Mixed", or "" for a text without line ends.
    static QString lineEndsText(LineEnds ends);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // EditSessionListener
    void textChanged() override { refresh(); }
    void selectionChanged() override { refresh(); }

    void refresh();
    void show(QLabel *field, const QString &text);

    EditSession &session_;
    std::function<int()> caret_;
    LineEndCensus census_;
    State state_;
    QLabel *position_;
    QLabel *selection_;
    QLabel *lineEnds_;
    QLabel *encoding_;
    int fullPixelSize_ = 0;
};

} // namespace quenbry
