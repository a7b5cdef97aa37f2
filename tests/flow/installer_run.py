#!/usr/bin/env python3
"""Runs the real installer under Wine against the loopback stand-in servers
and collects what it did: its log, the installed files, the emulator's start
parameters, and every event the collection and analytics endpoints received.

Used by `make demo` (which prints it) and by the flow test (which checks it).
Needs the environment of scripts/wine-env.sh (WINEPREFIX, DISPLAY) and the
servers' fixed ports (tests/servers/fixed_ports.py) free."""
import argparse
import json
import os
import shutil
import subprocess
import sys
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
SERVERS = os.path.join(HERE, "..", "servers")
sys.path.insert(0, SERVERS)
import fixed_ports  # noqa: E402
INSTALL_DIR = "C:\\Vorlane\\Vorlane9\\"
FIXED_PROPERTIES = ("mnq_version", "mnq_mac", "device_id", "openid", "language",
                    "downloader_package")


def wine_path(path, to_windows=True):
    flag = "-w" if to_windows else "-u"
    return subprocess.check_output(["winepath", flag, path], text=True,
                                   stderr=subprocess.DEVNULL).strip()


def start_server(script, out):
    ready = os.path.join(out, os.path.basename(script) + ".ready")
    with open(ready, "w") as lines:
        proc = subprocess.Popen([sys.executable, "-u", os.path.join(SERVERS, script), "--fixed"],
                                stdout=lines, stdin=subprocess.DEVNULL)
    for _ in range(100):
        with open(ready) as lines:
            if "READY" in lines.read():
                return proc
        if proc.poll() is not None:
            break
        time.sleep(0.1)
    proc.kill()
    raise SystemExit(f"{script} did not start (are ports {fixed_ports.PRIMARY}-"
                     f"{fixed_ports.ANALYTICS} in use?)")


def post_json(url, value):
    request = urllib.request.Request(url, data=json.dumps(value).encode(), method="POST")
    urllib.request.urlopen(request).read()


def get_json(url):
    with urllib.request.urlopen(url) as reply:
        return json.load(reply)


def events_received():
    collection, analytics = [], []
    report = get_json(f"http://127.0.0.1:{fixed_ports.REPORT}/received")
    for post in report["accepted"]:
        for event in json.loads(post["body"]):
            own = {k: v for k, v in event["properties"].items() if k not in FIXED_PROPERTIES}
            collection.append((event["eventKey"], own))
    measurement = get_json(f"http://127.0.0.1:{fixed_ports.ANALYTICS}/received")
    for post in measurement["accepted"]:
        for event in post["events"]:
            analytics.append((event["name"], event["params"].get("event_label", "")))
    rejected = [item["reason"] for item in report["rejected"] + measurement["rejected"]]
    return collection, analytics, rejected


def run_installer(build, out, primary, spare, name="vorlane9_en_starter_5566_demo.exe",
                  screenshots=False, limit_s=120):
    """Runs one installation; `primary`/`spare` are the package hosts' scripts
    (see package_hosts.py), with "signed" etc. standing for the stand-in copies."""
    os.makedirs(out, exist_ok=True)
    packages = os.path.join(build, "standins", "packages")

    def steps(script):
        return [{"file": wine_path(os.path.join(packages, f"package_{s}.exe"))}
                if isinstance(s, str) else s for s in script]

    servers = [start_server("package_hosts.py", out), start_server("telemetry_server.py", out)]
    try:
        post_json(f"http://127.0.0.1:{fixed_ports.PRIMARY}/control", {"primary": steps(primary), "spare": steps(spare)})
        subprocess.run(["wine", "reg", "add", "HKCU\\Software\\Halvek\\Vorlane9", "/v", "InstallDir",
                        "/d", INSTALL_DIR, "/f"], capture_output=True, check=True)
        unix_dir = wine_path(INSTALL_DIR, to_windows=False)
        shutil.rmtree(unix_dir, ignore_errors=True)
        exe = os.path.join(out, name)
        shutil.copy(os.path.join(build, "app", "VorlaneInstaller.exe"), exe)
        appdata = wine_path(subprocess.check_output(
            ["wine", "cmd", "/c", "echo %APPDATA%"], text=True, stderr=subprocess.DEVNULL).strip(),
            to_windows=False)
        log_path = os.path.join(appdata, "tmdownloader", "log.txt")
        before = os.path.getsize(log_path) if os.path.exists(log_path) else 0

        started = time.monotonic()
        proc = subprocess.Popen(["wine", exe], stdin=subprocess.DEVNULL)
        shot = 0
        while proc.poll() is None and time.monotonic() - started < limit_s:
            time.sleep(1)
            if screenshots:
                shot += 1
                subprocess.run(["/usr/bin/import", "-display", os.environ["DISPLAY"], "-window",
                                "root", os.path.join(out, f"shot-{shot:03d}.png")],
                               capture_output=True)
        ended = proc.poll() is not None
        if not ended:
            proc.kill()
        time.sleep(1.5)  # the log writer's last cycle and the emulator's start
        if screenshots:
            subprocess.run(["/usr/bin/import", "-display", os.environ["DISPLAY"], "-window", "root",
                            os.path.join(out, "shot-emulator.png")], capture_output=True)
        with open(log_path, "rb") as f:
            f.seek(before)
            log = f.read().decode("utf-8", "replace")
        files = sorted(os.listdir(unix_dir)) if os.path.isdir(unix_dir) else []
        args_path = os.path.join(unix_dir, "vdplayer_args.txt")
        player_args = ""
        if os.path.exists(args_path):
            with open(args_path, encoding="utf-8") as args_file:
                player_args = args_file.read()
        collection, analytics, rejected = events_received()
        return {"ended": ended, "seconds": time.monotonic() - started, "log": log, "files": files,
                "player_args": player_args, "collection": collection, "analytics": analytics,
                "rejected": rejected, "install_dir": INSTALL_DIR}
    finally:
        subprocess.run(["wine", "taskkill", "/F", "/IM", "vdplayer.exe"], capture_output=True)
        for server in servers:
            server.terminate()
            server.wait(5)


def show(run):
    print("[demo] log of this run:")
    print(run["log"])
    print(f"[demo] installation folder {run['install_dir']}: {', '.join(run['files']) or '(empty)'}")
    print(f"[demo] the emulator was started with: {run['player_args'].strip() or '(not started)'}")
    print("[demo] events the endpoints received:")
    for name, own in run["collection"]:
        print(f"  collection  {name:<30} {json.dumps(own) if own else ''}")
    for name, label in run["analytics"]:
        print(f"  analytics   {name:<30} label={label}")
    for reason in run["rejected"]:
        print(f"  REJECTED    {reason}")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    print("[demo] package hosts: the primary answers 404, the spare serves the signed package")
    run = run_installer(args.build, args.out, primary=[{"status": 404}], spare=["signed"],
                        screenshots=True)
    show(run)
    return 0 if run["ended"] else 1


if __name__ == "__main__":
    sys.exit(main())
