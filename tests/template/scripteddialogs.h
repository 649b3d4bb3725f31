#pragma once
// A Dialogs fake for the template tests: message boxes answer from a queue and are recorded.

#include "platform/services.h"

#include <QString>
#include <deque>
#include <stdexcept>
#include <vector>

namespace quenbry::test {

struct MessageCall {
    QString text;
    QString title;
    MessageButtons buttons;
    MessageIcon icon;
};

class ScriptedDialogs : public Dialogs {
public:
    std::deque<MessageAnswer> answers;
    std::vector<MessageCall> messages;

    MessageAnswer message(QWidget *, const QString &text, const QString &title,
                          MessageButtons buttons, MessageIcon icon) override {
        messages.push_back({text, title, buttons, icon});
        if (answers.empty())
            throw std::logic_error("unexpected message box: " + text.toStdString());
        const MessageAnswer answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::optional<QString> fileDialog(QWidget *, const FileDialogRequest &) override {
        throw std::logic_error("unexpected file dialog");
    }
    bool printDialog(QWidget *, PrintRange, QTextDocument &) override {
        throw std::logic_error("unexpected print dialog");
    }
};

} // namespace quenbry::test
