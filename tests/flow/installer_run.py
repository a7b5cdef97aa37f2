#!/usr/bin/env python3
"""Runs the real installer under Wine against the loopback stand-in servers
and drives it as a user does: real clicks and typing (xdotool) on the virtual
display, at the places tests/flow/helpers/window_probe.cpp reports. Collects
what a run leaves: its log, the installed files, the emulator's start
parameters, the web pages it opened and every event the collection and
analytics endpoints received, with each event's own properties in order.

Used by `make demo` (main(): the whole flow with a screenshot of every page
and box) and by the flow test. Needs the environment of scripts/wine-env.sh
(WINEPREFIX, DISPLAY) and the servers' fixed ports (fixed_ports.py) free."""
import argparse
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import urllib.request

HERE = os.path.dirname(os.path.abspath(__file__))
SERVERS = os.path.join(HERE, "..", "servers")
sys.path.insert(0, SERVERS)
import fixed_ports  # noqa: E402

INSTALL_DIR = "C:\\Vorlane\\Vorlane9\\"
REGISTRY_KEY = "HKCU\\Software\\Halvek\\Vorlane9"
FIXED_PROPERTIES = ("mnq_version", "mnq_mac", "device_id", "openid", "language",
                    "downloader_package")
MAIN = "vlmainframe"   # the main window's class
BOX = "MessageBox"     # the generic message boxes
YES_NO = "vlbox"       # the main window's own Yes/No box
OFFER = "Installer Main Window"  # the offer host over the main window
# The offer host's buttons, relative to the main window at 100 %: the host
# lies 16 in, its buttons at their places in it.
OFFER_BUTTONS = {"accept": (226, 354, 322, 384), "reject": (366, 354, 462, 384),
                 "close": (646, 30, 658, 42)}
PACKAGE_PATH = "/download/package/Vorlane9.0.exe"


def wine_output(*command, timeout=120):
    """The output of a Windows program run under Wine. It goes through a
    file, not a pipe: Wine may start its desktop process from the program,
    and that lives on holding whatever output the program had."""
    with tempfile.TemporaryFile() as out:
        subprocess.run(["wine", *command], stdout=out, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
                       timeout=timeout)
        out.seek(0)
        return out.read().decode("utf-8", "replace")


def wine_path(path, to_windows=True):
    flag = "-w" if to_windows else "-u"
    return subprocess.check_output(["winepath", flag, path], text=True,
                                   stderr=subprocess.DEVNULL).strip()


def wait_for(condition, timeout, what):
    """Polls `condition` until it returns something true; its value."""
    deadline = time.monotonic() + timeout
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() > deadline:
            raise TimeoutError(f"waited {timeout} s for {what}")
        time.sleep(0.1)


def start_server(script, out):
    ready = os.path.join(out, os.path.basename(script) + ".ready")
    with open(ready, "w") as lines:
        proc = subprocess.Popen([sys.executable, "-u", os.path.join(SERVERS, script), "--fixed"],
                                stdout=lines, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL)

    def started():
        with open(ready) as lines:
            return "READY" in lines.read() or proc.poll() is not None
    wait_for(started, 10, script)
    if proc.poll() is not None:
        raise SystemExit(f"{script} did not start (are ports {fixed_ports.PRIMARY}-"
                         f"{fixed_ports.SITE} in use?)")
    return proc


def request(url, value=None):
    """A control request to a loopback server (a POST with a JSON body when
    `value` is given); its reply's text."""
    data = json.dumps(value).encode() if value is not None else None
    with urllib.request.urlopen(urllib.request.Request(url, data=data)) as reply:
        return reply.read().decode()


def request_json(url):
    return json.loads(request(url))


def own_properties(event):
    return [(key, value) for key, value in event["properties"] if key not in FIXED_PROPERTIES]


def events_received():
    """Collection events as (name, [(property, value), ...]) with their own
    properties in posted order and JSON types; analytics as (name, label)."""
    collection, analytics = [], []
    report = request_json(f"http://127.0.0.1:{fixed_ports.REPORT}/received")
    for post in report["accepted"]:
        for event in json.loads(post["body"], object_pairs_hook=list):
            event = dict(event)
            collection.append((event["eventKey"], own_properties(event)))
    measurement = request_json(f"http://127.0.0.1:{fixed_ports.ANALYTICS}/received")
    for post in measurement["accepted"]:
        for event in post["events"]:
            analytics.append((event["name"], event["params"].get("event_label", "")))
    rejected = [item["reason"] for item in report["rejected"] + measurement["rejected"]]
    return collection, analytics, rejected


class Servers:
    """The package hosts and telemetry endpoints for one or more runs."""

    def __init__(self, out):
        self.procs = [start_server("package_hosts.py", out), start_server("telemetry_server.py", out)]

    def script(self, primary, spare, packages):
        """Host scripts (package_hosts.py); a step "signed", or one with
        "package": "signed", serves that package stand-in."""
        def step(s):
            s = {"package": s} if isinstance(s, str) else dict(s)
            if "package" in s:
                s["file"] = wine_path(os.path.join(packages, f"package_{s.pop('package')}.exe"))
            return s
        request(f"http://127.0.0.1:{fixed_ports.PRIMARY}/control",
                {"primary": [step(s) for s in primary], "spare": [step(s) for s in spare]})
        for port in (fixed_ports.REPORT, fixed_ports.ANALYTICS):
            request(f"http://127.0.0.1:{port}/control?reset=1")

    def requests(self):
        return request_json(f"http://127.0.0.1:{fixed_ports.PRIMARY}/log")

    def stop(self):
        for proc in self.procs:
            proc.terminate()
            proc.wait(5)


class Installer:
    """One run of the real installer, driven through the screen."""

    def __init__(self, build, out, name="vorlane9_en_5566_flow.exe", env=None, shots=None):
        self.build = build
        self.out = out
        self.name = name
        # The offer library's stand-in records its calls; unless a run asks
        # for an offer, it has none to display.
        self.offer_calls = os.path.join(out, "offer_calls.txt")
        self.env = dict(os.environ, VORLANE_STANDIN_OFFER="display=0",
                        VORLANE_STANDIN_OFFER_RECORD=wine_path(self.offer_calls))
        self.env.update(env or {})
        self.shots = shots  # a folder: every step saves a screenshot there
        self.scale = 1.0    # the screen's scale: the probe's places grow with it
        self.shot_count = 0
        self.probe_exe = os.path.join(build, "tests", "flow", "window_probe.exe")
        self.opened_file = os.path.join(out, "opened_urls.txt")
        self.proc = None
        self.layouts = {}

    # Set-up and the run itself.

    def prepare(self, install_dir=INSTALL_DIR):
        """A known earlier folder in the registry (without an emulator, so the
        after-install page opens) and a browser that only notes addresses."""
        wine_output("reg", "add", REGISTRY_KEY, "/v", "InstallDir", "/d", install_dir, "/f")
        shutil.rmtree(wine_path(install_dir, to_windows=False), ignore_errors=True)
        recorder = os.path.join(self.out, "record_url.sh")
        with open(recorder, "w") as script:
            script.write(f'#!/bin/sh\necho "$1" >> "{self.opened_file}"\n')
        os.chmod(recorder, 0o755)
        wine_output("reg", "add", "HKCU\\Software\\Wine\\WineBrowser", "/v", "Browsers", "/d", recorder, "/f")
        for old in (self.opened_file, self.offer_calls):
            if os.path.exists(old):
                os.remove(old)
        self.temp_before = self.temp_leftovers()
        appdata = wine_output("cmd", "/c", "echo %APPDATA%").strip()
        self.log_path = os.path.join(wine_path(appdata, to_windows=False), "tmdownloader", "log.txt")
        self.log_start = os.path.getsize(self.log_path) if os.path.exists(self.log_path) else 0

    def start(self):
        exe = os.path.join(self.out, self.name)
        shutil.copy(os.path.join(self.build, "app", "VorlaneInstaller.exe"), exe)
        self.started = time.monotonic()
        self.proc = subprocess.Popen(["wine", exe], stdin=subprocess.DEVNULL, env=self.env)
        self.wait_window(MAIN)
        return self

    def start_second_copy(self):
        """Another copy under the same name; it ends by itself."""
        copy = subprocess.Popen(["wine", os.path.join(self.out, self.name)], stdin=subprocess.DEVNULL,
                                env=self.env)
        return copy.wait(60)

    def wait_end(self, timeout=90):
        wait_for(lambda: self.proc.poll() is not None, timeout, "the installer to end")

    def stop(self):
        """Ends whatever is left of the run: the installer and the emulator."""
        if self.proc and self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(10)
        wine_output("taskkill", "/F", "/IM", "vdplayer.exe")

    # What the screen shows.

    def probe(self, *args):
        return [line.strip() for line in wine_output(self.probe_exe, *args).splitlines() if line.strip()]

    def window(self, cls):
        """(visible, iconic, enabled, left, top, right, bottom) of a window of
        the class, or None."""
        line = self.probe("window", cls)
        if not line or line[0] == "none":
            return None
        values = [int(v) for v in line[0].split()]
        return tuple([bool(v) for v in values[:3]] + values[3:])

    def wait_window(self, cls, timeout=60):
        return wait_for(lambda: (w := self.window(cls)) and w[0] and not w[1] and w, timeout, f"a {cls} window")

    def wait_no_window(self, cls, timeout=30):
        """Until no window of the class is left: a box that has only hidden
        still takes the activation along when it goes, and a click under way
        would be lost."""
        wait_for(lambda: not self.window(cls), timeout, f"no {cls} window")

    def controls(self, *query):
        if query not in self.layouts:
            self.layouts[query] = {line.split()[0]: [int(v) for v in line.split()[1:]]
                                   for line in self.probe(*query)}
        return self.layouts[query]

    def click_at(self, cls, rect):
        window = self.wait_window(cls)
        x = window[3] + int((rect[0] + rect[2]) / 2 * self.scale)
        y = window[4] + int((rect[1] + rect[3]) / 2 * self.scale)
        subprocess.run(["xdotool", "mousemove", "--sync", str(x), str(y)], check=True)
        subprocess.run(["xdotool", "click", "1"], check=True)

    def click(self, name, panel="closed", page=0):
        """Clicks a control of the main window in the given state."""
        self.click_at(MAIN, self.controls("mainframe", panel, str(page), name)[name])

    def click_box(self, button, icon, *keys):
        """Clicks "button0", "button1"... or "closebtn" of the open generic
        box whose buttons are labelled with the language keys."""
        self.click_at(BOX, self.controls("box", icon, *keys)[button])

    def click_offer(self, button):
        """Clicks "accept", "reject" or "close" of the offer host once the
        library has displayed its offer (the buttons show right after)."""
        self.wait_window(OFFER)
        wait_for(lambda: any(call.startswith("4 ") for call in self.offer_calls_made()), 30,
                 "the offer displayed")
        time.sleep(0.5)
        self.click_at(MAIN, OFFER_BUTTONS[button])

    def offer_calls_made(self):
        """The offer library's calls so far, "<function> <argument>"."""
        if not os.path.exists(self.offer_calls):
            return []
        with open(self.offer_calls, encoding="utf-8") as calls:
            return [line.rstrip("\r\n") for line in calls if not line.startswith("load ")]

    def temp_leftovers(self):
        """The offer library's folders in the local temp folder that this run
        added."""
        local = wine_output("cmd", "/c", "echo %LOCALAPPDATA%").strip()
        temp = os.path.join(wine_path(local, to_windows=False), "Temp")
        names = sorted(n for n in os.listdir(temp) if n.startswith("Setup")) if os.path.isdir(temp) else []
        return [n for n in names if n not in getattr(self, "temp_before", [])]

    def click_yes_no(self, name):
        self.click_at(YES_NO, self.controls("layout", "messagebox.xml", name)[name])

    def type(self, text):
        subprocess.run(["xdotool", "key", "shift+Home"], check=True)
        subprocess.run(["xdotool", "type", "--delay", "40", text], check=True)
        subprocess.run(["xdotool", "key", "Return"], check=True)

    def keys(self, *names):
        """Presses keys ("Tab", "space", "Return", "shift+Tab", ...) one
        after the other, as typed on the keyboard."""
        subprocess.run(["xdotool", "key", "--delay", "150", *names], check=True)

    def screenshot(self, label):
        """Saves what the screen shows once it has settled (two captures
        alike, or after a few seconds: an animation never settles)."""
        if not self.shots:
            return None
        self.shot_count += 1
        path = os.path.join(self.shots, f"shot-{self.shot_count:03d}-{label}.png")
        previous = None
        deadline = time.monotonic() + 4
        while True:
            subprocess.run(["import", "-display", os.environ["DISPLAY"], "-window", "root", path],
                           capture_output=True)
            with open(path, "rb") as picture:
                current = picture.read()
            if current == previous or time.monotonic() > deadline:
                return path
            previous = current
            time.sleep(0.2)

    def colour_share(self, rect, colour, cls=MAIN):
        """The share of pixels of a colour ("yellow": a filled progress bar,
        "red": the path error row) along the middle line of a control of the
        window, as the screen shows it."""
        window = self.window(cls)
        if not window:
            return 0.0
        left, top = window[3] + rect[0], window[4] + (rect[1] + rect[3]) // 2
        row = subprocess.run(["import", "-display", os.environ["DISPLAY"], "-window", "root", "-crop",
                              f"{rect[2] - rect[0]}x1+{left}+{top}", "-depth", "8", "rgb:-"], capture_output=True).stdout
        pixels = [row[i:i + 3] for i in range(0, len(row) - 2, 3)]
        test = {"yellow": lambda p: p[0] > 200 and p[1] > 150 and p[2] < 120,
                "red": lambda p: p[0] > 180 and p[1] < 130 and p[2] < 140}[colour]
        return sum(1 for p in pixels if test(p)) / max(1, len(pixels))

    # What the run left.

    def log(self):
        if not os.path.exists(self.log_path):
            return ""
        with open(self.log_path, "rb") as f:
            f.seek(self.log_start)
            return f.read().decode("utf-8", "replace")

    def wait_log(self, text, timeout=60):
        wait_for(lambda: text in self.log(), timeout, f'"{text}" in the log')

    def result(self, install_dir=INSTALL_DIR):
        time.sleep(1.5)  # the emulator's start and the log writer's last cycle
        unix_dir = wine_path(install_dir, to_windows=False)
        files = sorted(os.listdir(unix_dir)) if os.path.isdir(unix_dir) else []
        args_path = os.path.join(unix_dir, "vdplayer_args.txt")
        player_args = ""
        if os.path.exists(args_path):
            with open(args_path, encoding="utf-8") as args_file:
                player_args = args_file.read()
        opened = []
        if os.path.exists(self.opened_file):
            with open(self.opened_file) as urls:
                opened = [line.strip() for line in urls if line.strip()]
        collection, analytics, rejected = events_received()
        return {"ended": self.proc.poll() is not None, "log": self.log(), "files": files,
                "player_args": player_args, "opened": opened, "collection": collection,
                "analytics": analytics, "rejected": rejected, "install_dir": install_dir}


def show(run):
    print("[demo] log of this run:")
    print(run["log"])
    print(f"[demo] installation folder {run['install_dir']}: {', '.join(run['files']) or '(empty)'}")
    print(f"[demo] the emulator was started with: {run['player_args'].strip() or '(not started)'}")
    print(f"[demo] web pages opened: {', '.join(run['opened']) or '(none)'}")
    print("[demo] events the endpoints received:")
    for name, own in run["collection"]:
        print(f"  collection  {name:<30} {json.dumps(dict(own)) if own else ''}")
    for name, label in run["analytics"]:
        print(f"  analytics   {name:<30} label={label}")
    for reason in run["rejected"]:
        print(f"  REJECTED    {reason}")


def demo(build, out):
    """The whole flow as a user sees it, with a screenshot of every page and
    box: the licence, the folder typed in, the install checks, the download
    (the primary host fails, the spare one serves the package slowly enough to
    watch), the installation and the emulator."""
    packages = os.path.join(build, "standins", "packages")
    servers = Servers(out)
    installer = Installer(build, out, name="vorlane9_en_starter_5566_demo.exe", shots=out,
                          env={"VORLANE_STANDIN_PACKAGE": "delay:15000", "VORLANE_STANDIN_OFFER": ""})
    try:
        servers.script([{"status": 404}], [{"package": "signed", "rate": 1500000}], packages)
        installer.prepare()
        installer.start()
        install = installer.controls("mainframe", "closed", "0", "installnowbtn")["installnowbtn"]
        error = installer.controls("mainframe", "open", "0", "errorLayout")["errorLayout"]
        installer.screenshot("start-page")
        installer.keys("Tab")  # the first stop, Install, marked in the skin's accent
        installer.screenshot("keyboard-focus")
        installer.click("acceptOpt")
        wait_for(lambda: installer.colour_share(install, "yellow") == 0, 10, "the install button disabled")
        installer.screenshot("licence-unticked")
        installer.click("installnowbtn")  # disabled: nothing happens
        installer.click("acceptOpt")
        installer.click("userdefineBtn")
        installer.screenshot("folder-panel")
        installer.click("pathedit", panel="open")
        installer.type("C:\\a\\ \\b")
        wait_for(lambda: installer.colour_share(error, "red") > 0.02, 10, "the path error row")
        installer.screenshot("invalid-folder")
        installer.click("pathedit", panel="open")
        installer.type(INSTALL_DIR.rstrip("\\"))
        wait_for(lambda: installer.colour_share(error, "red") == 0, 10, "no path error row")
        installer.screenshot("folder-chosen")
        installer.click("closebtn")
        installer.wait_window(YES_NO)
        installer.screenshot("leave-question")
        installer.click_yes_no("btnRight")
        installer.wait_no_window(YES_NO)
        installer.click("installnowbtn", panel="open")
        installer.wait_log("download player")
        installer.wait_window(OFFER)
        time.sleep(1)  # the library draws its offer on the first tick
        installer.screenshot("offer-window")
        installer.click_offer("accept")
        installer.wait_no_window(OFFER)
        installer.screenshot("progress-page")
        installer.wait_log("start. url")
        time.sleep(3)  # a few sized reports on the progress page
        installer.screenshot("downloading")
        installer.click("closebtn")
        installer.wait_window(BOX)
        installer.screenshot("slow-download-box")
        installer.click_box("closebtn", "0", "download_close", "downloadBybrowser")
        installer.wait_no_window(BOX)
        installer.wait_log("download end, success = 1", 120)
        installer.screenshot("installing")
        installer.click("closebtn")
        installer.wait_window(BOX)
        installer.screenshot("installing-notice")
        installer.click_box("closebtn", "0", "sure")
        installer.wait_end()
        installer.screenshot("emulator")
        run = installer.result()
        offer_at_150_percent(build, out, servers, packages)
    finally:
        installer.stop()
        servers.stop()
    show(run)
    return 0 if run["ended"] else 1


def offer_at_150_percent(build, out, servers, packages):
    """A main window drawn at 150 %, with the keyboard's focus on the
    licence's box, then the offer window over it: the screen's DPI set to
    144 for one more run. The run installs and ends with the offer still up:
    the offer window goes out of sight with the main window."""
    servers.script([{"package": "signed", "rate": 2000000}], [], packages)
    wine_output("taskkill", "/F", "/IM", "vdplayer.exe")  # the first run's emulator
    installer = Installer(build, out, name="vorlane9_en_starter_5566_demo.exe", shots=out,
                          env={"VORLANE_STANDIN_OFFER": ""})
    installer.shot_count = 899
    dpi = ["HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD"]
    try:
        wine_output("reg", "add", *dpi, "/d", "144", "/f")
        installer.scale = 1.5
        installer.prepare()
        installer.start()
        installer.keys("Tab", "Tab")  # the licence's box, marked as the keyboard's focus
        installer.screenshot("keyboard-focus-150-percent")
        installer.click("installnowbtn")
        installer.wait_window(OFFER)
        time.sleep(1)
        installer.screenshot("offer-window-150-percent")
        # Hidden, not merely unseen by one probe: a probe that finds no window
        # while the installer still runs proves nothing.
        wait_for(lambda: installer.proc.poll() is not None
                 or ((w := installer.window(MAIN)) is not None and not w[0]),
                 120, "the main window to hide at the end of the run")
        time.sleep(2)  # Wine shows a hidden window until its thread next talks to the display
        installer.screenshot("main-window-hidden-150-percent")
        offer = installer.window(OFFER)
        if offer and offer[0]:
            raise AssertionError("the offer window is still shown after the main window hid")
        installer.wait_end()
    finally:
        installer.stop()
        wine_output("reg", "add", *dpi, "/d", "96", "/f")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    return demo(args.build, args.out)


if __name__ == "__main__":
    sys.exit(main())
