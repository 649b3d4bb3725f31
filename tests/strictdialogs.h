#pragma once
// Dialogs for unit tests: answers are queued in advance, every request is recorded, and a
// dialog nobody expected fails the test.

#include "platform/services.h"

#include <QString>
#include <deque>
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

class StrictDialogs : public Dialogs {
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

} // namespace quenbry::test
