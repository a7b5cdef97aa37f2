#!/usr/bin/env python3
"""Starts loopback test servers, runs a command while they serve, stops them.

usage: with_servers.py SERVER.py [SERVER.py ...] -- COMMAND [ARG ...]

Each server script is started as `python3 SERVER.py`; it binds 127.0.0.1 on
free ports, prints one line "PORT NAME NUMBER" per listening socket and one
line "PATH NAME /unix/path" per file or folder it shares with the tests, then
the line "READY", and serves until it is terminated. The command runs with an
environment variable VORLANE_TEST_<NAME>_PORT for each port and
VORLANE_TEST_<NAME>_PATH for each path (Wine passes them to the Windows
program). The command's exit code is this script's."""
import os
import subprocess
import sys


def start(script):
    """The server's process and the environment variables it announced."""
    proc = subprocess.Popen([sys.executable, "-u", script], stdout=subprocess.PIPE,
                            stdin=subprocess.DEVNULL, text=True)
    variables = {}
    for line in proc.stdout:
        words = line.split(maxsplit=2)
        if words[:1] == ["READY"]:
            return proc, variables
        if len(words) == 3 and words[0] in ("PORT", "PATH"):
            variables[f"VORLANE_TEST_{words[1].upper()}_{words[0]}"] = words[2].strip()
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
            proc, variables = start(script)
            servers.append(proc)
            env.update(variables)
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
