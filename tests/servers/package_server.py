#!/usr/bin/env python3
"""Loopback HTTP (PORT PACKAGE) and, when openssl can make a self-signed
certificate, HTTPS (PORT PACKAGE_TLS) server for the download and post tests.

GET or POST:
  /package/<n>          n bytes of the package pattern, with a content length
      ?nolength=1       no content length; the closed connection ends the body
      ?chunked=1        chunked transfer encoding
      ?cut=<k>          announces n bytes, sends k, then closes the connection
      ?delay=<ms>&chunk=<c>  sends c bytes at a time, pausing ms after each
  /status/<code>        that status with the page "status page <code>\\n"
  /redirect/<k>/<rest>  k redirects in a row, then /<rest>; ?code=307 keeps a
                        POST a POST (default 302). The query string is kept.
  /echo[?status=<code>][&delay=<ms>] what arrived, as text (see echo_text),
                        answered after the delay
PORT PACKAGE_CLOSED is a loopback port nobody listens on; PORT PACKAGE_SILENT
accepts connections and never sends a byte (a TLS handshake there never ends).
PORT CHALLENGE_PROXY is a proxy that answers every request with 407, asking
for Negotiate or NTLM; asked directly for /log, it lists the requests it had
(JSON: [{"request": "GET http://...", "authorization": "..." or null}]).

The pattern: byte i is BLOCK[i % 65521], BLOCK made by a 32-bit LCG (seed 1,
x = x * 1103515245 + 12345, byte = (x >> 16) & 255)."""
import json
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

PERIOD = 65521


def make_block():
    x, out = 1, bytearray(PERIOD)
    for i in range(PERIOD):
        x = (x * 1103515245 + 12345) & 0xFFFFFFFF
        out[i] = (x >> 16) & 0xFF
    return bytes(out)


BLOCK = make_block()
# 16 periods and one more, so any offset can be served as one slice of >= 1 MiB.
SPAN = memoryview(BLOCK * 17)


def pattern_pieces(offset, length):
    """Slices of the pattern covering [offset, offset + length)."""
    while length > 0:
        start = offset % PERIOD
        take = min(length, len(SPAN) - start)
        yield SPAN[start:start + take]
        offset += take
        length -= take


def echo_text(handler, body):
    """METHOD, PATH, the Content-Type and X- headers in the order they came, BODY."""
    lines = [f"METHOD {handler.command}", f"PATH {handler.path}"]
    for name, value in handler.headers.items():
        if name.lower() == "content-type" or name.lower().startswith("x-"):
            lines.append(f"HEADER {name}: {value}")
    lines.append(f"BODY {len(body)}")
    return ("\n".join(lines) + "\n").encode() + body


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        self.route(b"")

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        self.route(self.rfile.read(length) if length else b"")

    def route(self, body):
        self.close_connection = True
        url = urlsplit(self.path)
        query = {k: v[-1] for k, v in parse_qs(url.query).items()}
        parts = url.path.strip("/").split("/")
        try:
            if parts[0] == "package" and len(parts) == 2:
                self.package(int(parts[1]), query)
            elif parts[0] == "status" and len(parts) == 2:
                code = int(parts[1])
                self.reply(code, b"" if code in (204, 304) else f"status page {code}\n".encode())
            elif parts[0] == "redirect" and len(parts) >= 3:
                self.redirect(int(parts[1]), "/".join(parts[2:]), url.query, query)
            elif parts[0] == "echo":
                time.sleep(int(query.get("delay", 0)) / 1000.0)
                self.reply(int(query.get("status", 200)), echo_text(self, body))
            else:
                self.reply(404, b"no such page\n")
        except (BrokenPipeError, ConnectionResetError, ssl.SSLError):
            pass  # the client went away; nothing to answer

    def reply(self, code, body, headers=()):
        self.send_response(code)
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Connection", "close")
        if code not in (204, 304):
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def redirect(self, hops, rest, raw_query, query):
        target = f"/redirect/{hops - 1}/{rest}" if hops > 1 else f"/{rest}"
        if raw_query:
            target += "?" + raw_query
        self.reply(int(query.get("code", 302)), b"moved\n", [("Location", target)])

    def package(self, size, query):
        self.send_response(200)
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Connection", "close")
        chunked = "chunked" in query
        if chunked:
            self.send_header("Transfer-Encoding", "chunked")
        elif "nolength" not in query:
            self.send_header("Content-Length", str(size))
        self.end_headers()
        sent = min(size, int(query.get("cut", size)))
        step = int(query.get("chunk", 1 << 20))
        delay = int(query.get("delay", 0)) / 1000.0
        for offset in range(0, sent, step):
            for piece in pattern_pieces(offset, min(step, sent - offset)):
                if chunked:
                    self.wfile.write(b"%x\r\n" % len(piece) + piece + b"\r\n")
                else:
                    self.wfile.write(piece)
            if delay:
                time.sleep(delay)
        if chunked and sent == size:
            self.wfile.write(b"0\r\n\r\n")


CHALLENGES = []


class ChallengeProxy(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        if self.path == "/log":
            body = json.dumps(CHALLENGES).encode()
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            return self.wfile.write(body)
        CHALLENGES.append({"request": f"{self.command} {self.path}",
                           "authorization": self.headers.get("Proxy-Authorization")})
        body = b"credentials wanted\n"
        self.send_response(407)
        self.send_header("Proxy-Authenticate", "Negotiate")
        self.send_header("Proxy-Authenticate", "NTLM")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    do_POST = do_GET
    do_CONNECT = do_GET


def self_signed_context(folder):
    if not shutil.which("openssl"):
        return None
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    made = subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                           "-keyout", key, "-out", cert, "-days", "2", "-subj", "/CN=127.0.0.1"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if made.returncode != 0:
        return None
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    return context


def serve(name, server):
    print(f"PORT {name} {server.server_address[1]}")
    threading.Thread(target=server.serve_forever, daemon=True).start()


def closed_port():
    """A loopback port that was free a moment ago and has no listener."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def silent_port():
    """A loopback port that accepts every connection and then says nothing."""
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(16)
    held = []

    def accept():
        while True:
            connection, _ = listener.accept()
            held.append(connection)  # kept open, never read or written

    threading.Thread(target=accept, daemon=True).start()
    return listener.getsockname()[1]


def main():
    ThreadingHTTPServer.daemon_threads = True
    serve("PACKAGE", ThreadingHTTPServer(("127.0.0.1", 0), Handler))
    print(f"PORT PACKAGE_CLOSED {closed_port()}")
    print(f"PORT PACKAGE_SILENT {silent_port()}")
    serve("CHALLENGE_PROXY", ThreadingHTTPServer(("127.0.0.1", 0), ChallengeProxy))
    folder = tempfile.mkdtemp(prefix="package_server_")
    try:
        context = self_signed_context(folder)
        if context:
            tls = ThreadingHTTPServer(("127.0.0.1", 0), Handler)
            # The handshake runs in the handler's thread, so a stuck client blocks no one else.
            tls.socket = context.wrap_socket(tls.socket, server_side=True,
                                             do_handshake_on_connect=False)
            serve("PACKAGE_TLS", tls)
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print("READY")
    sys.stdout.flush()
    threading.Event().wait()


if __name__ == "__main__":
    main()
