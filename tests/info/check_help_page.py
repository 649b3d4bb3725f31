#!/usr/bin/env python3
"""Checks that the help page is well-formed HTML a browser shows as written: a doctype, a
language, a title; every element closed in order (void elements aside) and no block inside a
paragraph; ids unique; every in-page link lands on an id; and the index at the top links
every section."""
import sys
from html.parser import HTMLParser

VOID = {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta", "source",
        "track", "wbr"}
BLOCK = {"address", "article", "aside", "blockquote", "div", "dl", "fieldset", "figure",
         "footer", "form", "h1", "h2", "h3", "h4", "h5", "h6", "header", "hr", "main", "nav",
         "ol", "p", "pre", "section", "table", "ul"}


class Checker(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.errors, self.stack, self.ids, self.links = [], [], [], []
        self.doctype = None
        self.lang = None
        self.titles = 0
        self.nav_links, self.section_ids = [], []

    def error_at(self, text):
        self.errors.append("line %d: %s" % (self.getpos()[0], text))

    def handle_decl(self, decl):
        self.doctype = decl

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        if tag == "html":
            self.lang = a.get("lang")
        if tag == "title":
            self.titles += 1
        if tag in BLOCK and "p" in self.stack:
            self.error_at("<%s> inside a paragraph" % tag)
        if "id" in a:
            self.ids.append(a["id"])
            if tag == "h2" and "nav" not in self.stack:
                self.section_ids.append(a["id"])
        href = a.get("href", "")
        if href.startswith("#"):
            self.links.append((self.getpos()[0], href[1:]))
            if "nav" in self.stack:
                self.nav_links.append(href[1:])
        if tag not in VOID:
            self.stack.append(tag)

    def handle_startendtag(self, tag, attrs):
        self.handle_starttag(tag, attrs)

    def handle_endtag(self, tag):
        if tag in VOID:
            return
        if not self.stack or self.stack[-1] != tag:
            self.error_at("</%s> closes <%s>" % (tag, self.stack[-1] if self.stack else "nothing"))
            if tag in self.stack:
                del self.stack[len(self.stack) - 1 - self.stack[::-1].index(tag):]
            return
        self.stack.pop()


def check(path):
    c = Checker()
    with open(path, encoding="utf-8") as f:
        c.feed(f.read())
    c.close()
    errors = c.errors
    if (c.doctype or "").lower() != "doctype html":
        errors.append("no <!DOCTYPE html>")
    if not c.lang:
        errors.append("<html> names no language")
    if c.titles != 1:
        errors.append("%d <title> elements" % c.titles)
    if c.stack:
        errors.append("never closed: " + " ".join("<%s>" % t for t in c.stack))
    errors += ["id %r used twice" % i for i in sorted({i for i in c.ids if c.ids.count(i) > 1})]
    errors += ["line %d: link to missing #%s" % (n, t) for n, t in c.links if t not in c.ids]
    errors += ["the index does not link #%s" % s for s in c.section_ids
               if s not in c.nav_links and s != "contents"]
    return errors


if __name__ == "__main__":
    problems = check(sys.argv[1])
    for p in problems:
        print("%s: %s" % (sys.argv[1], p), file=sys.stderr)
    sys.exit(1 if problems else 0)
