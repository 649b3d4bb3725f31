#pragma once
// Where each line of the text starts. A line ends at CR LF (one line end of two characters), at
// a CR alone or at an LF alone; the view finds its lines here, whatever mix a file brings.

#include "gapbuffer.h"
#include "lineendmasks.h"

#include <QtGlobal>

#include <climits>
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

    // Lines a chunk holds at most.
    static constexpr int kMaxChunkLines = 1024;

    // Indexes the whole text afresh; its line ends by kind come with it, since the scan looks
    // at each of them anyway.
    LineEndCounts reset(const TextBuffer &text);
    // After [start, start + removed) of the old text was replaced by [start, start + inserted)
    // of text.
    Change update(const TextBuffer &text, int start, int removed, int inserted);

    int count() const { return firstLines_.back(); }
    int start(int line) const {
        size_t k = hint_;
        if (line < firstLines_[k] || line >= firstLines_[k + 1])
            hint_ = k = chunkOfLine(line);
        return bases_[k] + offsets_[k][size_t(line - firstLines_[k])];
    }
    // The line holding offset (the last line for the text's length).
    int lineOf(int offset) const;
    // Chunks the starts are kept in.
    int chunkCount() const { return int(offsets_.size()); }

private:
    class Chunker;
    size_t chunkOfLine(int line) const;
    size_t chunkOfOffset(int offset) const;
    // Replaces chunks [from, to) by those chunker made and moves the chunks after them by
    // moved characters.
    void replaceChunks(size_t from, size_t to, Chunker &chunker, int moved);

    // The starts kept in chunks of consecutive lines, two bytes a line: chunk k holds lines
    // [firstLines_[k], firstLines_[k + 1]), whose starts are bases_[k] plus offsets_[k]
    // (offsets_[k][0] is 0). A chunk ends at kMaxChunkLines lines or where the next start lies
    // more than 65535 characters past its base. The last entries of firstLines_ (the count) and
    // bases_ (INT_MAX) close the last chunk. An edit rewrites the chunks it touches and moves
    // the bases of those after it, a few thousand numbers on the longest pages.
    std::vector<int> firstLines_{0, 1};
    std::vector<int> bases_{0, INT_MAX};
    std::vector<std::vector<quint16>> offsets_{{0}};
    // The chunk last looked at: painting, hit-testing and the loops over every line ask for
    // lines next to each other. Reading moves it, so one thread reads an index at a time.
    mutable size_t hint_ = 0;
};

} // namespace quenbry
