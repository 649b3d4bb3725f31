#pragma once
// Colours written as one letter a character, so that a test or a replay script reads like the
// text it colours: T text, G tag, V value, C comment, S script, ? any other colour.

#include "colouring/syntaxcolouring.h"

#include <QChar>
#include <QRgb>

namespace quenbry {

inline QChar colourLetter(QRgb colour) {
    const QRgb c = colour | 0xff000000u;
    if (c == SyntaxColouring::toQRgb(SyntaxColouring::TextColor))
        return u'T';
    if (c == SyntaxColouring::toQRgb(SyntaxColouring::TagColor))
        return u'G';
    if (c == SyntaxColouring::toQRgb(SyntaxColouring::ValueColor))
        return u'V';
    if (c == SyntaxColouring::toQRgb(SyntaxColouring::CommentColor))
        return u'C';
    if (c == SyntaxColouring::toQRgb(SyntaxColouring::ScriptColor))
        return u'S';
    return u'?';
}

} // namespace quenbry
