#!/usr/bin/env python3
"""Build the verse library shipped with the program.

Reads the King James text through Debian's `bible` command (packages
bible-kjv, bible-kjv-text) and the World English Bible through `diatheke`
(packages diatheke, sword-text-web), and writes one folder per translation:

    <out>/TRANSLATION_King James Version/<Topic>.txt
    <out>/TRANSLATION_World English Bible/<Topic>.txt

Each topic file is Windows-1252, CR LF after every line, one verse a line:
    book <TAB> chapter <TAB> verse <TAB> text
Both folders hold the same files with the same references in the same
order, so the program can pair a verse with its parallel translation.

It also writes <out>/TIPOFDAY.TXT and <out>/copyright.txt in the same
encoding.

Usage: scripts/gen-verse-library.py [OUTPUT_DIR]      (default: data/)
Needs: WITH_BIBLE_TOOLS=1 scripts/install-deps.sh
"""

import concurrent.futures
import html
import os
import re
import shutil
import subprocess
import sys
import unicodedata

KJV_DIR = "TRANSLATION_King James Version"
WEB_DIR = "TRANSLATION_World English Bible"
WEB_MODULE = "engWEB2015eb"
MIN_VERSES, MAX_VERSES = 10, 40

# Topic -> verses, in the order they are shown. Every reference was chosen
# where the King James and World English Bible number the verse the same.
TOPICS = [
    ("Peace and Trust", """
        Isaiah 26:3; Isaiah 26:4; John 14:27; Philippians 4:6; Philippians 4:7;
        Proverbs 3:5; Proverbs 3:6; Psalms 4:8; Psalms 29:11; Psalms 37:5;
        Psalms 46:10; Psalms 56:3; Psalms 62:8; Matthew 11:28; Matthew 11:29;
        Matthew 11:30; John 16:33; Romans 15:13; Colossians 3:15;
        2 Thessalonians 3:16; 1 Peter 5:7; Isaiah 32:17; Psalms 125:1;
        Jeremiah 17:7; Numbers 6:24; Numbers 6:25; Numbers 6:26
    """),
    ("Comfort in Sorrow", """
        Psalms 34:18; Matthew 5:4; Psalms 147:3; Revelation 21:4;
        2 Corinthians 1:3; 2 Corinthians 1:4; Psalms 23:4; John 14:1;
        John 14:2; John 14:3; Isaiah 41:10; Psalms 30:5; Psalms 46:1;
        Isaiah 43:2; Romans 8:18; 2 Corinthians 4:17; 2 Corinthians 4:18;
        John 11:25; John 11:26; 1 Thessalonians 4:13; 1 Thessalonians 4:14;
        Psalms 55:22; Psalms 73:26; Psalms 119:50; Isaiah 66:13
    """),
    ("God's Love", """
        John 3:16; Romans 5:8; Romans 8:38; Romans 8:39; 1 John 4:9;
        1 John 4:10; 1 John 4:16; 1 John 4:19; 1 John 3:1; Jeremiah 31:3;
        Ephesians 2:4; Ephesians 2:5; Zephaniah 3:17; Psalms 136:1;
        Psalms 103:11; Psalms 103:13; Isaiah 54:10; Galatians 2:20;
        John 15:9; John 15:13; Ephesians 3:17; Ephesians 3:18; Ephesians 3:19;
        Psalms 86:15; Isaiah 49:15; Isaiah 49:16
    """),
    ("Faith", """
        Hebrews 11:1; Hebrews 11:6; Romans 10:17; Ephesians 2:8; Ephesians 2:9;
        Mark 11:22; Mark 11:23; Mark 11:24; Matthew 17:20; 2 Corinthians 5:7;
        James 1:6; Romans 1:17; Habakkuk 2:4; 1 John 5:4; Mark 9:23;
        Hebrews 12:1; Hebrews 12:2; 1 Peter 1:8; 1 Peter 1:9; Romans 5:1;
        John 20:29; Luke 17:5; 1 Corinthians 16:13; 2 Timothy 4:7
    """),
    ("Hope", """
        Jeremiah 29:11; Romans 5:3; Romans 5:4; Romans 5:5; Romans 8:24;
        Romans 8:25; Romans 8:28; Psalms 42:11; Psalms 39:7; Psalms 71:14;
        Isaiah 40:31; Lamentations 3:24; Lamentations 3:25; Lamentations 3:26;
        Hebrews 6:19; 1 Peter 1:3; Titus 2:13; Psalms 130:5; Psalms 31:24;
        Micah 7:7; Proverbs 23:18; Romans 12:12; Psalms 33:18; Psalms 33:22
    """),
    ("Forgiveness", """
        1 John 1:9; Psalms 103:12; Psalms 103:10; Isaiah 1:18; Isaiah 43:25;
        Ephesians 1:7; Ephesians 4:32; Colossians 3:13; Matthew 6:14;
        Matthew 6:15; Mark 11:25; Luke 6:37; Micah 7:18; Micah 7:19;
        Psalms 32:1; Psalms 32:5; Psalms 51:1; Psalms 51:2; Psalms 51:10;
        Acts 3:19; Acts 10:43; Psalms 86:5; Luke 23:34; Matthew 18:21;
        Matthew 18:22; Hebrews 8:12; Daniel 9:9
    """),
    ("Strength and Courage", """
        Joshua 1:9; Isaiah 40:29; Isaiah 40:31; Philippians 4:13;
        Deuteronomy 31:6; Psalms 27:1; Psalms 27:14; Psalms 28:7; Psalms 18:2;
        Psalms 18:32; 2 Timothy 1:7; Isaiah 41:13; Ephesians 6:10;
        2 Corinthians 12:9; 2 Corinthians 12:10; Nehemiah 8:10; Habakkuk 3:19;
        Exodus 15:2; 1 Chronicles 16:11; Isaiah 12:2; 1 Corinthians 15:58;
        Psalms 138:3; Deuteronomy 31:8
    """),
    ("Prayer", """
        Matthew 6:6; Matthew 6:9; Matthew 6:10; Matthew 6:11; Matthew 6:12;
        Matthew 7:7; Matthew 7:8; Matthew 21:22; John 14:13; John 14:14;
        John 15:7; John 16:24; 1 Thessalonians 5:17; James 5:16; 1 John 5:14;
        1 John 5:15; Jeremiah 33:3; Psalms 145:18; Psalms 5:3; Psalms 55:17;
        Romans 8:26; Hebrews 4:16; Colossians 4:2; Ephesians 6:18;
        2 Chronicles 7:14; Psalms 141:2; Luke 18:1; Jeremiah 29:12
    """),
    ("Wisdom", """
        James 1:5; Proverbs 1:7; Proverbs 2:6; Proverbs 3:13; Proverbs 4:7;
        Proverbs 9:10; Proverbs 16:16; Proverbs 19:20; Psalms 111:10;
        Psalms 90:12; Colossians 3:16; James 3:17; Ecclesiastes 7:12;
        Proverbs 8:11; Job 28:28; Proverbs 15:33; Daniel 2:20; Daniel 2:21;
        Proverbs 13:20; Proverbs 12:15; Ephesians 5:15; Ephesians 5:16;
        Psalms 119:130; 1 Corinthians 1:25; Proverbs 3:7
    """),
    ("Thankfulness", """
        1 Thessalonians 5:18; Psalms 100:4; Psalms 100:5; Psalms 107:1;
        Psalms 118:24; Psalms 118:1; Colossians 3:17; Colossians 2:6;
        Colossians 2:7; Ephesians 5:20; Psalms 95:2; Psalms 9:1; Psalms 103:1;
        Psalms 103:2; 1 Chronicles 16:34; Hebrews 12:28; Hebrews 13:15;
        James 1:17; 2 Corinthians 9:15; Psalms 92:1; Psalms 69:30; Psalms 34:1;
        1 Corinthians 15:57; Psalms 106:1; Psalms 30:12; Psalms 7:17
    """),
    ("Guidance", """
        Psalms 32:8; Proverbs 16:9; Psalms 119:105; Isaiah 30:21; Psalms 25:4;
        Psalms 25:5; Psalms 37:23; Psalms 48:14; Isaiah 58:11; John 16:13;
        Psalms 73:24; Psalms 143:8; Psalms 143:10; Isaiah 42:16;
        Proverbs 4:11; Proverbs 4:12; John 8:12; John 10:27; Jeremiah 10:23;
        Psalms 16:11; Isaiah 48:17; Proverbs 20:24; Psalms 139:9;
        Psalms 139:10; Psalms 31:3; Romans 8:14
    """),
    ("Patience", """
        James 1:2; James 1:3; James 1:4; James 5:7; James 5:8; Galatians 6:9;
        Psalms 37:7; Psalms 40:1; Ecclesiastes 7:8; Hebrews 10:36;
        Colossians 1:11; Ephesians 4:2; Proverbs 14:29; Proverbs 15:18;
        Proverbs 16:32; 2 Peter 3:9; 1 Corinthians 13:4; Galatians 5:22;
        Galatians 5:23; Romans 15:4; Romans 15:5; 2 Thessalonians 3:5;
        Romans 2:7; Hebrews 6:12
    """),
    ("Joy", """
        John 15:11; John 16:22; Philippians 4:4; Psalms 126:3; Psalms 126:5;
        Isaiah 12:3; Isaiah 55:12; Isaiah 61:10; Habakkuk 3:17; Habakkuk 3:18;
        Psalms 5:11; Psalms 32:11; Psalms 51:12; Psalms 97:11; Psalms 97:12;
        Luke 2:10; Luke 2:11; Luke 15:7; Proverbs 17:22; Psalms 19:8;
        Psalms 47:1; Psalms 100:1; Psalms 100:2; Romans 14:17; Psalms 4:7;
        Jeremiah 15:16; 1 Thessalonians 5:16
    """),
    ("Salvation", """
        John 3:17; John 14:6; Acts 4:12; Acts 16:31; Romans 3:23; Romans 6:23;
        Romans 10:9; Romans 10:10; Romans 10:13; Titus 3:5; 2 Corinthians 5:17;
        2 Corinthians 6:2; 1 John 5:11; 1 John 5:12; 1 John 5:13; John 1:12;
        John 5:24; John 10:28; Isaiah 53:5; Isaiah 53:6; 1 Timothy 1:15;
        1 Timothy 2:4; 1 Timothy 2:5; Luke 19:10; Psalms 62:1; Psalms 62:2;
        Revelation 3:20; 1 Peter 2:24; Hebrews 7:25; Matthew 1:21; Romans 1:16
    """),
    ("Humility", """
        Micah 6:8; James 4:6; James 4:10; 1 Peter 5:5; 1 Peter 5:6;
        Philippians 2:3; Philippians 2:4; Philippians 2:5; Philippians 2:6;
        Philippians 2:7; Philippians 2:8; Proverbs 11:2; Proverbs 22:4;
        Proverbs 16:18; Proverbs 16:19; Proverbs 29:23; Matthew 5:3;
        Matthew 5:5; Matthew 18:4; Matthew 23:12; Luke 14:11; Romans 12:3;
        Romans 12:16; Colossians 3:12; Isaiah 57:15; Isaiah 66:2; Psalms 25:9;
        Psalms 149:4; Mark 10:45; John 13:14; John 13:15; Galatians 6:3;
        Zephaniah 2:3; Proverbs 27:2; Jeremiah 9:23; Jeremiah 9:24
    """),
    ("Provision", """
        Philippians 4:19; Matthew 6:25; Matthew 6:26; Matthew 6:31;
        Matthew 6:32; Matthew 6:33; Matthew 6:34; Psalms 23:1; Psalms 23:2;
        Psalms 23:3; Psalms 34:10; Psalms 37:25; Psalms 84:11; Psalms 145:15;
        Psalms 145:16; Luke 12:24; Luke 12:32; 2 Corinthians 9:8;
        Deuteronomy 8:18; Genesis 22:14; Malachi 3:10; Proverbs 3:9;
        Proverbs 3:10; Psalms 111:5; Matthew 7:11; Psalms 68:19;
        Psalms 104:27; Psalms 104:28; Romans 8:32; 1 Timothy 6:17;
        Proverbs 10:22; Psalms 136:25
    """),
    ("Protection", """
        Psalms 91:1; Psalms 91:2; Psalms 91:4; Psalms 91:5; Psalms 91:11;
        Psalms 121:1; Psalms 121:2; Psalms 121:3; Psalms 121:4; Psalms 121:5;
        Psalms 121:6; Psalms 121:7; Psalms 121:8; 2 Thessalonians 3:3;
        Proverbs 18:10; Isaiah 54:17; Psalms 32:7; Psalms 3:3; Psalms 34:7;
        Deuteronomy 33:27; Psalms 27:5; Psalms 61:3; Psalms 61:4; Nahum 1:7
    """),
    ("God's Faithfulness", """
        Lamentations 3:22; Lamentations 3:23; Deuteronomy 7:9;
        1 Corinthians 10:13; 1 Thessalonians 5:24; 2 Timothy 2:13;
        Hebrews 10:23; Hebrews 13:5; Hebrews 13:8; Psalms 36:5; Psalms 89:1;
        Psalms 119:90; Psalms 33:4; Numbers 23:19; Isaiah 25:1; Joshua 21:45;
        Joshua 23:14; 1 Kings 8:56; Malachi 3:6; Psalms 146:6;
        Philippians 1:6; 1 Corinthians 1:9; Isaiah 40:8
    """),
]

# diatheke prints some book names its own way; map them back to ours.
SWORD_BOOK_NAMES = {"Revelation of John": "Revelation"}
ROMAN = {"I": "1", "II": "2", "III": "3"}

# Characters cp1252 lacks, or that would look wrong in a one-line verse,
# mapped to their nearest cp1252 form ("" drops the character).
CHAR_MAP = {
    "\u00a0": " ", "\u2002": " ", "\u2003": " ", "\u2009": " ",
    "\u200a": " ", "\u202f": " ", "\u2007": " ", "\u2008": " ",
    "\u200b": "", "\u200c": "", "\u200d": "", "\u2060": "", "\ufeff": "",
    "\u00ad": "", "\u00b6": "", "\u2010": "-", "\u2011": "-",
    "\u2012": "\u2013", "\u2015": "\u2014", "\u2212": "-",
    "\u2032": "'", "\u2033": '"', "\u201b": "\u2018", "\u201f": "\u201c",
    "\u2027": "\u00b7", "\u2043": "-", "\u2044": "/",
}


class GenError(Exception):
    pass


def parse_refs(text):
    refs = []
    for item in text.split(";"):
        item = " ".join(item.split())
        m = re.fullmatch(r"(.+) (\d+):(\d+)", item)
        if not m:
            raise GenError("bad reference in table: %r" % item)
        refs.append((m.group(1), int(m.group(2)), int(m.group(3))))
    return refs


def run(cmd):
    # Closed stdin: `bible` turns interactive when it sees a terminal.
    res = subprocess.run(cmd, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                         stderr=subprocess.PIPE, check=False)
    if res.returncode != 0:
        raise GenError("%s failed (%d): %s" % (
            " ".join(cmd), res.returncode, res.stderr.decode("utf-8", "replace")))
    return res.stdout.decode("utf-8")


def kjv_verse(book, chap, verse):
    """One verse from `bible`; its output is a "Book C" header line, then
    "  V text" lines. A wide line keeps each verse on one line, and a
    reference it cannot find is silently replaced by a nearby verse, so
    both the header and the verse number are checked."""
    query = "%s%d:%d" % (book.replace(" ", ""), chap, verse)
    out = run(["bible", "-l9999", query])
    lines = [ln for ln in out.splitlines() if ln.strip()]
    if not lines or lines[0].strip() != "%s %d" % (book, chap):
        raise GenError("KJV %s: unexpected header %r" % (query, lines[:1]))
    m = re.match(r"\s*(\d+) (.*)", lines[1]) if len(lines) > 1 else None
    if not m or int(m.group(1)) != verse:
        raise GenError("KJV %s: unexpected verse line %r" % (query, lines[1:2]))
    # Any further lines would be a wrapped tail of the same verse.
    return " ".join([m.group(2)] + [ln.strip() for ln in lines[2:]])


def strip_osis(raw):
    """Plain text from the module's raw OSIS. The module leaves no blank
    between many adjacent <w> elements ("God</w><w>created",
    "conceived</w>,<w>and"), which the plain renderer glues together, so
    each run of tags that sits between a word end and a word start becomes
    one blank."""
    raw = re.sub(r"<title\b[^>]*>.*?</title>", " ", raw, flags=re.S)
    raw = re.sub(r"<note\b[^>]*>.*?</note>", " ", raw, flags=re.S)
    raw = re.sub(r"<title\b[^>]*/>|<note\b[^>]*/>", " ", raw)

    def tags(m):
        s = m.string
        before = s[m.start() - 1] if m.start() > 0 else " "
        after = s[m.end()] if m.end() < len(s) else " "
        ends_word = before.isalnum() or before in ".,;:!?)\u2019\u201d"
        starts_word = after.isalnum() or after in "(\u2018\u201c"
        return " " if ends_word and starts_word else ""

    text = re.sub(r"(?:<[^>]*>)+", tags, raw)
    if "<" in text or ">" in text:
        raise GenError("markup left in %r" % text)
    return html.unescape(text)


def web_verse(book, chap, verse):
    """One verse from diatheke's raw output. It prints headings that
    precede the verse, then "Book C:V: text", then "(module)"."""
    out = run(["diatheke", "-b", WEB_MODULE, "-f", "internal",
               "-k", "%s %d:%d" % (book, chap, verse)])
    out = re.sub(r"\n?\(%s\)\s*$" % re.escape(WEB_MODULE), "", out)
    m = re.search(r"((?:I{1,3} |[1-3] )?[A-Z][a-z]+(?: [A-Za-z]+)*) (\d+):(\d+): ",
                  out)
    if not m:
        raise GenError("WEB %s %d:%d: no verse in %r" % (book, chap, verse, out[:200]))
    name = SWORD_BOOK_NAMES.get(m.group(1), m.group(1))
    parts = name.split(" ", 1)
    if len(parts) == 2 and parts[0] in ROMAN:
        name = ROMAN[parts[0]] + " " + parts[1]
    if (name, int(m.group(2)), int(m.group(3))) != (book, chap, verse):
        raise GenError("WEB %s %d:%d: got %s" % (book, chap, verse, m.group(0)))
    return strip_osis(out[m.end():])


def clean(text, where):
    """One tidy cp1252-safe line; raises if anything cannot be mapped."""
    text = "".join(CHAR_MAP.get(ch, ch) for ch in text)
    out = []
    for ch in text:
        if ch in "\t\r\n\v\f":
            out.append(" ")
            continue
        try:
            ch.encode("cp1252")
            ok = unicodedata.category(ch) != "Cc"
        except UnicodeEncodeError:
            ok = False
        if not ok:
            # Letters with marks cp1252 lacks lose the marks.
            base = "".join(c for c in unicodedata.normalize("NFKD", ch)
                           if not unicodedata.combining(c))
            try:
                base.encode("cp1252")
            except UnicodeEncodeError:
                base = ""
            if not base or any(unicodedata.category(c) == "Cc" for c in base):
                raise GenError("%s: cannot map U+%04X %s" % (
                    where, ord(ch), unicodedata.name(ch, "?")))
            ch = base
        out.append(ch)
    text = " ".join("".join(out).split())
    # Keep space before closing punctuation out, as the printed texts do.
    text = re.sub(r" +([,;:.!?])", r"\1", text)
    if not text:
        raise GenError("%s: empty verse" % where)
    return text


def fetch_all(refs):
    """{ref: (kjv, web)}; lookups run in parallel, results do not depend
    on their order."""
    def one(ref):
        where = "%s %d:%d" % ref
        return ref, (clean(kjv_verse(*ref), "KJV " + where),
                     clean(web_verse(*ref), "WEB " + where))
    with concurrent.futures.ThreadPoolExecutor(max_workers=8) as pool:
        return dict(pool.map(one, sorted(set(refs))))


def write_lines(path, lines):
    data = "".join(line + "\r\n" for line in lines).encode("cp1252")
    with open(path, "wb") as f:
        f.write(data)


def write_topics(folder, topics, texts, index):
    os.makedirs(folder, exist_ok=True)
    wanted = {name + ".txt" for name, _ in topics}
    # Drop topic files left over from an older table, nothing else.
    for old in os.listdir(folder):
        if old.lower().endswith(".txt") and old not in wanted:
            os.remove(os.path.join(folder, old))
    for name, refs in topics:
        lines = ["%s\t%d\t%d\t%s" % (b, c, v, texts[(b, c, v)][index])
                 for b, c, v in refs]
        write_lines(os.path.join(folder, name + ".txt"), lines)


def read_topic(path):
    data = open(path, "rb").read()
    if not data.endswith(b"\r\n"):
        raise GenError("%s: last line lacks CR LF" % path)
    text = data.decode("cp1252")
    rows = []
    for n, line in enumerate(text[:-2].split("\r\n"), 1):
        where = "%s:%d" % (path, n)
        if "\r" in line or "\n" in line:
            raise GenError("%s: stray CR or LF" % where)
        fields = line.split("\t")
        if len(fields) != 4:
            raise GenError("%s: %d tabs, want 3" % (where, len(fields) - 1))
        book, chap, verse, body = fields
        if not (chap.isdigit() and verse.isdigit()) or not book:
            raise GenError("%s: bad reference" % where)
        if not body or body != body.strip() or "  " in body:
            raise GenError("%s: bad spacing or empty text" % where)
        if any(unicodedata.category(c) == "Cc" for c in line.replace("\t", "")):
            raise GenError("%s: control character" % where)
        rows.append(((book, int(chap), int(verse)), body))
    return rows


COMMON_WORDS = set("""the and that this with from unto into upon shall will have
    hath which who whom what when then them they their there were your thee thou
    thy thine you are for not but all his her him its our was be""".split())
SAME_WORD = {"lord": "yahweh", "ye": "you"}


def word_stems(text):
    """Rough word stems, so that 'hope' in one text meets 'hoped' in the
    other and the KJV's LORD meets the WEB's Yahweh."""
    words = (SAME_WORD.get(w, w) for w in re.findall(r"[a-z]+", text.lower()))
    return {w[:4] for w in words if len(w) >= 3 and w not in COMMON_WORDS}


def verify(out_dir, topics):
    kjv, web = (os.path.join(out_dir, d) for d in (KJV_DIR, WEB_DIR))
    names = sorted(os.listdir(kjv))
    if names != sorted(os.listdir(web)):
        raise GenError("translations hold different file names")
    if sorted(n + ".txt" for n, _ in topics) != names:
        raise GenError("topic files do not match the table")
    if "Peace and Trust.txt" not in names:
        raise GenError("Peace and Trust.txt missing")
    for name in names:
        a = read_topic(os.path.join(kjv, name))
        b = read_topic(os.path.join(web, name))
        refs = [r for r, _ in a]
        if refs != [r for r, _ in b]:
            raise GenError("%s: references differ between translations" % name)
        if len(set(refs)) != len(refs):
            raise GenError("%s: a verse appears twice" % name)
        if not MIN_VERSES <= len(refs) <= MAX_VERSES:
            raise GenError("%s: %d verses" % (name, len(refs)))
        # A verse numbered differently in one text would pair unrelated
        # sentences; they then share next to no words.
        for (ref, ta), (_, tb) in zip(a, b):
            if not word_stems(ta) & word_stems(tb):
                raise GenError("%s %s %d:%d: texts look unrelated" % ((name,) + ref))
    for fname in ("TIPOFDAY.TXT", "copyright.txt"):
        data = open(os.path.join(out_dir, fname), "rb").read()
        data.decode("cp1252")
        if not data.endswith(b"\r\n") or re.search(rb"(?<!\r)\n|\r(?!\n)", data):
            raise GenError("%s: line ends are not all CR LF" % fname)


TIPS = [
    "Click Next to see the next verse of the topic, or Previous to go back one.",
    "Hold down Next or Previous to step through the verses quickly.",
    "Put the program to sleep and it waits quietly in the notification area next to the clock.",
    "Click the program's icon in the notification area to wake it and show a verse.",
    "Set a time of day in Options and the program wakes up by itself to show you a verse.",
    "Choose a topic from the list to read verses about peace, hope, strength and more.",
    "Choose a translation to read the same verses in another version of the Bible.",
    "Turn on parallel translations to read a verse in two versions side by side.",
    "Add your own favorite verses as a topic of your own.",
    "You can add inspirational thoughts, quotes or prayers of your own, not only Bible verses.",
    "Your own verses are kept apart from the verses that come with the program.",
    "Make the text larger or smaller with the font size setting in Options.",
    "Tick Start with Windows in Options to have a verse waiting when you sign in.",
    "Read one verse slowly and think about it during the day.",
    "Open Help at any time to learn more about the program.",
]

COPYRIGHT = [
    "Bible texts",
    "",
    "King James Version (Authorized Version), 1611.",
    "The King James Version is in the public domain outside the United Kingdom.",
    "In the United Kingdom the rights in the Authorized Version are vested in the Crown.",
    "The text was taken from the Debian package bible-kjv-text.",
    "",
    "World English Bible.",
    "The World English Bible is in the public domain. \"World English Bible\" is a",
    "trademark; a text that has been changed must not be called by that name.",
    "The text was taken from the Debian package sword-text-web (SWORD module engWEB2015eb).",
    "",
    "Only verse text was taken; headings, notes and word tags were left out.",
]


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = argv[1] if len(argv) > 1 else os.path.join(here, "..", "data")
    out_dir = os.path.normpath(out_dir)
    for tool in ("bible", "diatheke"):
        if not shutil.which(tool):
            raise GenError("%s not found; run WITH_BIBLE_TOOLS=1 scripts/install-deps.sh"
                           % tool)

    topics = [(name, parse_refs(refs)) for name, refs in TOPICS]
    texts = fetch_all([r for _, refs in topics for r in refs])

    os.makedirs(out_dir, exist_ok=True)
    write_topics(os.path.join(out_dir, KJV_DIR), topics, texts, 0)
    write_topics(os.path.join(out_dir, WEB_DIR), topics, texts, 1)
    write_lines(os.path.join(out_dir, "TIPOFDAY.TXT"), TIPS)
    write_lines(os.path.join(out_dir, "copyright.txt"), COPYRIGHT)
    verify(out_dir, topics)

    total = sum(len(refs) for _, refs in topics)
    print("Verse library in %s: %d topics, %d verses per translation"
          % (out_dir, len(topics), total))
    for name, refs in sorted(topics):
        print("  %3d  %s" % (len(refs), name))
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main(sys.argv))
    except GenError as e:
        sys.exit("gen-verse-library: " + str(e))
