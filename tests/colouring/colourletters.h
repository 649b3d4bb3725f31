#pragma once
// Colours written as one letter per character, so that test tables read like the text:
// G tag, V value, C comment, S script, T plain text, D the editor's default (never coloured).

#include "colouring/syntaxcolouring.h"
#include "platform/editorcore.h"

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
        if (c == SyntaxColouring::toQRgb(SyntaxColouring::TagColor))
            out += 'G';
        else if (c == SyntaxColouring::toQRgb(SyntaxColouring::ValueColor))
            out += 'V';
        else if (c == SyntaxColouring::toQRgb(SyntaxColouring::CommentColor))
            out += 'C';
        else if (c == SyntaxColouring::toQRgb(SyntaxColouring::ScriptColor))
            out += 'S';
        else if (c == SyntaxColouring::toQRgb(SyntaxColouring::TextColor))
            out += 'T';
        else if (c == (kUncoloured | 0xff000000u))
            out += 'D';
        else
            out += '?';
    }
    return out;
}

} // namespace quenbry::testing
