#!/usr/bin/env python3
"""A real FTP server for the socket library's tests: pyftpdlib on
127.0.0.1, a free port, one named user whose home is the given folder.

    ftp_server.py --root DIR --portfile FILE --user NAME --password WORD

The port is written to FILE once the server listens."""
import argparse
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--portfile", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    args = parser.parse_args()

    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "sockloom test server ready"
    server = FTPServer(("127.0.0.1", 0), handler)
    port = server.socket.getsockname()[1]
    tmp = args.portfile + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(port))
    os.replace(tmp, args.portfile)
    server.serve_forever()


if __name__ == "__main__":
    main()
