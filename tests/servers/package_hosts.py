#!/usr/bin/env python3
"""The two package hosts (PORT PRIMARY, PORT SPARE) of the download tests and
the demo, on loopback, following the with_servers.py protocol.

Each host answers its requests from a script of steps, one step per request in
arrival order; the last step repeats. A step is a JSON object:
  {"status": 404}                     that status with a short page
  {"file": "Z:\\\\path\\\\file.exe"}     the file's bytes (a Wine path on drive Z:
                                      or a Unix path), with a content length
  {"file": ..., "cut": k}             announces the whole file, sends k bytes, closes
  {..., "delay": s}                   any step, answered only after s seconds
  {"file": ..., "rate": b}            sends the file at about b bytes a second
Control, on either port:
  POST /control  {"primary": [steps], "spare": [steps]}  replaces both scripts
  GET or POST /log   JSON list of {"host", "path", "agent"}, oldest first
With no script a host answers 404. With --fixed, the ports are
fixed_ports.PRIMARY and SPARE (18080 and 18081 unless VORLANE_PORT_BASE moves them)
(the addresses of the loopback builds)."""
import json
import os
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


def make_handler(host):
    class Handler(BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def reply(self, status, body, content_type="text/plain"):
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body)

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
            with LOCK:
                LOG.append({"host": host, "path": self.path,
                            "agent": self.headers.get("User-Agent", "")})
            step = next_step(host)
            time.sleep(step.get("delay", 0))
            if "file" not in step:
                status = step.get("status", 404)
                return self.reply(status, f"status page {status}\n".encode())
            try:
                with open(unix_path(step["file"]), "rb") as f:
                    data = f.read()
            except OSError:
                return self.reply(404, b"missing file\n")
            self.send_response(200)
            self.send_header("Content-Type", "application/octet-stream")
            self.send_header("Content-Length", str(len(data)))
            if "cut" in step:
                self.send_header("Connection", "close")
                self.close_connection = True
            self.end_headers()
            self.send_body(data[:step["cut"]] if "cut" in step else data, step.get("rate"))

        def send_body(self, data, rate):
            if not rate:
                return self.wfile.write(data)
            chunk = max(1, rate // 10)
            try:
                for start in range(0, len(data), chunk):
                    self.wfile.write(data[start:start + chunk])
                    time.sleep(0.1)
            except (BrokenPipeError, ConnectionResetError):
                pass  # the installer went away mid-transfer

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
    print("READY", flush=True)
    try:
        threading.Event().wait()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main(sys.argv[1:])
