#pragma once
// Instant Preview: the pane beside the editor, the temporary preview file behind it, and the
// refresh that rewrites the file and reloads the pane a moment after the user stops typing.

#include "previewfile.h"
#include "previewpane.h"

#include <QObject>
#include <QTimer>

namespace quenbry {

class Document;
class EditorBuffer;

class InstantPreview : public QObject {
    Q_OBJECT
public:
    // How long after the last change the pane is refreshed: long enough that typing never
    // waits for a write and a reload, short enough to feel live.
    static constexpr int refreshDelayMs = 300;

    // The pane is created hidden in paneParent; the web engine is loaded when it first shows.
    InstantPreview(const EditorBuffer &editor, const Document &document, QWidget *paneParent,
                   const QString &folder = PreviewFile::defaultFolder());

    PreviewPane *pane() const { return pane_; }
    const PreviewFile &file() const { return file_; }

    bool isVisible() const { return visible_; }
    // Showing the pane refreshes it at once; a hidden pane is never refreshed.
    void setVisible(bool visible);

    // Writes the file from the editor's text and leaves the pane alone.
    void writeFile();
    // After a change of the text or of the document's file name: a refresh once the user has
    // paused, if the pane is visible.
    void scheduleRefresh();
    // Rewrites the file and reloads the pane. When the file cannot be written the pane keeps
    // what it shows, and its caption says that it is out of date, or that the preview is off
    // while its folder is not the user's own.
    void refresh();
    void deleteFile() { file_.remove(); }

    bool remoteContentAllowed() const { return remoteAllowed_; }
    // Lets pages load from the web, or stops them; a visible pane is refreshed at once.
    void setRemoteContentAllowed(bool allowed);

private:
    // "Preview: NAME", then what the user must know about what the pane shows.
    void updateCaption();

    const EditorBuffer &editor_;
    const Document &document_;
    PreviewFile file_;
    PreviewPane *pane_;
    QTimer timer_;
    bool visible_ = false;
    bool remoteAllowed_ = false;
    bool upToDate_ = true;
    // Whether the shown page asked for remote content that was refused, since its last load.
    bool remoteRefused_ = false;
};

} // namespace quenbry
