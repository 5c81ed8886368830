#!/usr/bin/env python3
"""An FTP server for Norvale's tests on 127.0.0.1 (pyftpdlib): serves the
folder given as its argument read-only, binds a free port, prints it and
serves until its standard input closes. Logins: anonymous, and "user" with
password "secret"; any other password gets 530, a missing file 550. Data
connections (passive, the only kind curl asks for) listen on 127.0.0.1 too.
"""

import logging, os, sys, threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer

READ_ONLY = "elr"  # change folder, list, retrieve


def watch_stdin():
    try:
        while sys.stdin.buffer.read(4096):
            pass
    finally:
        os._exit(0)


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: ftp_server.py FOLDER")
    folder = os.path.abspath(sys.argv[1])
    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    authorizer = DummyAuthorizer()
    authorizer.add_anonymous(folder, perm=READ_ONLY)
    authorizer.add_user("user", "secret", folder, perm=READ_ONLY)
    handler = FTPHandler
    handler.authorizer = authorizer
    # A failed login is answered at once, so that tests of it stay short.
    handler.auth_failed_timeout = 0
    server = FTPServer(("127.0.0.1", 0), handler)
    print(server.socket.getsockname()[1], flush=True)
    threading.Thread(target=watch_stdin, daemon=True).start()
    server.serve_forever()


if __name__ == "__main__":
    main()
