#!/usr/bin/env python3
"""A time-stamp authority (RFC 3161) for the release check, answering with
`openssl ts -reply` and a certificate made for the run.

Usage: timestamp_server.py --cert TSA.pem --key TSA.key --chain ROOT.pem
                           --state FOLDER [--lifetime SECONDS]

Listens on 127.0.0.1 on a port the system picks and writes the port to
FOLDER/port once it is listening. Each request (a POST of a
time-stamp query) is appended to FOLDER/requests.log as one line: "ok" or
why it was refused. Ends on SIGTERM or SIGINT, or by itself after
--lifetime seconds (default 1800).
"""

import argparse
import http.server
import os
import signal
import subprocess
import sys
import tempfile
import threading

# The largest query accepted; a real one is well under 100 bytes.
MAX_QUERY = 4096


def write_config(state, cert, key, chain):
    config = os.path.join(state, "tsa.cnf")
    serial = os.path.join(state, "serial")
    with open(serial, "w", encoding="ascii") as f:
        f.write("01\n")
    with open(config, "w", encoding="ascii") as f:
        f.write(f"""[tsa]
default_tsa = release_check

[release_check]
serial = {serial}
crypto_device = builtin
signer_cert = {cert}
certs = {chain}
signer_key = {key}
signer_digest = sha256
default_policy = 1.3.6.1.4.1.55555.1
digests = sha256, sha384, sha512
accuracy = secs:1
ordering = yes
tsa_name = yes
ess_cert_id_chain = no
ess_cert_id_alg = sha256
""")
    return config


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, format, *args):  # keep the check's output quiet
        pass

    def _log(self, line):
        with self.server.lock, open(os.path.join(self.server.state, "requests.log"), "a", encoding="ascii") as f:
            f.write(line + "\n")

    def _refuse(self, status, why):
        self._log(why)
        self.send_response(status)
        self.send_header("Content-Length", "0")
        self.send_header("Connection", "close")
        self.end_headers()

    def do_POST(self):
        try:
            length = int(self.headers.get("Content-Length", "-1"))
        except ValueError:
            length = -1
        if not 0 < length <= MAX_QUERY:
            return self._refuse(400, f"refused: a body of {length} bytes")
        query = self.rfile.read(length)
        with tempfile.TemporaryDirectory(dir=self.server.state) as scratch:
            query_file = os.path.join(scratch, "query.tsq")
            reply_file = os.path.join(scratch, "reply.tsr")
            with open(query_file, "wb") as f:
                f.write(query)
            with self.server.lock:  # one reply at a time: they share the serial file
                result = subprocess.run(
                    ["openssl", "ts", "-reply", "-config", self.server.config, "-queryfile", query_file,
                     "-out", reply_file], capture_output=True, text=True)
            if result.returncode != 0:
                return self._refuse(500, "refused: " + " ".join(result.stderr.split())[:200])
            with open(reply_file, "rb") as f:
                reply = f.read()
        self._log("ok")
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    def do_GET(self):
        self._refuse(405, "refused: a GET")


def main():
    parser = argparse.ArgumentParser(description="A time-stamp authority for the release check.")
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--chain", required=True)
    parser.add_argument("--state", required=True)
    parser.add_argument("--lifetime", type=float, default=1800)
    args = parser.parse_args()
    state = os.path.abspath(args.state)
    os.makedirs(state, exist_ok=True)

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.state = state
    server.lock = threading.Lock()
    server.config = write_config(state, *(os.path.abspath(p) for p in (args.cert, args.key, args.chain)))
    for sig in (signal.SIGTERM, signal.SIGINT):
        signal.signal(sig, lambda *_: threading.Thread(target=server.shutdown).start())
    timer = threading.Timer(args.lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    with open(os.path.join(state, "port.part"), "w", encoding="ascii") as f:
        f.write(f"{server.server_address[1]}\n")
    os.replace(os.path.join(state, "port.part"), os.path.join(state, "port"))
    server.serve_forever()
    return 0


if __name__ == "__main__":
    sys.exit(main())
