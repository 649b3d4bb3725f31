#pragma once
// The find bar `fraFind` below the editor, as in a browser or Kate: the find field, the replace
// field (for Replace), the matching options, the buttons and a status line. Typing searches as
// you type; Enter and Shift+Enter step to the next and previous match; Escape closes the bar.
// The search itself is the Finder's.

#include "find/finder.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quenbry {

class FindBar : public QWidget {
    Q_OBJECT
public:
    FindBar(Finder &finder, QWidget *parent = nullptr);

    // Shows the bar, with the replace field when asked: the selection, when it lies on one
    // line, goes into the find field, and the field takes the keys with its text selected.
    void open(bool withReplace);
    // Hides the bar; the window gives the keys back to the editor.
    void close();
    bool replaceShown() const;
    QString replacement() const;

    QLineEdit *findField() const { return findField_; }
    QLineEdit *replaceField() const { return replaceField_; }
    QCheckBox *matchCase() const { return matchCase_; }
    QCheckBox *wholeWord() const { return wholeWord_; }
    QCheckBox *regex() const { return regex_; }
    QString status() const;

signals:
    // Shown, hidden, or grown or shrunk by the replace field: the window makes room for the
    // bar or gives it back to the editor.
    void placeChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    SearchOptions options() const;
    void optionsEdited();

    Finder &finder_;
    QLineEdit *findField_;
    QLineEdit *replaceField_;
    QWidget *replaceTools_;
    std::vector<QWidget *> replaceRow_;
    QCheckBox *matchCase_;
    QCheckBox *wholeWord_;
    QCheckBox *regex_;
    QLabel *status_;
};

} // namespace quenbry
