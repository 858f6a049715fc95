#!/usr/bin/env python3
"""A stand-in for the maker's update server, for the end-to-end tests.

Serves the files under ROOT by their paths (so ROOT/uploaded/software/updates.txt
answers /uploaded/software/updates.txt). What a file's answer looks like is
decided afresh for every request, so a test controls it by writing files:

  PATH            the body to serve; a missing file answers 404
  PATH.mode       one word, optional:
                    ok     serve the body (the default)
                    404    answer 404 with a small error page
                    empty  answer 200 with no body at all
                    short  promise the whole body, send half of it, close
                    altered  serve the body with the lowest bit of its
                           last byte flipped
                    signed  (for PATH ending in .sig) answer with the DER
                           signature that "openssl dgst -sha256 -sign" makes
                           with the --sign-key key of the file PATH names
                           without ".sig", as it is on disk; the signature
                           served is also written to PATH.served
                    signed-by-other  the same with the --other-key key
                  and three that never finish, each holding the connection
                  open until the client closes it:
                    stall-after-headers  send the headers, promising the
                           whole body, and its first 10 bytes, then nothing
                    stall-silent  read the request and answer nothing at all
                    trickle  send the headers and the body's first 4 KiB,
                           then the rest one byte every 5 seconds (urlmon
                           hands on the first bytes only once it has enough
                           of them to tell their type, so a trickle from the
                           first byte would look like silence to the client)

While the file ROOT/server.down exists the server does not listen at all, so
a connection is refused: the state "down" or "up" that it is in is written to
ROOT/server.state once it has changed. Every request is appended to
ROOT/requests.log as "GET <path> <mode>".

Usage: update_server.py --root ROOT --port PORT [--ready FILE]
                        [--sign-key PEM --other-key PEM]
Listens on 127.0.0.1 only. Writes FILE once it is first listening. Ends on
SIGTERM or SIGINT, or by itself after --lifetime seconds (default 3600).
"""

import argparse
import http.server
import os
import select
import signal
import socket
import subprocess
import sys
import threading
import time
import urllib.parse

NEVER_FINISHING = ("stall-after-headers", "stall-silent", "trickle")
TRICKLE_SECONDS = 5  # between the bytes of a trickle
TRICKLE_BURST = 4096  # sent at once before a trickle
HOLD_SECONDS = 900  # the longest a stalled answer keeps its connection open


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "UpdateTestServer/1"

    def log_message(self, format, *args):  # keep the test output quiet
        pass

    def _local_path(self):
        path = urllib.parse.unquote(urllib.parse.urlsplit(self.path).path)
        parts = [p for p in path.split("/") if p not in ("", ".", "..")]
        return os.path.join(self.server.root, *parts), "/" + "/".join(parts)

    def _mode(self, local):
        try:
            with open(local + ".mode", encoding="ascii") as f:
                return f.read().strip() or "ok"
        except OSError:
            return "ok"

    def _log(self, path, mode):
        with self.server.log_lock:
            with open(os.path.join(self.server.root, "requests.log"), "a", encoding="utf-8") as f:
                f.write(f"{self.command} {path} {mode}\n")

    def _answer(self, status, body, length=None, content_type="application/octet-stream"):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body) if length is None else length))
        self.send_header("Cache-Control", "no-cache, no-store")
        self.send_header("Connection", "close")
        self.end_headers()
        if self.command != "HEAD":
            self.wfile.write(body)
        self.close_connection = True

    def _close(self):
        # A graceful close: the client reads everything sent before it.
        self.close_connection = True
        self.wfile.flush()
        try:
            self.connection.shutdown(socket.SHUT_RDWR)
        except OSError:
            pass

    def _hold_open(self, seconds):
        """Keeps the connection open for `seconds` or until the client
        closes it or the server stops; returns whether it is still open."""
        until = time.monotonic() + seconds
        while not self.server.stopping.is_set():
            left = until - time.monotonic()
            if left <= 0:
                return True
            readable, _, _ = select.select([self.connection], [], [], min(left, 0.5))
            if readable:
                try:
                    if not self.connection.recv(4096):
                        return False
                except OSError:
                    return False
        return False

    def _never_finish(self, mode, body):
        self.close_connection = True
        try:
            if mode != "stall-silent":
                self.send_response(200)
                self.send_header("Content-Type", "application/octet-stream")
                self.send_header("Content-Length", str(len(body)))
                self.send_header("Cache-Control", "no-cache, no-store")
                self.end_headers()
                self.wfile.flush()
            if mode == "trickle":
                self.wfile.write(body[:TRICKLE_BURST])
                self.wfile.flush()
                for byte in body[TRICKLE_BURST:]:
                    if not self._hold_open(TRICKLE_SECONDS):
                        return
                    self.wfile.write(bytes([byte]))
                    self.wfile.flush()
            else:
                if mode == "stall-after-headers":
                    self.wfile.write(body[:10])
                    self.wfile.flush()
                self._hold_open(HOLD_SECONDS)
        except OSError:
            pass

    def _signature(self, local, key):
        """The DER signature of the file that the .sig path `local` names, or
        None when there is no such file or key."""
        if not key or not local.endswith(".sig") or not os.path.isfile(local[: -len(".sig")]):
            return None
        result = subprocess.run(["openssl", "dgst", "-sha256", "-sign", key, local[: -len(".sig")]],
                                capture_output=True, timeout=30)
        if result.returncode != 0:
            return None
        with open(local + ".served", "wb") as f:
            f.write(result.stdout)
        return result.stdout

    def do_GET(self):
        local, path = self._local_path()
        exists = os.path.isfile(local)
        mode = self._mode(local) if exists or os.path.isfile(local + ".mode") else "404"
        self._log(path, mode)
        if mode in ("signed", "signed-by-other"):
            key = self.server.sign_key if mode == "signed" else self.server.other_key
            signature = self._signature(local, key)
            if signature is None:
                self._answer(500, b"no signature\n", content_type="text/plain")
            else:
                self._answer(200, signature)
            return
        if mode == "404" or (not exists and mode in ("ok", "short")):
            self._answer(404, b"<html><body>404 Not Found</body></html>\n", content_type="text/html")
            return
        if mode in NEVER_FINISHING:
            body = b""
            if exists:
                with open(local, "rb") as f:
                    body = f.read()
            self._never_finish(mode, body)
            return
        if mode == "empty":
            self._answer(200, b"")
            return
        with open(local, "rb") as f:
            body = f.read()
        if mode == "short":
            self._answer(200, body[: len(body) // 2], length=len(body))
            self._close()
            return
        if mode == "altered" and body:
            body = body[:-1] + bytes([body[-1] ^ 1])
        self._answer(200, body)

    do_HEAD = do_GET


class Server:
    """Accepts connections on 127.0.0.1:port while ROOT/server.down is absent
    and hands each to Handler on a thread of its own."""

    def __init__(self, root, port, sign_key=None, other_key=None):
        self.root = root
        self.port = port
        self.sign_key = sign_key
        self.other_key = other_key
        self.log_lock = threading.Lock()
        self.stopping = threading.Event()
        self.listener = None

    def _listen(self):
        listener = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", self.port))
        listener.listen(16)
        self.listener = listener

    def _set_state(self, state):
        path = os.path.join(self.root, "server.state")
        with open(path + ".tmp", "w", encoding="ascii") as f:
            f.write(state + "\n")
        os.replace(path + ".tmp", path)

    def _handle(self, connection, address):
        try:
            Handler(connection, address, self)
        except OSError:
            pass
        finally:
            connection.close()

    def run(self, ready):
        self._listen()
        self._set_state("up")
        if ready:
            with open(ready, "w", encoding="ascii") as f:
                f.write(f"{self.port}\n")
        down_file = os.path.join(self.root, "server.down")
        while not self.stopping.is_set():
            down = os.path.exists(down_file)
            if down and self.listener:
                self.listener.close()
                self.listener = None
                self._set_state("down")
            elif not down and not self.listener:
                self._listen()
                self._set_state("up")
            if not self.listener:
                self.stopping.wait(0.02)
                continue
            readable, _, _ = select.select([self.listener], [], [], 0.02)
            if readable:
                connection, address = self.listener.accept()
                threading.Thread(target=self._handle, args=(connection, address), daemon=True).start()
        if self.listener:
            self.listener.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--root", required=True)
    parser.add_argument("--port", type=int, required=True)
    parser.add_argument("--ready")
    parser.add_argument("--lifetime", type=float, default=3600)
    parser.add_argument("--sign-key", help="the maker's private key (PEM) for the mode signed")
    parser.add_argument("--other-key", help="another private key (PEM) for the mode signed-by-other")
    args = parser.parse_args()

    root = os.path.abspath(args.root)
    os.makedirs(root, exist_ok=True)
    server = Server(root, args.port, args.sign_key, args.other_key)

    def stop(*_):
        server.stopping.set()

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    timer = threading.Timer(args.lifetime, stop)
    timer.daemon = True
    timer.start()
    server.run(args.ready)
    return 0


if __name__ == "__main__":
    sys.exit(main())
