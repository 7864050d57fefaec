#!/usr/bin/python3
"""A throwaway FTP server for the publishing tests and the benchmark.

One user with every permission in ROOT, listening on HOST at a free port. The
port is printed on its own line once the server listens; the caller stops the
server by its process id.
"""
import argparse
import logging
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--host", default="127.0.0.1")
    parser.add_argument("--user", default="tess")
    parser.add_argument("--password", default="secret")
    parser.add_argument("--tls-cert", help="PEM file holding the certificate and its key: FTPS with TLS required")
    args = parser.parse_args()

    logging.basicConfig(level=logging.WARNING, stream=sys.stderr)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    base = FTPHandler
    if args.tls_cert:
        from pyftpdlib.handlers import TLS_FTPHandler
        base = TLS_FTPHandler

    class Handler(base):
        def ftp_PROT(self, line):
            # The test reads the protection level the client asked for.
            sys.stderr.write("PROT " + line + "\n")
            sys.stderr.flush()
            return super().ftp_PROT(line)

    if args.tls_cert:
        Handler.certfile = args.tls_cert
        Handler.tls_control_required = True
        Handler.tls_data_required = True
    else:
        del Handler.ftp_PROT
    Handler.authorizer = authorizer
    Handler.auth_failed_timeout = 0.05
    server = FTPServer((args.host, 0), Handler)
    print(server.socket.getsockname()[1], flush=True)
    server.serve_forever(handle_exit=True)


if __name__ == "__main__":
    main()
