#pragma once
// What the user looks for, compiled once: a plain text or a Perl-compatible regular expression,
// with or without case, as a whole word or anywhere, over the text as the editor stores it
// (a CR LF is two characters; `.` and `$` take CR LF, LF and CR alike for line ends).

#include <QCoreApplication>
#include <QRegularExpression>
#include <QString>
#include <optional>

namespace quenbry {

struct SearchOptions {
    QString text;
    bool matchCase = false;
    bool wholeWord = false;
    bool regex = false;
    bool operator==(const SearchOptions &) const = default;
};

// [start, start + length) of the text searched, with the groups of a regular expression.
struct SearchMatch {
    int start = 0;
    int length = 0;
    QRegularExpressionMatch groups;
    int end() const { return start + length; }
};

class SearchPattern {
    Q_DECLARE_TR_FUNCTIONS(SearchPattern)

public:
    SearchPattern() = default;
    explicit SearchPattern(const SearchOptions &options);

    const SearchOptions &options() const { return options_; }
    // Not empty, and a regular expression that compiles.
    bool isUsable() const { return !options_.text.isEmpty() && error_.isEmpty(); }
    // Why the regular expression does not compile, and where ("" when it does).
    const QString &error() const { return error_; }

    // The first match starting at or after from. The text must be valid UTF-16 (no lone
    // surrogates): it is not checked again on every call, which on a long page would cost more
    // than the search.
    std::optional<SearchMatch> matchFrom(QStringView text, int from) const;
    // The first match starting at or after from, looking at the text only up to limit (moved on
    // by wholeCharacters), so that one call costs no more than that stretch however rare the
    // matches. When the answer
    // depends on what lies past limit, nothing is returned and cutAt tells where a match may
    // begin that runs on across it (no match begins before); otherwise cutAt is -1.
    std::optional<SearchMatch> matchBefore(QStringView text, int from, int limit, int &cutAt) const;
    // The match that starts at start, when it is exactly length long.
    std::optional<SearchMatch> matchExactly(QStringView text, int start, int length) const;

    // What replaces a match. For a regular expression \1 to \9 and $1 to $9 stand for its
    // groups (\0 and $0 for the whole match), \\ and $$ for \ and $, \t \n \r for a tab, LF and
    // CR, and \ before any other character for that character; a plain text is taken as it is.
    QString substitute(const QString &replacement, const SearchMatch &match) const;
    // Why a replacement cannot be used ("" when it can): it names a group the expression lacks.
    QString replacementError(const QString &replacement) const;

private:
    SearchOptions options_;
    QRegularExpression expression_;
    QString error_;
};

// limit, or one further where it would split a surrogate pair, of which the matcher must never
// read half.
int wholeCharacters(QStringView text, int limit);
// The text with every surrogate that is not half of a pair (which the matcher must not see)
// as U+FFFD: the same with every lone surrogate as U+FFFD, so that offsets stay as they are.
QString withoutLoneSurrogates(QStringView text);

} // namespace quenbry
