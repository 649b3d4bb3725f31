#pragma once
// A main window stand-in for the document tests: it records what the document asks of it.

#include "document/document.h"
#include "strictdialogs.h"

#include <QString>
#include <functional>

namespace quenbry::test {

class RecordingHost : public DocumentHost {
public:
    static inline const QString kAppTitle = QStringLiteral("Quenbry HTML Editor");

    QString caption = QStringLiteral("Quenbry HTML Editor");
    bool cmdUndoEnabled = true;
    bool xpButton7Enabled = true;
    bool ended = false;
    int newPageDialogs = 0;
    // What the New Page dialog does while it is open ("Create Page" or "Cancel").
    std::function<void()> newPageDialog;

    QWidget *dialogOwner() override { return nullptr; }
    QString applicationTitle() const override { return kAppTitle; }
    void setCaption(const QString &c) override { caption = c; }
    void runNewPageDialog() override {
        ++newPageDialogs;
        if (newPageDialog)
            newPageDialog();
    }
    void disableCmdUndo() override { cmdUndoEnabled = false; }
    void disableXPButton7() override { xpButton7Enabled = false; }
    void endProcess() override { ended = true; }
};

} // namespace quenbry::test
