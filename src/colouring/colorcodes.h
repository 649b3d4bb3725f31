#pragma once
// Syntax colouring of the editor text: the palette, the colour of each typed character
// (ColorKeystroke) and the recolouring of tags, attribute values and comments (ColorRegion).
//
// One object per editor, for the whole run. Wiring: KeyPress calls colorKeystroke; every
// Change calls noteEdit(buffer.lastEdit()) and then, when the change is recorded,
// colorRegion(buffer).

#include "platform/editorbuffer.h"

#include <QRgb>
#include <QtGlobal>
#include <climits>
#include <vector>

namespace quenbry {

class ColorCodes {
public:
    // The palette, as COLORREF values (0x00BBGGRR, red in the low byte).
    static constexpr quint32 TextColor = 0x00000000;
    static constexpr quint32 ValueColor = 0x00800080;
    static constexpr quint32 TagColor = 0x00A00000;
    static constexpr quint32 CommentColor = 0x00808040;
    static constexpr quint32 ScriptColor = 0x00000080;

    static constexpr QRgb toQRgb(quint32 colorRef) {
        return qRgb(int(colorRef & 0xff), int((colorRef >> 8) & 0xff),
                    int((colorRef >> 16) & 0xff));
    }

    // The typing state. It follows the stream of typed characters only and lives as long as
    // the program: New and Open leave it as it is.
    bool InTag = false;
    bool InValue = false;
    bool InQuote = false;
    bool InComment = false;
    bool InScript = false;

    // Called from the editor's KeyPress notification before the character is inserted. Sets
    // the colour the character will take and may turn a preceding `<` into "<!--" or "<%",
    // consuming the keystroke (keyAscii becomes 0). Returns the final keyAscii.
    int colorKeystroke(EditorBuffer &buffer, int &keyAscii);

    // Must be told about every change of the text (buffer.lastEdit() after each Change
    // notification), including those not followed by a pass.
    void noteEdit(const TextEdit &edit);
    // Must be told when anything but this class colours characters of the text.
    void noteRecolour(int start, int length);
    // Forgets what the last pass found, so that the next pass repaints every tag and comment
    // (for instance when the class is pointed at another buffer).
    void invalidate();

    // Recolours tags, attribute values and comments. start and end are 1-based positions; 0
    // and -1 stand for the whole text. Changes colours only: no Change notification, the
    // selection is untouched. The whole-text pass gives the result of scanning the whole
    // text but rescans and repaints only what the edits since the last pass can have
    // changed; a pass over part of the text scans the plain way and makes the next whole
    // pass repaint everything.
    void colorRegion(EditorBuffer &buffer, int start = 1, int end = -1);

    // A tag [start, end] (end == gt), or a comment [start, end] whose `->` starts at dash
    // when it is closed (an unclosed comment, one without `->`, runs to the end of the text).
    struct Region {
        int start = 0;
        int gt = 0;
        int end = 0;
        int dash = -1;
        bool comment = false;
        bool closed = false;
        bool operator==(const Region &) const = default;
    };
    // The tags and comments that the last whole-text pass found, in text order.
    const std::vector<Region> &regions() const;

    // Scans a whole text from its start: the regions, and the position of a `<` that has no
    // `>` after it and so ended the scan (-1 when the scan ended otherwise).
    static std::vector<Region> scanRegions(const EditorBuffer &buffer, int *openLt = nullptr);

    // Paints one tag [a, b] (a on its `<`, b on its `>`): tag colour, then the attribute
    // values, calling paint(start, length, colorRef) with non-overlapping runs in text order.
    template <typename Paint> static void colorTag(QStringView tag, int a, Paint paint);

private:
    // What changed since the last pass, as one replaced range: [start, start + removed) of
    // the text of the last pass is now [start, start + inserted).
    struct Envelope {
        int start = 0;
        int removed = 0;
        int inserted = 0;
    };

    void setColor(EditorBuffer &buffer, quint32 colorRef);
    void fullPass(EditorBuffer &buffer);
    void incrementalPass(EditorBuffer &buffer);
    void literalPass(EditorBuffer &buffer, int start, int end);
    void paintRegion(EditorBuffer &buffer, const Region &region);

    Region region(size_t i) const;
    template <typename Pred> size_t firstRegion(Pred pred) const;
    void moveShiftBoundary(size_t index) const;

    // The regions of the last pass. Those from shiftFrom_ on are stored shift_ characters
    // before where they are: an edit shifts everything after it, and moving that boundary
    // only as far as the next edit keeps typing in one place from touching the whole list.
    mutable std::vector<Region> regions_;
    mutable size_t shiftFrom_ = 0;
    mutable int shift_ = 0;
    int openLt_ = -1;
    int knownLength_ = 0;
    bool scanned_ = false;
    bool dirty_ = false;
    Envelope env_;
};

// ---------------------------------------------------------------------------------------

// The tag walk. The tag always ends with its `>` and every step that consumes text stops
// before it, so the unconsumed tail s is never empty, the `>` that the last step removes is
// always there, and every painted range lies inside [a, b]: no step of the walk can fail.
// Should a malformed tag reach it anyway, the walk abandons the tag, as a failing step would.
//
// The walk is linear in the tag's length: the searches only move forward, and instead of
// painting every step's range (a tag like `<a=b=c=...=z x>` would repaint the same characters
// once per `=`), the value ranges are collected and painted once. Every repaint of the
// whole tag in tag colour wipes what was collected before it.
template <typename Paint> void ColorCodes::colorTag(QStringView tag, int a, Paint paint) {
    const int len = int(tag.size());
    const int lastEq = int(tag.lastIndexOf(u'='));
    if (lastEq < 0) {
        paint(a, len, TagColor);
        return;
    }
    std::vector<std::pair<int, int>> values; // [from, to) relative to the tag
    auto addValue = [&](int from, int n) {
        if (n <= 0)
            return;
        if (!values.empty() && from <= values.back().second)
            values.back().second = std::max(values.back().second, from + n);
        else
            values.push_back({from, from + n});
    };
    // Cached forward searches: the first space / quote at or after a position.
    int space = -2, quote = -2;
    auto firstFrom = [&](QChar c, int from, int &cache) {
        if (cache == -2 || (cache >= 0 && cache < from))
            cache = int(tag.indexOf(c, from));
        return cache;
    };

    int s = 0; // the unconsumed tail is tag[s, len)
    for (;;) {
        if (s >= len)
            break;
        if (tag[s] == u'<' && s <= lastEq) {
            values.clear(); // the whole tag in tag colour again
            s = int(tag.indexOf(u'=', s)) + 1;
        }
        // The value token: through the first space, or through the next quote when the
        // token holds one.
        const int sp = firstFrom(u' ', s, space);
        int v = sp < 0 ? 0 : sp - s + 1;
        if (v > 0) {
            const int q = firstFrom(u'"', s, quote);
            if (q >= 0 && q <= sp) {
                const int q2 = firstFrom(u'"', s + 1, quote);
                if (q2 >= 0)
                    v = q2 - s + 1;
            }
        }
        const int p = s;
        addValue(p, v);
        s += v;
        if (s > lastEq) {
            if (s >= len)
                break; // nothing left to drop the `>` from: abandon the tag
            addValue(p, len - s - 1);
            break;
        }
        s = int(tag.indexOf(u'=', s)) + 1;
    }
    int at = 0;
    for (const auto &[from, to] : values) {
        if (from > at)
            paint(a + at, from - at, TagColor);
        paint(a + from, to - from, ValueColor);
        at = to;
    }
    if (at < len)
        paint(a + at, len - at, TagColor);
}

} // namespace quenbry
