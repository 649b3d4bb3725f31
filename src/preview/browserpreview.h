#pragma once
// Preview in Browser: saves the document and hands its file to the user's web browser, through
// the holder window Form1, which is never shown.

#include <QCoreApplication>

class QLabel;
class QWidget;

namespace quenbry {

class Dialogs;
class Document;
class Shell;

class BrowserPreview {
    Q_DECLARE_TR_FUNCTIONS(BrowserPreview)

public:
    // The message box and Form1 belong to owner; Form1 goes with it.
    BrowserPreview(Document &document, Dialogs &dialogs, Shell &shell, QWidget *owner);

    void run();
    // Form1, created hidden by the first preview; null before it.
    QWidget *holder() const { return holder_; }

private:
    void createHolder();

    Document &document_;
    Dialogs &dialogs_;
    Shell &shell_;
    QWidget *owner_;
    QWidget *holder_ = nullptr;
    QLabel *fileLabel_ = nullptr;
};

} // namespace quenbry
