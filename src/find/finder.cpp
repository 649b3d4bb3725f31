#include "finder.h"

#include <QElapsedTimer>
#include <algorithm>

namespace quenbry {

namespace {

// Where a search goes on after a match: at its end, or one character on from an empty one (a
// CR LF and a surrogate pair being one character).
int after(QStringView text, const SearchMatch &m) {
    if (m.length > 0)
        return m.end();
    const int p = m.start;
    const bool pair =
        p + 1 < text.size() && ((text[p] == u'\r' && text[p + 1] == u'\n') ||
                                (text[p].isHighSurrogate() && text[p + 1].isLowSurrogate()));
    return p + (pair ? 2 : 1);
}

// A slice of counting takes about this long before the event loop runs again.
constexpr int kSliceMs = 2;
// What one call of the matcher reads at most while counting, unless a match runs on past it.
constexpr int kCountStretch = 1 << 16;
// Up to this many characters the count is made at once and follows every edit at once; beyond,
// it starts once the key that asked for it is shown, and after an edit when typing pauses.
constexpr int kRecountAtOnce = 1 << 18;
constexpr int kRecountPauseMs = 250;
// How far before and after the characters drawn a highlighted match is looked for.
constexpr int kHighlightReach = 1024;

} // namespace

Finder::Finder(EditSession &session, QObject *parent)
    : QObject(parent)
    , session_(session)
    , text_(session.text()) {
    countTimer_.setSingleShot(true);
    countTimer_.setInterval(0);
    connect(&countTimer_, &QTimer::timeout, this, &Finder::countSlice);
    recountTimer_.setSingleShot(true);
    recountTimer_.setInterval(kRecountPauseMs);
    connect(&recountTimer_, &QTimer::timeout, this, &Finder::restartCount);
    session_.addListener(this);
}

Finder::~Finder() {
    session_.removeListener(this);
}

void Finder::setOptions(const SearchOptions &options) {
    if (options == pattern_.options())
        return;
    pattern_ = SearchPattern(options);
    startAction();
    emit patternChanged();
    restartCount();
}

void Finder::startAction() {
    note_.clear();
    message_.clear();
    notFound_ = false;
}

QStringView Finder::subject() {
    const QStringView whole = text_.wholeText();
    if (checkedRevision_ != revision_) {
        checkedRevision_ = revision_;
        valid_ = whole.isValidUtf16();
        repaired_ = valid_ ? QString() : withoutLoneSurrogates(whole);
    }
    return valid_ ? whole : QStringView(repaired_);
}

void Finder::select(const SearchMatch &m) {
    text_.selectFromUser(m.start, m.length);
    current_ = {m.start, m.end()};
    origin_ = m.start;
}

void Finder::beginIncremental() {
    origin_ = text_.selStart();
}

void Finder::searchIncremental() {
    startAction();
    if (options().text.isEmpty()) {
        text_.selectFromUser(origin_, 0);
    } else if (pattern_.isUsable()) {
        const int origin = origin_;
        bool wrapped = false;
        if (const auto m = nextFrom(origin, wrapped)) {
            select(*m);
            origin_ = origin; // typing on extends this match rather than moving past it
            if (wrapped)
                note_ = tr("wrapped to the top");
        } else {
            notFound_ = true;
        }
    }
    emit statusChanged();
}

std::optional<SearchMatch> Finder::nextFrom(int from, bool &wrapped) {
    const QStringView text = subject();
    wrapped = false;
    if (auto m = pattern_.matchFrom(text, from))
        return m;
    if (from == 0)
        return std::nullopt;
    wrapped = true;
    return pattern_.matchFrom(text, 0);
}

std::optional<SearchMatch> Finder::lastBefore(QStringView text, int before) const {
    for (qint64 reach = 4096;; reach *= 4) {
        const int from = int(std::max<qint64>(0, before - reach));
        std::optional<SearchMatch> last;
        for (auto m = pattern_.matchFrom(text, from); m && m->start < before;
             m = pattern_.matchFrom(text, after(text, *m)))
            last = m;
        if (last || from == 0)
            return last;
    }
}

bool Finder::findNext() {
    startAction();
    std::optional<SearchMatch> m;
    bool wrapped = false;
    if (pattern_.isUsable()) {
        const QStringView text = subject();
        int from = text_.selStart() + text_.selLength();
        // An empty match at the caret is where the last step went: the next one lies further.
        if (text_.selLength() == 0)
            if (const auto here = pattern_.matchExactly(text, from, 0))
                from = after(text, *here);
        m = nextFrom(from, wrapped);
        if (m)
            select(*m);
        else
            notFound_ = true;
        if (wrapped)
            note_ = tr("wrapped to the top");
    }
    emit statusChanged();
    return m.has_value();
}

bool Finder::findPrevious() {
    startAction();
    std::optional<SearchMatch> m;
    if (pattern_.isUsable()) {
        const QStringView text = subject();
        m = lastBefore(text, text_.selStart());
        if (!m) {
            m = lastBefore(text, int(text.size()) + 1);
            note_ = tr("wrapped to the bottom");
        }
        if (m)
            select(*m);
        else
            notFound_ = true;
    }
    emit statusChanged();
    return m.has_value();
}

void Finder::replace(const QString &replacement) {
    startAction();
    if (pattern_.isUsable()) {
        message_ = pattern_.replacementError(replacement);
        if (message_.isEmpty()) {
            const auto m = pattern_.matchExactly(subject(), text_.selStart(), text_.selLength());
            if (m) {
                editing_ = true;
                text_.setSelText(pattern_.substitute(replacement, *m));
                editing_ = false;
            }
            findNext();
            return;
        }
    }
    emit statusChanged();
}

void Finder::replaceAll(const QString &replacement) {
    startAction();
    if (!pattern_.isUsable() || !(message_ = pattern_.replacementError(replacement)).isEmpty()) {
        emit statusChanged();
        return;
    }
    const int selStart = text_.selStart(), selEnd = selStart + text_.selLength();
    const bool inSelection = text_.lineOf(selStart) != text_.lineOf(selEnd);
    const int from = inSelection ? selStart : 0;
    const int to = inSelection ? selEnd : text_.length();
    const QStringView text = subject();
    std::vector<RangeReplacement> ranges;
    int found = 0;
    for (auto m = pattern_.matchFrom(text, from);
         m && m->end() <= to && (!inSelection || m->start < to);
         m = pattern_.matchFrom(text, after(text, *m))) {
        ++found;
        QString with = pattern_.substitute(replacement, *m);
        // A match replaced by itself is left alone: no change, and no step for Undo.
        if (text.sliced(m->start, m->length) != with)
            ranges.push_back({m->start, m->length, std::move(with)});
    }
    if (found == 0) {
        notFound_ = true;
        emit statusChanged();
        return;
    }
    // The selection keeps what it held; a caret keeps its place among the characters.
    qint64 growth = 0;
    int caret = -1;
    for (const RangeReplacement &r : ranges) {
        if (!inSelection && caret < 0 && r.start + r.length > selStart)
            caret = int(std::min<qint64>(selStart, r.start) + growth);
        growth += r.text.size() - r.length;
    }
    if (caret < 0)
        caret = int(selStart + growth);
    const int length = text_.length();
    editing_ = true;
    const bool made = inSelection
                          ? text_.replaceRanges(ranges, selStart, int(selEnd - selStart + growth))
                          : text_.replaceRanges(ranges, caret, 0);
    editing_ = false;
    if (made)
        message_ = found == 1 ? tr("Replaced 1 match") : tr("Replaced %1 matches").arg(found);
    else
        message_ = tr("Nothing was replaced: the text would grow past %1 characters")
                       .arg(std::max(length, text_.maxLength()));
    emit statusChanged();
}

void Finder::textChanged() {
    ++revision_;
    if (!countOn_ || !pattern_.isUsable())
        return;
    if (editing_ || text_.length() <= kRecountAtOnce) {
        restartCount();
        return;
    }
    countTimer_.stop();
    starts_.clear();
    counting_ = true;
    recountTimer_.start();
    emit statusChanged();
}

void Finder::setCounting(bool on) {
    countOn_ = on;
    restartCount();
}

void Finder::restartCount() {
    countTimer_.stop();
    recountTimer_.stop();
    starts_.clear();
    countFrom_ = 0;
    counting_ = countOn_ && pattern_.isUsable();
    if (counting_ && text_.length() <= kRecountAtOnce) {
        countSlice();
        return;
    }
    if (counting_)
        countTimer_.start();
    emit statusChanged();
}

void Finder::countSlice() {
    QElapsedTimer clock;
    clock.start();
    const QStringView text = subject();
    // Stretch by stretch: a pattern with no plain text to look out for reads every character,
    // and one call over a whole page would hold the keys up for tens of milliseconds.
    int stretch = kCountStretch;
    while (countFrom_ <= text.size()) {
        if (clock.elapsed() >= kSliceMs) {
            countTimer_.start();
            emit statusChanged();
            return;
        }
        int cutAt = -1;
        const int limit =
            wholeCharacters(text, int(std::min<qint64>(text.size(), qint64(countFrom_) + stretch)));
        const auto m = pattern_.matchBefore(text, countFrom_, limit, cutAt);
        if (cutAt >= 0) {
            // Nothing starts before cutAt; from there the stretch must reach further.
            if (cutAt > countFrom_)
                countFrom_ = cutAt;
            else
                stretch *= 2;
        } else if (m) {
            starts_.push_back(m->start);
            countFrom_ = after(text, *m);
        } else {
            countFrom_ = limit == text.size() ? limit + 1 : limit;
        }
    }
    counting_ = false;
    emit statusChanged();
}

QString Finder::status() const {
    if (options().text.isEmpty())
        return {};
    if (!pattern_.error().isEmpty())
        return pattern_.error();
    if (!message_.isEmpty())
        return message_;
    if (notFound_)
        return tr("Not found");
    if (!countOn_)
        return {};
    if (counting_)
        return tr("Counting matches\u2026");
    if (starts_.empty())
        return tr("Not found");
    const int n = int(starts_.size());
    if (text_.selStart() == current_.from && text_.selStart() + text_.selLength() == current_.to) {
        const auto it = std::lower_bound(starts_.begin(), starts_.end(), current_.from);
        if (it != starts_.end() && *it == current_.from) {
            QString s = tr("%1 of %2").arg(int(it - starts_.begin()) + 1).arg(n);
            if (!note_.isEmpty())
                s += QStringLiteral(" (%1)").arg(note_);
            return s;
        }
    }
    return n == 1 ? tr("1 match") : tr("%1 matches").arg(n);
}

void Finder::matchesIn(int from, int to, std::vector<TextRange> &out) const {
    if (!pattern_.isUsable() || from >= to)
        return;
    // The lines around the characters, or a stretch of a long line around them.
    const int length = text_.length();
    const int lastLine = text_.lineOf(std::min(to, length));
    int start = std::max(text_.lineStart(text_.lineOf(from)), from - kHighlightReach);
    int end = std::min(lastLine + 1 < text_.lineCount() ? text_.lineStart(lastLine + 1) : length,
                       to + kHighlightReach);
    if (start > 0 && text_.at(start).isLowSurrogate() && text_.at(start - 1).isHighSurrogate())
        --start;
    if (end < length && text_.at(end).isLowSurrogate() && text_.at(end - 1).isHighSurrogate())
        ++end;
    QString scratch, repaired;
    QStringView window = text_.peek(start, end - start, scratch);
    if (!window.isValidUtf16()) {
        repaired = withoutLoneSurrogates(window);
        window = repaired;
    }
    for (auto m = pattern_.matchFrom(window, 0); m && start + m->start < to;
         m = pattern_.matchFrom(window, after(window, *m)))
        if (m->length > 0 && start + m->end() > from)
            out.push_back({start + m->start, start + m->end()});
}

} // namespace quenbry
