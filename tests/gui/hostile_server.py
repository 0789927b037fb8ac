#!/usr/bin/python3
"""A web folder server that misbehaves on purpose, for the window tests.

Usage: hostile_server.py ROOT PORT LOG LIFETIME_SECONDS

Every address is /MODE-WHERE/REST. REST is served from ROOT, except when it is WHERE
("list": info/data/testlist.txt, "tests": anything under tests/, "all": everything): then
MODE decides the answer:
  ok     the file, as any server would
  hang   reads the request and never answers
  drip   promises 1000 bytes and sends one every 0.2 s
  huge   a 500 MB body, generated as it is sent (nothing stored)
  loop   a redirect to itself, for ever
  bomb   a small gzip body (Content-Encoding: gzip) that unpacks to 64 MB
Each request's path is appended to LOG, so a test can see what the program asked for.
The server ends itself after LIFETIME_SECONDS whatever happens.
"""
import gzip
import http.server
import io
import os
import sys
import threading
import time
import urllib.parse

ROOT, PORT, LOG, LIFETIME = sys.argv[1], int(sys.argv[2]), sys.argv[3], float(sys.argv[4])
HUGE = 500 * 1024 * 1024
log_lock = threading.Lock()


def make_bomb():
    """A small gzip body that unpacks to 64 MB, made once when the server starts."""
    out = io.BytesIO()
    with gzip.GzipFile(fileobj=out, mode="wb", compresslevel=9, mtime=0) as z:
        block = b"1" * (1 << 20)
        for _ in range(64):
            z.write(block)
    return out.getvalue()


BOMB = make_bomb()


def hostile_here(where, rest):
    if where == "all":
        return True
    if where == "list":
        return rest == "info/data/testlist.txt"
    return where == "tests" and rest.startswith("tests/")


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        with log_lock, open(LOG, "a", encoding="utf-8") as log:
            log.write(urllib.parse.unquote(self.path) + "\n")
        parts = self.path.lstrip("/").split("/", 1)
        mode, _, where = parts[0].partition("-")
        rest = urllib.parse.unquote(parts[1] if len(parts) > 1 else "")
        try:
            if mode != "ok" and hostile_here(where, rest):
                getattr(self, "play_" + mode)()
            else:
                self.serve_file(rest)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def serve_file(self, rest):
        path = os.path.realpath(os.path.join(ROOT, rest))
        if not path.startswith(os.path.realpath(ROOT) + os.sep) or not os.path.isfile(path):
            self.send_error(404)
            return
        with open(path, "rb") as f:
            body = f.read()
        self.send_response(200)
        kind = "text/html" if path.endswith((".html", ".htm")) else "application/octet-stream"
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def play_hang(self):
        time.sleep(LIFETIME)

    def play_drip(self):
        self.send_response(200)
        self.send_header("Content-Length", "1000")
        self.end_headers()
        for _ in range(1000):
            self.wfile.write(b"x")
            self.wfile.flush()
            time.sleep(0.2)

    def play_huge(self):
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Connection", "close")
        self.end_headers()  # no length given: the reader must stop on its own
        chunk = b"1" * 65536
        for _ in range(HUGE // len(chunk)):
            self.wfile.write(chunk)

    def play_bomb(self):
        body = BOMB
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Encoding", "gzip")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def play_loop(self):
        self.send_response(302)
        self.send_header("Location", self.path)
        self.send_header("Content-Length", "0")
        self.end_headers()


threading.Timer(LIFETIME, lambda: os._exit(0)).start()
server = http.server.ThreadingHTTPServer(("127.0.0.1", PORT), Handler)
server.daemon_threads = True
server.serve_forever()
