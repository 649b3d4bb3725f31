#pragma once
// Syntax colouring of the editor text: the palette, the colour of each typed character
// (colourKeystroke) and the recolouring of tags, attribute values and comments
// (colourRegions).
//
// One object per editor, for the whole run; the edit session (src/editing) drives it.

#include "regionlist.h"
#include "text/editorbuffer.h"

#include <QDeadlineTimer>
#include <QtGlobal>
#include <climits>
#include <optional>
#include <vector>

namespace quenbry {

// What the typed characters so far have opened: it decides the colour of the next one.
struct TypingState {
    bool inTag = false;
    bool inValue = false;
    bool inQuote = false;
    bool inComment = false;
    bool inScript = false;
    bool operator==(const TypingState &) const = default;
};

class SyntaxColouring {
public:
    // The palette, as COLORREF values (0x00BBGGRR, red in the low byte).
    static constexpr quint32 TextColor = 0x00000000;
    static constexpr quint32 ValueColor = 0x00800080;
    static constexpr quint32 TagColor = 0x00A00000;
    static constexpr quint32 CommentColor = 0x00808040;
    static constexpr quint32 ScriptColor = 0x00000080;

    static constexpr Rgb toRgb(quint32 colorRef) {
        return rgb(int(colorRef & 0xff), int((colorRef >> 8) & 0xff), int((colorRef >> 16) & 0xff));
    }

    // The typing state follows the stream of typed characters only and lives as long as the
    // program: New and Open leave it as it is.
    TypingState typingState() const { return typing_; }

    // Runs for a typed key before the character goes into the text. Sets
    // the colour the character will take and may turn a preceding `<` into "<!--" or "<%",
    // consuming the keystroke (key becomes 0). Returns the final key.
    int colourKeystroke(EditorBuffer &buffer, int &key);

    // Must be told about every change of the text (after each Change notification, [start,
    // start + removed) of the old text became inserted characters), including those not
    // followed by a pass.
    void noteEdit(int start, int removed, int inserted);

    // Recolours the tags, attribute values and comments of the whole text. Changes colours
    // only: no Change notification, the selection is untouched. The result is that of
    // scanning the whole text, but only what the edits since the last pass can have changed
    // is rescanned and repainted.
    void colourRegions(EditorBuffer &buffer);

    // The same recolouring of a text put in whole, in steps: the pass over the whole text
    // is begun, then continued as far as someone needs it. The colours of the text before the
    // point the pass has reached are final, as is everything once it has ended; the text must
    // not change, nor anything else colour it, before then (abandonPass() drops a pass whose
    // text is gone).
    void beginPass(EditorBuffer &buffer);
    // Continues until the colours of [0, end) are final or the deadline has passed. True
    // when no pass is left to run.
    bool continuePass(EditorBuffer &buffer, int end,
                      QDeadlineTimer deadline = QDeadlineTimer(QDeadlineTimer::Forever));
    bool passRunning() const { return passing_; }
    void abandonPass();

    using Region = quenbry::Region;
    // The tags and comments that the last pass found, in text order.
    std::vector<Region> regions() const { return regions_.toVector(); }

    // Scans a whole text from its start: the regions, and the position of a `<` that has no
    // `>` after it and so ended the scan (-1 when the scan ended otherwise).
    static std::vector<Region> scanRegions(const EditorBuffer &buffer, int *openLt = nullptr);
    static std::vector<Region> scanText(QStringView text, int *openLt);

    // Paints one tag [a, b] (a on its `<`, b on its `>`): tag colour, then the attribute
    // values, calling paint(start, length, colorRef) with non-overlapping runs in text order.
    template <typename Paint> static void colourTag(QStringView tag, int a, Paint paint);

private:
    // What changed since the last pass, as one replaced range: [start, start + removed) of
    // the text of the last pass is now [start, start + inserted).
    struct Envelope {
        int start = 0;
        int removed = 0;
        int inserted = 0;
    };

    // The change an incremental pass works on, in the positions of both texts, and the
    // first region of the last pass that it can affect.
    struct Rescan {
        int start = 0;  // where the change starts, in both texts
        int oldEnd = 0; // where it ends in the text of the last pass
        int newEnd = 0; // where it ends now
        int delta = 0;  // newEnd - oldEnd
        size_t first = 0;
        std::optional<Region> firstOld;
    };
    // What the rescan found: the fresh regions, where the old ones take over again (none
    // when the rescan ran to the end) and the `<` without `>` that ended it (-1 for none).
    struct RescanResult {
        std::vector<Region> fresh;
        std::optional<size_t> resyncAt;
        int openLt = -1;
    };

    void setColour(EditorBuffer &buffer, quint32 colorRef);
    // Must be told when anything but a pass colours characters of the text.
    void noteRecolour(int start, int length);
    void fullPass(EditorBuffer &buffer);
    void incrementalPass(EditorBuffer &buffer);
    void paintRegion(EditorBuffer &buffer, const Region &region);
    // The same, with the region's characters already read.
    void paintRegion(EditorBuffer &buffer, QStringView region, const Region &r);

    // The steps of the incremental pass.
    Rescan locateChange() const;
    RescanResult rescanChangedRegions(const EditorBuffer &buffer, const Rescan &change) const;
    void paintRescannedRegions(EditorBuffer &buffer, const Rescan &change,
                               const std::vector<Region> &fresh);
    void replaceRescannedRegions(const Rescan &change, RescanResult result);

    // Searches of the rescan that reuse what the last pass found beyond the change.
    int findLtAfterChange(const EditorBuffer &buffer, const Rescan &change, int pos) const;
    int findRemembered(const EditorBuffer &buffer, const Rescan &change, QStringView pattern,
                       int from, int oldAnswer) const;
    std::optional<Region> oldRegionAround(int oldPos) const;

    template <typename Pred> size_t firstRegion(Pred pred) const {
        return regions_.firstWhere(pred);
    }

    TypingState typing_;
    // The regions of the last pass.
    RegionList regions_;
    int openLt_ = -1;
    int knownLength_ = 0;
    bool scanned_ = false;
    // A pass begun by beginPass() that has not ended: it goes on scanning from passPos_.
    bool passing_ = false;
    int passPos_ = 0;
    bool dirty_ = false;
    Envelope env_;
    // Where a tag is read when the text cannot be looked at in place.
    QString scratch_;
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
template <typename Paint> void SyntaxColouring::colourTag(QStringView tag, int a, Paint paint) {
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
