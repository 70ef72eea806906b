"""vesk-host --json on the tour: every line a JSON object, every notification kind the tour waits for,
payloads decoded, no PIN or password, and the status summary of the built-in scenario.
Usage: json_output_test.py VESK_HOST TOUR_SCRIPT WORK_DIR"""
import json
import os
import re
import subprocess
import sys

host, tour, work = sys.argv[1:4]
PIN, PASSWORD = "1234", "s3cr3t-pw"
os.makedirs(work, exist_ok=True)
script = os.path.join(work, "tour-with-secrets.vsh")
with open(tour) as source, open(script, "w") as out:
    out.write(source.read() + f"-connect internet.test user {PASSWORD}\n-autoconnect on apn user {PASSWORD}\n")

# A cross build's host runs through its emulator (Wine).
emulator = [os.environ["VESK_HOST_EMULATOR"]] if os.environ.get("VESK_HOST_EMULATOR") else []
run = subprocess.run(emulator + [host, "--json", script], capture_output=True, text=True, timeout=280)
failures = []
def check(ok, what):
    if not ok:
        failures.append(what)

check(run.returncode == 0, f"exit status {run.returncode}: {run.stderr[-2000:]}")
check(PASSWORD not in run.stdout + run.stderr, "the password is shown")
objects = []
for line in run.stdout.splitlines():
    try:
        objects.append(json.loads(line))
    except ValueError:
        failures.append(f"not JSON: {line}")

def strings(value):
    if isinstance(value, dict):
        for item in value.values():
            yield from strings(item)
    elif isinstance(value, list):
        for item in value:
            yield from strings(item)
    elif isinstance(value, str):
        yield value

check(all(isinstance(o, dict) and o.get("kind") in ("notification", "result") for o in objects), "unknown kinds")
check(PIN not in [s for o in objects for s in strings(o)], "the PIN is shown")
notifications = {o["name"]: o for o in objects if o.get("kind") == "notification"}
results = {o["command"]: o for o in objects if o.get("kind") == "result"}

waited = {"WWAN_NOTIFICATION_" + name.upper() for name in re.findall(r"^wait-for (\S+)", open(tour).read(), re.M)}
check(not waited - notifications.keys(), f"missing notifications: {sorted(waited - notifications.keys())}")
payload_keys = {
    "WWAN_NOTIFICATION_RSSI": {"dBm", "percent"},
    "WWAN_NOTIFICATION_SMS_EVENT": {"sender", "timestamp", "body"},
    "WWAN_NOTIFICATION_BYTES_TX_RX": {"transmitted", "received"},
    "WWAN_NOTIFICATION_GPS_INFO_CHANGED": {"fix", "latitude", "longitude"},
    "WWAN_NOTIFICATION_SIM_STATUS": {"value", "sim"},
}
for name, keys in payload_keys.items():
    params = notifications.get(name, {}).get("params", {})
    check(keys <= params.keys(), f"{name} params {params}")
check(all(isinstance(o.get("time"), float) for o in objects), "a time stamp missing")
check(results.get("unlock", {}).get("args") == ["***"], f"unlock args {results.get('unlock')}")
check(results.get("connect", {}).get("args") == ["internet.test", "user", "***"], "connect args")

# The built-in scenario's modem, once ready to connect.
status = dict(re.match(r"\s*(.*?)\s+: (.*)", line).groups()
              for line in results.get("status", {}).get("output", [])[1:])
expected = {
    "modem": r"Vesk Wireless .+",
    "firmware": r"V2\.0\.3\.12 \[2009-05-12 10:00:00\]",
    "SIM": r"ready",
    "signal": r"-\d+ dBm, \d+%",
    "session": r"disconnected",
    "autoconnect": r"off",
    "service selection": r"default",
    "GPS": r"not tracking.*",
    "images": r"\d+, .+ running",
}
for label, pattern in expected.items():
    check(re.fullmatch(pattern, status.get(label, "")) is not None, f"status {label}: {status.get(label)!r}")

# The tour's messages from a name, with an emoji, and in three parts (joined into one) arrive whole.
sms = [o["params"] for o in objects if o.get("name") == "WWAN_NOTIFICATION_SMS_EVENT"]
check(any(p.get("sender") == "VeskBank" for p in sms), "no SMS from VeskBank")
check(any(p.get("body", "").endswith("station \U0001F600") for p in sms), "the emoji did not arrive whole")
long = [p for p in sms if p.get("body", "").startswith("Travel update")]
check(len(long) == 1 and long[0]["body"].endswith("patience."), f"the long message arrived as {len(long)} events")

for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
