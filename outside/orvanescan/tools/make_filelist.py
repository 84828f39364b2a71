#!/usr/bin/env python3
"""Writes a program's embedded file list from a manifest.

    make_filelist.py [--slave] [--id=N] MANIFEST OUT.bin OUT.rc

OUT.bin is a FileListBlob (the 28-byte marker, then one record per file,
the last one flagged; --slave picks the slave marker); OUT.rc is a
resource script line that puts it into a program as resource N (default
1) of type FILELIST, where the scan engine finds it by its marker.

The manifest is a list of sections, one per file:

    # comment
    [sockloom6.dll]
    paths = program system          program system windows path other
    version = 1.0.0.0               oldest file version that will do
    warn = not-found older-version  conflict names (see WARNINGS); none: default
    typelib = {GUID} 1.0 0          registered type library, version, LCID
    version-string = 1.0            compared with the file's "FileVersion" text
    size = 12345                    bytes
    date = 2003-05-17 14:02:00      last written, UTC
    other-paths = C:\\x;%APPDATA%\\y  searched with the path bit "other"
    path-dependent = yes            only the first folder of the paths counts

outside/orvanescan/README.md says what the engine does with each field.
"""

import datetime
import os
import re
import struct
import sys
import uuid

MASTER_MARKER = b"QuennickOrvaneLedgers6Mark32"
SLAVE_MARKER = b"QuennickOrvaneLedgers6MSlv32"
HEADER_SIZE = 88
ENTRY_FORMAT = 6
DEFAULT_FLAGS = 0x00090000
LAST_ENTRY = 0x80000000
PATH_DEPENDENT = 0x02
PATH_SHIFT = 16

PATHS = {"program": 0x01, "system": 0x02, "windows": 0x04, "path": 0x08, "other": 0x10}
WARNINGS = [
    "older-date", "newer-date", "older-version", "newer-version", "special-build",
    "always-warn", "in-memory", "not-found", "no-version-info", "larger-size",
    "smaller-size", "not-registered", "older-typelib", "newer-typelib", "no-typelib",
    "older-version-string", "newer-version-string",
]
KEYS = {"paths", "version", "warn", "typelib", "version-string", "size", "date",
        "other-paths", "path-dependent"}
FILETIME_EPOCH = datetime.datetime(1601, 1, 1)


class ManifestError(Exception):
    pass


def parse_manifest(text):
    """The sections of a manifest as (name, {key: value}) in order."""
    entries = []
    for number, raw in enumerate(text.splitlines(), 1):
        line = raw.strip()
        if not line or line[0] in "#;":
            continue
        if line.startswith("[") and line.endswith("]"):
            name = line[1:-1].strip()
            if not name:
                raise ManifestError(f"line {number}: empty file name")
            entries.append((name, {}))
            continue
        key, sep, value = line.partition("=")
        key = key.strip().lower()
        if not sep or not entries:
            raise ManifestError(f"line {number}: expected [file] or key = value")
        if key not in KEYS:
            raise ManifestError(f"line {number}: unknown key {key!r}")
        if key in entries[-1][1]:
            raise ManifestError(f"line {number}: {key} given twice")
        entries[-1][1][key] = value.strip()
    if not entries:
        raise ManifestError("the manifest lists no file")
    return entries


def version_numbers(text, what):
    parts = text.split(".")
    if not 1 <= len(parts) <= 4 or not all(p.isdigit() and int(p) <= 0xFFFF for p in parts):
        raise ManifestError(f"{what}: {text!r} is not a version a.b.c.d")
    numbers = [int(p) for p in parts] + [0] * (4 - len(parts))
    return numbers[0] << 16 | numbers[1], numbers[2] << 16 | numbers[3]


def version_resource(ms, ls):
    """A VS_VERSIONINFO block holding only its fixed part."""
    key = "VS_VERSION_INFO\0".encode("utf-16-le")
    fixed = struct.pack("<13I", 0xFEEF04BD, 0x00010000, ms, ls, ms, ls,
                        0x3F, 0, 0x00040004, 2, 0, 0, 0)
    head_length = 6 + len(key)
    padding = b"\0" * ((4 - head_length % 4) % 4)
    length = head_length + len(padding) + len(fixed)
    return struct.pack("<3H", length, len(fixed), 0) + key + padding + fixed


def entry_fields(name, fields):
    """The numbers, texts and blocks of one record."""
    paths = 0
    for word in fields.get("paths", "program path").split():
        if word not in PATHS:
            raise ManifestError(f"[{name}] paths: unknown folder {word!r}")
        paths |= PATHS[word]
    warnings = 0
    for word in fields.get("warn", "").split():
        if word not in WARNINGS:
            raise ManifestError(f"[{name}] warn: unknown conflict {word!r}")
        warnings |= 1 << WARNINGS.index(word)

    buffer = b""
    if "version" in fields:
        buffer = version_resource(*version_numbers(fields["version"], f"[{name}] version"))

    size = 0
    if "size" in fields:
        if not fields["size"].isdigit() or int(fields["size"]) > 0x7FFFFFFF:
            raise ManifestError(f"[{name}] size: {fields['size']!r} is not a size")
        size = int(fields["size"])

    date = 0
    if "date" in fields:
        try:
            when = datetime.datetime.strptime(fields["date"], "%Y-%m-%d %H:%M:%S")
        except ValueError as e:
            raise ManifestError(f"[{name}] date: {e}") from None
        date = (when - FILETIME_EPOCH) // datetime.timedelta(microseconds=1) * 10

    block = bytes(24)
    if "typelib" in fields:
        words = fields["typelib"].split()
        if len(words) not in (2, 3) or not re.fullmatch(r"\{[0-9A-Fa-f-]{36}\}", words[0]):
            raise ManifestError(f"[{name}] typelib: expected {{GUID}} major.minor [lcid]")
        guid = uuid.UUID(words[0]).bytes_le
        major, _, minor = words[1].partition(".")
        if not (major.isdigit() and minor.isdigit() and int(major) <= 0xFFFF and int(minor) <= 0xFFFF):
            raise ManifestError(f"[{name}] typelib: {words[1]!r} is not major.minor")
        lcid = int(words[2], 0) if len(words) == 3 else 0
        block = guid + struct.pack("<II", int(major) << 16 | int(minor), lcid)

    dependent = fields.get("path-dependent", "no").lower()
    if dependent not in ("yes", "no"):
        raise ManifestError(f"[{name}] path-dependent: yes or no")

    return {
        "flags": (DEFAULT_FLAGS & ~(0x1F << PATH_SHIFT)) | paths << PATH_SHIFT,
        "values": [warnings, size, date & 0xFFFFFFFF, date >> 32, 0, 0, 0],
        "name": name, "buffer": buffer,
        "entry_flags": PATH_DEPENDENT if dependent == "yes" else 0,
        "text1": fields.get("version-string"), "text2": fields.get("other-paths"),
        "block": block,
    }


def ansi(text):
    return text.encode("cp1252")


def section(data):
    return struct.pack("<I", len(data)) + data


def text_section(text):
    return section(ansi(text) + b"\0") if text is not None else section(b"")


def record(e, last):
    flags = e["flags"] | LAST_ENTRY if last else e["flags"] & ~LAST_ENTRY
    v = e["values"]
    # flags, entryValue1-5, four reserved references (0), bufferLength,
    # entryValue6-7 and entryFlags, then the 24-byte block.
    header = struct.pack("<iiI5III iiii II", HEADER_SIZE, ENTRY_FORMAT, flags, *v[:5], 0, 0,
                         len(e["buffer"]), v[5], v[6], e["entry_flags"], 0, 0) + e["block"]
    assert len(header) == HEADER_SIZE, len(header)
    return header + text_section(e["name"]) + section(e["buffer"]) + text_section(e["text1"]) + \
        text_section(e["text2"])


def file_list_blob(entries, slave=False):
    fields = [entry_fields(name, f) for name, f in entries]
    blob = SLAVE_MARKER if slave else MASTER_MARKER
    for i, e in enumerate(fields):
        blob += record(e, i == len(fields) - 1)
    return blob


def write_file(path, data):
    temp = path + ".new"
    with open(temp, "wb") as f:
        f.write(data)
    os.replace(temp, path)


def main(argv):
    args = [a for a in argv[1:] if not a.startswith("--")]
    options = [a for a in argv[1:] if a.startswith("--")]
    ids = [o[5:] for o in options if o.startswith("--id=")]
    unknown = [o for o in options if o != "--slave" and not o.startswith("--id=")]
    if len(args) != 3 or unknown or len(ids) > 1 or (ids and not ids[0].isdigit()):
        print(__doc__.split("\n\n")[1], file=sys.stderr)
        return 2
    resource_id = int(ids[0]) if ids else 1
    manifest, out_bin, out_rc = args
    try:
        with open(manifest, encoding="utf-8") as f:
            blob = file_list_blob(parse_manifest(f.read()), "--slave" in options)
    except (OSError, ManifestError) as e:
        print(f"{manifest}: {e}", file=sys.stderr)
        return 1
    write_file(out_bin, blob)
    rc_path = os.path.abspath(out_bin).replace("\\", "/")
    write_file(out_rc, f'// Written by make_filelist.py from {os.path.basename(manifest)}.\n'
                       f'{resource_id} FILELIST "{rc_path}"\n'.encode("ascii", "replace"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
