#!/usr/bin/env python3
"""Writes the Debian changelog (gzipped, as packages ship it) from the releases that the
AppStream metadata lists, so that the two never tell different stories.

Usage: debian-changelog.py METAINFO SOURCE_PACKAGE MAINTAINER OUTPUT.gz
"""
import datetime
import email.utils
import gzip
import sys
import textwrap
import xml.etree.ElementTree as ET

XML_LANG = "{http://www.w3.org/XML/1998/namespace}lang"


def words(element):
    return " ".join("".join(element.itertext()).split())


def bullets(description):
    """The release's notes as changelog items: a paragraph is an item, a list's entries are
    items below it. Translations (xml:lang) are the same notes again and are left out."""
    lines = []
    if description is None:
        return lines
    for child in description:
        if child.get(XML_LANG):
            continue
        if child.tag == "p":
            lines += textwrap.wrap(words(child), 79, initial_indent="  * ",
                                   subsequent_indent="    ")
        elif child.tag in ("ul", "ol"):
            for item in child.findall("li"):
                if not item.get(XML_LANG):
                    lines += textwrap.wrap(words(item), 79, initial_indent="    - ",
                                           subsequent_indent="      ")
    return lines


def main(metainfo, source, maintainer, output):
    releases = ET.parse(metainfo).getroot().findall("releases/release")
    if not releases:
        sys.exit(f"{metainfo}: no releases")
    entries = []
    for release in releases:
        version = release.get("version")
        day = datetime.date.fromisoformat(release.get("date"))
        when = datetime.datetime(day.year, day.month, day.day, tzinfo=datetime.timezone.utc)
        notes = bullets(release.find("description")) or [f"  * Release {version}."]
        entries.append("\n".join([f"{source} ({version}) unstable; urgency=medium", "",
                                  *notes, "",
                                  f" -- {maintainer}  {email.utils.format_datetime(when)}"]))
    text = "\n\n".join(entries) + "\n"
    # Highest compression and no time stamp: the package is the same whenever it is built.
    with open(output, "wb") as out:
        out.write(gzip.compress(text.encode("utf-8"), compresslevel=9, mtime=0))


if __name__ == "__main__":
    if len(sys.argv) != 5:
        sys.exit(__doc__)
    main(*sys.argv[1:])
