#!/usr/bin/python3
"""An FTP server (pyftpdlib) for tests and the demo: the update area, read-only.

Serves --root to the user "update" with the password "qavrenu" on --address and --port (21 is the
port the client uses; 0 picks a free one). Once listening it prints "PORT <n>" on stdout and, with
--port-file, writes the port number into that file.
"""

import argparse
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=21)
    parser.add_argument("--root", default=".")
    parser.add_argument("--port-file")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)

    authorizer = DummyAuthorizer()
    # e: change folder, l: list, r: retrieve
    authorizer.add_user("update", "qavrenu", os.path.abspath(args.root), perm="elr")

    handler = FTPHandler
    handler.authorizer = authorizer
    handler.banner = "update area ready"
    # The data connections stay on the control connection's (loopback) address.
    handler.permit_foreign_addresses = False

    server = FTPServer((args.address, args.port), handler)
    server.max_cons = 64
    port = server.address[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write("%d\n" % port)
        os.replace(args.port_file + ".tmp", args.port_file)
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()
    try:
        server.serve_forever(timeout=0.2)
    except KeyboardInterrupt:
        pass
    finally:
        server.close_all()


if __name__ == "__main__":
    main()
