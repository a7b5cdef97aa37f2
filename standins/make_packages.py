#!/usr/bin/env python3
"""Makes the copies of the stand-in package that tests and the demo serve.

usage: make_packages.py [--program EXE] --out DIR --signer NAME --other-signer NAME

Three self-signed code-signing certificates (with keys) are made in DIR/certs
with openssl, unless they are there already: "test" named --signer, "other"
named --other-signer and "same_name", named --signer too but with a key of its
own. Beside each, <stem>_key_sha256.txt holds the SHA-256 of its public key
(the DER of its SubjectPublicKeyInfo) in lower-case hexadecimal. They are kept
from one run to the next: builds pin the test certificate's key at configure
time, which runs this without --program to make them.

With --program, the program is padded with zero bytes after its last section
(before signing, so the signature covers the padding) and copied into DIR as:

  package_signed.exe        12 MiB of program and padding, signed by "test"
  package_signed_small.exe   9 MiB, signed by "test"
  package_unsigned.exe      12 MiB, not signed
  package_tampered.exe      package_signed.exe with one padding byte changed
  package_other_signer.exe  12 MiB, signed by "other"
  package_same_name.exe     12 MiB, signed by "same_name"

The signature adds a few KiB to the signed copies. Nothing here is a secret:
the keys exist only to make these files."""
import argparse
import hashlib
import os
import shutil
import subprocess
import sys

MIB = 1024 * 1024
LARGE = 12 * MIB
SMALL = 9 * MIB


def run(*command):
    """Runs quietly (openssl draws its key search on stderr); says why when it fails."""
    done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    if done.returncode != 0:
        sys.stderr.write(done.stderr.decode(errors="replace"))
        sys.exit(f"{command[0]} failed")


def public_key_sha256(cert):
    """The SHA-256 of the certificate's SubjectPublicKeyInfo in DER."""
    pem = subprocess.run(["openssl", "x509", "-in", cert, "-pubkey", "-noout"], check=True,
                         capture_output=True).stdout
    der = subprocess.run(["openssl", "pkey", "-pubin", "-outform", "DER"], input=pem, check=True,
                         capture_output=True).stdout
    return hashlib.sha256(der).hexdigest()


def make_certificate(folder, stem, name):
    """The certificate and key of `stem`, made when missing."""
    key = os.path.join(folder, stem + "_key.pem")
    cert = os.path.join(folder, stem + "_cert.pem")
    pin = os.path.join(folder, stem + "_key_sha256.txt")
    if not all(os.path.exists(f) for f in (key, cert, pin)):
        run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-sha256", "-days", "3650",
            "-keyout", key, "-out", cert, "-subj", "/CN=" + name,
            "-addext", "keyUsage=critical,digitalSignature",
            "-addext", "extendedKeyUsage=codeSigning")
        with open(pin + ".new", "w") as out:
            out.write(public_key_sha256(cert))
        os.replace(pin + ".new", pin)
    return cert, key


def padded(program, size, target):
    shutil.copyfile(program, target)
    if os.path.getsize(target) > size:
        sys.exit(f"{program} is larger than {size} bytes")
    with open(target, "r+b") as f:
        f.truncate(size)


def sign(source, target, certificate):
    cert, key = certificate
    if os.path.exists(target):
        os.remove(target)
    run("osslsigncode", "sign", "-certs", cert, "-key", key, "-h", "sha256",
        "-n", "Vorlane package stand-in", "-in", source, "-out", target)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--program")
    parser.add_argument("--out", required=True)
    parser.add_argument("--signer", required=True)
    parser.add_argument("--other-signer", required=True)
    args = parser.parse_args()

    certs = os.path.join(args.out, "certs")
    os.makedirs(certs, exist_ok=True)
    test_cert = make_certificate(certs, "test", args.signer)
    other_cert = make_certificate(certs, "other", args.other_signer)
    same_name_cert = make_certificate(certs, "same_name", args.signer)
    if not args.program:
        return
    work = os.path.join(args.out, "work")
    os.makedirs(work, exist_ok=True)
    out = lambda name: os.path.join(args.out, name)

    large = os.path.join(work, "large.exe")
    small = os.path.join(work, "small.exe")
    padded(args.program, LARGE, large)
    padded(args.program, SMALL, small)

    sign(large, out("package_signed.exe"), test_cert)
    sign(small, out("package_signed_small.exe"), test_cert)
    sign(large, out("package_other_signer.exe"), other_cert)
    sign(large, out("package_same_name.exe"), same_name_cert)
    shutil.copyfile(large, out("package_unsigned.exe"))

    shutil.copyfile(out("package_signed.exe"), out("package_tampered.exe"))
    with open(out("package_tampered.exe"), "r+b") as f:
        f.seek(LARGE - MIB)  # inside the padding, which the signature covers
        f.write(b"\x01")
    shutil.rmtree(work)


if __name__ == "__main__":
    main()
