#include "searchpattern.h"

namespace quenbry {

namespace {

// Line ends as the editor knows them, for `.`, `^` and `$`.
const QString kLineEnds = QStringLiteral("(*ANYCRLF)");
// A word's characters, as for Ctrl with the arrows: letters, digits, marks and the underscore.
const QString kWordBefore = QStringLiteral("(?<![\\p{L}\\p{N}\\p{M}_])(?:");
const QString kWordAfter = QStringLiteral(")(?![\\p{L}\\p{N}\\p{M}_])");

// Calls literal(text) for each run taken as it is and group(n) for each group named.
template <typename Literal, typename Group>
void parseReplacement(const QString &replacement, Literal literal, Group group) {
    for (qsizetype i = 0; i < replacement.size(); ++i) {
        const QChar c = replacement[i];
        const QChar next = i + 1 < replacement.size() ? replacement[i + 1] : QChar();
        if ((c == u'\\' || c == u'$') && next.isDigit() && next.unicode() < 0x80) {
            group(next.digitValue());
            ++i;
        } else if (c == u'$' && next == u'$') {
            literal(QStringLiteral("$"));
            ++i;
        } else if (c == u'\\' && !next.isNull()) {
            literal(next == u't'   ? QStringLiteral("\t")
                    : next == u'n' ? QStringLiteral("\n")
                    : next == u'r' ? QStringLiteral("\r")
                                   : QString(next));
            ++i;
        } else {
            literal(QString(c));
        }
    }
}

} // namespace

SearchPattern::SearchPattern(const SearchOptions &options)
    : options_(options) {
    if (options_.text.isEmpty())
        return;
    QString core = options_.regex ? options_.text : QRegularExpression::escape(options_.text);
    QRegularExpression::PatternOptions flags = QRegularExpression::MultilineOption;
    if (!options_.matchCase)
        flags |= QRegularExpression::CaseInsensitiveOption;
    // The user's expression is checked on its own first: wrapped for whole words, an unbalanced
    // one could come out balanced and mean something else.
    expression_ = QRegularExpression(kLineEnds + core, flags);
    if (!expression_.isValid()) {
        error_ = tr("%1 (at %2)")
                     .arg(expression_.errorString())
                     .arg(std::max<qsizetype>(1, expression_.patternErrorOffset() -
                                                     kLineEnds.size() + 1));
        return;
    }
    if (options_.wholeWord)
        expression_ = QRegularExpression(kLineEnds + kWordBefore + core + kWordAfter, flags);
    expression_.optimize();
}

std::optional<SearchMatch> SearchPattern::matchFrom(QStringView text, int from) const {
    if (!isUsable() || from < 0 || from > text.size())
        return std::nullopt;
    // Never inside a surrogate pair, where the matcher would read half a character.
    if (from > 0 && from < text.size() && text[from].isLowSurrogate() &&
        text[from - 1].isHighSurrogate())
        ++from;
    const QRegularExpressionMatch m =
        expression_.match(text, from, QRegularExpression::NormalMatch,
                          QRegularExpression::DontCheckSubjectStringMatchOption);
    if (!m.hasMatch())
        return std::nullopt;
    return SearchMatch{int(m.capturedStart()), int(m.capturedLength()), m};
}

std::optional<SearchMatch> SearchPattern::matchBefore(QStringView text, int from, int limit,
                                                      int &cutAt) const {
    cutAt = -1;
    limit = wholeCharacters(text, limit);
    if (limit >= text.size())
        return matchFrom(text, from);
    if (!isUsable() || from < 0 || from > limit)
        return std::nullopt;
    // A hard partial match: any attempt that reaches the end of the stretch says so at once,
    // so a match returned is the one the whole text has.
    const QRegularExpressionMatch m =
        expression_.match(text.first(limit), from, QRegularExpression::PartialPreferFirstMatch,
                          QRegularExpression::DontCheckSubjectStringMatchOption);
    if (m.hasPartialMatch())
        cutAt = int(m.capturedStart());
    if (!m.hasMatch())
        return std::nullopt;
    return SearchMatch{int(m.capturedStart()), int(m.capturedLength()), m};
}

std::optional<SearchMatch> SearchPattern::matchExactly(QStringView text, int start,
                                                       int length) const {
    if (!isUsable() || start < 0 || start > text.size() ||
        (start > 0 && start < text.size() && text[start].isLowSurrogate() &&
         text[start - 1].isHighSurrogate()))
        return std::nullopt;
    const QRegularExpressionMatch m =
        expression_.match(text, start, QRegularExpression::NormalMatch,
                          QRegularExpression::AnchorAtOffsetMatchOption |
                              QRegularExpression::DontCheckSubjectStringMatchOption);
    if (!m.hasMatch() || m.capturedLength() != length)
        return std::nullopt;
    return SearchMatch{start, length, m};
}

QString SearchPattern::substitute(const QString &replacement, const SearchMatch &match) const {
    if (!options_.regex)
        return replacement;
    QString out;
    parseReplacement(
        replacement, [&](const QString &s) { out += s; },
        [&](int n) { out += match.groups.captured(n); });
    return out;
}

QString SearchPattern::replacementError(const QString &replacement) const {
    if (!options_.regex || !isUsable())
        return {};
    const int groups = expression_.captureCount();
    int missing = 0;
    parseReplacement(
        replacement, [](const QString &) {},
        [&](int n) {
            if (n > groups && !missing)
                missing = n;
        });
    if (!missing)
        return {};
    return groups == 0 ? tr("The replacement uses group %1; the expression has none").arg(missing)
                       : tr("The replacement uses group %1; the expression has %2")
                             .arg(missing)
                             .arg(groups);
}

int wholeCharacters(QStringView text, int limit) {
    return limit > 0 && limit < text.size() && text[limit].isLowSurrogate() &&
                   text[limit - 1].isHighSurrogate()
               ? limit + 1
               : limit;
}

QString withoutLoneSurrogates(QStringView text) {
    QString out = text.toString();
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out[i];
        if (c.isHighSurrogate() && i + 1 < out.size() && out[i + 1].isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            out[i] = QChar::ReplacementCharacter;
    }
    return out;
}

} // namespace quenbry
