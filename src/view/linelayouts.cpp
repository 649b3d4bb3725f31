#include "linelayouts.h"

#include "text/editorcore.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextOption>
#include <algorithm>
#include <cmath>

namespace quenbry {

namespace {

// Wide enough that no line of the longest allowed segment ever reaches it, and well inside
// the range of Qt's fixed-point layout coordinates.
constexpr qreal kUnboundedWidth = 1 << 24;

// The view's lines are never wrapped and keep their trailing spaces.
QTextOption unwrappedOption() {
    QTextOption option(Qt::AlignLeft | Qt::AlignTop);
    option.setWrapMode(QTextOption::NoWrap);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    return option;
}

void layOutOneLine(QTextLayout &layout) {
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(kUnboundedWidth);
    line.setPosition(QPointF(0, 0));
    layout.endLayout();
}

bool joinsNeighbours(char16_t c) {
    // Zero-width joiners and non-joiners, and variation selectors, bind what is on both sides.
    return c == 0x200C || c == 0x200D || (c >= 0xFE00 && c <= 0xFE0F);
}

} // namespace

LineLayouts::LineLayouts(const EditorCore &model)
    : model_(model) {
    clear();
}

LineLayouts::~LineLayouts() = default;

void LineLayouts::setFont(const QFont &font, qreal tabStop) {
    font_ = font;
    // Kerning pairs across a segment cut would make a segmented line and a line shaped whole
    // disagree by a fraction of a pixel per pair; without kerning both give the same x for
    // every character, and at the editor's sizes the difference to the eye is nil.
    font_.setKerning(false);
    tabStop_ = tabStop > 0 ? tabStop : 80;
    averageWidth_ = std::max<qreal>(1, QFontMetricsF(font_).averageCharWidth());
    advances_.assign(0x10000, -1.0f);
    plainAdvances_.clear();
    clear();
}

void LineLayouts::clear() {
    lines_.clear();
    const int n = model_.lineCount();
    widths_.reset(n);
    int line = 0;
    model_.forEachLineLength(0, n - 1, [&](int length) { widths_.set(line++, -estimate(length)); });
    blockWidest_.clear();
    widthsChanged(0);
}

float LineLayouts::estimate(int length) const {
    return float(length * averageWidth_);
}

// The widest line is the widest of the blocks' widest: an edit touches one block, or moves the
// lines after it, and only the blocks it touched are looked through again.
void LineLayouts::widthsChanged(int fromLine) {
    const size_t blocks = (size_t(widths_.size()) + kWidthBlock - 1) / kWidthBlock;
    blockWidest_.resize(blocks, -1);
    for (size_t b = size_t(fromLine) / kWidthBlock; b < blocks; ++b)
        blockWidest_[b] = -1;
}

void LineLayouts::setWidth(int n, float width) {
    // What is kept is rounded: the block's widest is of what is kept.
    const float was = std::abs(widths_.at(n));
    widths_.set(n, width);
    const float now = std::abs(widths_.at(n));
    float &widest = blockWidest_[size_t(n) / kWidthBlock];
    if (widest >= 0 && now >= widest)
        widest = now;
    else if (was == widest)
        widest = -1;
}

qreal LineLayouts::widestLine() {
    float widest = 0;
    for (size_t b = 0; b < blockWidest_.size(); ++b) {
        if (blockWidest_[b] < 0) {
            const int from = int(b * kWidthBlock);
            blockWidest_[b] =
                widths_.widest(from, std::min(widths_.size(), from + int(kWidthBlock)));
        }
        widest = std::max(widest, blockWidest_[b]);
    }
    return widest;
}

// ---- Following the model --------------------------------------------------------------

void LineLayouts::textReplaced(const TextReplaced &c) {
    const int delta = c.inserted - c.removed;
    if (preeditAt_ >= c.start)
        preeditAt_ = std::max(c.start, preeditAt_ + delta);

    std::vector<float> fresh;
    fresh.reserve(size_t(c.linesInserted) + 1);
    model_.forEachLineLength(c.firstLine, c.firstLine + c.linesInserted,
                             [&](int length) { fresh.push_back(-estimate(length)); });
    // An edit inside one line moves its width by about what was typed, until it is measured.
    if (c.linesRemoved == 0 && c.linesInserted == 0)
        fresh[0] = -std::max(0.0f, std::abs(widths_.at(c.firstLine)) + estimate(delta));
    if (c.linesRemoved == c.linesInserted) {
        for (int i = 0; i <= c.linesInserted; ++i)
            setWidth(c.firstLine + i, fresh[size_t(i)]);
    } else {
        widths_.replace(c.firstLine, c.linesRemoved + 1, fresh);
        widthsChanged(c.firstLine);
    }

    if (c.linesRemoved == 0 && c.linesInserted == 0) {
        const auto it = lines_.find(c.firstLine);
        if (it == lines_.end())
            return;
        Line &l = it->second;
        const int at = c.start - model_.lineStart(c.firstLine);
        const int length = model_.lineEnd(c.firstLine) - model_.lineStart(c.firstLine);
        // An edit of a line end that left the line count alone (a CR turned into another
        // character before an LF) changes the line in ways only a fresh start follows.
        if (at >= 0 && at + c.removed <= l.length && length == l.length - c.removed + c.inserted)
            editInLine(l, c.firstLine, at, c.removed, c.inserted);
        else
            lines_.erase(it);
        return;
    }
    // Lines that changed go; the lines after them keep their shaped text under new numbers.
    std::map<int, Line> moved;
    for (auto it = lines_.lower_bound(c.firstLine); it != lines_.end();) {
        if (it->first > c.firstLine + c.linesRemoved) {
            auto node = lines_.extract(it++);
            node.key() += c.linesInserted - c.linesRemoved;
            moved.insert(std::move(node));
        } else {
            it = lines_.erase(it);
        }
    }
    lines_.merge(moved);
}

void LineLayouts::setPreedit(int offset, const QString &text,
                             const QList<QTextLayout::FormatRange> &formats) {
    auto drop = [&](int at) {
        if (at < 0 || at > model_.length())
            return;
        const int n = model_.lineOf(at);
        const auto it = lines_.find(n);
        if (it == lines_.end())
            return;
        Line &l = it->second;
        const int k = segmentAt(l, at - model_.lineStart(n));
        l.segments[size_t(k)].layout.reset();
        l.segments[size_t(k)].measured = false;
        l.exact = std::min(l.exact, k);
    };
    drop(preeditAt_);
    preeditAt_ = text.isEmpty() ? -1 : offset;
    preedit_ = text;
    preeditFormats_ = formats;
    drop(preeditAt_);
}

// ---- Segments --------------------------------------------------------------------------

bool LineLayouts::possibleCut(int at) const {
    if (at <= 0 || at >= model_.length())
        return true;
    const QChar before = model_.at(at - 1), after = model_.at(at);
    return !after.isLowSurrogate() && !after.isMark() && !joinsNeighbours(after.unicode()) &&
           !joinsNeighbours(before.unicode());
}

bool LineLayouts::goodCut(int at) const {
    // After a space, a tab or the end of a tag no font joins or kerns the characters on
    // both sides, so the two segments shape as the whole line would.
    if (at <= 0 || at >= model_.length())
        return true;
    const QChar before = model_.at(at - 1);
    return (before == u' ' || before == u'>' || before == u'\t') && possibleCut(at);
}

void LineLayouts::split(int lineStart, int from, int to, std::vector<Segment> &out) const {
    int pos = from;
    while (to - pos > longLine) {
        const int a = lineStart + pos;
        int cut = -1;
        for (int b = a + segmentTarget; cut < 0 && b <= a + longLine; ++b)
            if (goodCut(b))
                cut = b;
        for (int b = a + segmentTarget - 1; cut < 0 && b >= a + segmentTarget / 2; --b)
            if (goodCut(b))
                cut = b;
        for (int b = a + segmentTarget; cut < 0 && b < a + longLine; ++b)
            if (possibleCut(b))
                cut = b;
        if (cut < 0)
            cut = a + segmentTarget; // a thousand combining marks in a row: cut anyway
        Segment s;
        s.start = pos;
        s.length = cut - a;
        out.push_back(std::move(s));
        pos = cut - lineStart;
    }
    Segment s;
    s.start = pos;
    s.length = to - pos;
    out.push_back(std::move(s));
}

LineLayouts::Line &LineLayouts::line(int n) {
    const auto it = lines_.find(n);
    if (it != lines_.end())
        return it->second;
    Line l;
    const int lineStart = model_.lineStart(n);
    l.length = model_.lineEnd(n) - lineStart;
    split(lineStart, 0, l.length, l.segments);
    l.prefix.assign(l.segments.size() + 1, 0);
    return lines_.emplace(n, std::move(l)).first->second;
}

int LineLayouts::segmentAt(const Line &l, int rel) const {
    // A position on a cut belongs to the segment that starts there.
    const auto it = std::upper_bound(l.segments.begin(), l.segments.end(), rel,
                                     [](int r, const Segment &s) { return r < s.start; });
    return std::max(0, int(it - l.segments.begin()) - 1);
}

void LineLayouts::editInLine(Line &l, int n, int at, int removed, int inserted) {
    const int delta = inserted - removed;
    l.length += delta;
    // The segments the edit touched become one, with a neighbour on each side whose cut the
    // edit may have spoiled, and that stretch is cut afresh.
    int a = segmentAt(l, at);
    int b = removed > 0 ? segmentAt(l, at + removed - 1) : a;
    const int lineStart = model_.lineStart(n);
    int from = l.segments[size_t(a)].start;
    const Segment &last = l.segments[size_t(b)];
    int to = last.start + last.length + delta;
    if (a > 0 && !goodCut(lineStart + from)) {
        --a;
        from = l.segments[size_t(a)].start;
    }
    if (b + 1 < int(l.segments.size()) && !goodCut(lineStart + to)) {
        ++b;
        to = l.segments[size_t(b)].start + l.segments[size_t(b)].length + delta;
    }
    std::vector<Segment> fresh;
    if (to - from > longLine || l.segments.size() > 1)
        split(lineStart, from, to, fresh);
    else {
        Segment s;
        s.start = from;
        s.length = to - from;
        fresh.push_back(std::move(s));
    }
    for (size_t k = size_t(b) + 1; k < l.segments.size(); ++k)
        l.segments[k].start += delta;
    l.segments.erase(l.segments.begin() + a, l.segments.begin() + b + 1);
    l.segments.insert(l.segments.begin() + a, std::make_move_iterator(fresh.begin()),
                      std::make_move_iterator(fresh.end()));
    l.prefix.resize(l.segments.size() + 1);
    l.exact = std::min(l.exact, a);
}

std::vector<std::pair<int, int>> LineLayouts::segmentsOf(int n) {
    std::vector<std::pair<int, int>> out;
    for (const Segment &s : line(n).segments)
        out.emplace_back(s.start, s.length);
    return out;
}

// ---- Shaping ---------------------------------------------------------------------------

// Colours play no part: they are drawn over the shaped glyphs, so a recoloured line keeps its
// shape and every x measured for it.
std::unique_ptr<QTextLayout> LineLayouts::shape(int start, int length, qreal x,
                                                int preeditAt) const {
    QString text = model_.mid(start, length);
    bool tabs = false;
    for (QChar &c : text) {
        // The layout would break the line at these; the view shows one line per line end.
        if (c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QChar::ReplacementCharacter;
        else if (c == u'\t')
            tabs = true;
    }
    auto layout = std::make_unique<QTextLayout>(text, font_);
    QTextOption option = unwrappedOption();
    option.setTabStopDistance(tabStop_);
    const qreal phase = std::fmod(x, tabStop_);
    if (tabs && phase != 0) {
        // Tab stops count from the start of the line, not of the segment.
        QList<QTextOption::Tab> stops;
        const qreal reach =
            length * QFontMetricsF(font_).maxWidth() + qreal(text.count(u'\t') + 1) * tabStop_;
        for (qreal stop = tabStop_ - phase; stop <= reach; stop += tabStop_)
            stops.append(QTextOption::Tab(stop, QTextOption::LeftTab));
        option.setTabs(stops);
    }
    layout->setTextOption(option);

    QList<QTextLayout::FormatRange> formats;
    if (preeditAt >= 0) {
        layout->setPreeditArea(preeditAt, preedit_);
        for (QTextLayout::FormatRange r : preeditFormats_) {
            r.start += preeditAt;
            formats.append(r);
        }
    }
    layout->setFormats(formats);
    layout->setCacheEnabled(true);
    layOutOneLine(*layout);
    return layout;
}

QTextLayout *LineLayouts::layoutOf(Line &l, int n, int k) {
    settle(l, n, k);
    Segment &s = l.segments[size_t(k)];
    const qreal x = l.prefix[size_t(k)];
    if (!s.layout || (s.tabs && s.measuredAt != x)) {
        const int lineStart = model_.lineStart(n);
        int preeditAt = -1;
        if (preeditAt_ >= lineStart && preeditAt_ <= lineStart + l.length &&
            segmentAt(l, preeditAt_ - lineStart) == k)
            preeditAt = preeditAt_ - lineStart - s.start;
        s.layout = shape(lineStart + s.start, s.length, x, preeditAt);
        const qreal width = s.layout->lineAt(0).horizontalAdvance();
        if (!s.measured || width != s.width)
            l.exact = std::min(l.exact, k);
        s.width = width;
        s.measured = true;
        s.measuredAt = x;
        s.tabs = s.layout->text().contains(u'\t');
    }
    if (l.exact == k) {
        l.prefix[size_t(k) + 1] = x + s.width;
        l.exact = k + 1;
    }
    s.usedAt = generation_;
    return s.layout.get();
}

void LineLayouts::settle(Line &l, int n, int k) {
    const int lineStart = model_.lineStart(n);
    for (int j = l.exact; j < k; ++j) {
        Segment &s = l.segments[size_t(j)];
        const qreal x = l.prefix[size_t(j)];
        if (!s.measured && plainWidth(lineStart + s.start, s.length, &s.width)) {
            s.measured = true;
            s.measuredAt = x;
            s.tabs = false;
        } else if (!s.measured || (s.tabs && s.measuredAt != x)) {
            // Measured only: the layout of a segment out of sight is not kept.
            const auto layout = shape(lineStart + s.start, s.length, x, -1);
            s.width = layout->lineAt(0).horizontalAdvance();
            s.measured = true;
            s.measuredAt = x;
            s.tabs = layout->text().contains(u'\t');
            s.layout.reset();
        }
        l.prefix[size_t(j) + 1] = x + s.width;
    }
    l.exact = std::max(l.exact, k);
}

void LineLayouts::noteWidth(int n, Line &l) {
    if (l.exact == int(l.segments.size())) {
        setWidth(n, float(l.prefix.back()));
        return;
    }
    const int lineStart = model_.lineStart(n);
    qreal w = l.prefix[size_t(l.exact)];
    for (size_t k = size_t(l.exact); k < l.segments.size(); ++k) {
        Segment &s = l.segments[k];
        if (!s.measured && s.estimate < 0)
            s.estimate = estimateWidth(lineStart + s.start, s.length);
        w += s.measured ? s.width : s.estimate;
    }
    setWidth(n, -float(w));
}

// The sum of the characters' own advances: what shaping gives, short of ligatures, at the
// cost of looking each character up. The scroll bar reaches the end of a long line without
// its far segments being shaped.
qreal LineLayouts::estimateWidth(int start, int length) {
    qreal w = 0;
    model_.forEachTextPiece(start, length, [&](const char16_t *p, int count, int) {
        for (int i = 0; i < count; ++i) {
            float &a = advances_[p[i]];
            if (a < 0) {
                const QChar c(p[i]);
                a = c.isSurrogate() ? float(averageWidth_) / 2
                    : c == u'\t'    ? float(tabStop_ / 2)
                                    : float(QFontMetricsF(font_).horizontalAdvance(c));
            }
            w += a;
        }
    });
    return w;
}

std::unique_ptr<QTextLayout> LineLayouts::shapeText(const QString &text) const {
    auto layout = std::make_unique<QTextLayout>(text, font_);
    layout->setTextOption(unwrappedOption());
    layOutOneLine(*layout);
    return layout;
}

namespace {
constexpr char16_t kPlainFirst = 0x20, kPlainLast = 0x7E;
constexpr int kUnitsPerPixel = 64;
} // namespace

// Shapes every ordered pair of printable ASCII characters, a text for each first character
// ("ab ac ad ..."), the space between pairs keeping them apart as it does words. Each
// character's advance is the step it most often makes; a pair where either character steps
// otherwise is joined (a ligature), and so is a pair whose following space steps otherwise.
void LineLayouts::learnPlainAdvances() {
    std::vector<std::vector<qreal>> steps(128);
    std::vector<std::pair<QString, std::vector<qreal>>> probes;
    for (char16_t a = kPlainFirst; a <= kPlainLast; ++a) {
        QString text;
        for (char16_t b = kPlainFirst; b <= kPlainLast; ++b)
            text += QChar(a), text += QChar(b), text += u' ';
        const auto layout = shapeText(text);
        const QTextLine line = layout->lineAt(0);
        std::vector<qreal> x(size_t(text.size()) + 1);
        x.back() = line.horizontalAdvance();
        // A glyph a character in one font: the glyphs' places are the characters'. Otherwise
        // (a ligature) each place is asked for, at a cost that grows with the text.
        const QList<QGlyphRun> runs = layout->glyphRuns();
        if (runs.size() == 1 && runs[0].positions().size() == text.size()) {
            const QList<QPointF> at = runs[0].positions();
            for (int i = 0; i < text.size(); ++i)
                x[size_t(i)] = at[i].x();
        } else {
            for (int i = 0; i < text.size(); ++i)
                x[size_t(i)] = line.cursorToX(i);
        }
        for (int i = 0; i < text.size(); ++i)
            steps[text[i].unicode()].push_back(x[size_t(i) + 1] - x[size_t(i)]);
        probes.emplace_back(text, std::move(x));
    }
    std::vector<qreal> advance(128, -1);
    bool whole = true;
    for (char16_t c = kPlainFirst; c <= kPlainLast; ++c) {
        std::vector<qreal> &s = steps[c];
        std::sort(s.begin(), s.end());
        size_t best = 0, run = 0;
        for (size_t i = 0; i < s.size(); ++i) {
            run = i > 0 && s[i] == s[i - 1] ? run + 1 : 1;
            if (run > best) {
                best = run;
                advance[c] = s[i];
            }
        }
        whole = whole && advance[c] * kUnitsPerPixel == std::round(advance[c] * kUnitsPerPixel);
    }
    plainAdvances_.assign(128, -1);
    joinedPairs_.assign(128 * 128, 0);
    if (!whole)
        return;
    for (char16_t c = kPlainFirst; c <= kPlainLast; ++c)
        plainAdvances_[c] = qint64(std::round(advance[c] * kUnitsPerPixel));
    for (const auto &[text, x] : probes) {
        auto steps = [&](int i) {
            return x[size_t(i) + 1] - x[size_t(i)] == advance[text[i].unicode()];
        };
        for (int i = 0; i < text.size(); i += 3) {
            const char16_t a = text[i].unicode(), b = text[i + 1].unicode();
            if (!steps(i) || !steps(i + 1))
                joinedPairs_[size_t(a * 128 + b)] = 1;
            if (!steps(i + 2))
                joinedPairs_[size_t(b * 128 + u' ')] = 1;
        }
    }
}

bool LineLayouts::plainWidth(int start, int length, qreal *width) {
    if (plainAdvances_.empty())
        learnPlainAdvances();
    const qint64 *advances = plainAdvances_.data();
    const char *joinedPairs = joinedPairs_.data();
    // Words end after a space or a '>', where shaping starts afresh (see goodCut).
    qint64 w = 0;
    int wordStart = start;
    bool plain = true, joined = false;
    auto endWord = [&](int end) {
        if (joined) {
            word_.resize(end - wordStart);
            char16_t *out = reinterpret_cast<char16_t *>(word_.data());
            model_.forEachTextPiece(wordStart, end - wordStart,
                                    [&](const char16_t *p, int n, int at) {
                                        std::copy(p, p + n, out + (at - wordStart));
                                    });
            auto it = wordCorrections_.constFind(word_);
            if (it == wordCorrections_.cend()) {
                qint64 sum = 0;
                for (QChar c : std::as_const(word_))
                    sum += advances[c.unicode()];
                const qreal shaped = shapeText(word_)->lineAt(0).horizontalAdvance();
                it = wordCorrections_.insert(word_,
                                             qint64(std::round(shaped * kUnitsPerPixel)) - sum);
            }
            w += *it;
        }
        wordStart = end;
        joined = false;
    };
    char16_t previous = 0;
    model_.forEachTextPiece(start, length, [&](const char16_t *p, int n, int at) {
        for (int i = 0; plain && i < n; ++i) {
            const char16_t c = p[i];
            if (c >= 128 || advances[c] < 0) {
                plain = false;
                break;
            }
            joined = joined || joinedPairs[previous * 128 + c];
            w += advances[c];
            previous = c;
            if (c == u' ' || c == u'>') {
                endWord(at + i + 1);
                previous = 0;
            }
        }
    });
    if (!plain)
        return false;
    endWord(start + length);
    *width = qreal(w) / kUnitsPerPixel;
    return true;
}

// ---- Queries ---------------------------------------------------------------------------

qreal LineLayouts::xOf(int offset, int preeditCursor) {
    offset = std::clamp(offset, 0, model_.length());
    const int n = model_.lineOf(offset);
    Line &l = line(n);
    const int rel = std::min(offset - model_.lineStart(n), l.length);
    const int k = segmentAt(l, rel);
    QTextLayout *layout = layoutOf(l, n, k);
    int pos = rel - l.segments[size_t(k)].start;
    const int pre = layout->preeditAreaPosition();
    if (pre >= 0 && (pos > pre || (pos == pre && preeditCursor >= 0)))
        pos += pos == pre ? std::clamp(preeditCursor, 0, int(layout->preeditAreaText().size()))
                          : int(layout->preeditAreaText().size());
    const qreal x = l.prefix[size_t(k)] + layout->lineAt(0).cursorToX(pos);
    noteWidth(n, l);
    return x;
}

QTextLayout *LineLayouts::layoutAt(int offset, int *position) {
    offset = std::clamp(offset, 0, model_.length());
    const int n = model_.lineOf(offset);
    Line &l = line(n);
    const int rel = std::min(offset - model_.lineStart(n), l.length);
    const int k = segmentAt(l, rel);
    *position = rel - l.segments[size_t(k)].start;
    return layoutOf(l, n, k);
}

int LineLayouts::offsetAt(int n, qreal x) {
    Line &l = line(n);
    const int lineStart = model_.lineStart(n);
    const int count = int(l.segments.size());
    int k = 0;
    // The segment under x: the widths before it are settled one by one.
    while (k + 1 < count) {
        layoutOf(l, n, k);
        if (l.prefix[size_t(k) + 1] > x)
            break;
        ++k;
    }
    QTextLayout *layout = layoutOf(l, n, k);
    int pos =
        layout->lineAt(0).xToCursor(x - l.prefix[size_t(k)], QTextLine::CursorBetweenCharacters);
    const int pre = layout->preeditAreaPosition();
    if (pre >= 0 && pos > pre)
        pos = std::max(pre, pos - int(layout->preeditAreaText().size()));
    noteWidth(n, l);
    return lineStart + l.segments[size_t(k)].start +
           std::clamp(pos, 0, l.segments[size_t(k)].length);
}

qreal LineLayouts::lineWidth(int n) {
    Line &l = line(n);
    layoutOf(l, n, int(l.segments.size()) - 1);
    noteWidth(n, l);
    return l.prefix.back();
}

std::vector<LineLayouts::Piece> LineLayouts::piecesIn(int n, qreal left, qreal right, bool *last) {
    Line &l = line(n);
    const int lineStart = model_.lineStart(n);
    std::vector<Piece> out;
    const int count = int(l.segments.size());
    if (last)
        *last = false;
    for (int k = 0; k < count; ++k) {
        settle(l, n, k);
        const qreal x = l.prefix[size_t(k)];
        if (x >= right)
            break;
        const Segment &s = l.segments[size_t(k)];
        // A segment wholly left of the window only needs its width; one that may reach into
        // it is shaped once and kept for drawing.
        const bool current = s.measured && !(s.tabs && s.measuredAt != x);
        if (k + 1 < count && (current ? x + s.width <= left : x + 2 * estimate(s.length) < left)) {
            settle(l, n, k + 1);
            if (l.prefix[size_t(k) + 1] <= left)
                continue;
        }
        QTextLayout *layout = layoutOf(l, n, k);
        if (x + s.width > left || k + 1 == count) {
            out.push_back(Piece{layout, x, lineStart + s.start, s.length});
            if (last && k + 1 == count)
                *last = true;
        }
    }
    noteWidth(n, l);
    return out;
}

void LineLayouts::trim(int firstLine, int lastLine) {
    ++generation_;
    // Enough for a tall window of short lines and the segments of a few long ones.
    constexpr int budget = 400;
    constexpr int margin = 20;
    int kept = 0;
    for (const auto &[n, l] : lines_)
        for (const Segment &s : l.segments)
            kept += s.layout ? 1 : 0;
    if (kept <= budget)
        return;
    for (auto it = lines_.begin(); it != lines_.end();) {
        Line &l = it->second;
        const bool near = it->first >= firstLine - margin && it->first <= lastLine + margin;
        if (!near && l.segments.size() == 1) {
            it = lines_.erase(it); // its width stays in widths_
            continue;
        }
        for (Segment &s : l.segments)
            if (!near || s.usedAt + 1 < generation_)
                s.layout.reset();
        ++it;
    }
}

} // namespace quenbry
