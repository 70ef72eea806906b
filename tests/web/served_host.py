"""vesk-host --serve for the dashboard tests: started, its address read, its output kept, ended by SIGTERM."""
import os
import re
import signal
import subprocess
import threading
import time
import urllib.parse

HERE = os.path.dirname(os.path.abspath(__file__))
SCENARIO = os.path.join(HERE, "dashboard.scn")
PIN = "86420975"
# The cross builds run vesk-host.exe through their emulator (Wine).
EMULATOR = [e for e in os.environ.get("VESK_HOST_EMULATOR", "").split(";") if e]


class ServedHost:
    def __init__(self, program, workdir, serve="0", extra=()):
        os.makedirs(workdir, exist_ok=True)
        self.trace = os.path.join(workdir, "trace.txt")
        self.process = subprocess.Popen(
            [*EMULATOR, program, "--trace", self.trace, "--scenario", SCENARIO, "--serve", serve, *extra],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.stdout, self.stderr = [], []
        ready = threading.Event()

        def drain(stream, lines):
            for line in stream:
                lines.append(line)
                if line.startswith("dashboard: http"):
                    ready.set()
            ready.set()

        self.threads = [threading.Thread(target=drain, args=(self.process.stdout, self.stdout), daemon=True),
                        threading.Thread(target=drain, args=(self.process.stderr, self.stderr), daemon=True)]
        for t in self.threads:
            t.start()
        if not ready.wait(60):
            raise RuntimeError("vesk-host printed no dashboard address")
        found = [l for l in self.stdout if l.startswith("dashboard: http")]
        if not found:
            raise RuntimeError("vesk-host did not serve: " + "".join(self.stderr))
        self.url = found[0].split(" ", 1)[1].strip()
        parts = urllib.parse.urlsplit(self.url)
        self.host, self.port = parts.hostname, parts.port
        self.token = urllib.parse.parse_qs(parts.query)["token"][0]
        self.origin = "http://%s:%d" % (self.host, self.port)

    def stop(self, timeout=60):
        """SIGTERM; the exit status once the module is closed and released. Under Wine the signal
        ends the program at once, as ending its process does on Windows."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        status = self.process.wait(timeout)
        for t in self.threads:
            t.join(5)
        return status

    def output(self):
        with open(self.trace, encoding="utf-8", errors="replace") as f:
            trace = f.read()
        return "".join(self.stdout) + "".join(self.stderr) + trace


def wait_until(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if predicate():
            return
        time.sleep(0.05)
    raise AssertionError("timed out waiting for " + what)
