#!/usr/bin/env python3
"""The real installer, run under Wine on the virtual display and driven as a
user does, with real clicks and typing, against the loopback package hosts,
the telemetry endpoints and the stand-in package and emulator: what each way
through the window leaves behind and reports at both endpoints."""
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import installer_run  # noqa: E402
from installer_run import BOX, MAIN, YES_NO, Installer, Servers  # noqa: E402

BUILD = os.environ["VORLANE_BUILD"]
PACKAGES = os.path.join(BUILD, "standins", "packages")
OPENID = "5566"
AFTER_INSTALL_PAGE = "https://chat.vorlane.com/invite/vorlane-global"
RUN = ("ad_run_downloader", [])
START = ("ad_start_downloader", [])
INSTALLED = [("ad_install_success", []), ("ad_downloader_full_duration", [("duration", int)])]
JUMP = ("jump_to_web", [])
LEFT = [("ad_cancel_download", [("ext_field", "notDownload")])]


class InstallerFlow(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.out = tempfile.TemporaryDirectory()
        cls.servers = Servers(cls.out.name)

    @classmethod
    def tearDownClass(cls):
        cls.servers.stop()
        cls.out.cleanup()

    def installer(self, primary, spare, env=None, install_dir=installer_run.INSTALL_DIR):
        """Scripts the hosts and starts the installer on its first page."""
        self.servers.script(primary, spare, PACKAGES)
        installer = Installer(BUILD, self.out.name, env=env)
        self.addCleanup(installer.stop)
        installer.prepare(install_dir)
        return installer.start()

    def assertEvents(self, received, expected):
        """Each event's name and own properties in order; a type in
        `expected` stands for any value of that type."""
        self.assertEqual([name for name, _ in received], [name for name, _ in expected], received)
        for (name, properties), (_, wanted) in zip(received, expected):
            self.assertEqual([key for key, _ in properties], [key for key, _ in wanted], name)
            for (key, value), (_, want) in zip(properties, wanted):
                if isinstance(want, type):
                    self.assertIs(type(value), want, f"{name} {key}")
                else:
                    self.assertEqual((type(value), value), (type(want), want), f"{name} {key}")

    def assertEndedWith(self, run, collection, analytics):
        self.assertTrue(run["ended"], "the installer did not end by itself")
        self.assertEqual(run["rejected"], [])
        self.assertEvents(run["collection"], collection)
        self.assertEqual(run["analytics"], [(name, OPENID) for name in analytics])

    def test_keyboard_alone_types_a_folder_installs_and_the_emulator_starts(self):
        installer = self.installer([{"status": 404}], [{"package": "signed", "rate": 4000000}],
                                   env={"VORLANE_STANDIN_PACKAGE": "delay:4000"})
        folder = "C:\\Games\\Vorlane\\"
        install = installer.controls("mainframe", "closed", "0", "installnowbtn")["installnowbtn"]
        # Tab goes to Install first, then to the licence: Space unticks it
        # (Install is disabled) and ticks it again.
        installer.keys("Tab", "Tab", "space")
        installer_run.wait_for(lambda: installer.colour_share(install, "yellow") == 0, 10, "Install disabled")
        installer.keys("space")
        installer_run.wait_for(lambda: installer.colour_share(install, "yellow") > 0, 10, "Install enabled")
        # Past the licence's link to "Setup path": Enter opens the folder
        # panel, Tab goes into its folder box.
        installer.keys("Tab", "Tab", "Return", "Tab")
        installer.type("C:\\Games\\Vorlane")  # Enter ends the typing ...
        installer.keys("Return")  # ... and with no focus Enter presses Install
        installer.wait_log("download player")
        # The bar fills while the package downloads and while it installs.
        bar = installer.controls("mainframe", "open", "2", "installbar")["installbar"]
        installer.wait_log("start. url")
        downloading = installer_run.wait_for(lambda: installer.colour_share(bar, "yellow"), 30, "the bar to move")
        installer.wait_log("download end, success = 1", 60)
        installer.wait_log("install:  ")
        installing = installer_run.wait_for(lambda: (s := installer.colour_share(bar, "yellow")) > 0.6 and s, 10,
                                            "the bar past the download's share")
        self.assertLess(downloading, installing)
        installer.wait_end()
        installer.wait_no_window(MAIN)
        run = installer.result(folder)
        for expected in ("vdplayer.exe", "data"):
            self.assertIn(expected, run["files"])
        self.assertNotIn("Vorlane.exe", run["files"])  # the package ran from a folder of its own
        self.assertIn("vdplayer.exe", run["player_args"])
        self.assertIn(f"-path=\"{folder}\"", run["log"])
        self.assertEqual(run["opened"], [AFTER_INSTALL_PAGE])
        self.assertEndedWith(run, [RUN, START, ("ad_download_success", [("ext_field", "res")]),
                                   ("ad_download_duration", [("duration", int), ("ext_field", "res_ie")]),
                                   *INSTALLED, JUMP],
                             ["ad_run", "ad_download_sucess", "ad_installSucess"])

    def test_offer_shown_during_the_download_and_accepted(self):
        installer = self.installer([{"package": "signed", "rate": 1500000}], [],
                                   env={"VORLANE_STANDIN_OFFER": ""})
        installer.click("installnowbtn")
        installer.click_offer("accept")
        installer.wait_no_window(installer_run.OFFER)
        installer.wait_end()
        run = installer.result()
        self.assertIn("vdplayer.exe", run["player_args"])
        calls = installer.offer_calls_made()
        self.assertEqual(calls[:2], ['1 {"local":"en","channel":"normal"}', '2 {"blocking":"true"}'])
        self.assertRegex(calls[2], r'^3 \{"wnd":"\d+", "backgroundColor":"#FF0e0e0e", "x":"0", "y":"0", '
                                   r'"width":"486", "height":"214"\}$')
        self.assertRegex(calls[3], r'^4 \{"acceptBtnWnd":"\d+", "declineBtnWnd":"\d+"\}$')
        self.assertEqual(calls[4:], ["5 ", "7 ", "9 "])
        self.assertEqual(installer.temp_leftovers(), [])  # the library's folder went with it
        self.assertEndedWith(run, [RUN, START, ("ad_show", []), ("ad_accept", []),
                                   ("ad_download_success", [("ext_field", "aws")]),
                                   ("ad_download_duration", [("duration", int), ("ext_field", "aws_ie")]),
                                   *INSTALLED, JUMP],
                             ["ad_run", "ad_iron_show", "ad_iron_accept", "ad_download_sucess",
                              "ad_installSucess"])

    def test_nothing_planted_beside_the_installer_is_loaded_or_run(self):
        """A DLL named like each the installer loads in a whole run, and a
        taskkill.exe, left beside it (where a web page can drop files), with
        Wine told to prefer DLLs found beside a program: none is ever loaded
        or started, and the whole installation runs."""
        record = os.path.join(self.out.name, "planted_loads.txt")
        planted = [os.path.join(self.out.name, name) for name in planted_libraries()]
        planted.append(os.path.join(self.out.name, "taskkill.exe"))
        for path in planted[:-1]:
            shutil.copy(os.path.join(BUILD, "tests", "flow", "planted.dll"), path)
        shutil.copy(os.path.join(BUILD, "tests", "app", "planted_program.exe"), planted[-1])
        ran = os.path.join(self.out.name, "planted_ran.txt")
        for path in planted + [record, ran]:
            self.addCleanup(lambda p=path: os.path.exists(p) and os.remove(p))
        overrides = os.environ.get("WINEDLLOVERRIDES", "")
        preferred = ",".join(os.path.splitext(name)[0] for name in planted_libraries())
        env = {"WINEDLLOVERRIDES": ";".join(filter(None, [overrides, preferred + "=n,b"])),
               "VORLANE_PLANTED_RECORD": installer_run.wine_path(record), "VORLANE_STANDIN_OFFER": ""}
        installer = self.installer(["signed"], [], env=env)
        installer.click("installnowbtn")
        installer.click_offer("accept")
        installer.wait_end()
        run = installer.result()
        self.assertIn("vdplayer.exe", run["player_args"])
        loaded = open(record, encoding="utf-16-le").read() if os.path.exists(record) else ""
        self.assertEqual(loaded, "", "planted DLLs were loaded")
        self.assertFalse(os.path.exists(ran), "the planted taskkill.exe ran")
        self.assertEndedWith(run, [RUN, START, ("ad_show", []), ("ad_accept", []),
                                   ("ad_download_success", [("ext_field", "aws")]),
                                   ("ad_download_duration", [("duration", int), ("ext_field", "aws_ie")]),
                                   *INSTALLED, JUMP],
                             ["ad_run", "ad_iron_show", "ad_iron_accept", "ad_download_sucess",
                              "ad_installSucess"])

    def test_unticked_licence_and_invalid_folder_block_the_install_button(self):
        installer = self.installer(["signed"], [])
        installer.click("acceptOpt")
        installer.click("installnowbtn")
        installer.click("acceptOpt")
        installer.click("userdefineBtn")
        installer.click("pathedit", panel="open")
        installer.type("C:\\a\\ \\b")
        error = installer.controls("mainframe", "open", "0", "errorLayout")["errorLayout"]
        installer_run.wait_for(lambda: installer.colour_share(error, "red") > 0.02, 10, "the error row")
        installer.click("installnowbtn", panel="open")
        time.sleep(2)  # a press that does nothing: give it time to prove so
        self.assertEqual(self.servers.requests(), [])
        self.assertNotIn("download player", installer.log())
        # Leaving before anything started asks first; "No" stays, "Yes" leaves.
        installer.click("closebtn")
        installer.wait_window(YES_NO)
        installer.click_yes_no("btnRight")
        installer.wait_no_window(YES_NO)
        installer.click("closebtn")
        installer.wait_window(YES_NO)
        installer.click_yes_no("btnLeft")
        installer.wait_end()
        self.assertEndedWith(installer.result(), [RUN, *LEFT], ["ad_run", "ad_useCancel"])

    def test_folder_on_a_small_drive_is_advised_against_and_cannot_install(self):
        drive = SmallDrive(self)
        installer = self.installer(["signed"], [])
        installer.click("userdefineBtn")
        installer.click("pathedit", panel="open")
        installer.type(f"{drive.letter}:\\Games\\Vorlane")
        installer.wait_window(BOX)
        installer.wait_log("left 17G")  # the space prompt
        installer.click_box("button1", "none", "path_ok", "path_not")  # keep the folder
        installer.wait_no_window(BOX)
        installer.click("installnowbtn", panel="open")
        installer.wait_window(BOX)  # "disk_notEnough"
        installer.click_box("button0", "2", "confirm")
        installer.wait_no_window(BOX)
        self.assertEqual(self.servers.requests(), [])
        installer.click("closebtn")
        installer.wait_window(YES_NO)
        installer.click_yes_no("btnLeft")
        installer.wait_end()
        self.assertEndedWith(installer.result(), [RUN, *LEFT], ["ad_run", "ad_useCancel"])

    def test_closing_a_slow_download_leaves_through_either_answer(self):
        for button, opens_package in (("button0", False), ("button1", True)):
            with self.subTest(button=button):
                installer = self.installer([{"package": "signed", "rate": 300000}], [])
                installer.click("installnowbtn")
                installer.wait_log("start. url")
                time.sleep(2.5)  # sized reports come once a second
                installer.click("closebtn")
                installer.wait_window(BOX)
                installer.click_box(button, "0", "download_close", "downloadBybrowser")
                installer.wait_end()
                run = installer.result()
                leave = run["collection"][-1][1][0][1]
                progress, seconds, rest = leave.split("_", 2)
                self.assertTrue(1 <= int(progress) <= 99 and 0 <= int(seconds) < 60, leave)
                self.assertEqual(rest, "aws_IE")
                self.assertEndedWith(run, [RUN, START, ("ad_cancel_download", [("ext_field", leave)])],
                                     ["ad_run"])
                package = f"http://127.0.0.1:{installer_run.fixed_ports.PRIMARY}{self.servers.requests()[0]['path']}"
                self.assertEqual(run["opened"], [package] if opens_package else [])

    def test_closing_before_any_sized_progress_asks_whether_to_leave(self):
        installer = self.installer([{"package": "signed", "delay": 30}], [])
        installer.click("installnowbtn")
        installer.wait_log("start. url")
        installer.click("closebtn")
        installer.wait_window(YES_NO)
        installer.click_yes_no("btnLeft")
        installer.wait_end()
        self.assertEndedWith(installer.result(), [RUN, START, *LEFT], ["ad_run", "ad_useCancel"])

    def test_failed_download_ends_the_run_from_either_button(self):
        for button, opens_package in (("button1", False), ("button0", True)):
            with self.subTest(button=button):
                installer = self.installer([{"status": 404}], [{"status": 404}])
                installer.click("installnowbtn")
                installer.wait_log("download end, success = 0", 60)
                installer.wait_window(BOX)
                installer.click_box(button, "0", "Yes", "No")
                installer.wait_end()
                run = installer.result()
                self.assertNotIn("Vorlane.exe", run["files"])
                self.assertEqual(run["player_args"], "")
                self.assertEqual(len(run["opened"]), 1 if opens_package else 0)
                self.assertEndedWith(run, [RUN, START, ("download_fail", [("failure_reason", "0_0")])],
                                     ["ad_run", "ad_download_error"])

    def test_failed_installation_still_starts_the_emulator_and_offers_the_package(self):
        installer = self.installer(["signed"], [], env={"VORLANE_STANDIN_PACKAGE": "error:5 installed"})
        installer.click("installnowbtn")
        # No success is claimed: no finished page, but the package for the browser.
        installer.wait_window(BOX, 120)
        installer.click_box("button0", "0", "Yes", "No")
        installer.wait_end()
        run = installer.result()
        self.assertIn("vdplayer.exe", run["player_args"])
        package = f"http://127.0.0.1:{installer_run.fixed_ports.PRIMARY}{self.servers.requests()[0]['path']}"
        self.assertEqual(run["opened"], [package])
        self.assertEndedWith(run, [RUN, START, ("ad_download_success", [("ext_field", "aws")]),
                                   ("ad_download_duration", [("duration", int), ("ext_field", "aws_ie")]),
                                   ("ad_install_fail", [("failure_reason", "errorcode_5")])],
                             ["ad_run", "ad_download_sucess", "ad_installError"])

    def test_a_second_copy_brings_the_first_to_the_front_and_ends(self):
        installer = self.installer(["signed"], [])
        folder = "C:\\Second\\Vorlane\\"
        installer.click("userdefineBtn")
        installer.click("pathedit", panel="open")
        installer.type(folder.rstrip("\\"))
        installer.click("minbtn")
        installer_run.wait_for(lambda: (w := installer.window(MAIN)) and w[1], 10, "the window minimised")
        self.assertEqual(installer.start_second_copy(), 0)
        self.assertTrue(installer.wait_window(MAIN, 10))  # shown again, not minimised
        installer.click("installnowbtn", panel="open")
        installer.wait_end()
        run = installer.result(folder)
        self.assertIn("vdplayer.exe", run["files"])  # the folder chosen before stayed
        self.assertEqual(installer.log().count("ipc, msg = 112345"), 1)
        self.assertEqual([name for name, _ in run["analytics"]].count("ad_run"), 1)  # the second did not run


def planted_libraries():
    """The DLLs a whole run of the installer loads, as Wine's loader trace of
    the demo's flow lists them (WINEDEBUG=+loaddll), every delay-loaded one
    and what the libraries it calls may load later (Wine's delay imports of
    them), whether or not this run needs them; file names. Left out: what
    Wine's start-up takes before any of the installer's code runs (the
    static imports of its own system DLLs, which it looks for beside the
    program first, where Windows takes them from its KnownDLLs) and Wine's
    display driver."""
    traced = ["actxprxy", "bcrypt", "comctl32", "crypt32", "dbghelp", "dnsapi", "gdiplus", "imagehlp",
              "iphlpapi", "jsproxy", "kerberos", "mpr", "msimg32", "msv1_0", "netapi32", "nsi",
              "propsys", "rsaenh", "secur32", "uxtheme", "windowscodecs", "wininet", "winhttp",
              "wintrust"]
    delayed = os.environ["VORLANE_DELAYED_DLLS"].split(",")
    later = ["cryptnet", "cryptui", "dhcpcsvc", "mlang", "shdocvw", "urlmon", "winmm"]
    at_start = {"version"}  # Wine's user32 imports it; Windows' does not
    return sorted(f"{name}.dll" for name in set(traced + delayed + later) - at_start)


class SmallDrive:
    """A 256 MB drive S: (a tmpfs mounted for the test), with less than the
    17408 MB advised and the 1024 MB needed. Skips the test where mounting
    is not allowed."""

    letter = "s"

    def __init__(self, test):
        self.folder = tempfile.mkdtemp(prefix="vorlane-small-drive-")
        mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256m", "tmpfs", self.folder],
                                 capture_output=True)
        if mounted.returncode != 0:
            os.rmdir(self.folder)
            test.skipTest("no small drive: mounting a tmpfs is not allowed here")
        link = os.path.join(os.environ["WINEPREFIX"], "dosdevices", f"{self.letter}:")
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(self.folder, link)
        test.addCleanup(self.remove, link)

    def remove(self, link):
        os.remove(link)
        subprocess.run(["umount", self.folder], capture_output=True)
        os.rmdir(self.folder)


if __name__ == "__main__":
    unittest.main()
