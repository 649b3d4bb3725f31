#pragma once
// Dialogs and a main window for the document tests: answers are queued in advance, every
// request is recorded, and a dialog nobody expected fails the test.

#include "document/document.h"
#include "platform/services.h"

#include <QString>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

namespace quenbry::test {

struct MessageRequest {
    QString text;
    QString title;
    MessageButtons buttons;
    MessageIcon icon;
};

class ScriptedDialogs : public Dialogs {
public:
    std::deque<MessageAnswer> answers;
    std::deque<std::optional<QString>> fileNames;
    std::vector<MessageRequest> messages;
    std::vector<FileDialogRequest> fileDialogs;

    MessageAnswer message(QWidget *, const QString &text, const QString &title,
                          MessageButtons buttons, MessageIcon icon) override {
        messages.push_back({text, title, buttons, icon});
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected message box: " << text.toStdString();
            return MessageAnswer::Cancel;
        }
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::optional<QString> fileDialog(QWidget *, const FileDialogRequest &req) override {
        fileDialogs.push_back(req);
        if (fileNames.empty()) {
            ADD_FAILURE() << "unexpected file dialog: " << req.title.toStdString();
            return std::nullopt;
        }
        auto answer = fileNames.front();
        fileNames.pop_front();
        return answer;
    }

    bool printDialog(QWidget *, PrintRange, QTextDocument &) override {
        ADD_FAILURE() << "unexpected print dialog";
        return false;
    }
};

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
