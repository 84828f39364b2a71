#!/usr/bin/env python3
"""Cold start of pellanor.exe under Wine, from process start to its exit.

Until the main window exists the program ends right after loading the verse
library, so this is the time to a loaded library. The Wine start-up cost is
measured alongside with a program that does nothing, as the floor.

Usage: bench/startup.py [program-folder] [runs]
The wineserver must already run (scripts/lib.sh start_wine), as in tests.
"""
import os
import statistics
import subprocess
import sys
import time

repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(repo, "build", "windows", "dist")
runs = int(sys.argv[2]) if len(sys.argv) > 2 else 15


def timed(cmd, cwd):
    samples = []
    for _ in range(runs):
        t0 = time.perf_counter()
        subprocess.run(cmd, cwd=cwd, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
        samples.append((time.perf_counter() - t0) * 1000.0)
    return samples


def show(name, s):
    print(f"{name:38s} median {statistics.median(s):7.1f} ms   min {min(s):7.1f} ms   max {max(s):7.1f} ms")


library_bytes = 0
for root, _dirs, files in os.walk(folder):
    if "TRANSLATION_" in root:
        library_bytes += sum(os.path.getsize(os.path.join(root, f)) for f in files)
print(f"program folder: {folder}  (verse library {library_bytes} bytes, {runs} runs each)")
subprocess.run(["wine", "cmd", "/c", "exit", "0"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
show("wine floor (cmd /c exit 0)", timed(["wine", "cmd", "/c", "exit", "0"], folder))
show("pellanor.exe start to library loaded", timed(["wine", "./pellanor.exe"], folder))
