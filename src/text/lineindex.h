#pragma once
// Where each line of the text starts. A line ends at CR LF (one line end of two characters), at
// a CR alone or at an LF alone; the view finds its lines here, whatever mix a file brings.

#include "gapbuffer.h"

#include <vector>

namespace quenbry {

class LineIndex {
public:
    // How an edit changed the lines: lines [firstLine, firstLine + removed] of the old text
    // became lines [firstLine, firstLine + inserted] of the new one; the lines after them only
    // moved.
    struct Change {
        int firstLine = 0;
        int removed = 0;
        int inserted = 0;
    };

    // Indexes the whole text afresh.
    void reset(const TextBuffer &text);
    // After [start, start + removed) of the old text was replaced by [start, start + inserted)
    // of text.
    Change update(const TextBuffer &text, int start, int removed, int inserted);

    int count() const { return int(starts_.size()); }
    int start(int line) const {
        return starts_[size_t(line)] + (line >= stepLine_ ? stepLength_ : 0);
    }
    // The line holding offset (the last line for the text's length).
    int lineOf(int offset) const;

private:
    // The first line whose start is at or after offset (count() when none is).
    int firstStartAtOrAfter(int offset) const;
    void moveStep(int line);
    // Appends the starts of lines beginning in [from, to] of text to out.
    static void scan(const TextBuffer &text, int from, int to, std::vector<int> &out);

    // Starts of lines from stepLine_ on are stored stepLength_ short of where they are: typing
    // moves every later line, and settling that debt only up to the next edit's line keeps
    // typing in one place from touching every line of a long page.
    std::vector<int> starts_{0};
    int stepLine_ = 1;
    int stepLength_ = 0;
};

} // namespace quenbry
