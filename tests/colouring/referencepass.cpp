#include "referencepass.h"

#include "colouring/syntaxcolouring.h"

namespace quenbry::reference {

namespace {

// The string primitives the pass is written with: 1-based, 0 for "not found".
int inStr(int start, const QString &s, const QString &what) {
    if (start > s.size())
        return 0;
    return int(s.indexOf(what, start - 1)) + 1;
}

QString mid(const QString &s, int start) {
    return s.mid(start - 1);
}

struct Failed {};

QString left(const QString &s, int n) {
    if (n < 0)
        throw Failed{};
    return s.left(n);
}

void paint(EditorBuffer &buffer, int start, int length, quint32 colorRef) {
    buffer.setColour(start, length, SyntaxColouring::toRgb(colorRef));
}

void colorTag(EditorBuffer &buffer, const QString &tag, int a, int b) {
    QString s = tag;
    if (inStr(1, s, "=") == 0) {
        paint(buffer, a, b - a + 1, SyntaxColouring::TagColor);
        return;
    }
    try {
        for (;;) {
            if (s.isEmpty())
                return;
            if (left(s, 1) == "<" && inStr(1, s, "=") > 0) {
                paint(buffer, a, b - a + 1, SyntaxColouring::TagColor);
                s = mid(s, inStr(1, s, "=") + 1);
            }
            QString v = left(s, inStr(1, s, " "));
            if (inStr(1, v, "\"") > 0) {
                const int q = inStr(2, s, "\"");
                if (q > 0)
                    v = left(s, q);
            }
            const int p = b + 1 - int(s.size());
            paint(buffer, p, int(v.size()), SyntaxColouring::ValueColor);
            s = mid(s, int(v.size()) + 1);
            if (inStr(1, s, "=") == 0) {
                s = left(s, int(s.size()) - 1);
                paint(buffer, p, int(s.size()), SyntaxColouring::ValueColor);
                return;
            }
            s = mid(s, inStr(1, s, "=") + 1);
        }
    } catch (Failed) {
        // A failing step abandons the rest of the tag.
    }
}

} // namespace

std::vector<Region> regions(const QString &text) {
    std::vector<Region> out;
    const int n = int(text.size());
    int r = 1;
    do {
        const int a1 = inStr(r, text, "<");
        if (a1 == 0)
            break;
        const int b1 = inStr(a1, text, ">");
        r = b1;
        if (b1 > 0) {
            const QString tag = text.mid(a1 - 1, b1 - a1 + 1);
            if (tag.left(3) == "<!-") {
                // No `->` at all: the comment runs to the end of the text.
                const int d1 = inStr(a1, text, "->");
                const int e = d1 > 0 ? d1 : n - 1;
                out.push_back({a1 - 1, e, true});
                r = e + 1;
            } else {
                out.push_back({a1 - 1, b1 - 1, false});
            }
        }
    } while (r > 0 && r < n);
    return out;
}

void colourRegions(EditorBuffer &buffer) {
    const QString text = buffer.text();
    for (const Region &r : regions(text)) {
        if (r.comment)
            paint(buffer, r.start, r.end - r.start + 1, SyntaxColouring::CommentColor);
        else
            colorTag(buffer, text.mid(r.start, r.end - r.start + 1), r.start, r.end);
    }
}

} // namespace quenbry::reference
