#pragma once
// Colours written as one letter per character, so that test tables read like the text, in the
// notation of the replay scripts, and D for the editor's default (a character never coloured).

#include "platform/editorcore.h"
#include "testsupport/colourletters.h"

#include <QString>

#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) {
    *os << '"' << s.toStdString() << '"';
}

namespace quenbry::testing {

inline constexpr QRgb kUncoloured = qRgb(1, 2, 3);

inline QString colourLetters(const EditorBuffer &buffer) {
    QString out;
    for (int i = 0; i < buffer.length(); ++i) {
        const QRgb c = buffer.colourAt(i) | 0xff000000u;
        out += c == (kUncoloured | 0xff000000u) ? QChar(u'D') : colourLetter(c);
    }
    return out;
}

} // namespace quenbry::testing
