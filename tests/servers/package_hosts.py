#!/usr/bin/env python3
"""The two package hosts (PORT PRIMARY, PORT SPARE) of the download tests and
the demo, on loopback, following the with_servers.py protocol.

Each host answers its requests from a script of steps, one step per request in
arrival order; the last step repeats. A step is a JSON object:
  {"status": 404}                     that status with a short page
  {"file": "Z:\\\\path\\\\file.exe"}     the file's bytes (a Wine path on drive Z:
                                      or a Unix path), with a content length
  {"html": n}                         status 200 and an HTML page of n bytes (a
                                      captive portal's answer)
  {"redirect": "loop"}                302 back to the same address, for ever
  {"hang": "request"}                 accepts the request and never answers
  {"hang": "body", "file": ...}       sends the head (with the whole length), then
                                      nothing more
Modifiers of "file" and "html" steps:
  "cut": k                            announces the whole body, sends k bytes, closes
  "nolength": true                    no content length; closing ends the body
  "rate": r                           sends about r bytes a second
Any step may carry "delay": s and is then answered only after s seconds.
A hanging step holds its connection until the client closes it.
Control, on either port:
  POST /control  {"primary": [steps], "spare": [steps]}  replaces both scripts
  GET or POST /log   JSON list of {"host", "path", "agent", "done"}, oldest first;
                     "done" is true once the step's whole answer went out
PORT CLOSED is a loopback port nobody listens on. With no script a host
answers 404. With --fixed, the ports are
fixed_ports.PRIMARY and SPARE (18080 and 18081 unless VORLANE_PORT_BASE moves them)
(the addresses of the loopback builds)."""
import json
import os
import socket
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

import fixed_ports

LOCK = threading.Lock()
SCRIPTS = {"primary": [], "spare": []}
LOG = []


def unix_path(path):
    if len(path) > 2 and path[1] == ":" and path[0] in "zZ":
        return path[2:].replace("\\", "/")
    return path


def next_step(host):
    with LOCK:
        script = SCRIPTS[host]
        if not script:
            return {"status": 404}
        return script.pop(0) if len(script) > 1 else script[0]


def html_page(size):
    """An HTML page of exactly `size` bytes, as a captive portal would send."""
    head = b"<!DOCTYPE html><html><head><title>Sign in</title></head><body>"
    tail = b"</body></html>\n"
    filler = b"Please sign in to use this network. " * (size // 36 + 1)
    return (head + filler)[:max(0, size - len(tail))] + tail[:size]


def closed_port():
    """A loopback port that was free a moment ago and has no listener."""
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def make_handler(host):
    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def reply(self, status, body, content_type="text/plain", headers=()):
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            for name, value in headers:
                self.send_header(name, value)
            self.end_headers()
            self.wfile.write(body)

        def hold_until_closed(self):
            """Keeps the connection open, silent, until the client goes."""
            self.wfile.flush()
            self.close_connection = True
            self.connection.settimeout(600)
            try:
                while self.connection.recv(4096):
                    pass
            except OSError:
                pass

        def do_POST(self):
            if self.path == "/log":
                return self.do_GET()
            if self.path != "/control":
                return self.reply(404, b"no such control\n")
            length = int(self.headers.get("Content-Length", 0))
            scripts = json.loads(self.rfile.read(length) or b"{}")
            with LOCK:
                SCRIPTS["primary"] = list(scripts.get("primary", []))
                SCRIPTS["spare"] = list(scripts.get("spare", []))
                LOG.clear()
            self.reply(200, b"ok\n")

        def do_GET(self):
            if self.path == "/log":
                with LOCK:
                    body = json.dumps(LOG).encode()
                return self.reply(200, body, "application/json")
            entry = {"host": host, "path": self.path,
                     "agent": self.headers.get("User-Agent", ""), "done": False}
            with LOCK:
                LOG.append(entry)
            step = next_step(host)
            time.sleep(step.get("delay", 0))
            try:
                self.answer(step)
            except OSError:
                return  # the client went away: the step was not done
            with LOCK:
                entry["done"] = True

        def answer(self, step):
            if step.get("hang") == "request":
                return self.hold_until_closed()
            if "redirect" in step:
                return self.reply(302, b"moved\n", headers=[("Location", self.path)])
            if "html" in step:
                return self.body(html_page(step["html"]), "text/html", step)
            if "file" not in step:
                status = step.get("status", 404)
                return self.reply(status, f"status page {status}\n".encode())
            try:
                with open(unix_path(step["file"]), "rb") as f:
                    data = f.read()
            except OSError:
                return self.reply(404, b"missing file\n")
            self.body(data, "application/octet-stream", step)

        def body(self, data, content_type, step):
            self.send_response(200)
            self.send_header("Content-Type", content_type)
            if not step.get("nolength"):
                self.send_header("Content-Length", str(len(data)))
            if "cut" in step or step.get("nolength") or "hang" in step:
                self.send_header("Connection", "close")
                self.close_connection = True
            self.end_headers()
            if step.get("hang") == "body":
                return self.hold_until_closed()
            data = data[:step["cut"]] if "cut" in step else data
            rate = step.get("rate")
            if not rate:
                return self.wfile.write(data)
            piece = max(1, rate // 4)  # four pieces a second
            for offset in range(0, len(data), piece):
                self.wfile.write(data[offset:offset + piece])
                self.wfile.flush()
                time.sleep(0.25)

    return Handler


def main(argv):
    fixed = "--fixed" in argv
    servers = []
    for host, port in (("primary", fixed_ports.PRIMARY if fixed else 0),
                       ("spare", fixed_ports.SPARE if fixed else 0)):
        server = ThreadingHTTPServer(("127.0.0.1", port), make_handler(host))
        server.daemon_threads = True
        servers.append(server)
        print(f"PORT {host.upper()} {server.server_address[1]}", flush=True)
        threading.Thread(target=server.serve_forever, daemon=True).start()
    print(f"PORT CLOSED {closed_port()}", flush=True)
    print("READY", flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main(sys.argv[1:])
