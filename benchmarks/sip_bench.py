#!/usr/bin/env python3
"""sip_bench.py, run by ./bench in its Wine session (OSTREL_WINE_STATE): the SIP line under load.
SIPp places 600 calls at 100 per second on the device's SIP line, half from the listed number,
the list editor open for a part of the run. Its floor, in the same round: the same relay declining
every call by itself (--without-device), and one bare cross-process round trip (sip_bench_helper)
at the calls' pace. Three rounds.
SIPp's clock counts whole milliseconds, so INVITE to 486 is timed where the relay sends the 486.
Prints ./bench's rows."""
import os
import re
import statistics
import sys
import subprocess
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[1]
sys.path.insert(0, str(ROOT / "tests/support"))
from ports import free_port  # noqa: E402
STATE = Path(os.environ["OSTREL_WINE_STATE"])
BIN = ROOT / "build/bench-emulator/bin"
RELAY = ROOT / "build/bench-host/bin/sip-line"
SCENARIOS = ROOT / "tests/sip"
CALLS, RATE, ROUNDS = 600, 100, 3
LISTED = "5551234"


def wine(*command, **options):
    return subprocess.Popen([ROOT / "tools/wine-run", *command], stdin=subprocess.DEVNULL, **options)


def relay(port, times, *bridge):
    """The relay on port, each INVITE-to-486 time appended to times; its output lines go to a file."""
    times.unlink(missing_ok=True)
    process = subprocess.Popen([RELAY, "--port", str(port), "--decline-times", times, *bridge],
                               stdout=open(STATE / f"sip-{port}.log", "w"), stderr=subprocess.STDOUT)
    deadline = time.monotonic() + 60
    while "takes calls" not in (STATE / f"sip-{port}.log").read_text():
        assert process.poll() is None and time.monotonic() < deadline, "the relay did not start"
        time.sleep(0.1)
    return process


def sipp(scenario, numbers, port, rate):
    """SIPp calling from each number in turn, in the background; its statistics go to a file."""
    rows = STATE / f"sip-{scenario}.csv"
    rows.write_text("SEQUENTIAL\n" + "".join(f"<sip:{n}@example.net>\n" for n in numbers))
    (STATE / f"sip-{scenario}.stat").unlink(missing_ok=True)
    return subprocess.Popen(["sipp", "-sf", SCENARIOS / f"{scenario}.xml", "-inf", rows, "-m",
                             str(len(numbers)), "-r", str(rate), "-i", "127.0.0.1", "-p",
                             str(free_port()), "-nostdin", "-recv_timeout", "10000",
                             "-timeout", "120s", "-trace_stat", "-stf", STATE / f"sip-{scenario}.stat",
                             "-trace_rtt", "-rtt_freq", "1", f"127.0.0.1:{port}"],
                            cwd=STATE, stdout=subprocess.DEVNULL, stderr=subprocess.STDOUT)


def counts(scenario):
    """From SIPp's last statistics line: its calls that went their way, and those that met
    another answer than theirs (a wrong verdict)."""
    header, *lines = (STATE / f"sip-{scenario}.stat").read_text().splitlines()
    last = dict(zip(header.split(";"), lines[-1].split(";")))
    return int(last["SuccessfulCall(C)"]), int(last["FailedUnexpectedMessage(C)"])


def sipp_times(scenario):  # SIPp's own INVITE-to-486 times, in milliseconds
    files = sorted(STATE.glob(f"{scenario}_*_rtt.csv"), key=lambda f: f.stat().st_mtime)
    return [float(line.split(";")[1]) for line in files[-1].read_text().splitlines()[1:]]


def percentile(values, share):
    values = sorted(values)
    return values[min(len(values) - 1, int(len(values) * share))]


def row(*fields):
    print("row\t" + "\t".join(fields), flush=True)


subprocess.run([ROOT / "tools/wine-run", "reg", "add", r"HKLM\Software\Kelvoro\Tolvane", "/v",
                "Blacklist", "/t", "REG_SZ", "/d", LISTED + ";", "/f"], check=True,
               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
for stale in STATE.glob("declined_*_rtt.csv"):
    stale.unlink()

program = wine(BIN / "Ostrel.exe", env=dict(os.environ, TAPI_STANDIN_LINES="2", TAPI_STANDIN_LOG=""))
subprocess.run([ROOT / "tools/wine-run", BIN / "phone.exe", "wait"], check=True,
               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)


def one_round():
    """The floor (the relay declining by itself, the bare round trip), then the device: half the
    calls listed, the list editor open from the second second to the fourth of six."""
    port = free_port()
    line = relay(port, STATE / "sip-floor.times", "--without-device")
    sipp("declined", [LISTED] * (CALLS // 2), port, RATE).wait()
    line.terminate()
    line.wait()
    floor_sipp = sipp_times("declined")
    round_trip = float(subprocess.run(
        [ROOT / "tools/wine-run", BIN / "sip_bench_helper.exe", "round-trips", str(CALLS // 2),
         str(1000 // RATE)], check=True, capture_output=True, text=True,
        stdin=subprocess.DEVNULL).stdout)

    port = free_port()
    line = relay(port, STATE / "sip-device.times", "--", ROOT / "tools/wine-run",
                 BIN / "sip_bridge.exe", "1")
    started = time.monotonic()
    calls = [sipp("declined", [LISTED] * (CALLS // 2), port, RATE // 2),
             sipp("rings", [f"555{i:04}" for i in range(CALLS // 2)], port, RATE // 2)]
    for at, what in ((2, "open"), (4, "close")):
        time.sleep(max(0, started + at - time.monotonic()))
        subprocess.run([ROOT / "tools/wine-run", BIN / "sip_bench_helper.exe", "editor", what],
                       check=True, stdin=subprocess.DEVNULL)
    for call in calls:
        call.wait(timeout=180)
    line.terminate()
    line.wait()
    (declined, declined_wrong), (rang, rang_wrong) = counts("declined"), counts("rings")
    return {"device": [int(t) for t in (STATE / "sip-device.times").read_text().split()],
            "floor": [int(t) for t in (STATE / "sip-floor.times").read_text().split()],
            "round trip": round_trip, "sipp": sipp_times("declined"), "floor sipp": floor_sipp,
            "wrong": declined_wrong + rang_wrong,
            "lost": CALLS - declined - rang - declined_wrong - rang_wrong}


# Three rounds: on a shared machine one round's floor and device can meet different moments.
rounds = [one_round() for _ in range(ROUNDS)]
program.terminate()
program.wait()
joined = {key: sum((r[key] for r in rounds), []) for key in ("device", "floor", "sipp", "floor sipp")}
wrong, lost = sum(r["wrong"] for r in rounds), sum(r["lost"] for r in rounds)
row(f"SIP line: {ROUNDS} x {CALLS} SIPp calls at {RATE}/s, half listed, the list editor open for "
    "a third of each; wrong verdicts, calls without a final answer", f"{wrong}, {lost}", "-", "-",
    "0, 0", "yes" if wrong == 0 and lost == 0 else "no")
ratio = statistics.median(statistics.median(r["device"]) /
                          (statistics.median(r["floor"]) + r["round trip"]) for r in rounds)
row("SIP line: INVITE to 486, median, timed where the relay sends it (baseline: the relay "
    "declining alone, plus the bare round trip; ratio: the median round's)",
    f"{statistics.median(joined['device']):.0f} us",
    f"{statistics.median(joined['floor']):.0f} + "
    f"{statistics.median(r['round trip'] for r in rounds):.0f} us", f"{ratio:.2f}",
    "at most 1.5x", "yes" if ratio <= 1.5 else "no")
row("SIP line: INVITE to 486, p99 (baseline: the relay declining alone)",
    f"{percentile(joined['device'], 0.99):.0f} us", f"{percentile(joined['floor'], 0.99):.0f} us",
    "-", "reported", "-")
row("SIP line: INVITE to 486 by SIPp's own clock (whole milliseconds), median and p99 "
    "(baseline: the relay declining alone)",
    f"{statistics.median(joined['sipp']):.0f} ms, {percentile(joined['sipp'], 0.99):.0f} ms",
    f"{statistics.median(joined['floor sipp']):.0f} ms, "
    f"{percentile(joined['floor sipp'], 0.99):.0f} ms", "-", "reported", "-")
