"""The dashboard's server over plain HTTP: each refusal, the token cookie, event streams for several
tabs, secrets never echoed, the warning on a non-loopback address and a clean end on SIGTERM.
Usage: dashboard_http_test.py VESK_HOST WORKDIR"""
import http.client
import json
import os
import socket
import sys
import threading
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from served_host import EMULATOR, PIN, ServedHost, wait_until  # noqa: E402

PASSWORD = "pw-Quokka-5531"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED: " + what)


class Client:
    def __init__(self, host):
        self.served = host
        self.cookie = None

    def request(self, method, path, body=None, headers=None, host_header=None, cookie=True):
        conn = http.client.HTTPConnection(self.served.host, self.served.port, timeout=30)
        all_headers = {"Host": host_header or "%s:%d" % (self.served.host, self.served.port)}
        if cookie and self.cookie:
            all_headers["Cookie"] = self.cookie
        all_headers.update(headers or {})
        conn.request(method, path, body=body, headers=all_headers)
        response = conn.getresponse()
        data = response.read()
        conn.close()
        return response.status, dict((k.lower(), v) for k, v in response.getheaders()), data

    def command(self, name, args=(), origin=True, raw=None):
        headers = {"Content-Type": "application/json"}
        if origin:
            headers["Origin"] = self.served.origin
        body = raw if raw is not None else json.dumps({"args": list(args)})
        status, headers, data = self.request("POST", "/api/" + name, body, headers)
        return status, json.loads(data) if data else None


class Stream(threading.Thread):
    """One tab's event stream, read on a thread of its own."""

    def __init__(self, client):
        super().__init__(daemon=True)
        self.sock = socket.create_connection((client.served.host, client.served.port), 30)
        self.sock.sendall(("GET /events HTTP/1.1\r\nHost: %s:%d\r\nCookie: %s\r\n\r\n" % (
            client.served.host, client.served.port, client.cookie)).encode())
        self.text = ""
        self.events = []
        self.start()

    def run(self):
        buffer = b""
        try:
            while True:
                chunk = self.sock.recv(65536)
                if not chunk:
                    return
                buffer += chunk
                self.text = buffer.decode("utf-8", "replace")
                self.events = [json.loads(line[6:]) for line in self.text.split("\n") if line.startswith("data: ")]
        except OSError:
            return

    def names(self):
        return [e.get("name") for e in self.events if e.get("kind") == "notification"]


def main():
    program, workdir = sys.argv[1], sys.argv[2]
    served = ServedHost(program, os.path.join(workdir, "loopback"))
    client = Client(served)
    try:
        # The token: none, a wrong one, then the printed address, which sets the cookie once.
        status, _, body = client.request("GET", "/")
        check(status == 403 and b"access token" in body, "a request without the token is refused")
        status, _, _ = client.request("GET", "/?token=" + "0" * 32)
        check(status == 403, "a wrong token is refused")
        status, headers, _ = client.request("GET", "/?token=" + served.token)
        cookie = headers.get("set-cookie", "")
        check(status == 303 and headers.get("location") == "/", "the token address redirects to the page")
        check("HttpOnly" in cookie and "SameSite=Strict" in cookie, "the token cookie is HttpOnly and SameSite=Strict")
        client.cookie = cookie.split(";")[0]
        status, headers, page = client.request("GET", "/", headers={"Origin": "http://evil.example"})
        check(status == 200 and b"<!DOCTYPE html>" in page, "the page is served with the cookie")
        check(not any(k.startswith("access-control-") for k in headers), "no CORS headers")
        weight = len(page) + sum(len(client.request("GET", p)[2]) for p in ("/dashboard.css", "/dashboard.js"))
        check(weight <= 100 * 1024, "the page weighs at most 100 KB (%d bytes)" % weight)

        # The Host header must name this server: another name or port is a rebinding page.
        for host in ("evil.example:%d" % served.port, "127.0.0.1:%d" % (served.port + 1), "localhost.evil:%d" % served.port):
            status, _, _ = client.request("GET", "/", host_header=host)
            check(status == 403, "Host %s is refused" % host)
        status, _, _ = client.request("GET", "/", host_header="localhost:%d" % served.port)
        check(status == 200, "Host localhost is this server")

        # A command from no page or another page changes nothing.
        status, _ = client.command("open", origin=False)
        check(status == 403, "a POST without an Origin is refused")
        status, headers, _ = client.request("POST", "/api/open", "{}", {"Origin": "http://evil.example"})
        check(status == 403 and not any(k.startswith("access-control-") for k in headers),
              "a POST from a foreign Origin is refused, without CORS headers")
        status, result = client.command("status")
        check(status == 200 and not result["ok"] and "not open" in result["reason"],
              "a refused open left the module closed")

        # Bodies: too big, not JSON, not a list of strings; unknown paths and commands.
        status, _, _ = client.request("POST", "/api/open", "{" + " " * 20000 + "}",
                                      {"Origin": served.origin, "Content-Type": "application/json"})
        check(status == 413, "an oversized body gets 413")
        for raw, what in (('{"args": [', "malformed JSON"), ('{"args": "open"}', "args"), ('{"args": [1]}', "string")):
            status, result = client.command("open", raw=raw)
            check(status == 400 and what in result["reason"], "a bad body %r gets 400 naming the fault" % raw)
        status, result = client.command("status")
        check(not result["ok"], "bad bodies left the module closed")
        for method, path in (("GET", "/nothing"), ("POST", "/api/nothing"), ("POST", "/api/quit"), ("GET", "/api/open")):
            status, _, _ = client.request(method, path, "{}", {"Origin": served.origin})
            check(status == 404, "%s %s gets 404" % (method, path))

        # Two tabs: each starts with the state, then both see the same notifications in order.
        first = Stream(client)
        wait_until(lambda: first.events, 10, "the first stream's state")
        status, result = client.command("open")
        check(status == 200 and result["ok"], "open runs through the command layer")
        second = Stream(client)
        wait_until(lambda: first.events and second.events, 10, "two streams")
        check(first.events[0]["kind"] == "state" and second.events[0]["kind"] == "state",
              "each stream starts with the state")
        check("not open" in first.events[0]["status"]["reason"] and "no modem" in second.events[0]["status"]["reason"],
              "each tab's state is the module's at the time it connected")
        client.command("attach")
        wait_until(lambda: "WWAN_NOTIFICATION_SIM_STATUS" in second.names(), 20, "the SIM status on the second tab")
        status, result = client.command("unlock", [PIN])
        check(result["ok"] and result["args"] == ["***"], "unlock runs and shows no PIN")
        wait_until(lambda: "WWAN_NOTIFICATION_READY_TO_CONNECT" in first.names(), 30, "ready to connect")
        status, result = client.command("connect", ["internet.test", "user", PASSWORD])
        check(result["ok"] and result["args"] == ["internet.test", "user", "***"], "connect shows no password")
        wait_until(lambda: "WWAN_NOTIFICATION_CONNECTED" in second.names(), 30, "connected")
        status, result = client.command("status")
        check(result["ok"] and dict(result["values"])["session"].startswith("connected"), "status shows the session")
        status, result = client.command("unlock", ["12"])
        check(status == 200 and not result["ok"] and PIN not in json.dumps(result), "a command's failure is answered in JSON")
        status, result = client.command("disconnect")
        wait_until(lambda: "WWAN_NOTIFICATION_DISCONNECTED" in first.names(), 30, "disconnected")
        check(first.names() == second.names()[-len(first.names()):] or second.names() == first.names()[-len(second.names()):],
              "both tabs see the same notifications in the same order")
        if EMULATOR:
            # No signal reaches a Windows program under Wine as Ctrl-C: the page's own close ends it.
            status, result = client.command("close")
            check(result["ok"], "close runs through the command layer")
            wait_until(lambda: "WWAN_NOTIFICATION_SDK_CLOSED" in first.names(), 30, "closed")
        time.sleep(0.3)
        streams = first.text + second.text
    finally:
        status = served.stop()
    if not EMULATOR:
        check(status == 0, "SIGTERM ends the dashboard with status 0, not %s" % status)
        if status != 0:
            print("".join(served.stderr)[-6000:])
    everything = served.output() + streams
    check(PIN not in everything and PASSWORD not in everything,
          "neither the PIN nor the password appears in an event, an output line or the trace")
    check("WWAN_NOTIFICATION_SDK_CLOSED" in "".join(served.stdout), "the module is closed at the end")

    # Any address but loopback is served with a warning.
    anywhere = ServedHost(program, os.path.join(workdir, "anywhere"), serve="0.0.0.0:0")
    try:
        # Standard error is read on a thread of its own: the warning may be read after the address.
        warned = lambda: any(l.startswith("warning: ") and "other machines" in l for l in anywhere.stderr)  # noqa: E731
        try:
            wait_until(warned, 10, "the warning")
        except AssertionError:
            pass
        check(warned(), "serving on 0.0.0.0 prints a warning")
    finally:
        anywhere.stop()
    check(not any(l.startswith("warning: ") for l in served.stderr), "loopback is served without a warning")

    if failures:
        print("%d check(s) failed" % len(failures))
        return 1
    print("all checks passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
