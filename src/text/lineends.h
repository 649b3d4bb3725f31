#pragma once
// How the text's lines end (CR LF, LF, CR or a mix), kept up to date with every edit at the cost
// of the edit's size, so that a status display never has to read a whole page again.

#include "editorcore.h"

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

    struct Counts {
        qint64 crLf = 0;
        qint64 lf = 0; // LF not after a CR
        qint64 cr = 0; // CR not before an LF
    };
    const Counts &counts() const { return counts_; }

private:
    void textReplaced(const TextReplaced &change) override;

    EditorCore &text_;
    Counts counts_;
};

} // namespace quenbry
