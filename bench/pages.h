#pragma once
// Deterministic HTML pages of a chosen size for benchmarks: realistic markup laid out in
// lines, and the same markup minified onto one line.

#include <QString>
#include <QtGlobal>

namespace quenbry::bench {

// About `size` characters of realistic markup: a doctype, a head, and a body of nested
// blocks, paragraphs, links, images, tables and comments, indented, in lines of at most
// about 120 characters ending in CR LF. The same size and seed always give the same page.
QString realisticPage(int size, quint32 seed = 1);

// The same kind of markup on one line, without indentation or line ends.
QString minifiedPage(int size, quint32 seed = 1);

} // namespace quenbry::bench
