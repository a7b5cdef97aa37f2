#!/usr/bin/env python3
"""Debian's nginx as a package host and Debian's tinyproxy as the system proxy,
on free loopback ports, following the with_servers.py protocol. Both run in the
foreground with configurations of their own in a folder of their own, and end
with this script.

PORT NGINX_TLS: nginx over HTTPS (a self-signed certificate made now), HTTP/1.1
keep-alive, real ranges, ETag and Last-Modified, serving the files the tests
place in PATH NGINX_ROOT:
  /files/<name>             the file
  /cut-once/<k>/<name>      a request without a Range header is cut after about
                            k bytes of its answer (head included); others whole
  /cut-always/<k>/<name>    every request is cut after about k bytes
  /no-ranges/<k>/<name>     cut once; no range support (200 to every request)
  /changed/<k>/<name>       cut once; a request with If-Range is answered from
                            changed/<name>: the file changed between requests
  /stall-once/<k>/<name>    a request without a Range header stops sending after
                            about k bytes (the client's stall limit must end it)
  /libcurl-only/<path>      404 to WinINet (its form content type), else <path>
  /cut-at/<name>            with VORLANE_TEST_CUTS="P1,P2,P3" (ascending byte
                            positions at least 2 MiB apart) in the environment:
                            each request is cut at the next of those positions
                            after where it starts, the last one served whole
  /to-http/<path>           302 to http://127.0.0.1:<NGINX_VIA><path>
  /to-https/<path>          302 to https://127.0.0.1:<NGINX_TLS><path>
  /rate/<r>/<name>          the file at r bytes a second
  /wrong-start/<name>       a request with a Range header is answered from byte
                            1000 on, whatever it asked for
A cut: nginx relays the file from an inner server of its own that slows to a
byte a second after k bytes, gives up on it after 300 ms and drops the client's
connection, the body cut short. A stall: the same, but nginx holds the trickle
in its buffers and waits for it.
PORT NGINX_VIA: nginx over plain HTTP, /files/ as above but 403 to every
request that did not come through PROXY (no "Via" header naming it), /open/
serving the files to anyone, and /proxy.pac, an automatic-configuration script
sending everything through PROXY.
PORT OUTAGE: a relay to NGINX_TLS that can stop answering for a while. The
tests write "refuse S", "silent S" or "linkdown S" into PATH OUTAGE_CONTROL,
and for S seconds the relay refuses connections (and drops those it has), or
accepts them and says nothing (what was held goes on afterwards, as from a
host that froze), or, only inside a network namespace of the tests' own, the
loopback link goes down. PATH OUTAGE_LOG gets "start KIND S" and "end KIND"
lines as they happen.
PORT PROXY: tinyproxy, adding "Via: 1.1 vorlane-test-proxy" to the HTTP it
forwards; HTTPS passes as a CONNECT tunnel.
PORT PROXY_AUTH: tinyproxy asking for credentials: 407 to every request.
PATH NGINX_LOG: nginx's access log, a line per request: method, the address
asked, status, body bytes sent, Range, If-Range, Via (tab-separated, "-" for
none). PATH PROXY_LOG: tinyproxy's log ("Request (file descriptor N): GET
http://..." or "CONNECT host:port ...").
Without nginx or tinyproxy installed, only READY is printed."""
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time

from outage_relay import OutageRelay

NGINX = "/usr/sbin/nginx"
TINYPROXY = "/usr/bin/tinyproxy"
VIA_NAME = "vorlane-test-proxy"
CUT_TIMEOUT = "300ms"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def wait_for_port(port, proc, seconds=10):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if proc.poll() is not None:
            return False
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.5).close()
            return True
        except OSError:
            time.sleep(0.05)
    return False


def cut_location(mode, inner, rate, folder="slow", stall=False):
    """A front location relaying /<mode>/<k>/<name> from the inner server: it
    drops the connection once the inner one slows down, or, for a stall, holds
    the trickle back in its buffers."""
    return f"""
    location ~ ^/{mode}/(?<after>\\d+)/(?<name>[^/]+)$ {{
      set $inner_folder {folder};
      {"if ($http_if_range) { set $inner_folder slow-changed; }" if mode == "changed" else ""}
      proxy_pass http://127.0.0.1:{inner}/$inner_folder/$name;
      proxy_set_header X-Cut-After $after;
      proxy_set_header X-Cut-Rate {rate};
      proxy_buffering {"on" if stall else "off"};
      proxy_buffer_size 256k;
      proxy_buffers 4 256k;
      proxy_busy_buffers_size 512k;
      proxy_read_timeout {"600s" if stall else CUT_TIMEOUT};
    }}"""


def below(limit):
    """A regular expression for the decimal numbers under `limit`."""
    digits = str(limit)
    parts = [r"\d{1,%d}" % (len(digits) - 1)] if len(digits) > 1 else []
    for i, digit in enumerate(digits):
        lowest = 1 if i == 0 and len(digits) > 1 else 0  # no leading zeros
        if int(digit) > lowest:
            parts.append(digits[:i] + "[%d-%d]" % (lowest, int(digit) - 1) +
                         r"\d{%d}" % (len(digits) - i - 1))
    return "^(" + "|".join(parts) + ")$"


def cut_points_config(cuts):
    """Maps for /cut-at/: how many bytes the answer to a request starting at
    $range_start may carry before its cut, and whether it is cut at all. A
    request resumes about where the last cut fell; 1 MiB of slack tells them apart."""
    if not cuts:
        return ""
    slack = 1 << 20
    after = [f'  "" {cuts[0]};']
    rate = ['  "" 1;']
    for done, next_cut in zip(cuts, cuts[1:]):
        after.append(f'  "~{below(next_cut - slack)}" {next_cut - done};')
        rate.append(f'  "~{below(next_cut - slack)}" 1;')
    return ("  map $http_range $range_start { \"~^bytes=(?<start>\\d+)-$\" $start; default \"\"; }\n"
            "  map $range_start $cut_at_after {\n" + "\n".join(after) + "\n  default 0;\n  }\n"
            "  map $range_start $cut_at_rate {\n" + "\n".join(rate) + "\n  default 0;\n  }\n")


def cut_at_location(inner):
    return f"""
    location ~ ^/cut-at/(?<name>[^/]+)$ {{
      proxy_pass http://127.0.0.1:{inner}/slow/$name;
      proxy_set_header X-Cut-After $cut_at_after;
      proxy_set_header X-Cut-Rate $cut_at_rate;
      proxy_buffering off;
      proxy_buffer_size 256k;
      proxy_buffers 4 256k;
      proxy_busy_buffers_size 512k;
      proxy_read_timeout {CUT_TIMEOUT};
    }}"""


def nginx_config(folder, ports, cuts):
    root = os.path.join(folder, "root")
    temp = os.path.join(folder, "temp")
    return f"""
worker_processes 1;
pid {folder}/nginx.pid;
error_log {folder}/nginx-error.log info;
events {{ worker_connections 128; }}
http {{
  client_body_temp_path {temp}/body;
  proxy_temp_path {temp}/proxy;
  fastcgi_temp_path {temp}/fastcgi;
  uwsgi_temp_path {temp}/uwsgi;
  scgi_temp_path {temp}/scgi;
  default_type application/octet-stream;
  sendfile on;
  keepalive_timeout 30s;
  log_format tests '$request_method\\t$request_uri\\t$status\\t$body_bytes_sent\\t'
                   '$http_range\\t$http_if_range\\t$http_via';
  # Cuts apply to the first request only, unless the location says otherwise.
  map $http_range $first_cut_rate {{ "" 1; default 0; }}
  map $http_range $wrong_start {{ "" ""; default "bytes=1000-"; }}
{cut_points_config(cuts)}
  server {{
    # A small send buffer: bytes the host counts as sent are bytes on their way.
    listen 127.0.0.1:{ports["NGINX_TLS"]} ssl sndbuf=128k;
    ssl_certificate {folder}/cert.pem;
    ssl_certificate_key {folder}/key.pem;
    access_log {folder}/access.log tests;
    location /files/ {{ alias {root}/; }}
    location /libcurl-only/ {{
      if ($http_content_type) {{ return 404; }}
      rewrite ^/libcurl-only(/.*)$ $1 last;
    }}
    {cut_location("cut-once", ports["INNER"], "$first_cut_rate")}
    {cut_location("cut-always", ports["INNER"], "1")}
    {cut_location("no-ranges", ports["INNER"], "$first_cut_rate", "slow-no-ranges")}
    {cut_location("changed", ports["INNER"], "$first_cut_rate")}
    {cut_location("stall-once", ports["INNER"], "$first_cut_rate", stall=True)}
    {cut_at_location(ports["INNER"]) if cuts else ""}
    location ~ ^/rate/(?<rate>\\d+)/(?<name>[^/]+)$ {{
      alias {root}/$name;
      limit_rate $rate;
    }}
    location ~ ^/wrong-start/(?<name>[^/]+)$ {{
      proxy_pass http://127.0.0.1:{ports["INNER"]}/slow/$name;
      proxy_set_header Range $wrong_start;
      proxy_set_header X-Cut-After 0;
      proxy_set_header X-Cut-Rate 0;
    }}
    location ~ ^/to-http(?<rest>/.*)$ {{ return 302 http://127.0.0.1:{ports["NGINX_VIA"]}$rest; }}
    location ~ ^/to-https(?<rest>/.*)$ {{ return 302 https://127.0.0.1:{ports["NGINX_TLS"]}$rest; }}
  }}

  # The inner server the cutting locations relay: slow after X-Cut-After bytes
  # when X-Cut-Rate is 1.
  server {{
    listen 127.0.0.1:{ports["INNER"]};
    access_log off;
    limit_rate_after $http_x_cut_after;
    limit_rate $http_x_cut_rate;
    location /slow/ {{ alias {root}/; }}
    location /slow-changed/ {{ alias {root}/changed/; }}
    location /slow-no-ranges/ {{ alias {root}/; max_ranges 0; }}
  }}

  server {{
    listen 127.0.0.1:{ports["NGINX_VIA"]};
    access_log {folder}/access.log tests;
    location = /proxy.pac {{
      default_type application/x-ns-proxy-autoconfig;
      return 200 'function FindProxyForURL(url, host) {{ return "PROXY 127.0.0.1:{ports["PROXY"]}"; }}';
    }}
    location /files/ {{
      if ($http_via !~ "{VIA_NAME}") {{ return 403; }}
      alias {root}/;
    }}
    location /open/ {{ alias {root}/; }}
  }}
}}
"""


def tinyproxy_config(folder, name, port, extra):
    return f"""
Port {port}
Listen 127.0.0.1
Timeout 60
LogFile "{folder}/{name}.log"
LogLevel Connect
MaxClients 32
Allow 127.0.0.1
ViaProxyName "{VIA_NAME}"
{extra}
"""


def write(path, text):
    with open(path, "w") as f:
        f.write(text)


def start_servers(folder, ports, cuts):
    """The started processes, or None when one did not come up."""
    write(os.path.join(folder, "nginx.conf"), nginx_config(folder, ports, cuts))
    write(os.path.join(folder, "proxy.conf"), tinyproxy_config(folder, "proxy", ports["PROXY"], ""))
    write(os.path.join(folder, "proxy-auth.conf"),
          tinyproxy_config(folder, "proxy-auth", ports["PROXY_AUTH"], "BasicAuth vorlane secret"))
    quiet = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL,
             "stderr": open(os.path.join(folder, "stderr.log"), "a")}
    procs = [
        (subprocess.Popen([NGINX, "-e", os.path.join(folder, "nginx-error.log"), "-c",
                           os.path.join(folder, "nginx.conf"), "-g", "daemon off;"], **quiet),
         ("NGINX_TLS", "NGINX_VIA", "INNER")),
        (subprocess.Popen([TINYPROXY, "-d", "-c", os.path.join(folder, "proxy.conf")], **quiet),
         ("PROXY",)),
        (subprocess.Popen([TINYPROXY, "-d", "-c", os.path.join(folder, "proxy-auth.conf")],
                          **quiet), ("PROXY_AUTH",)),
    ]
    started = [proc for proc, _ in procs]
    if all(wait_for_port(ports[name], proc) for proc, names in procs for name in names):
        return started
    stop(started)
    return None


def stop(procs):
    for proc in procs:
        if proc.poll() is None:
            proc.terminate()
    for proc in procs:
        try:
            proc.wait(timeout=3)
        except subprocess.TimeoutExpired:
            proc.kill()


def prepare_folder():
    folder = tempfile.mkdtemp(prefix="real_servers_")
    # nginx's workers run as another user when started by root: they must read the files.
    os.chmod(folder, 0o755)
    for sub in ("root", "root/changed", "temp"):
        os.makedirs(os.path.join(folder, sub), mode=0o777, exist_ok=True)
        os.chmod(os.path.join(folder, sub), 0o777)
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                    "-keyout", os.path.join(folder, "key.pem"),
                    "-out", os.path.join(folder, "cert.pem"), "-days", "2",
                    "-subj", "/CN=127.0.0.1"],
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return folder


def main():
    # with_servers.py ends this script with SIGTERM: clean up on the way out.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(0))
    if not (os.access(NGINX, os.X_OK) and os.access(TINYPROXY, os.X_OK)):
        print("READY", flush=True)
        signal.pause()
        return
    folder = prepare_folder()
    cuts = [int(n) for n in os.environ.get("VORLANE_TEST_CUTS", "").split(",") if n.strip()]
    procs = []
    try:
        for _ in range(3):  # a free port may be taken before nginx binds it
            ports = {name: free_port() for name in
                     ("NGINX_TLS", "NGINX_VIA", "INNER", "PROXY", "PROXY_AUTH")}
            procs = start_servers(folder, ports, cuts) or []
            if procs:
                break
        if not procs:
            with open(os.path.join(folder, "stderr.log")) as f:
                raise SystemExit("nginx or tinyproxy did not start:\n" + f.read())
        relay = OutageRelay(ports["NGINX_TLS"], os.path.join(folder, "outage.control"),
                            os.path.join(folder, "outage.log"))
        for name in ("NGINX_TLS", "NGINX_VIA", "PROXY", "PROXY_AUTH"):
            print(f"PORT {name} {ports[name]}")
        print(f"PORT OUTAGE {relay.port}")
        print(f"PATH OUTAGE_CONTROL {folder}/outage.control")
        print(f"PATH OUTAGE_LOG {folder}/outage.log")
        print(f"PATH NGINX_ROOT {folder}/root")
        print(f"PATH NGINX_LOG {folder}/access.log")
        print(f"PATH PROXY_LOG {folder}/proxy.log")
        print("READY", flush=True)
        while all(proc.poll() is None for proc in procs):
            time.sleep(0.5)
    finally:
        stop(procs)
        shutil.rmtree(folder, ignore_errors=True)


if __name__ == "__main__":
    main()
