#pragma once
// Colours written as one letter a character, so that a test or a replay script reads like the
// text it colours: T text, G tag, V value, C comment, S script, ? any other colour.

#include "colouring/syntaxcolouring.h"

#include <QChar>

namespace quenbry {

inline QChar colourLetter(Rgb colour) {
    const Rgb c = colour | 0xff000000u;
    if (c == SyntaxColouring::toRgb(SyntaxColouring::TextColor))
        return u'T';
    if (c == SyntaxColouring::toRgb(SyntaxColouring::TagColor))
        return u'G';
    if (c == SyntaxColouring::toRgb(SyntaxColouring::ValueColor))
        return u'V';
    if (c == SyntaxColouring::toRgb(SyntaxColouring::CommentColor))
        return u'C';
    if (c == SyntaxColouring::toRgb(SyntaxColouring::ScriptColor))
        return u'S';
    return u'?';
}

} // namespace quenbry
