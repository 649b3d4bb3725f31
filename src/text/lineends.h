#pragma once
// How the text's lines end (CR LF, LF, CR or a mix), kept up to date with every edit at the cost
// of the edit's size, so that a status display never has to read a whole page again.

#include "editorcore.h"
#include "lineendmasks.h"

namespace quenbry {

enum class LineEnds { None, CrLf, Lf, Cr, Mixed };

class LineEndCensus : private EditorObserver {
public:
    // Counts the text's line ends now and follows it until destroyed.
    explicit LineEndCensus(EditorCore &text);
    ~LineEndCensus() override;
    LineEndCensus(const LineEndCensus &) = delete;
    LineEndCensus &operator=(const LineEndCensus &) = delete;

    LineEnds lineEnds() const;

    using Counts = LineEndCounts;
    const Counts &counts() const { return counts_; }

private:
    // Line ends of a run of characters read in pieces: every CR, every LF, and the pairs.
    struct Tally {
        qint64 crs = 0, lfs = 0, pairs = 0;
        bool empty = true, startsWithLf = false, afterCr = false;
        void add(const char16_t *p, int n);
        void add(QChar c);
        void add(const EditorCore &text, int start, int length);
        // A run counted on its own, read by its pieces' add() alone.
        void add(const Tally &run);
        Counts finish() const { return {pairs, lfs - pairs, crs - pairs}; }
    };

    void textReplaced(const TextReplaced &change) override;

    EditorCore &text_;
    Counts counts_;
    // What the latest edit put in, counted on its own: when the next edit takes out exactly
    // that (the Undo of a paste), its count is known without reading the run again.
    int insertedStart_ = -1;
    int insertedLength_ = 0;
    Tally inserted_;
};

} // namespace quenbry
