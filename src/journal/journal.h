#pragma once
// The journal of one editor's unsaved text: every edit of the text is kept in a file of the
// state folder, written by a thread of its own shortly after the change, so that a crash, a
// kill or a power cut costs at most the last second of typing. It goes when the text is safe.

#include "journalformat.h"
#include "text/editorcore.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace quenbry {

struct LeftJournal;
class JournalWriter;

class Journal : public QObject, private EditorObserver {
    Q_OBJECT
public:
    // How long after the last change the journal is written, and how long at most it waits
    // while changes keep coming.
    static constexpr int kIdleMs = 250;
    static constexpr int kLongestMs = 700;

    // `describe` tells the document's file name and encoding as they are now.
    Journal(EditorCore &text, std::function<JournalDocument()> describe);
    // The program ended normally: nothing is left behind.
    ~Journal() override;

    // The text as it is now needs no journal: its file holds it, or it is a new page's own.
    // The journal goes, and comes back with the next change. `print` is the text's fingerprint
    // when the caller has one already.
    void textStored(const QByteArray &print = {});
    // The document's file name or encoding changed.
    void documentChanged();
    // The text recovered from a journal another editor left is the document now: that journal
    // is this editor's from here on.
    void adopt(LeftJournal &left);
    // Writes what changed at once rather than when the timer says.
    void flush();
    // Waits until the writer has put everything handed to it on the disk.
    void waitWritten();
    // The journal's file while there is one.
    QString path() const;

    // A journal that could not be written; called once, with a text for the user.
    std::function<void(const QString &)> onError;

private:
    struct Edit {
        int start;
        int removed;
        QString inserted;
    };
    struct Stored {
        int length;
        QByteArray print;
        JournalDocument document;
    };

    void textReplaced(const TextReplaced &change) override;
    void changed();
    void tick();
    bool isStoredText(const JournalDocument &document) const;
    bool storedFileHoldsBase(const JournalDocument &document) const;
    void storedFileChanged();
    void writerFailed(const QString &error);

    EditorCore &text_;
    std::function<JournalDocument()> describe_;
    std::unique_ptr<JournalWriter> writer_;
    QTimer timer_;
    std::vector<Edit> pending_;
    qint64 pendingBytes_ = 0;
    qint64 logBytes_ = 0; // written since the last checkpoint
    qint64 firstChange_ = 0, lastChange_ = 0;
    bool dirty_ = false;
    bool exists_ = false; // a file was asked for and not removed since
    bool checkpointDue_ = false;
    bool reported_ = false;
    JournalDocument written_;
    std::optional<Stored> stored_;
};

} // namespace quenbry
