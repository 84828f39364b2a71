#!/usr/bin/env python3
"""Checks a compiled help file before it ships.

Fails (exit status 1, one line per fault) when a required context number
is missing from the file's context map, names a page the file does not
hold, or names a page whose stored HTML differs from its source; and when
a page, the table of contents or the index links to a file that is not in
the archive.

usage: check_chm.py [--chmls PATH] --source-dir DIR --context N [...] FILE.chm
"""

import argparse
import html.parser
import os
import sys
import tempfile

import chmlib

SKIPPED_SCHEMES = ("http:", "https:", "mailto:", "ftp:", "ms-its:", "mk:",
                   "javascript:")


class LinkCollector(html.parser.HTMLParser):
    """Local targets of href/src attributes and of sitemap "Local" params."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.targets = []

    def handle_starttag(self, tag, attrs):
        attrs = dict(attrs)
        for key in ("href", "src"):
            if attrs.get(key):
                self.targets.append(attrs[key])
        if tag == "param" and (attrs.get("name") or "").lower() == "local":
            self.targets.append(attrs.get("value") or "")


def local_targets(text):
    collector = LinkCollector()
    collector.feed(text)
    result = []
    for target in collector.targets:
        target = target.strip()
        if not target or target.startswith("#") or \
                target.lower().startswith(SKIPPED_SCHEMES):
            continue
        result.append(target.split("#", 1)[0])
    return result


def archive_path(page, target):
    """Archive path of `target` as linked from the archive file `page`."""
    base = page.rsplit("/", 1)[0]
    parts = (base + "/" + target.replace("\\", "/")).split("/")
    stack = []
    for part in parts:
        if part in ("", "."):
            continue
        if part == "..":
            if stack:
                stack.pop()
        else:
            stack.append(part)
    return "/" + "/".join(stack)


def check(chmls, chm, source_dir, contexts):
    """Returns the list of faults found (empty when the file is good)."""
    faults = []
    names = chmls.names(chm)
    aliases = chmls.aliases(chm)
    with tempfile.TemporaryDirectory() as tmp:
        extracted = os.path.join(tmp, "files")
        chmls.extract_all(chm, extracted)

        def stored(name):
            with open(os.path.join(extracted, name.lstrip("/")), "rb") as f:
                return f.read()

        for context in contexts:
            if context not in aliases:
                faults.append("context %d is not in the context map" % context)
                continue
            page = "/" + aliases[context].lstrip("/")
            if page not in names:
                faults.append("context %d names %s, which is not in the file"
                              % (context, aliases[context]))
                continue
            source = os.path.join(source_dir, page.lstrip("/"))
            try:
                with open(source, "rb") as f:
                    expected = f.read()
            except OSError:
                faults.append("context %d names %s, which has no source in %s"
                              % (context, page, source_dir))
                continue
            if stored(page) != expected:
                faults.append("context %d: the stored %s differs from %s"
                              % (context, page, source))

        for name in sorted(names):
            if not name.lower().endswith((".htm", ".html", ".hhc", ".hhk")):
                continue
            text = stored(name).decode("cp1252", errors="replace")
            for target in local_targets(text):
                if archive_path(name, target) not in names:
                    faults.append("%s links to %s, which is not in the file"
                                  % (name, target))
    return faults


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--chmls", default="chmls")
    parser.add_argument("--source-dir", required=True)
    parser.add_argument("--context", type=int, action="append", default=[],
                        required=True)
    parser.add_argument("chm")
    args = parser.parse_args(argv)
    try:
        faults = check(chmlib.Chmls(args.chmls), args.chm, args.source_dir,
                       args.context)
    except (chmlib.ChmError, OSError) as e:
        faults = [str(e)]
    for fault in faults:
        print("check_chm: %s: %s" % (args.chm, fault), file=sys.stderr)
    if faults:
        return 1
    print("check_chm: %s: %d contexts map to pages inside; links resolve"
          % (args.chm, len(args.context)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
