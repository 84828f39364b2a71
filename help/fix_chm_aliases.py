#!/usr/bin/env python3
"""Makes the context map of a compiled help file name pages inside it.

chmcmd 3.2 writes each [ALIAS] target into #STRINGS as the page's full
path on the build machine (for example /home/me/help/options.htm), so
HtmlHelp(HH_HELP_CONTEXT) finds no such page. This rewrites each of those
strings as the page's path inside the archive and stores the corrected
#STRINGS uncompressed at the end of the file.

usage: fix_chm_aliases.py [--chmls PATH] INPUT.chm OUTPUT.chm
"""

import argparse
import sys

import chmlib


def fix(chmls, source, target):
    with open(source, "rb") as f:
        data = f.read()
    names = chmls.names(source)
    if "/#IVB" not in names:
        raise chmlib.ChmError("%s has no context map (#IVB)" % source)
    ivb = chmls.extract(source, "/#IVB")
    strings = chmls.extract(source, "/#STRINGS")
    fixed, changes = chmlib.fix_context_strings(ivb, strings, names)
    if changes:
        data = chmlib.relocate_to_section0(data, "/#STRINGS", fixed)
    with open(target, "wb") as f:
        f.write(data)
    return changes


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--chmls", default="chmls")
    parser.add_argument("input")
    parser.add_argument("output")
    args = parser.parse_args(argv)
    try:
        changes = fix(chmlib.Chmls(args.chmls), args.input, args.output)
    except (chmlib.ChmError, OSError) as e:
        print("fix_chm_aliases: %s" % e, file=sys.stderr)
        return 1
    print("fix_chm_aliases: %s: %d context strings now name pages inside"
          % (args.output, len(changes)))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
