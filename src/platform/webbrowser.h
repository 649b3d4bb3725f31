#pragma once
// The user's web browser: the desktop's default for web addresses (what `xdg-settings get
// default-web-browser` names), started on a page, never this editor itself, even where the
// desktop hands it pages by their file type.

#include <QStringList>
#include <QUrl>
#include <functional>

namespace quenbry {

// The command line of a desktop entry's Exec key (the entry's whole text given) for opening
// url: the %u and %U codes give the address, %f and %F a local file's path; other codes go.
// An entry whose Exec takes no address gets it last. Empty when the entry has no Exec key.
QStringList desktopEntryCommand(const QString &entryText, const QUrl &url);

class WebBrowser {
public:
    // The desktop entry id of this editor, which is never taken for a browser.
    explicit WebBrowser(QString ownEntry)
        : ownEntry_(std::move(ownEntry)) {}

    // Starts the browser on url, detached from this process; without a default browser,
    // xdg-open, unless it would hand the page to this editor. `failed` is called when nothing
    // could be started, or later, when what started ended with a failure within moments (a
    // browser refusing to run as root).
    void open(const QUrl &url, std::function<void()> failed) const;

private:
    // The default browser's desktop entry id, "" when none is set (or this editor is).
    QString defaultEntry() const;
    QString ownEntry_;
};

} // namespace quenbry
