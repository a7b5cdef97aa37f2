#!/usr/bin/env python3
"""A release build cannot carry the tests' settings: configuring one with any
of them, or without a pinned key of the package signer, fails and says which;
configuring one with the product's own settings, a pinned key and a partner
library succeeds. A build signed with another certificate than the test one
is a release build, whether or not it says so. A wrong partner library is
refused by any build. Each case configures a tree of its own (no build).
usage: release_settings_test.py SOURCE_DIR ARCH GOOD_OFFER_LIBRARY A_PROGRAM"""
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

SOURCE, ARCH, GOOD_LIBRARY, PROGRAM = sys.argv[1:5]
LOOPBACK = ["-DVORLANE_PRIMARY_HOST=http://127.0.0.1:1", "-DVORLANE_PACKAGE_SIGNER=Vorlane Test Signing",
            "-DVORLANE_SIGN_WITH_TEST_CERT=ON", "-DVORLANE_TEST_TLS_RELAXED=ON"]
# A stand-in for the publisher's key: any 64 hexadecimal digits configure.
PUBLISHER_KEY = "-DVORLANE_PACKAGE_SIGNER_KEY_SHA256=" + "5e" * 32


def configure(*settings):
    """The configure step's exit code and what it printed."""
    with tempfile.TemporaryDirectory() as tree:
        run = subprocess.run(["cmake", "-S", SOURCE, "-B", tree, "-G", "Ninja",
                              f"-DCMAKE_TOOLCHAIN_FILE={SOURCE}/cmake/mingw-{ARCH}.cmake",
                              "-DVORLANE_BUILD_TESTS=OFF", *settings],
                             capture_output=True, text=True)
        return run.returncode, run.stdout + run.stderr


class ReleaseSettings(unittest.TestCase):
    def test_every_test_setting_is_refused_and_named(self):
        code, output = configure("-DVORLANE_RELEASE=ON", *LOOPBACK)
        self.assertNotEqual(code, 0)
        for named in ("VORLANE_PRIMARY_HOST is not an https:// host",
                      "VORLANE_PACKAGE_SIGNER is the test certificate's name",
                      "VORLANE_PACKAGE_SIGNER_KEY_SHA256 pins a test certificate's key",
                      "VORLANE_SIGN_WITH_TEST_CERT is on", "VORLANE_TEST_TLS_RELAXED is on",
                      "no partner offer library is named"):
            self.assertIn(named, output)

    def test_a_release_without_a_pinned_signer_key_is_refused(self):
        code, output = configure("-DVORLANE_RELEASE=ON", f"-DVORLANE_OFFER_LIBRARY={GOOD_LIBRARY}")
        self.assertNotEqual(code, 0)
        self.assertIn("no key of the package signer is pinned", output)

    def test_a_build_signed_with_another_certificate_is_a_release(self):
        # Any existing files do: configuring only checks that they are there.
        code, output = configure(*LOOPBACK[:2], f"-DVORLANE_SIGN_CERT={PROGRAM}",
                                 f"-DVORLANE_SIGN_KEY={PROGRAM}")
        self.assertNotEqual(code, 0)
        for named in ("VORLANE_PRIMARY_HOST is not an https:// host",
                      "VORLANE_PACKAGE_SIGNER is the test certificate's name",
                      "no partner offer library is named"):
            self.assertIn(named, output)

    def test_the_products_settings_with_a_pinned_key_and_a_partner_library_configure(self):
        code, output = configure("-DVORLANE_RELEASE=ON", PUBLISHER_KEY,
                                 f"-DVORLANE_OFFER_LIBRARY={GOOD_LIBRARY}")
        self.assertEqual(code, 0, output)

    def test_a_partner_library_that_is_no_dll_is_refused(self):
        with tempfile.TemporaryDirectory() as folder:
            library = os.path.join(folder, "ds.dll")
            shutil.copy(PROGRAM, library)
            code, output = configure(f"-DVORLANE_OFFER_LIBRARY={library}")
        self.assertNotEqual(code, 0)
        self.assertIn("VORLANE_OFFER_LIBRARY cannot be packed", output)
        self.assertIn("it is not a DLL", output)
        self.assertIn("it exports no undecorated InvokeW", output)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[5:], verbosity=2)
