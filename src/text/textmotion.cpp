#include "textmotion.h"

#include "editorcore.h"

namespace quenbry {

namespace {

bool isLineEnd(QChar c) {
    return c == u'\r' || c == u'\n';
}

// A pair of code units that makes one character: CR LF, or a surrogate pair.
bool isPair(QChar first, QChar second) {
    return (first == u'\r' && second == u'\n') ||
           (first.isHighSurrogate() && second.isLowSurrogate());
}

enum class CharClass { Space, Word, Other };
CharClass classOf(QChar c) {
    if (c.isSpace())
        return CharClass::Space;
    if (c.isLetterOrNumber() || c.isMark() || c == u'_' || c.isSurrogate())
        return CharClass::Word;
    return CharClass::Other;
}

bool continuesCharacter(QChar c) {
    return c.isMark() || c.isLowSurrogate();
}

} // namespace

int characterBefore(const EditorCore &text, int pos) {
    if (pos <= 0)
        return 0;
    pos = std::min(pos, text.length());
    return pos >= 2 && isPair(text.at(pos - 2), text.at(pos - 1)) ? pos - 2 : pos - 1;
}

int characterAfter(const EditorCore &text, int pos) {
    const int length = text.length();
    if (pos >= length)
        return length;
    pos = std::max(pos, 0);
    return pos + 1 < length && isPair(text.at(pos), text.at(pos + 1)) ? pos + 2 : pos + 1;
}

int caretBefore(const EditorCore &text, int pos) {
    pos = characterBefore(text, pos);
    while (pos > 0 && continuesCharacter(text.at(pos)))
        --pos;
    return pos;
}

int caretAfter(const EditorCore &text, int pos) {
    const int length = text.length();
    pos = characterAfter(text, pos);
    while (pos < length && continuesCharacter(text.at(pos)))
        ++pos;
    return pos;
}

int nextWord(const EditorCore &text, int pos) {
    const int length = text.length();
    if (pos >= length)
        return length;
    if (isLineEnd(text.at(pos)))
        return caretAfter(text, pos);
    const CharClass start = classOf(text.at(pos));
    if (start != CharClass::Space)
        while (pos < length && !isLineEnd(text.at(pos)) && classOf(text.at(pos)) == start)
            ++pos;
    while (pos < length && !isLineEnd(text.at(pos)) && classOf(text.at(pos)) == CharClass::Space)
        ++pos;
    return pos;
}

int previousWord(const EditorCore &text, int pos) {
    if (pos <= 0)
        return 0;
    int p = pos;
    while (p > 0 && !isLineEnd(text.at(p - 1)) && classOf(text.at(p - 1)) == CharClass::Space)
        --p;
    if (p > 0 && isLineEnd(text.at(p - 1)))
        return p == pos ? caretBefore(text, p) : p;
    if (p == 0)
        return 0;
    const CharClass cls = classOf(text.at(p - 1));
    while (p > 0 && !isLineEnd(text.at(p - 1)) && classOf(text.at(p - 1)) == cls)
        --p;
    return p;
}

int endOfWord(const EditorCore &text, int pos) {
    const int length = text.length();
    if (pos >= length)
        return length;
    if (isLineEnd(text.at(pos)))
        return caretAfter(text, pos);
    while (pos < length && !isLineEnd(text.at(pos)) && classOf(text.at(pos)) == CharClass::Space)
        ++pos;
    if (pos < length && !isLineEnd(text.at(pos))) {
        const CharClass cls = classOf(text.at(pos));
        while (pos < length && !isLineEnd(text.at(pos)) && classOf(text.at(pos)) == cls)
            ++pos;
    }
    return pos;
}

TextRange wordAt(const EditorCore &text, int pos) {
    const int line = text.lineOf(pos);
    const int lineStart = text.lineStart(line), lineEnd = text.lineEnd(line);
    if (lineStart == lineEnd)
        return {pos, pos};
    // The character under the pointer, or the one before it at the end of a line.
    const int at = std::clamp(pos, lineStart, lineEnd - 1);
    const CharClass cls = classOf(text.at(at));
    int from = at, to = at;
    while (from > lineStart && classOf(text.at(from - 1)) == cls)
        --from;
    while (to < lineEnd && classOf(text.at(to)) == cls)
        ++to;
    return {from, to};
}

TextRange lineWithEndAt(const EditorCore &text, int pos) {
    const int line = text.lineOf(pos);
    const int next = line + 1 < text.lineCount() ? text.lineStart(line + 1) : text.length();
    return {text.lineStart(line), next};
}

} // namespace quenbry
