#!/usr/bin/env python3
"""Loopback stand-ins for the two telemetry endpoints (see with_servers.py).

REPORT    POST /collection/biz/upload  the collection endpoint: checks the
          content type, the "timestamp" and "signature" headers, the signature
          over the batch size, the pretty-printed body byte for byte and the
          members of every event.
ANALYTICS POST /mp/collect             the Measurement Protocol: checks the
          query keys, the compact body and the GA4 naming rules.

Each endpoint keeps what it accepted and what it rejected (with the reason).
Control requests, GET or POST, on the same port:
  /received   JSON {"accepted": [...], "rejected": [...], "attempts": n,
              "held": n, "gaps_ms": [...]}; gaps_ms are the times between
              consecutive posts.
  /control    query keys: reset=1 forgets everything; fail=N makes the next N
              posts end without any reply (the client sees a transfer error);
              hold=1 keeps every post waiting before it is answered, hold=0
              lets the waiting ones go.
With --fixed the ports are fixed_ports.REPORT and ANALYTICS (18082 and 18083
unless VORLANE_PORT_BASE moves them), the addresses
of the loopback builds, so the demo can report to it.
"""
import hashlib
import json
import re
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

import fixed_ports

JSON_TYPE = "application/json;charset=UTF-8"
GUID = re.compile(r"^[0-9A-F]{8}_[0-9A-F]{4}_[0-9a-f]{4}_[0-9A-F]{4}_[0-9A-F]{12}$")
EVENT_MEMBERS = ["appId", "eventId", "eventKey", "timestamp", "properties"]
FIXED_PROPERTIES = ["mnq_version", "mnq_mac", "device_id", "openid", "language",
                    "downloader_package"]
# The own properties of each catalogued event, in order, with their JSON types.
# Events outside the catalogue (tests' own names) may carry strings and integers.
OWN_PROPERTIES = {
    "ad_run_downloader": [], "ad_start_downloader": [], "ad_install_success": [],
    "jump_to_web": [], "ad_show": [], "ad_accept": [], "ad_reject": [],
    "bundle_ad_withdrawal": [],
    "ad_cancel_download": [("ext_field", str)],
    "ad_download_success": [("ext_field", str)],
    "ad_download_duration": [("duration", int), ("ext_field", str)],
    "download_fail": [("failure_reason", str)],
    "ad_install_fail": [("failure_reason", str)],
    "ad_downloader_full_duration": [("duration", int)],
}
MEASUREMENT_ID = re.compile(r"^G-[A-Z0-9]{10}$")
API_SECRET = re.compile(r"^[A-Za-z0-9_-]{22}$")
GA_RESERVED_PREFIXES = ("google_", "ga_", "firebase_")
GA_RESERVED_EVENTS = {
    "ad_activeview", "ad_click", "ad_exposure", "ad_query", "ad_reward", "adunit_exposure",
    "app_background", "app_clear_data", "app_exception", "app_remove", "app_store_refund",
    "app_store_subscription_cancel", "app_store_subscription_convert",
    "app_store_subscription_renew", "app_update", "app_upgrade", "dynamic_link_app_open",
    "dynamic_link_app_update", "dynamic_link_first_open", "error", "firebase_campaign",
    "firebase_in_app_message_action", "firebase_in_app_message_dismiss",
    "firebase_in_app_message_impression", "first_open", "first_visit", "in_app_purchase",
    "notification_dismiss", "notification_foreground", "notification_open",
    "notification_receive", "os_update", "session_start", "session_start_with_rollout",
    "user_engagement",
}


class Rejected(Exception):
    pass


def ordered(pairs):
    return pairs  # keeps members and their order as a list of pairs


def check_own_properties(name, pairs):
    """Names, order and JSON types (bool is no integer here) of an event's own members."""
    got = [(key, type(value)) for key, value in pairs]
    if name in OWN_PROPERTIES:
        if got != OWN_PROPERTIES[name]:
            raise Rejected(f"own properties of {name}: {got}")
    elif any(kind not in (str, int) for _, kind in got):
        raise Rejected(f"own properties of {name} must be strings or integers: {got}")


def check_report(headers, body_bytes):
    if headers.get("Content-Type") != JSON_TYPE:
        raise Rejected(f"content type {headers.get('Content-Type')!r}")
    stamp = headers.get("timestamp", "")
    signature = headers.get("signature", "")
    if not re.fullmatch(r"\d{13}", stamp):
        raise Rejected(f"timestamp header {stamp!r}")
    text = body_bytes.decode("utf-8")
    batch = json.loads(text)
    if not isinstance(batch, list) or not batch:
        raise Rejected("body is not a non-empty array")
    if text != json.dumps(batch, indent=4, ensure_ascii=False):
        raise Rejected("body is not pretty-printed with an indent of 4")
    expected = hashlib.md5(f"quandrel*timestamp={stamp}{len(batch) * 1024}".encode()).hexdigest()
    if signature != expected[-8:]:
        raise Rejected(f"signature {signature!r}, expected {expected[-8:]!r}")
    for pairs in json.loads(text, object_pairs_hook=ordered):
        event = dict(pairs)
        if [k for k, _ in pairs] != EVENT_MEMBERS:
            raise Rejected(f"event members {[k for k, _ in pairs]}")
        if event["appId"] != 1 or not GUID.match(event["eventId"]):
            raise Rejected("appId or eventId")
        if not isinstance(event["timestamp"], int) or event["timestamp"] % 1000:
            raise Rejected("event timestamp does not end in 000")
        props = event["properties"]
        names = [k for k, _ in props]
        values = dict(props)
        if names[:6] != FIXED_PROPERTIES:
            raise Rejected(f"fixed properties {names[:6]}")
        if values["mnq_version"] != "5.21" or values["downloader_package"] != 1 or \
                values["mnq_mac"] != values["device_id"]:
            raise Rejected("fixed property values")
        check_own_properties(event["eventKey"], props[6:])
    return {"timestamp": stamp, "signature": signature, "count": len(batch), "body": text}


def check_ga_name(kind, name):
    if not isinstance(name, str) or not 0 < len(name) <= 40:
        raise Rejected(f"{kind} name length {name!r}")
    if not name[0].isalpha() or not all(c.isalnum() or c == "_" for c in name):
        raise Rejected(f"{kind} name characters {name!r}")
    if name.startswith(GA_RESERVED_PREFIXES):
        raise Rejected(f"{kind} name prefix {name!r}")


def check_analytics(headers, query, body_bytes):
    if headers.get("Content-Type") != JSON_TYPE:
        raise Rejected(f"content type {headers.get('Content-Type')!r}")
    keys = parse_qs(query, keep_blank_values=True)
    if sorted(keys) != ["api_secret", "measurement_id"] or \
            any(len(v) != 1 for v in keys.values()):
        raise Rejected(f"query {query!r}")
    if not MEASUREMENT_ID.match(keys["measurement_id"][0]) or \
            not API_SECRET.match(keys["api_secret"][0]):
        raise Rejected(f"query values {query!r}")
    text = body_bytes.decode("utf-8")
    pairs = json.loads(text, object_pairs_hook=ordered)
    body = json.loads(text)
    if text != json.dumps(body, separators=(",", ":"), ensure_ascii=False):
        raise Rejected("body is not compact")
    if [k for k, _ in pairs] != ["client_id", "events"]:
        raise Rejected(f"body members {[k for k, _ in pairs]}")
    if not isinstance(body["client_id"], str) or not body["client_id"]:
        raise Rejected("client_id")
    events = body["events"]
    if not isinstance(events, list) or not 0 < len(events) <= 25:
        raise Rejected("events")
    for event in events:
        check_ga_name("event", event.get("name"))
        if event["name"] in GA_RESERVED_EVENTS:
            raise Rejected(f"reserved event name {event['name']!r}")
        for key, value in event.get("params", {}).items():
            check_ga_name("parameter", key)
            if isinstance(value, str) and len(value) > 100:
                raise Rejected(f"parameter value of {key} longer than 100")
    return {"query": keys, "client_id": body["client_id"], "events": events, "body": text}


class Endpoint:
    def __init__(self, path, check):
        self.path = path
        self.check = check
        self.lock = threading.Lock()
        self.released = threading.Event()
        self.reset()

    def reset(self):
        with self.lock:
            self.accepted, self.rejected, self.post_times = [], [], []
            self.attempts, self.held, self.fail_next = 0, 0, 0
            self.released.set()

    def snapshot(self):
        with self.lock:
            gaps = [round((b - a) * 1000) for a, b in zip(self.post_times, self.post_times[1:])]
            return {"accepted": self.accepted, "rejected": self.rejected,
                    "attempts": self.attempts, "held": self.held, "gaps_ms": gaps}


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def reply(self, status, payload=None):
        data = b"" if payload is None else json.dumps(payload).encode()
        try:
            self.send_response(status)
            if data:
                self.send_header("Content-Type", "application/json")
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)
        except ConnectionError:
            self.close_connection = True  # the client is gone (a worker ended by force)

    def body(self):
        return self.rfile.read(int(self.headers.get("Content-Length") or 0))

    def control(self, endpoint, query):
        keys = {k: v[-1] for k, v in parse_qs(query).items()}
        if keys.get("reset") == "1":
            endpoint.reset()
        with endpoint.lock:
            if "fail" in keys:
                endpoint.fail_next = int(keys["fail"])
        if keys.get("hold") == "1":
            endpoint.released.clear()
        elif keys.get("hold") == "0":
            endpoint.released.set()
        self.reply(200, {"ok": True})

    def handle_any(self):
        endpoint = self.server.endpoint
        parts = urlsplit(self.path)
        if parts.path == "/received":
            self.body()
            return self.reply(200, endpoint.snapshot())
        if parts.path == "/control":
            self.body()
            return self.control(endpoint, parts.query)
        if self.command != "POST" or parts.path != endpoint.path:
            self.body()
            return self.reply(404, {"error": "not here"})
        self.post(endpoint, parts.query)

    def post(self, endpoint, query):
        data = self.body()
        with endpoint.lock:
            endpoint.attempts += 1
            endpoint.post_times.append(time.monotonic())
            fail = endpoint.fail_next > 0
            if fail:
                endpoint.fail_next -= 1
        if fail:
            self.close_connection = True  # no reply at all: a transfer error for the client
            return
        try:
            if endpoint.path == "/mp/collect":
                kept = endpoint.check(self.headers, query, data)
            else:
                kept = endpoint.check(self.headers, data)
        except (Rejected, ValueError, KeyError, TypeError, AttributeError) as error:
            with endpoint.lock:
                endpoint.rejected.append({"reason": str(error),
                                          "body": data.decode("utf-8", "replace")})
            return self.reply(400, {"code": 1, "msg": str(error)})
        with endpoint.lock:
            endpoint.accepted.append(kept)
            endpoint.held += 1
        endpoint.released.wait(60)
        with endpoint.lock:
            endpoint.held -= 1
        if endpoint.path == "/mp/collect":
            self.reply(204)
        else:
            self.reply(200, {"code": 0, "msg": "ok", "count": kept["count"]})

    do_GET = handle_any
    do_POST = handle_any


class Server(ThreadingHTTPServer):
    daemon_threads = True

    def handle_error(self, request, client_address):
        # A client ended by force (a reporter worker past its shut-down limit)
        # resets its connection; that is expected, not a server fault.
        if not isinstance(sys.exc_info()[1], ConnectionError):
            super().handle_error(request, client_address)


def serve(name, endpoint, port):
    server = Server(("127.0.0.1", port), Handler)
    server.endpoint = endpoint
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print(f"PORT {name} {server.server_address[1]}")


def main():
    fixed = "--fixed" in sys.argv[1:]
    serve("REPORT", Endpoint("/collection/biz/upload", check_report),
          fixed_ports.REPORT if fixed else 0)
    serve("ANALYTICS", Endpoint("/mp/collect", check_analytics),
          fixed_ports.ANALYTICS if fixed else 0)
    print("READY")
    sys.stdout.flush()
    threading.Event().wait()


if __name__ == "__main__":
    main()
