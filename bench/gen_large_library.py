#!/usr/bin/env python3
"""Generate a large verse library for the start-up benchmark.

Four translation folders, "TRANSLATION_Large A" to "TRANSLATION_Large D",
each with one topic file per book of the Bible ("<Book>.txt", every verse
of the book) and a copy of Psalms as "Peace and Trust.txt", so the default
topic exists. All four hold the same World English Bible text, read through
Debian's `diatheke` (WITH_BIBLE_TOOLS=1 scripts/install-deps.sh). Lines are
"Book TAB chapter TAB verse TAB text" in Windows-1252 with CR LF.

The plain renderer runs some words together ("bornSon") and sometimes
prints a psalm's heading on the line before it, where it stays with the
previous verse; for timing the start-up that does not matter, so the text is
taken as it comes.

Usage: bench/gen_large_library.py OUTPUT_DIR
Only reports when OUTPUT_DIR already holds a complete library of this
version (a stamp file marks it), so a benchmark run can call it every time.
"""

import concurrent.futures
import os
import re
import shutil
import subprocess
import sys
import unicodedata

MODULE = "engWEB2015eb"
FOLDERS = ["TRANSLATION_Large %s" % c for c in "ABCD"]
DEFAULT_TOPIC = "Peace and Trust"
STAMP = ".complete-v2"

BOOKS = [
    "Genesis", "Exodus", "Leviticus", "Numbers", "Deuteronomy", "Joshua",
    "Judges", "Ruth", "1 Samuel", "2 Samuel", "1 Kings", "2 Kings",
    "1 Chronicles", "2 Chronicles", "Ezra", "Nehemiah", "Esther", "Job",
    "Psalms", "Proverbs", "Ecclesiastes", "Song of Solomon", "Isaiah",
    "Jeremiah", "Lamentations", "Ezekiel", "Daniel", "Hosea", "Joel", "Amos",
    "Obadiah", "Jonah", "Micah", "Nahum", "Habakkuk", "Zephaniah", "Haggai",
    "Zechariah", "Malachi",
    "Matthew", "Mark", "Luke", "John", "Acts", "Romans", "1 Corinthians",
    "2 Corinthians", "Galatians", "Ephesians", "Philippians", "Colossians",
    "1 Thessalonians", "2 Thessalonians", "1 Timothy", "2 Timothy", "Titus",
    "Philemon", "Hebrews", "James", "1 Peter", "2 Peter", "1 John", "2 John",
    "3 John", "Jude", "Revelation",
]

# diatheke prints its own book names ("I Corinthians", "Revelation of John");
# each query asks for one book, so a verse line is "<any name> C:V: text".
VERSE_LINE = re.compile(r"^\s*(\S.*?) (\d+):(\d+):\s?(.*)$")
MODULE_LINE = "(%s)" % MODULE
SPACES = {"\u00a0", "\u2002", "\u2003", "\u2007", "\u2008", "\u2009", "\u200a", "\u202f"}


def to_cp1252(text):
    """One line of cp1252-safe text: TABs and control characters become
    blanks, characters cp1252 lacks lose their marks or become '?'."""
    out = []
    for ch in text:
        if ch in SPACES or unicodedata.category(ch) in ("Cc", "Zl", "Zp"):
            out.append(" ")
            continue
        if unicodedata.category(ch) == "Cf":
            continue
        try:
            ch.encode("cp1252")
            out.append(ch)
        except UnicodeEncodeError:
            base = "".join(c for c in unicodedata.normalize("NFKD", ch)
                           if not unicodedata.combining(c))
            try:
                base.encode("cp1252")
                out.append(base)
            except UnicodeEncodeError:
                out.append("?")
    return " ".join("".join(out).split())


def book_lines(book):
    res = subprocess.run(["diatheke", "-b", MODULE, "-f", "plain", "-k", book],
                         stdin=subprocess.DEVNULL, capture_output=True, check=False)
    if res.returncode != 0:
        raise SystemExit("diatheke failed for %s: %s" % (book, res.stderr.decode("utf-8", "replace")))
    verses = []          # [chapter, verse, text parts]
    sword_name = None
    open_verse = False   # a blank line ends a verse; headings follow one
    for line in res.stdout.decode("utf-8", "replace").splitlines():
        if line.strip() == MODULE_LINE:
            continue
        m = VERSE_LINE.match(line)
        if m and (sword_name is None or m.group(1) == sword_name):
            sword_name = m.group(1)
            verses.append([m.group(2), m.group(3), [m.group(4)]])
            open_verse = True
        elif not line.strip():
            open_verse = False
        elif open_verse:
            verses[-1][2].append(line)   # poetry continues on the next lines
    lines = []
    for chap, verse, parts in verses:
        text = to_cp1252(" ".join(parts))
        if text:   # a few verse numbers carry no text in this translation
            lines.append("%s\t%s\t%s\t%s" % (book, chap, verse, text))
    if not lines:
        raise SystemExit("diatheke printed no verses for %s" % book)
    return lines


def generate(out, stamp):
    with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 4) as pool:
        books = dict(zip(BOOKS, pool.map(book_lines, BOOKS)))
    for folder in FOLDERS:
        path = os.path.join(out, folder)
        shutil.rmtree(path, ignore_errors=True)
        os.makedirs(path)
        for book, lines in books.items():
            data = "".join(line + "\r\n" for line in lines).encode("cp1252")
            with open(os.path.join(path, book + ".txt"), "wb") as f:
                f.write(data)
        shutil.copyfile(os.path.join(path, "Psalms.txt"),
                        os.path.join(path, DEFAULT_TOPIC + ".txt"))
    verses = sum(len(v) for v in books.values())
    with open(stamp, "w") as f:
        f.write("%d books, %d verses, World English Bible (%s) in every folder\n"
                % (len(books), verses, MODULE))


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: gen_large_library.py OUTPUT_DIR")
    out = sys.argv[1]
    stamp = os.path.join(out, STAMP)
    if not os.path.exists(stamp):
        generate(out, stamp)
    with open(stamp) as f:
        print("large library in %s: %s" % (out, f.read().strip()))


if __name__ == "__main__":
    main()
