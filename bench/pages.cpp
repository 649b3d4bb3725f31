#include "pages.h"

#include <QStringList>
#include <array>

namespace quenbry::bench {

namespace {

class Random {
public:
    explicit Random(quint32 seed)
        : state_(seed * 2654435761u + 0x9e3779b9u) {}
    quint32 next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int below(int n) { return int(next() % quint32(n)); }
    template <size_t N> const char *pick(const std::array<const char *, N> &from) {
        return from[size_t(below(int(N)))];
    }

private:
    quint32 state_;
};

constexpr std::array<const char *, 24> kWords = {
    "the",    "editor",  "page",   "colour", "markup", "quick",   "brown", "fox",
    "jumps",  "over",    "lazy",   "dog",    "table",  "cell",    "link",  "image",
    "source", "browser", "window", "menu",   "save",   "preview", "tag",   "value"};
constexpr std::array<const char *, 6> kBlocks = {"div", "section",    "article",
                                                 "ul",  "blockquote", "form"};
constexpr std::array<const char *, 5> kClasses = {"main", "note", "menu-item", "wide", "footer"};

// Lines of a page, each with its nesting depth.
class PageWriter {
public:
    PageWriter(int size, quint32 seed)
        : size_(size)
        , rnd_(seed) {}

    QString write(bool minified) {
        minified_ = minified;
        line(0, "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01 Transitional//EN\">");
        line(0, "<html>");
        line(1, "<head>");
        line(2, "<title>Generated page</title>");
        line(2, "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">");
        line(2, "<!-- styles for the generated page -->");
        line(1, "</head>");
        line(1, "<body bgcolor=\"#FFFFFF\" text=#000000>");
        while (out_.size() < size_ - 40)
            block(2);
        line(1, "</body>");
        line(0, "</html>");
        return out_;
    }

private:
    void line(int depth, const QString &text) {
        if (!minified_)
            out_ += QString(depth * 2, u' ');
        out_ += text;
        if (!minified_)
            out_ += QStringLiteral("\r\n");
    }

    QString words(int n) {
        QStringList w;
        for (int i = 0; i < n; ++i)
            w << QString::fromLatin1(rnd_.pick(kWords));
        return w.join(u' ');
    }

    // A paragraph wrapped so that no line passes about 120 characters.
    void paragraph(int depth) {
        line(depth, QString("<p class=\"%1\">").arg(rnd_.pick(kClasses)));
        const int lines = 1 + rnd_.below(4);
        for (int i = 0; i < lines; ++i) {
            QString text = words(4 + rnd_.below(8));
            switch (rnd_.below(4)) {
            case 0:
                text += QString(" <a href=\"page%1.html?id=%2\">%3</a>")
                            .arg(rnd_.below(100))
                            .arg(rnd_.below(1000))
                            .arg(words(2));
                break;
            case 1:
                text += QString(" <b>%1</b> <i>%2</i>").arg(words(2), words(1));
                break;
            case 2:
                text += QString(" <img src=\"img/p%1.gif\" alt=\"%2\" width=%3 border=0>")
                            .arg(rnd_.below(50))
                            .arg(words(2))
                            .arg(16 + rnd_.below(200));
                break;
            default:
                text += QStringLiteral(" <br>");
            }
            line(depth + 1, text);
        }
        line(depth, QStringLiteral("</p>"));
    }

    void table(int depth) {
        line(depth, QStringLiteral("<table width=\"100%\" border=0 cellpadding=2>"));
        const int rows = 1 + rnd_.below(4);
        for (int r = 0; r < rows; ++r) {
            line(depth + 1, QStringLiteral("<tr>"));
            const int cells = 1 + rnd_.below(3);
            for (int c = 0; c < cells; ++c)
                line(depth + 2, QString("<td width=%1 nowrap>%2</td>")
                                    .arg(20 + rnd_.below(200))
                                    .arg(words(1 + rnd_.below(4))));
            line(depth + 1, QStringLiteral("</tr>"));
        }
        line(depth, QStringLiteral("</table>"));
    }

    void block(int depth) {
        const int kind = rnd_.below(10);
        if (kind < 5 || depth > 6) {
            paragraph(depth);
        } else if (kind < 7) {
            table(depth);
        } else if (kind < 8) {
            line(depth, QString("<!-- %1 -->").arg(words(3 + rnd_.below(6))));
        } else {
            const char *tag = rnd_.pick(kBlocks);
            line(depth, QString("<%1 class=\"%2\" id=b%3>")
                            .arg(tag, rnd_.pick(kClasses))
                            .arg(rnd_.below(10000)));
            const int inner = 1 + rnd_.below(3);
            for (int i = 0; i < inner && out_.size() < size_ - 40; ++i)
                block(depth + 1);
            line(depth, QString("</%1>").arg(tag));
        }
    }

    int size_;
    Random rnd_;
    bool minified_ = false;
    QString out_;
};

} // namespace

QString realisticPage(int size, quint32 seed) {
    return PageWriter(size, seed).write(false);
}

QString minifiedPage(int size, quint32 seed) {
    return PageWriter(size, seed).write(true);
}

} // namespace quenbry::bench
