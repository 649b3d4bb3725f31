#pragma once
// The shaped text of the model's lines, as the editor view draws, measures and hit-tests them.
// Only lines that are asked for are shaped, and a line longer than a few thousand characters
// is cut into segments of which only those asked for are shaped; the x where each segment
// starts is the sum of the widths before it, so positions stay exact across the cuts.

#include "linewidths.h"

#include <QFont>
#include <QHash>
#include <QList>
#include <QString>
#include <QTextLayout>
#include <map>
#include <memory>
#include <vector>

namespace quenbry {

class EditorCore;
struct TextReplaced;

class LineLayouts {
public:
    // Lines up to this many characters are shaped whole: a key typed into a longer one
    // shapes one segment of about segmentTarget characters again, not the whole line.
    static constexpr int longLine = 2048;
    // Segments of longer lines: aimed at this length, never longer than longLine.
    static constexpr int segmentTarget = 1024;

    explicit LineLayouts(const EditorCore &model);
    ~LineLayouts();

    // The font the text is shaped in; every layout is dropped.
    void setFont(const QFont &font, qreal tabStop);
    const QFont &font() const { return font_; }

    // Follows the model's text; colours need nothing, as shapes do not depend on them.
    void textReplaced(const TextReplaced &change);

    // Text being composed by an input method, shown at offset (none when text is empty).
    void setPreedit(int offset, const QString &text,
                    const QList<QTextLayout::FormatRange> &formats);

    // The x of the caret before offset, from the start of its line; with preeditCursor, of
    // that position inside the text being composed there.
    qreal xOf(int offset, int preeditCursor = -1);
    // The layout that shows the character at offset, and where in it the character is.
    QTextLayout *layoutAt(int offset, int *position);
    // The caret position in line nearest to x.
    int offsetAt(int line, qreal x);
    // The width of the whole line (shapes all of it).
    qreal lineWidth(int line);
    // The widest line, for the scroll range: exact for lines shaped so far, estimated from
    // the character count for the others.
    qreal widestLine();

    // One shaped piece of a line: its layout, the x where it starts in the line, and the
    // characters it holds (offsets in the text).
    struct Piece {
        QTextLayout *layout = nullptr;
        qreal x = 0;
        int start = 0;
        int length = 0;
    };
    // The pieces of line that meet [left, right), in order; last says whether the line's end
    // is among them.
    std::vector<Piece> piecesIn(int line, qreal left, qreal right, bool *last = nullptr);

    // The segments of line as cut now: [start, length) pairs relative to the line start.
    std::vector<std::pair<int, int>> segmentsOf(int line);

    // Lets go of layouts outside [firstLine, lastLine] once more than a screenful is kept.
    void trim(int firstLine, int lastLine);
    void clear();

private:
    struct Segment {
        int start = 0; // from the line start
        int length = 0;
        qreal width = 0;
        bool measured = false;
        qreal measuredAt = 0; // the x it was shaped at, which its tab stops depend on
        bool tabs = false;
        qreal estimate = -1; // the width before it is measured, worked out once
        quint32 usedAt = 0;
        std::unique_ptr<QTextLayout> layout;
    };
    struct Line {
        int length = 0;
        std::vector<Segment> segments;
        // prefix[k] is the x where segment k starts; prefix[0 .. exact] are sums of measured
        // widths.
        std::vector<qreal> prefix;
        int exact = 0;
    };

    Line &line(int n);
    // Cuts [from, to) of the line starting at lineStart into segments.
    void split(int lineStart, int from, int to, std::vector<Segment> &out) const;
    // Whether a segment may end at text offset at: a good cut shapes on both sides as the
    // whole line would; a possible one at least splits no character.
    bool goodCut(int at) const;
    bool possibleCut(int at) const;
    // Makes prefix[0 .. k] exact, measuring what is needed.
    void settle(Line &l, int n, int k);
    QTextLayout *layoutOf(Line &l, int n, int k);
    // The shaped characters [start, start + length) of the text, the segment starting at x
    // of its line; preeditAt is where the composed text goes in, or -1.
    std::unique_ptr<QTextLayout> shape(int start, int length, qreal x, int preeditAt) const;
    void editInLine(Line &l, int n, int at, int removed, int inserted);
    int segmentAt(const Line &l, int rel) const;
    void noteWidth(int n, Line &l);
    qreal estimateWidth(int start, int length);
    // The width of [start, start + length) as shaping gives it, summed from the characters'
    // own advances and, for words where the font joins a pair of them, the words' own shaped
    // widths; false when a character there is not printable ASCII.
    bool plainWidth(int start, int length, qreal *width);
    void learnPlainAdvances();
    std::unique_ptr<QTextLayout> shapeText(const QString &text) const;
    void setWidth(int n, float width);
    // The widest of each block of lines from fromLine's on is to be found again.
    void widthsChanged(int fromLine);
    float estimate(int length) const;

    const EditorCore &model_;
    QFont font_;
    qreal tabStop_ = 80;
    qreal averageWidth_ = 7;
    // Each character's advance in the font, looked up when first needed (negative before).
    std::vector<float> advances_;
    // The advance of each printable ASCII character as shaping gives it, and the pairs of them
    // the font joins or moves (ligatures): learnt when a long line first needs them.
    // Both in 64ths of a pixel, the unit of the layout's own positions; an advance is -1 for
    // every other character, and for all of them with a font that does not keep to that unit.
    std::vector<qint64> plainAdvances_;
    std::vector<char> joinedPairs_; // [first * 128 + second]
    // How far a word with a joined pair is from the sum of its characters' advances.
    QHash<QString, qint64> wordCorrections_;
    QString word_;
    std::map<int, Line> lines_;
    LineWidths widths_;
    // The widest width in each block of kWidthBlock lines, negative while it is to be found.
    static constexpr size_t kWidthBlock = 4096;
    std::vector<float> blockWidest_;
    quint32 generation_ = 1;
    int preeditAt_ = -1;
    QString preedit_;
    QList<QTextLayout::FormatRange> preeditFormats_;
};

} // namespace quenbry
