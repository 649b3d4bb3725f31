#pragma once
// The Go to Line dialog `frmGoto`: a line, or a line and a column, typed as "120" or "120:5";
// it shows the valid range and says inside itself why an input leads nowhere.

#include <QCoreApplication>
#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;

namespace quenbry {

class EditorCore;

class GoToLineDialog : public QDialog {
    Q_DECLARE_TR_FUNCTIONS(GoToLineDialog)

public:
    GoToLineDialog(const EditorCore &text, QWidget *parent = nullptr);

    // Where the caret is to go, or nothing when the user cancelled.
    static std::optional<int> ask(QWidget *owner, const EditorCore &text);

private:
    void go();

    const EditorCore &text_;
    QLineEdit *line_;
    QLabel *error_;
    int offset_ = -1;
};

} // namespace quenbry
