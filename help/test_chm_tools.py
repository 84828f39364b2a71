"""Tests of the help build's archive tools against files chmcmd compiles.

Run: python3 -m unittest test_chm_tools   (CHMCMD and CHMLS may name the
programs; by default they are looked up on the PATH).
"""

import os
import shutil
import struct
import subprocess
import tempfile
import unittest

import check_chm
import chmlib
import fix_chm_aliases

CHMCMD = os.environ.get("CHMCMD") or shutil.which("chmcmd")
CHMLS = os.environ.get("CHMLS") or shutil.which("chmls")

PAGE = """<html><head><title>{title}</title>
<link rel="stylesheet" type="text/css" href="site.css"></head>
<body><h1>{title}</h1>{body}</body></html>
"""


def compile_project(folder, pages, aliases, links=None, filler=0):
    """Compiles pages {name: title} with [ALIAS]/[MAP] entries
    {context: page}, each page padded with `filler` repeated paragraphs;
    returns the path of the .chm."""
    links = links or {}
    with open(os.path.join(folder, "site.css"), "w") as f:
        f.write("body { color: black; }\n")
    for name, title in pages.items():
        body = "".join('<a href="%s">link</a>' % t for t in links.get(name, []))
        body += "<p>Trust in the LORD with all thine heart.</p>\n" * filler
        with open(os.path.join(folder, name), "w") as f:
            f.write(PAGE.format(title=title, body=body))
    with open(os.path.join(folder, "map.h"), "w") as f:
        for context in aliases:
            f.write("#define IDH_%d %d\n" % (context, context))
    project = ["[OPTIONS]", "Compiled file=test.chm",
               "Default topic=%s" % next(iter(pages)), "Title=Test", "",
               "[FILES]"] + list(pages) + ["site.css", "", "[ALIAS]"]
    project += ["IDH_%d=%s" % (c, p) for c, p in aliases.items()]
    project += ["", "[MAP]", "#include map.h", ""]
    with open(os.path.join(folder, "test.hhp"), "w") as f:
        f.write("\n".join(project))
    subprocess.run([CHMCMD, "test.hhp"], cwd=folder, check=True,
                   capture_output=True)
    return os.path.join(folder, "test.chm")


@unittest.skipUnless(CHMCMD and CHMLS, "needs chmcmd and chmls (fp-utils)")
class ArchiveTestCase(unittest.TestCase):
    PAGES = {"a.htm": "First", "b.htm": "Second", "c.htm": "Third",
             "d.htm": "Fourth", "e.htm": "Fifth", "f.htm": "Sixth"}
    ALIASES = {1001: "a.htm", 1002: "b.htm", 1010: "f.htm"}

    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.addCleanup(self.tmp.cleanup)
        self.folder = self.tmp.name
        self.chmls = chmlib.Chmls(CHMLS)

    def compiled(self, links=None, aliases=None, filler=0):
        return compile_project(self.folder, self.PAGES,
                               aliases or self.ALIASES, links, filler)

    def fixed(self, links=None, aliases=None):
        target = os.path.join(self.folder, "fixed.chm")
        fix_chm_aliases.fix(self.chmls, self.compiled(links, aliases), target)
        return target

    def extracted(self, chm):
        out = os.path.join(self.folder, "x-" + os.path.basename(chm))
        self.chmls.extract_all(chm, out)
        files = {}
        for root, _, names in os.walk(out):
            for name in names:
                path = os.path.join(root, name)
                with open(path, "rb") as f:
                    files[os.path.relpath(path, out)] = f.read()
        return files


class EncintTest(unittest.TestCase):
    def test_round_trip_across_byte_boundaries(self):
        for value in (0, 1, 127, 128, 16383, 16384, 2 ** 21 - 1, 2 ** 21,
                      2 ** 31):
            encoded = chmlib.write_encint(value)
            self.assertEqual(chmlib.read_encint(b"x" + encoded + b"y", 1),
                             (value, 1 + len(encoded)))
        self.assertEqual(chmlib.write_encint(128), b"\x81\x00")
        self.assertEqual(len(chmlib.write_encint(16384)), 3)

    def test_truncated_value_is_an_error(self):
        with self.assertRaises(chmlib.ChmError):
            chmlib.read_encint(b"\x81\x80", 0)


class ContextStringTest(unittest.TestCase):
    NAMES = {"/a.htm", "/sub/b.htm", "/b.htm", "/#STRINGS", "/"}

    def test_page_for_picks_the_longest_stored_path(self):
        self.assertEqual(chmlib.page_for("/build/help/sub/b.htm", self.NAMES),
                         "/sub/b.htm")
        self.assertEqual(chmlib.page_for("/build/help/b.htm", self.NAMES),
                         "/b.htm")
        self.assertEqual(chmlib.page_for("a.htm", self.NAMES), "/a.htm")
        self.assertEqual(chmlib.page_for("/a.htm", self.NAMES), "/a.htm")
        self.assertIsNone(chmlib.page_for("/build/help/zz.htm", self.NAMES))
        self.assertIsNone(chmlib.page_for("/build/help/", self.NAMES))

    def test_disk_paths_become_archive_paths_in_place(self):
        strings = (b"\0/build/help/a.htm\0Title\0/build/help/sub/b.htm\0"
                   b"a.htm\0/build/help/gone.htm\0")
        offsets = [1, 19, 25, 47, 53]
        pairs = [(1001, 1), (1002, 25), (1003, 47), (1004, 53)]
        ivb = struct.pack("<I", 8 * len(pairs)) + b"".join(
            struct.pack("<II", c, o) for c, o in pairs)
        fixed, changes = chmlib.fix_context_strings(ivb, strings, self.NAMES)
        self.assertEqual(len(fixed), len(strings))
        self.assertEqual([chmlib.string_at(fixed, o) for o in offsets],
                         ["a.htm", "Title", "sub/b.htm", "a.htm",
                          "/build/help/gone.htm"])
        self.assertEqual([c for c, _, _ in changes], [1001, 1002])

    def test_broken_context_maps_are_reported(self):
        with self.assertRaises(chmlib.ChmError):
            chmlib.parse_context_map(struct.pack("<I", 12) + bytes(12))
        with self.assertRaises(chmlib.ChmError):
            chmlib.parse_context_map(struct.pack("<I", 16) + bytes(8))
        with self.assertRaises(chmlib.ChmError):
            chmlib.string_at(b"\0abc", 9)


class RelocateTest(ArchiveTestCase):
    def relocate_and_compare(self, data, payload):
        source = os.path.join(self.folder, "source.chm")
        target = os.path.join(self.folder, "target.chm")
        with open(source, "wb") as f:
            f.write(data)
        moved = chmlib.relocate_to_section0(data, "/#STRINGS", payload)
        with open(target, "wb") as f:
            f.write(moved)
        before, after = self.extracted(source), self.extracted(target)
        self.assertEqual(after.pop("#STRINGS"), payload)
        before.pop("#STRINGS")
        self.assertEqual(after, before)
        directory = chmlib.Directory(moved)   # quick references still fit
        entry = directory.find("/#STRINGS")
        self.assertEqual((entry.section, entry.length), (0, len(payload)))
        self.assertEqual(struct.unpack_from(
            "<Q", moved, directory.header0_offset + 8)[0], len(moved))
        # Nothing stale is left between the entries and the quick references.
        chunk, size = entry.chunk, directory.chunk_size
        free = struct.unpack_from("<I", moved, chunk + 4)[0]
        refs = len(directory.quickrefs(chunk))
        self.assertEqual(moved[chunk + size - free:chunk + size - 2 * (refs + 1)],
                         bytes(free - 2 * (refs + 1)))
        return directory

    def test_every_other_file_reads_the_same_when_the_entry_keeps_its_size(self):
        with open(self.compiled(), "rb") as f:
            data = f.read()
        old = chmlib.Directory(data).find("/#STRINGS")
        self.relocate_and_compare(data, b"\0x\0" + bytes(old.length))

    def entry_size(self, data):
        entry = chmlib.Directory(data).find("/#STRINGS")
        return entry.end - entry.start

    def test_entries_behind_it_move_when_the_entry_grows(self):
        with open(self.compiled(), "rb") as f:
            data = f.read()
        # Past 16 KiB the new offset needs a third byte, and a length over
        # 127 a second one.
        padded = data + bytes(20000)
        grown = self.relocate_and_compare(padded, b"\0" + b"y" * 300 + b"\0")
        self.assertEqual(self.entry_size(grown.data), self.entry_size(data) + 2)

    def test_entries_behind_it_move_when_the_entry_shrinks(self):
        # Long pages compress well: #STRINGS sits beyond 16 KiB of
        # uncompressed data, while the end of the file comes before that.
        with open(self.compiled(filler=200), "rb") as f:
            data = f.read()
        shrunk = self.relocate_and_compare(data, b"\0z\0")
        self.assertEqual(self.entry_size(shrunk.data), self.entry_size(data) - 1)

    def test_missing_file_and_foreign_data_are_refused(self):
        with open(self.compiled(), "rb") as f:
            data = f.read()
        with self.assertRaises(chmlib.ChmError):
            chmlib.relocate_to_section0(data, "/nope.htm", b"")
        with self.assertRaises(chmlib.ChmError):
            chmlib.Directory(b"MZ" + data[2:])


class FixAndCheckTest(ArchiveTestCase):
    CONTEXTS = [1001, 1002, 1010]

    def check(self, chm, contexts=None):
        return check_chm.check(self.chmls, chm, self.folder,
                               contexts or self.CONTEXTS)

    def test_compiler_output_fails_the_check_and_the_fixed_file_passes(self):
        compiled = self.compiled()
        faults = self.check(compiled)
        self.assertEqual(len(faults), 3)
        self.assertTrue(all("not in the file" in f for f in faults))
        fixed = self.fixed()
        self.assertEqual(self.check(fixed), [])
        self.assertEqual(self.chmls.aliases(fixed),
                         {1001: "a.htm", 1002: "b.htm", 1010: "f.htm"})

    def test_fixing_twice_changes_nothing(self):
        fixed = self.fixed()
        again = os.path.join(self.folder, "again.chm")
        self.assertEqual(fix_chm_aliases.fix(self.chmls, fixed, again), [])
        with open(fixed, "rb") as a, open(again, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_a_missing_context_is_a_fault(self):
        fixed = self.fixed()
        faults = self.check(fixed, self.CONTEXTS + [1005])
        self.assertEqual(faults, ["context 1005 is not in the context map"])

    def test_a_page_changed_since_compiling_is_a_fault(self):
        fixed = self.fixed()
        with open(os.path.join(self.folder, "b.htm"), "a") as f:
            f.write("<p>edited</p>\n")
        faults = self.check(fixed)
        self.assertEqual(len(faults), 1)
        self.assertIn("context 1002: the stored /b.htm differs", faults[0])

    def test_links_to_files_outside_the_archive_are_faults(self):
        fixed = self.fixed(links={"c.htm": ["d.htm", "missing.htm#part",
                                            "http://example.org/",
                                            "mailto:someone@example.org",
                                            "#top", "./e.htm"]})
        faults = self.check(fixed)
        self.assertEqual(faults,
                         ["/c.htm links to missing.htm, which is not in the file"])


class LinkTest(unittest.TestCase):
    def test_targets_ignore_schemes_and_fragments(self):
        text = ('<a href="x.htm#a">x</a><img src="pic.gif">'
                '<a href="HTTP://e.org">w</a><a href="#here">h</a>'
                '<param name="Local" value="toc.htm">'
                '<param name="Name" value="not a link">')
        self.assertEqual(check_chm.local_targets(text),
                         ["x.htm", "pic.gif", "toc.htm"])

    def test_archive_paths_resolve_relative_parts(self):
        self.assertEqual(check_chm.archive_path("/a.htm", "b.htm"), "/b.htm")
        self.assertEqual(check_chm.archive_path("/sub/a.htm", "../b.htm"),
                         "/b.htm")
        self.assertEqual(check_chm.archive_path("/sub/a.htm", "./c\\d.htm"),
                         "/sub/c/d.htm")


if __name__ == "__main__":
    unittest.main()
