#pragma once
// Find and replace over the document's text: the pattern, incremental search from where the
// user started, Find Next and Previous with wrapping, Replace and Replace All (one change of the
// text), the count of all matches (in slices, so that no key waits for it) and the matches in
// a stretch of the text for highlighting. It hears of edits as a listener of the edit session.

#include "editing/editsession.h"
#include "searchpattern.h"
#include "text/textmotion.h"

#include <QObject>
#include <QTimer>
#include <vector>

namespace quenbry {

class Finder : public QObject, private EditSessionListener {
    Q_OBJECT
public:
    explicit Finder(EditSession &session, QObject *parent = nullptr);
    ~Finder() override;

    // A new pattern: the matches are counted afresh. Nothing is selected.
    void setOptions(const SearchOptions &options);
    const SearchOptions &options() const { return pattern_.options(); }
    const SearchPattern &pattern() const { return pattern_; }
    const EditorCore &text() const { return text_; }

    // Incremental search starts from where the selection starts now, and from each match that
    // Find Next or Previous goes to.
    void beginIncremental();
    // Selects the first match at or after that place, wrapping at the end; with nothing to
    // search for, the selection goes back to where the search started.
    void searchIncremental();
    // The next match after the selection and the last one before it, wrapping at the ends.
    bool findNext();
    bool findPrevious();
    // Replaces the selection when it is a match, then goes to the next match; otherwise only
    // goes to the next match.
    void replace(const QString &replacement);
    // Replaces every match, in the selection when it spans more than one line and otherwise in
    // the whole text, as one change of the text.
    void replaceAll(const QString &replacement);

    // The matches are counted, and follow the edits, only while the user looks at the count
    // (the find bar shows): otherwise an edit would pay for a count nobody reads.
    void setCounting(bool on);
    // Every match in the text; -1 while they are still being counted, 0 while not counting.
    int matchCount() const { return counting_ ? -1 : int(starts_.size()); }
    // "3 of 120", "Not found", the pattern's error, or what Replace All did.
    QString status() const;

    // The matches that meet [from, to), for highlighting; nothing when the pattern is unusable.
    void matchesIn(int from, int to, std::vector<TextRange> &out) const;

signals:
    // The status may read differently.
    void statusChanged();
    // The pattern changed: the highlighted matches may be others.
    void patternChanged();

private:
    // EditSessionListener
    void textChanged() override;
    void selectionChanged() override { emit statusChanged(); }

    // The text to search, in one piece and valid UTF-16.
    QStringView subject();
    // The match at or after from; from the start of the text when there is none (wrapped).
    std::optional<SearchMatch> nextFrom(int from, bool &wrapped);
    // The last match starting before `before`.
    std::optional<SearchMatch> lastBefore(QStringView text, int before) const;
    void select(const SearchMatch &m);
    void startAction();
    void restartCount();
    void countSlice();

    EditSession &session_;
    EditorCore &text_;
    SearchPattern pattern_;
    int origin_ = 0;
    // What the last action left to say: that a search wrapped, that it found nothing, or what a
    // replacement did.
    QString note_;
    bool notFound_ = false;
    QString message_;
    TextRange current_{-1, -1}; // the match the last search selected
    // The count: the start of every match found so far, in order, up to countFrom_.
    std::vector<int> starts_;
    int countFrom_ = 0;
    bool counting_ = false;
    bool countOn_ = false;
    QTimer countTimer_;
    // Edits of a long text recount when typing pauses.
    QTimer recountTimer_;
    // The text as the matcher saw it: whether it holds lone surrogates, and a copy without them.
    quint64 revision_ = 1;
    quint64 checkedRevision_ = 0;
    bool valid_ = true;
    QString repaired_;
    bool editing_ = false;
};

} // namespace quenbry
