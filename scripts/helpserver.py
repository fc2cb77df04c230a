#!/usr/bin/env python3
"""Serves the help pages of help/ on a loopback port, whatever host a request
names, so a help viewer can show them through a proxy setting:

    QTWEBENGINE_CHROMIUM_FLAGS="--proxy-server=http://127.0.0.1:PORT --proxy-bypass-list=<-loopback>"

Prints the port it listens on, then serves until it is ended.
"""
import http.server
import os
import sys
import urllib.parse

HELP = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "help")


class Handler(http.server.SimpleHTTPRequestHandler):
    def translate_path(self, path):
        # A proxy request carries the full address; only its path counts.
        local = urllib.parse.urlsplit(path).path
        return super().translate_path(local)

    def log_message(self, *args):
        pass


def main():
    os.chdir(HELP)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    print(server.server_address[1], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
