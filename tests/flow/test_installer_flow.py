#!/usr/bin/env python3
"""The real installer, run under Wine against the loopback package hosts and
telemetry endpoints: what a user's run leaves behind and reports."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import installer_run  # noqa: E402

BUILD = os.environ["VORLANE_BUILD"]


def names(events):
    return [event[0] for event in events]


class InstallerFlow(unittest.TestCase):
    def run_installer(self, primary, spare, name="vorlane9_en_5566_flow.exe"):
        with tempfile.TemporaryDirectory() as out:
            return installer_run.run_installer(BUILD, out, primary, spare, name=name)

    def test_spare_host_package_is_installed_and_emulator_started(self):
        run = self.run_installer(primary=[{"status": 404}], spare=["signed"],
                                 name="vorlane9_en_mypackage_5566_flow.exe")
        self.assertTrue(run["ended"], "the installer did not end by itself")
        self.assertEqual(run["rejected"], [])
        for expected in ("Vorlane.exe", "vdplayer.exe", "vdreport.exe", "data"):
            self.assertIn(expected, run["files"])
        self.assertNotIn("Vorlane.exe.tmp", run["files"])
        self.assertIn("downloadpackage=mypackage|package=mypackage", run["player_args"])
        self.assertEqual(names(run["collection"]),
                         ["ad_run_downloader", "ad_download_success", "ad_download_duration",
                          "ad_install_success", "ad_downloader_full_duration"])
        self.assertEqual(run["collection"][1][1], {"ext_field": "res"})
        self.assertEqual(run["collection"][2][1]["ext_field"], "res_ie")
        self.assertEqual(run["analytics"], [("ad_run", "5566"), ("ad_download_sucess", "5566"),
                                            ("ad_installSucess", "5566")])
        self.assertIn("***** start ****", run["log"])
        self.assertIn("download end, success = 1", run["log"])

    def test_unsigned_packages_everywhere_end_the_run_as_a_failed_download(self):
        run = self.run_installer(primary=["unsigned"], spare=["tampered"])
        self.assertTrue(run["ended"])
        self.assertNotIn("Vorlane.exe", run["files"])
        self.assertEqual(run["player_args"], "")
        self.assertIn(("download_fail", {"failure_reason": "0_0"}), run["collection"])
        self.assertIn(("ad_download_error", "5566"), run["analytics"])
        self.assertIn("download end, success = 0", run["log"])


if __name__ == "__main__":
    unittest.main()
