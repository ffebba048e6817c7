#!/usr/bin/env python3
"""sip_test.py STATE_DIR: the device with its SIP line (tools/device, as ./run --sip) called by
SIPp: the callers of callers.csv, each through its flow's scenario; every caller again after
"Reject All Calls" is tapped; a call after the relay was killed and started again; a line that
registers with SIPp as its registrar; one that forwards; the ring time; a port in use; nothing
left after quit."""
import os
import queue
import re
import signal
import socket
import subprocess
import sys
import threading
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests/support"))
from ports import free_port  # noqa: E402
HERE = ROOT / "tests/sip"
STATE = Path(sys.argv[1]).resolve()
RELAY = ROOT / "build/host/bin/sip-line"
SIPP = ["-r", "50", "-i", "127.0.0.1", "-nostdin", "-timeout", "30s", "-timeout_error",
        "-trace_err"]


def check(condition, what):
    if not condition:
        sys.exit("sip_test: " + what)


class Lines:
    """A process whose output lines are read as they come."""

    def __init__(self, command, **options):
        self.process = subprocess.Popen(command, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        text=True, errors="replace", **options)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for line in self.process.stdout:
            print(line, end="", flush=True)
            self.lines.put(line.rstrip("\n"))
        self.lines.put(None)

    def expect(self, pattern, seconds=60):
        """The next line that matches, skipping the others; fails after the deadline."""
        deadline = time.monotonic() + seconds
        while True:
            try:
                line = self.lines.get(timeout=max(0, deadline - time.monotonic()))
            except queue.Empty:
                line = None
            check(line is not None, f"waited for a line like {pattern!r}")
            if re.search(pattern, line):
                return line

    def send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()


def table():
    rows = [line.split(";") for line in (HERE / "callers.csv").read_text().splitlines()[1:]
            if line and not line.startswith("#")]
    return [(caller.replace("{LONG}", "1" * 3000), flow) for caller, flow in rows]


def tail(path):  # the end of what SIPp wrote there, if it wrote anything
    return path.read_text(errors="replace")[-2000:] if path.exists() else ""


def sipp(scenario, callers, port, *options):
    """Calls 127.0.0.1:port once from each caller with the scenario; fails unless every call
    went the scenario's way."""
    rows, errors = STATE / f"{scenario}.csv", STATE / f"{scenario}.errors"
    rows.write_text("SEQUENTIAL\n" + "".join(caller + "\n" for caller in callers))
    errors.unlink(missing_ok=True)
    done = subprocess.run(["sipp", "-sf", HERE / f"{scenario}.xml", "-inf", rows, "-m",
                           str(len(callers)), *SIPP, "-p", str(free_port()), "-error_file", errors,
                           *options, f"127.0.0.1:{port}"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT, timeout=60)
    check(done.returncode == 0, f"{scenario}: a call went another way:\n" + tail(errors))


def outcomes():  # the SIP line's calls in the telephony stand-in's log, in order
    log = (STATE / "telephony.log").read_text(errors="replace")
    return re.findall(r"^call device=1 .* outcome=(\w+)", log, re.M)


def ringing_left():  # the SIP line's calls that rang in the stand-in and were not hung up
    log = (STATE / "telephony.log").read_text(errors="replace")
    rang = re.findall(r"^call device=1 line=\S+ call=(\S+) .*outcome=rang", log, re.M)
    return set(rang) - set(re.findall(r"^hangup call=(\S+) result=0", log, re.M))


def tap(x, y):
    """Taps the device's screen at (x, y), as web_test does on its page."""
    env = dict(os.environ, DISPLAY=(STATE / "display").read_text().strip())
    window = subprocess.run(["xdotool", "search", "--name", "^Default - Wine desktop$"], env=env,
                            capture_output=True, text=True).stdout.split()[0]
    subprocess.run(["xdotool", "mousemove", "--window", window, str(x), str(y), "click", "1"],
                   env=env, check=True)


def circle(text):
    """The centre of the radio button's circle showing text in the portrait main dialog."""
    rc = (ROOT / "res/Ostrel.rc").read_text(encoding="utf-8")
    x, y, _, h = map(int, re.search(r'CONTROL "%s",[^,]+,[^,]+,[^,]+,\s*(\d+), (\d+), (\d+), (\d+)'
                                    % re.escape(text), rc).groups())
    return round(x * 7 / 4) + 7, round(26 + (y + h / 2) * 14 / 8)


def listening(port):
    return subprocess.run(["ss", "-Hlntu", f"sport = :{port}"], capture_output=True,
                          text=True).stdout.strip()


def relay(port, *options):
    """Another relay on the same device, its bridge under Wine as tools/sip-line starts it."""
    line = Lines([RELAY, "--port", str(port), *options, "--", ROOT / "tools/wine-run",
                  ROOT / "build/emulator/bin/sip_bridge.exe", "1"],
                 env=dict(os.environ, OSTREL_WINE_STATE=str(STATE)))
    line.port = port
    line.expect("takes calls at")
    return line


check(RELAY.exists(), f"no {RELAY}: build the host preset first")
callers = table()
declined = [caller for caller, flow in callers if flow == "declined"]
rings = [caller for caller, flow in callers if flow == "rings"]
port = free_port()
(STATE / "telephony.log").unlink(missing_ok=True)
console = Lines([ROOT / "tools/device", STATE], env=dict(
    os.environ, OSTREL_SIP_PORT=str(port), OSTREL_WEB_PORT=str(free_port()),
    TAPI_STANDIN_LOG=str(STATE / "telephony.log")))
try:
    console.expect(r"^  sipp -sf .*call\.xml")
    group = (STATE / "sip-line.pid").read_text().strip()
    sipp("declined", declined, port)
    console.expect(r"^sip: call from 5551234: dropped \(486 Busy Here\)$")
    sipp("rings", rings, port)
    console.expect(r"^sip: call from 5550000: ended, the caller hung up \(487\)$")
    check(outcomes() == ["dropped"] * len(declined) + ["rang"] * len(rings),
          f"the stand-in's log shows {outcomes()}")
    # Callers who hang up before the verdict; every call that rang is hung up in the stand-in.
    sipp("cancelled", rings, port, "-t", "t1")
    deadline = time.monotonic() + 20
    while ringing_left():
        check(time.monotonic() < deadline, f"calls left ringing in the stand-in: {ringing_left()}")
        time.sleep(0.1)

    # A second line on the same device forwards the calls it leaves alone.
    forwarding = relay(free_port(), "--forward", "sip:desk@example.net")
    sipp("forwarded", rings, forwarding.port)
    sipp("declined", declined, forwarding.port)
    forwarding.process.terminate()

    # One registers, with SIPp as its registrar, and gives up ringing after a second.
    registrar_port = free_port()
    account = STATE / "account"
    account.write_text(f"address sip:alice@example.net\nregistrar sip:127.0.0.1:{registrar_port}"
                       "\nuser alice\npassword Kv7-s3cret\n")
    account.chmod(0o600)
    (STATE / "registrar.errors").unlink(missing_ok=True)
    registrar = subprocess.Popen(["sipp", "-sf", HERE / "registrar.xml", "-m", "1", *SIPP,
                                  "-error_file", STATE / "registrar.errors", "-p",
                                  str(registrar_port)], stdout=subprocess.DEVNULL)
    registered = relay(free_port(), "--account", account, "--ring-seconds", "1")
    check(registrar.wait(timeout=60) == 0,
          "the registrar's call did not go its way:\n" + tail(STATE / "registrar.errors"))
    registered.expect(r"^sip: call from 5551234: dropped \(486")
    check("Kv7-s3cret" not in subprocess.run(["ps", "-eo", "args"], capture_output=True,
                                             text=True).stdout, "ps shows the password")
    sipp("unanswered", rings[:1], registered.port)
    registered.process.terminate()

    # After "Reject All Calls" is tapped, every caller is declined; the console's own calls
    # (line 0) say when the tap has taken.
    tap(*circle("Reject All Calls"))
    deadline = time.monotonic() + 20
    while time.monotonic() < deadline:
        console.send("call 5550100")
        if console.expect("^(dropped|rang)$") == "dropped":
            break
    sipp("declined", declined + rings, port)

    # A relay that dies is started again, and screens again.
    os.kill(int((STATE / "sip-line.relay").read_text()), signal.SIGKILL)
    console.expect(r"^sip: the SIP line ended \(status 137\); starting it again$")
    console.expect("takes calls at")
    sipp("declined", declined[:1], port)

    # "Deactive" (Operate, then its last item) and start: the line reaches the new program.
    while "shutdown" not in (STATE / "telephony.log").read_text():
        check(time.monotonic() < deadline + 60, "Deactive did not end the program")
        tap(33, 307)
        tap(45, 284)
    console.send("start")
    console.send("call 5550100")  # answered once the start is done
    console.expect("^(dropped|rang)$")
    sipp("declined", declined[:1], port)
finally:
    # Also after a failure, so that the next run does not meet this one's session.
    try:
        console.send("quit")
        console.process.stdin.close()
    except BrokenPipeError:
        pass
    ended = console.process.wait(timeout=60)
check(ended == 0, "the console did not end cleanly")
check(not listening(port), f"something listens on the SIP port after quit: {listening(port)}")
check(subprocess.run(["pgrep", "-g", group]).returncode == 1, "the relay or its bridge is left")

# A port in use is said at once, and the line does not start.
with socket.socket(type=socket.SOCK_DGRAM) as taken:
    taken.bind(("127.0.0.1", 0))
    done = subprocess.run([RELAY, "--port", str(taken.getsockname()[1]), "--without-device"],
                          capture_output=True, text=True, timeout=10)
check(done.returncode == 1 and "in use" in done.stderr, f"a port in use: {done.stderr}")
