#!/usr/bin/env python3
"""A small HTTP server for tests, the demo and benchmarks.

Serves the files of a folder, and a few special paths:

  /<file>                 the file under the root folder, with Content-Length
  /status/<code>          an empty-ish response with that status code
  /generate/<size>        a generated body of <size> bytes (suffix K or M for 1024, 1024*1024);
                          byte i of the body is i % 251

Every body-bearing path takes these query options (combinable):

  length=0     no Content-Length; the end of the body is the end of the connection
  chunked=1    chunked transfer encoding (no Content-Length)
  rate=<n>     send at most <n> bytes per second
  stall=<s>    after the headers, send nothing for <s> seconds (then the body)
  delay=<s>    wait <s> seconds before sending the headers
  drop=<n>     announce the full length but close the connection after <n> bytes of the body
  pause=<s>    with after=<n>: once <n> bytes of the body are sent, send nothing for <s> seconds

Binds to --address (a loopback address) and --port (0 picks a free one). Once listening it prints
"PORT <n>" on stdout and, with --port-file, writes the port number into that file.

With --unanswered it also holds a listening socket whose queue is full, so that connections to it
are never made (the peer sees no answer until its own timeout); it prints "UNANSWERED <port>" first.
"""

import argparse
import os
import posixpath
import socket
import sys
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

BLOCK = 256 * 1024
PATTERN = bytes(i % 251 for i in range(251 * 4096))  # a whole number of periods, about 1 MB


def parse_size(text):
    factor = 1
    if text[-1:] in ("K", "k"):
        factor, text = 1024, text[:-1]
    elif text[-1:] in ("M", "m"):
        factor, text = 1024 * 1024, text[:-1]
    return int(text) * factor


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "VintrelTestHTTP/1.0"
    root = "."

    def log_message(self, fmt, *args):  # quiet: tests read stdout for the port only
        pass

    def do_GET(self):
        try:
            self.handle_get()
        except (BrokenPipeError, ConnectionResetError, socket.timeout):
            pass
        self.close_connection = True

    def handle_get(self):
        parts = urllib.parse.urlsplit(self.path)
        path = urllib.parse.unquote(parts.path)
        query = {k: v[-1] for k, v in urllib.parse.parse_qs(parts.query).items()}

        if path.startswith("/status/"):
            code = int(path[len("/status/"):])
            body = ("status %d\n" % code).encode()
            self.send_response(code)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body)
            return

        if path.startswith("/generate/"):
            try:
                size = parse_size(path[len("/generate/"):])
            except ValueError:
                self.send_error(400, "bad size")
                return
            self.send_body(size, generated_blocks(size), query)
            return

        local = self.local_path(path)
        if local is None or not os.path.isfile(local):
            self.send_error(404, "not found")
            return
        with open(local, "rb") as f:
            size = os.fstat(f.fileno()).st_size
            self.send_body(size, file_blocks(f), query)

    def local_path(self, path):
        norm = posixpath.normpath(path)
        if not norm.startswith("/") or "/.." in norm:
            return None
        return os.path.join(self.root, norm.lstrip("/"))

    def send_body(self, size, blocks, query):
        delay = float(query.get("delay", "0"))
        stall = float(query.get("stall", "0"))
        rate = int(query.get("rate", "0"))
        drop = int(query["drop"]) if "drop" in query else -1
        pause = float(query.get("pause", "0"))
        pause_after = int(query.get("after", "0")) if pause > 0 else -1
        chunked = query.get("chunked") == "1"
        with_length = query.get("length") != "0" and not chunked

        if delay > 0:
            time.sleep(delay)
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        if with_length:
            self.send_header("Content-Length", str(size))
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.flush()
        if stall > 0:
            time.sleep(stall)

        sent = 0
        started = time.monotonic()
        for block in blocks:
            if drop >= 0 and sent + len(block) > drop:
                block = block[: drop - sent]
            if pause_after >= 0 and sent + len(block) > pause_after:
                # Split the block at the pause.
                head = block[: pause_after - sent]
                self.write_piece(head, chunked)
                sent += len(head)
                block = block[len(head):]
                self.wfile.flush()
                time.sleep(pause)
                started += pause
                pause_after = -1
            if rate > 0:
                # Pieces of a tenth of a second keep the pace even.
                step = max(1, rate // 10)
                for i in range(0, len(block), step):
                    piece = block[i:i + step]
                    self.write_piece(piece, chunked)
                    sent += len(piece)
                    ahead = sent / rate - (time.monotonic() - started)
                    if ahead > 0:
                        time.sleep(ahead)
            else:
                self.write_piece(block, chunked)
                sent += len(block)
            if drop >= 0 and sent >= drop:
                # Close without finishing: the client sees the body cut short.
                self.connection.shutdown(socket.SHUT_RDWR)
                return
        if chunked:
            self.wfile.write(b"0\r\n\r\n")

    def write_piece(self, piece, chunked):
        if not piece:
            return
        if chunked:
            self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
        else:
            self.wfile.write(piece)


def generated_blocks(size):
    view = memoryview(PATTERN)
    offset = 0
    while offset < size:
        start = offset % 251
        n = min(BLOCK, size - offset)
        yield view[start:start + n]
        offset += n


def file_blocks(f):
    while True:
        block = f.read(BLOCK)
        if not block:
            return
        yield block


class Server(ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64


def unanswered_socket(address):
    listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    listener.bind((address, 0))
    listener.listen(0)
    port = listener.getsockname()[1]
    # Fill the accept queue; further connection attempts then get no answer.
    fillers = []
    for _ in range(2):
        c = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        c.setblocking(False)
        try:
            c.connect((address, port))
        except BlockingIOError:
            pass
        fillers.append(c)
    time.sleep(0.05)
    return listener, fillers, port


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--root", default=".")
    parser.add_argument("--port-file")
    parser.add_argument("--unanswered", action="store_true")
    args = parser.parse_args()

    if args.unanswered:
        held = unanswered_socket(args.address)
        sys.stdout.write("UNANSWERED %d\n" % held[2])

    Handler.root = os.path.abspath(args.root)
    server = Server((args.address, args.port), Handler)
    port = server.server_address[1]
    if args.port_file:
        with open(args.port_file + ".tmp", "w") as f:
            f.write("%d\n" % port)
        os.replace(args.port_file + ".tmp", args.port_file)
    sys.stdout.write("PORT %d\n" % port)
    sys.stdout.flush()
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
