"""vesk-host guarding the user and saying what happened, one script through --json: each row a line, whether it succeeds and a
text its reason or output holds. Usage: guard_test.py VESK_HOST WORK_DIR"""
import json
import os
import subprocess
import sys

host, work = sys.argv[1:3]
rows = [
    ("card", False, "the module is not open"),
    ("open", True, "open: ok"),
    ("wait-for sdk_initializing 5000", True, ""),
    ("card", False, "no modem attached"),
    ("attach vesk-no-such-device", True, "the device tree shows no modem 'vesk-no-such-device'"),
    ("detach", True, "detach: ok"),
    ("attach", True, ""),
    ("wait-for attached_to_device 10000", True, ""),
    ("wait-for sim_status 5000", True, ""),
    ("unlock 12", False, "a PIN is 4 to 8 digits"),
    ("unlock 12345678901", False, "a PIN is 4 to 8 digits"),
    ("unlock 1234", True, "unlock: ok"),
    ("wait-for ready_to_connect 10000", True, ""),
    ("unlock 9999", True, "the SIM is ready and needs no PIN"),
    ("card", True, "0x3 (ready, PIN lock on)"),
    ("service 3g-preferred", True, "service: the modem keeps it as default"),
    ("service", True, "service: default"),
    ("diag 50000", True, "the module answered false"),
    ("switch tessary-umts", False, "is the running image (--force"),
    ("close", True, "close: ok"),
    ("close", False, "the module is not open"),
]
os.makedirs(work, exist_ok=True)
script = os.path.join(work, "guards.vsh")
with open(script, "w") as out:
    out.write("".join(("-" if not ok else "") + line + "\n" for line, ok, _ in rows))
emulator = [os.environ["VESK_HOST_EMULATOR"]] if os.environ.get("VESK_HOST_EMULATOR") else []
run = subprocess.run(emulator + [host, "--json", script], capture_output=True, text=True, timeout=120)
results = [o for o in map(json.loads, run.stdout.splitlines()) if o["kind"] == "result"]
failures = [] if run.returncode == 0 else [f"exit status {run.returncode}: {run.stderr[-2000:]}"]
if len(results) != len(rows):
    failures.append(f"{len(results)} results for {len(rows)} lines")
for (line, ok, text), result in zip(rows, results):
    said = result["reason"] + "\n" + "\n".join(result["output"])
    if result["ok"] != ok or text not in said:
        failures.append(f"{line}: ok={result['ok']} {said!r}")
for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
