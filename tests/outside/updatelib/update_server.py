#!/usr/bin/env python3
"""Update server for the tests: serves the files under --root over HTTP on
127.0.0.1 (a free port, written to --portfile once listening) and also
answers as an HTTP proxy (absolute-URI request lines). Every request line
is appended to --log, proxied ones prefixed with "PROXY ".

Special paths:
  /truncated/<file>  announces 100000 bytes, sends 1000, then hangs up
  /slow/<file>       sends <file> in 4 KiB blocks, 50 ms apart
  /status/<code>[/<name>]  answers with that status and no body
  /hang/<anything>   takes the request and never answers (for up to 60 s)
  /stall/<file>      announces <file>, sends half of it, then goes silent
  /trickle/<n>       200 without a length, then n bytes "x", one a second
  /empty/<anything>  200 without a length and without a body
  /nolength/<file>   <file> without a Content-Length
A served file whose whole content is "#HANG#" is never answered (60 s).
"""
import argparse
import http.server
import os
import socketserver
import sys
import time
import urllib.parse


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, *args):
        pass

    def do_GET(self):
        line = self.requestline
        path = self.path
        if path.startswith("http://"):
            line = "PROXY " + line
            path = urllib.parse.urlsplit(path).path or "/"
        with open(self.server.log_path, "a", encoding="latin-1") as log:
            log.write(line + "\n")
        path = urllib.parse.unquote(path.split("?", 1)[0])
        if path.startswith("/status/"):
            self.send_response(int(path[8:].split("/")[0]))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if path.startswith("/hang/"):
            time.sleep(60)
            return
        if path.startswith("/trickle/"):
            self.send_response(200)
            self.end_headers()
            self.wfile.flush()
            for _ in range(min(int(path[9:]), 60)):
                time.sleep(1)
                try:
                    self.wfile.write(b"x")
                    self.wfile.flush()
                except OSError:
                    return
            return
        if path.startswith("/empty/"):
            self.send_response(200)
            self.end_headers()
            return
        if path.startswith("/truncated/"):
            self.send_response(200)
            self.send_header("Content-Length", "100000")
            self.end_headers()
            self.wfile.write(b"x" * 1000)
            self.wfile.flush()
            return
        mode = path.split("/")[1]
        if mode in ("slow", "stall", "nolength"):
            path = path[len(mode) + 1:]
        local = os.path.normpath(os.path.join(self.server.root, path.lstrip("/")))
        if not local.startswith(self.server.root) or not os.path.isfile(local):
            self.send_response(404)
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        with open(local, "rb") as f:
            data = f.read()
        if data == b"#HANG#":
            time.sleep(60)
            return
        self.send_response(200)
        if mode != "nolength":
            self.send_header("Content-Length", str(len(data)))
        self.send_header("Content-Type", "application/octet-stream")
        self.end_headers()
        if mode == "stall":
            self.wfile.write(data[:len(data) // 2])
            self.wfile.flush()
            time.sleep(60)
            return
        if mode != "slow":
            self.wfile.write(data)
            return
        for i in range(0, len(data), 4096):
            try:
                self.wfile.write(data[i:i + 4096])
                self.wfile.flush()
            except OSError:
                return
            time.sleep(0.05)


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--root", required=True)
    ap.add_argument("--portfile", required=True)
    ap.add_argument("--log", required=True)
    a = ap.parse_args()
    os.makedirs(a.root, exist_ok=True)
    server = Server(("127.0.0.1", 0), Handler)
    server.root = os.path.realpath(a.root)
    server.log_path = a.log
    open(a.log, "w").close()
    tmp = a.portfile + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(tmp, a.portfile)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
