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
    // What the New Page dialog does while it is open and what it returns (the choices of
    // "Create Page", or nothing for "Cancel").
    std::function<std::optional<TemplateSettings>()> newPageDialog;

    QWidget *dialogOwner() override { return nullptr; }
    void setCaption(const QString &c) override { caption = c; }
    std::optional<TemplateSettings> runNewPageDialog() override {
        ++newPageDialogs;
        return newPageDialog ? newPageDialog() : std::nullopt;
    }
    void disableHiddenUndoButton() override { cmdUndoEnabled = false; }
    void disableToolbarUndoButton() override { xpButton7Enabled = false; }
    void endProcess() override { ended = true; }
};

} // namespace quenbry::test
