"""Small reader and patcher for compiled HTML Help (.chm) files.

Only what the help build needs: walking the directory of the archive,
moving one stored file into the uncompressed section, and asking chmls
(Free Pascal's CHM lister) for names, file contents and the context map.
"""

import os
import shutil
import struct
import subprocess
import tempfile

ITSF_CONTENT_OFFSET = 0x58   # version 3 header: where section 0 data starts
PMGL_HEADER_SIZE = 0x14


class ChmError(Exception):
    pass


def read_encint(buf, pos):
    """Decodes a CHM variable-length integer; returns (value, next position)."""
    value = 0
    while True:
        if pos >= len(buf):
            raise ChmError("encoded integer runs past the end of its chunk")
        byte = buf[pos]
        pos += 1
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            return value, pos


def write_encint(value):
    if value < 0:
        raise ChmError("encoded integers cannot be negative")
    groups = [value & 0x7F]
    value >>= 7
    while value:
        groups.append(0x80 | (value & 0x7F))
        value >>= 7
    return bytes(reversed(groups))


class Entry:
    """One directory entry and where its bytes sit inside its chunk."""

    def __init__(self, name, section, offset, length, chunk, start, end):
        self.name = name
        self.section = section
        self.offset = offset
        self.length = length
        self.chunk = chunk      # file offset of the PMGL chunk
        self.start = start      # entry bytes [start, end) within the chunk
        self.end = end


class Directory:
    """The listing chunks of a CHM file (format version 3)."""

    def __init__(self, data):
        self.data = data
        if data[:4] != b"ITSF" or len(data) < 0x60:
            raise ChmError("not a compiled help file (no ITSF header)")
        version = struct.unpack_from("<I", data, 4)[0]
        if version != 3:
            raise ChmError("unsupported ITSF version %d" % version)
        (self.header0_offset, _, self.dir_offset, self.dir_length) = \
            struct.unpack_from("<QQQQ", data, 0x38)
        self.content_offset = struct.unpack_from("<Q", data,
                                                 ITSF_CONTENT_OFFSET)[0]
        itsp = self.dir_offset
        if data[itsp:itsp + 4] != b"ITSP":
            raise ChmError("directory header (ITSP) not found")
        itsp_length, _, self.chunk_size, self.density = \
            struct.unpack_from("<IIIi", data, itsp + 8)
        chunk_count = struct.unpack_from("<I", data, itsp + 0x2C)[0]
        self.entries = []
        for index in range(chunk_count):
            chunk = itsp + itsp_length + index * self.chunk_size
            if data[chunk:chunk + 4] == b"PMGL":
                self._read_listing(chunk)

    def _read_listing(self, chunk):
        body = self.data[chunk:chunk + self.chunk_size]
        free = struct.unpack_from("<I", body, 4)[0]
        pos = PMGL_HEADER_SIZE
        starts = []
        while pos < self.chunk_size - free:
            start = pos
            name_length, pos = read_encint(body, pos)
            name = body[pos:pos + name_length].decode("utf-8")
            pos += name_length
            section, pos = read_encint(body, pos)
            offset, pos = read_encint(body, pos)
            length, pos = read_encint(body, pos)
            self.entries.append(Entry(name, section, offset, length,
                                      chunk, start, pos))
            starts.append(start)
        if pos != self.chunk_size - free:
            raise ChmError("directory entries overrun the chunk's free space")
        for ref in self.quickrefs(chunk):
            if ref + PMGL_HEADER_SIZE not in starts:
                raise ChmError("unexpected quick-reference layout in a "
                               "directory chunk")

    def quickref_positions(self, chunk):
        """File offsets of the quick-reference words of a chunk.

        The last word of a chunk counts its entries; before it, growing
        towards the front, one word for every (1 + 2**density)-th entry
        holds that entry's offset from the end of the chunk header."""
        end = chunk + self.chunk_size
        count = struct.unpack_from("<H", self.data, end - 2)[0]
        step = 1 + (1 << self.density)
        return [end - 4 - 2 * i for i in range(count // step)]

    def quickrefs(self, chunk):
        return [struct.unpack_from("<H", self.data, p)[0]
                for p in self.quickref_positions(chunk)]

    def find(self, name):
        for entry in self.entries:
            if entry.name == name:
                return entry
        raise ChmError("%s is not stored in the help file" % name)


def relocate_to_section0(data, name, payload):
    """Returns a copy of the CHM with `name` replaced by `payload`, stored
    uncompressed at the end of the file; every other file keeps its place."""
    directory = Directory(data)
    entry = directory.find(name)
    out = bytearray(data)
    new_offset = len(out) - directory.content_offset
    out += payload

    raw_name = entry.name.encode("utf-8")
    new_entry = (write_encint(len(raw_name)) + raw_name + write_encint(0) +
                 write_encint(new_offset) + write_encint(len(payload)))
    chunk, size = entry.chunk, directory.chunk_size
    free = struct.unpack_from("<I", out, chunk + 4)[0]
    used_end = chunk + size - free
    delta = len(new_entry) - (entry.end - entry.start)
    refs = directory.quickref_positions(chunk)
    reserved = 2 * (len(refs) + 1)   # words at the chunk's end
    if delta > free - reserved:
        raise ChmError("no room left in the directory chunk of %s" % name)

    tail = bytes(out[chunk + entry.end:used_end])
    out[chunk + entry.start:chunk + entry.start + len(new_entry)] = new_entry
    tail_at = chunk + entry.start + len(new_entry)
    out[tail_at:tail_at + len(tail)] = tail
    if delta < 0:
        out[used_end + delta:used_end] = bytes(-delta)
    struct.pack_into("<I", out, chunk + 4, free - delta)

    moved_from = entry.end - PMGL_HEADER_SIZE
    for position in refs:
        value = struct.unpack_from("<H", out, position)[0]
        if value >= moved_from:
            struct.pack_into("<H", out, position, value + delta)

    # Header section 0 records the length of the whole file.
    struct.pack_into("<Q", out, directory.header0_offset + 8, len(out))
    return bytes(out)


def parse_context_map(ivb):
    """(context number, offset into #STRINGS) pairs of an #IVB stream."""
    if len(ivb) < 4:
        raise ChmError("#IVB is too short")
    size = struct.unpack_from("<I", ivb, 0)[0]
    if size % 8 or size + 4 > len(ivb):
        raise ChmError("#IVB has a broken length")
    return [struct.unpack_from("<II", ivb, 4 + 8 * i) for i in range(size // 8)]


def string_at(strings, offset):
    end = strings.find(b"\0", offset)
    if offset >= len(strings) or end < 0:
        raise ChmError("string offset %d lies outside #STRINGS" % offset)
    return strings[offset:end].decode("utf-8")


def page_for(target, names):
    """The stored page a context string names, or None.

    A string is either a path inside the archive (with or without a
    leading "/") or, as some compilers write it, the page's path on the
    disk it was compiled from; then the longest stored path it ends with
    counts."""
    inside = "/" + target.lstrip("/")
    if inside in names:
        return inside
    best = None
    for name in names:
        if name.startswith("/") and not name.endswith("/") and \
                target.endswith(name) and (best is None or len(name) > len(best)):
            best = name
    return best


def fix_context_strings(ivb, strings, names):
    """#STRINGS with every context string turned into the archive path of
    its page. Strings keep their offsets (shorter ones are padded with NUL
    bytes), so every other reference into #STRINGS stays valid. Returns the
    new bytes and the list of (context, old, new) changes."""
    fixed = bytearray(strings)
    changes = []
    for context, offset in parse_context_map(ivb):
        old = string_at(strings, offset)
        page = page_for(old, names)
        if page is None or old == page[1:]:
            continue
        new = page[1:].encode("utf-8")   # never longer: old ends with page
        old_length = len(old.encode("utf-8"))
        fixed[offset:offset + old_length] = new + bytes(old_length - len(new))
        changes.append((context, old, page[1:]))
    return bytes(fixed), changes


class Chmls:
    """Runs chmls, the lister from Free Pascal's fp-utils."""

    def __init__(self, program="chmls"):
        self.program = program

    def _run(self, args, cwd=None):
        result = subprocess.run([self.program] + args, cwd=cwd,
                                capture_output=True, text=True)
        if result.returncode != 0:
            raise ChmError("%s %s failed: %s" % (self.program, " ".join(args),
                                                 result.stderr.strip()))
        return result.stdout

    def names(self, chm):
        out = self._run(["--no-page", "--name-only", "list",
                         os.path.abspath(chm)])
        names = set()
        for line in out.splitlines():
            line = line.strip()
            if line.startswith("/") or line.startswith("::"):
                names.add(line)
        if not names:
            raise ChmError("chmls lists no files in %s" % chm)
        return names

    def extract(self, chm, name):
        with tempfile.TemporaryDirectory() as tmp:
            target = os.path.join(tmp, "extracted")
            self._run(["extract", os.path.abspath(chm), name, target])
            if not os.path.exists(target):
                raise ChmError("chmls could not extract %s from %s"
                               % (name, chm))
            with open(target, "rb") as f:
                return f.read()

    def extract_all(self, chm, directory):
        self._run(["extractall", os.path.abspath(chm), directory])

    def aliases(self, chm):
        """{context number: page} as chmls extractalias reports them."""
        # extractalias writes <name>.ali beside the file it reads.
        with tempfile.TemporaryDirectory() as tmp:
            copy = os.path.join(tmp, "map.chm")
            shutil.copyfile(chm, copy)
            self._run(["extractalias", copy], cwd=tmp)
            ali = os.path.join(tmp, "map.ali")
            if not os.path.exists(ali):
                return {}
            with open(ali, encoding="utf-8", errors="replace") as f:
                text = f.read()
        result = {}
        for line in text.splitlines():
            key, sep, page = line.partition("=")
            key = key.strip()
            if sep and key.startswith("helpid") and key[6:].isdigit():
                result[int(key[6:])] = page.strip()
        return result
