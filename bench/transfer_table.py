#!/usr/bin/env python3
"""Runs every transfer client in turn for several rounds, checks each body
against the served file, and prints medians, ratios and peak memory.
Started by bench/transfer.sh, which brings up the servers and Wine.

No client always follows the same one: the order is shuffled every round
from a seed that is printed (--seed repeats a run's orders). The writes a
client leaves behind are flushed before the next one starts, so none pays
for another's, and the uploads run in rounds of their own after the
downloads."""
import argparse
import hashlib
import os
import random
import re
import shlex
import statistics
import subprocess
import sys
import time

# client, probe mode, what it fetches from, the reference it is compared with
# The references are the best plain blocking loops found here (4 MiB
# receive buffer, 1 MiB reads); the upload's sends the same 4096-byte pieces
# the library's contract makes.
CLIENTS = [
    ("best loop into a file", "loop-file", "http", None),
    ("zkHTTP10 to OutputFile", "zk-file", "http", "loop-file"),
    ("plain 64 KiB loop into a file", "loop-64k", "http", "loop-file"),
    ("WinHTTP into a file", "winhttp", "http", "loop-file"),
    ("update library into a file", "updatelib", "http", "loop-file"),
    ("best loop into a sized string", "loop-mem", "http", None),
    ("zkHTTP10 byte-array mode", "zk-bytes", "http", "loop-mem"),
    ("best FTP loop (PASV RETR)", "ftp-loop", "ftp", None),
    ("zkFTPclient Retrieve to a file", "zkftp-get", "ftp", "ftp-loop"),
    ("FTP STOR loop, 4096-byte pieces", "ftp-put-loop", "ftp", None),
    ("zkFTPclient Store", "zkftp-put", "ftp", "ftp-put-loop"),
]
STORES = {"zkftp-put", "ftp-put-loop"}


def md5(path):
    h = hashlib.md5()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest()


def winpath(path):
    return "Z:" + path.replace("/", "\\")


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--wine", required=True)
    ap.add_argument("--probe", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("--http-port", required=True)
    ap.add_argument("--ftp-port", required=True)
    ap.add_argument("--rounds", type=int, default=9)
    ap.add_argument("--only", default="", help="comma-separated probe modes to run (default: all)")
    ap.add_argument("--seed", type=int, default=None, help="seed of the orders (default: a new one)")
    a = ap.parse_args()
    seed = a.seed if a.seed is not None else random.SystemRandom().randrange(1, 1 << 31)
    order = random.Random(seed)
    print(f"client order shuffled every round, seed {seed} (SEED={seed} repeats it)", file=sys.stderr)
    only = set(filter(None, a.only.split(",")))
    unknown = only - {mode for _, mode, _, _ in CLIENTS}
    if unknown:
        ap.error("unknown client(s): " + ", ".join(sorted(unknown)))
    clients = [c for c in CLIENTS if not only or c[1] in only]

    body = os.path.join(a.work, "www", "body.bin")
    size = os.path.getsize(body)
    want = md5(body)
    # mode -> round -> (ms, peak working set)
    results = {mode: {} for _, mode, _, _ in clients}
    failures = {}
    # mode -> [(progress events, ms idle waiting for notices, ms last piece to HTTPReady)]
    spent = {}
    downloads = [c for c in clients if c[1] not in STORES]
    uploads = [c for c in clients if c[1] in STORES]
    phases = [(downloads, "download")] if downloads else []
    if uploads:
        phases.append((uploads, "upload"))
    for group, phase in phases:
        for r in range(a.rounds):
            turn = list(group)
            order.shuffle(turn)
            for name, mode, proto, _ in turn:
                if mode in failures:
                    continue
                out = os.path.join(a.work, "out", "body.bin")
                if os.path.exists(out):
                    os.remove(out)
                # What the previous client wrote reaches the disk now, not while
                # this one is timed.
                os.sync()
                time.sleep(0.2)
                port = a.http_port if proto == "http" else a.ftp_port
                if mode in STORES:
                    remote, local = "up.bin", body
                    check = os.path.join(a.work, "ftp", "up.bin")
                elif proto == "ftp":
                    remote, local, check = "body.bin", out, out
                else:
                    remote, local, check = "/body.bin", out, out
                if os.path.exists(check) and check != body:
                    os.remove(check)
                cmd = shlex.split(a.wine) + [a.probe, mode, "127.0.0.1", port, remote, winpath(local)]
                run = subprocess.run(cmd, capture_output=True, text=True, timeout=900)
                line = run.stdout.strip().splitlines()[-1] if run.stdout.strip() else run.stderr.strip()[-200:]
                m = re.match(r"ms=([\d.]+) peak=(\d+) bytes=(\d+)", line)
                if run.returncode != 0 or not m:
                    failures[mode] = line or f"exit {run.returncode}"
                    continue
                if not os.path.exists(check) or os.path.getsize(check) != size or md5(check) != want:
                    failures[mode] = "the body that arrived differs from the one served"
                    continue
                results[mode][r] = (float(m.group(1)), int(m.group(2)))
                parts = re.search(r"pieces=(\d+)(?: wait=([\d.]+) gap=([-\d.]+))?", line)
                if parts and parts.group(2):
                    spent.setdefault(mode, []).append(
                        (int(parts.group(1)), float(parts.group(2)), float(parts.group(3))))
            print(f"{phase} round {r + 1} of {a.rounds} done: " + " ".join(c[1] for c in turn), file=sys.stderr)

    med = {mode: statistics.median(t for t, _ in v.values()) for mode, v in results.items() if v}

    # The same client's time against its reference's in the same round: the
    # load of the machine changes from round to round, less within one.
    def paired(mode, ref):
        rounds = [r for r in results[mode] if r in results.get(ref, {})]
        if not rounds:
            return None
        return statistics.median(results[ref][r][0] / results[mode][r][0] for r in rounds)

    print(f"\n{size / 1048576:.0f} MiB body, {a.rounds} rounds interleaved in shuffled order (seed {seed}), "
          f"uploads in rounds of their own, every body checked by MD5; medians")
    print("speed ratios: the reference's time over the client's (1.00: as fast); paired: median of the")
    print("ratios within each round")
    print(f"{'client':34} {'ms':>8} {'MiB/s':>7} {'ratio':>6} {'paired':>6} {'peak MB':>8} {'peak/body':>9} "
          f"{'range ms':>15}")
    for name, mode, _, ref in clients:
        if mode in failures:
            print(f"{name:34} failed: {failures[mode]}")
            continue
        ms = med[mode]
        times = [t for t, _ in results[mode].values()]
        peak = max(p for _, p in results[mode].values()) / 1e6
        ratio = f"{med[ref] / ms:.2f}" if ref in med else "ref"
        pair = paired(mode, ref) if ref else None
        pair = f"{pair:.2f}" if pair is not None else ""
        print(f"{name:34} {ms:8.1f} {size / 1048576 / (ms / 1000):7.1f} {ratio:>6} {pair:>6} {peak:8.1f} "
              f"{peak * 1e6 / size:9.2f} {min(times):7.1f}-{max(times):<7.1f}")
    for name, mode, _, _ in clients:
        if spent.get(mode):
            pieces, wait, gap = (statistics.median(v[i] for v in spent[mode]) for i in range(3))
            print(f"{name}: {wait:.1f} ms of {med[mode]:.1f} idle waiting for notices, {gap:.1f} ms from the "
                  f"last piece to HTTPReady, {pieces:.0f} pieces (medians)")
    if "zk-file" in med and "winhttp" in med:
        print(f"zkHTTP10 to a file is {med['winhttp'] / med['zk-file']:.2f} times as fast as WinHTTP")
    return 0


if __name__ == "__main__":
    sys.exit(main())
