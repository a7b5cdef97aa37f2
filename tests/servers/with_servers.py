#!/usr/bin/env python3
"""Starts loopback test servers, runs a command while they serve, stops them.

usage: with_servers.py SERVER.py [SERVER.py ...] -- COMMAND [ARG ...]

Each server script is started as `python3 SERVER.py`; it binds 127.0.0.1 on
free ports, prints one line "PORT NAME NUMBER" per listening socket, then the
line "READY", and serves until it is terminated. The command runs with an
environment variable VORLANE_TEST_<NAME>_PORT for each port (Wine passes them to
the Windows program). The command's exit code is this script's."""
import os
import subprocess
import sys


def start(script):
    proc = subprocess.Popen([sys.executable, "-u", script], stdout=subprocess.PIPE,
                            stdin=subprocess.DEVNULL, text=True)
    ports = {}
    for line in proc.stdout:
        words = line.split()
        if words[:1] == ["READY"]:
            return proc, ports
        if len(words) == 3 and words[0] == "PORT":
            ports[words[1].upper()] = words[2]
    raise SystemExit(f"{script} ended before it was ready")


def main(argv):
    if "--" not in argv:
        raise SystemExit(__doc__)
    split = argv.index("--")
    scripts, command = argv[:split], argv[split + 1:]
    servers = []
    env = dict(os.environ)
    try:
        for script in scripts:
            proc, ports = start(script)
            servers.append(proc)
            for name, number in ports.items():
                env[f"VORLANE_TEST_{name}_PORT"] = number
        return subprocess.call(command, env=env)
    finally:
        for proc in servers:
            proc.terminate()
        for proc in servers:
            try:
                proc.wait(timeout=5)
            except subprocess.TimeoutExpired:
                proc.kill()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
