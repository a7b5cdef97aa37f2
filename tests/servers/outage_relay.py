"""A TCP relay in front of a real server that can have outages on request: it
refuses connections (and drops those it has) for a while, or accepts them and
says nothing (what was held goes on afterwards, as from a host that froze), or,
inside a network namespace of the tests' own, takes the loopback link down.

Outages are asked for by writing "KIND SECONDS" into a control file, which is
read and removed; "start KIND S" and "end KIND" lines go to a log file. A file
rather than a port: during a link-down nothing on the network gets through."""
import os
import socket
import subprocess
import threading
import time

CHUNK = 65536


def own_network_namespace():
    """Whether this process has a network namespace apart from the one the
    tests were started in (scripts/in-own-network.sh names it): only then may
    the loopback link go down."""
    outer = os.environ.get("VORLANE_TEST_OUTER_NETWORK", "")
    try:
        return bool(outer) and os.readlink("/proc/self/ns/net") != outer
    except OSError:
        return False


class OutageRelay:
    def __init__(self, target_port, control_path, log_path):
        self.target_port = target_port
        self.control_path = control_path
        self.log_path = log_path
        self.running = threading.Event()  # set while bytes may flow
        self.running.set()
        self.lock = threading.Lock()
        self.connections = []
        self.listener = self._listen(0)
        self.port = self.listener.getsockname()[1]
        threading.Thread(target=self._accept, args=(self.listener,), daemon=True).start()
        threading.Thread(target=self._watch_control, daemon=True).start()

    def _listen(self, port):
        listener = socket.socket()
        listener.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        listener.bind(("127.0.0.1", port))
        listener.listen(64)
        return listener

    def _accept(self, listener):
        while True:
            try:
                client, _ = listener.accept()
            except OSError:
                return  # the listener was closed: a refusing outage
            threading.Thread(target=self._relay, args=(client,), daemon=True).start()

    def _relay(self, client):
        # A frozen host has accepted the connection but does nothing with it yet.
        self.running.wait()
        try:
            server = socket.socket()
            # Small, so that what the host counts as sent is what the client got.
            server.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, CHUNK)
            server.connect(("127.0.0.1", self.target_port))
        except OSError:
            client.close()
            return
        with self.lock:
            self.connections += [client, server]
        for source, sink in ((client, server), (server, client)):
            threading.Thread(target=self._pump, args=(source, sink), daemon=True).start()

    def _pump(self, source, sink):
        try:
            while True:
                data = source.recv(CHUNK)
                if not data:
                    break
                self.running.wait()
                sink.sendall(data)
        except OSError:
            pass
        for sock in (source, sink):
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def _drop_all(self):
        """Ends every connection, as a host that went away does. Shut down
        rather than closed: that also wakes the threads waiting on them."""
        with self.lock:
            connections, self.connections = self.connections, []
        for sock in connections:
            try:
                sock.shutdown(socket.SHUT_RDWR)
            except OSError:
                pass

    def _stop_listening(self):
        try:
            self.listener.shutdown(socket.SHUT_RDWR)  # wakes the accepting thread
        except OSError:
            pass
        self.listener.close()

    def _listen_again(self):
        for _ in range(100):  # until the accepting thread has let go of the port
            try:
                self.listener = self._listen(self.port)
                break
            except OSError:
                time.sleep(0.05)
        threading.Thread(target=self._accept, args=(self.listener,), daemon=True).start()

    def _log(self, line):
        with open(self.log_path, "a") as f:
            f.write(f"{time.time():.3f} {line}\n")

    def _outage(self, kind, seconds):
        self._log(f"start {kind} {seconds}")
        if kind == "refuse":
            self._stop_listening()
            self._drop_all()
            time.sleep(seconds)
            self._listen_again()
        elif kind == "silent":
            self.running.clear()
            time.sleep(seconds)
            self.running.set()
        elif kind == "linkdown" and own_network_namespace():
            subprocess.run(["ip", "link", "set", "lo", "down"], check=False)
            time.sleep(seconds)
            subprocess.run(["ip", "link", "set", "lo", "up"], check=False)
        else:
            self._log(f"refused {kind}")
            return
        self._log(f"end {kind}")

    def _watch_control(self):
        while True:
            time.sleep(0.05)
            try:
                with open(self.control_path) as f:
                    words = f.read().split()
                os.remove(self.control_path)
            except OSError:
                continue
            if len(words) == 2 and words[1].isdigit():
                self._outage(words[0], int(words[1]))
