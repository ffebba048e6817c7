#!/usr/bin/env python3
"""web_test.py STATE_DIR: the device's console (tools/device, which ./run starts) driven through a
pipe as a terminal drives it, its page opened in headless Chromium, each way the console ends
leaving nothing running and nothing listening. OSTREL_SCREENSHOT_DIR, when set, receives web.png:
the page as the browser shows it."""
import os
import re
import signal
import socket
import struct
import subprocess
import sys
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support import expected_conditions
from selenium.webdriver.support.ui import WebDriverWait

ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(ROOT / "tests/support"))
from ports import free_port  # noqa: E402
STATE = Path(os.path.abspath(sys.argv[1]))

# Where the screen shows the radio button circles of "Accept All Calls" and "Block Quellar Only"
# (res/Ostrel.rc's dialog units in pixels: 7 x 14 base units at 96 dpi, below the 26-pixel strip).
ACCEPT_ALL, BLOCK_LISTED = (44, 84), (44, 115)


def listeners(port):  # the local addresses listening on port
    out = subprocess.run(["ss", "-Hltn", f"sport = :{port}"], capture_output=True, text=True).stdout
    return [line.split()[3] for line in out.splitlines()]


def left_running():  # this run's processes (Wine's, Xvfb, x11vnc, websockify) carry its prefix
    def carries(environ):
        try:
            return f"WINEPREFIX={STATE / 'prefix'}".encode() in environ.read_bytes().split(b"\0")
        except OSError:  # ended meanwhile
            return False
    return [e.parent.name for e in Path("/proc").glob("[0-9]*/environ") if carries(e)]


def vnc_port():  # the port x11vnc said it took
    return int(re.search(r"^PORT=(\d+)", (STATE / "x11vnc.log").read_text(), re.M)[1])


def quiet(*ports):  # waits until nothing of this run runs, then nothing may listen
    WebDriverWait(None, 10).until(lambda _: not left_running(), "something is left running")
    check(not any(listeners(port) for port in ports), f"something listens on {ports}")


class Console:
    """tools/device on a pipe, in a process group of its own as a terminal's job is, its errors
    among its output as on a terminal; read up to the last line of its help."""

    def __init__(self, web_port, dpi=96):
        self.port, self.output, self.address = web_port, "", None
        self.process = subprocess.Popen(
            [str(ROOT / "tools/device"), str(STATE)], stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, process_group=0,
            env=dict(os.environ, OSTREL_WEB_PORT=str(web_port), OSTREL_DEVICE_DPI=str(dpi)))
        for line in self.process.stdout:
            print(line, end="")
            self.output += line
            self.address = self.address or next(iter(re.findall(r"http://\S+", line)), None)
            if line.lstrip().startswith("quit"):
                break

    def send(self, command):
        self.process.stdin.write(command + "\n")
        self.process.stdin.flush()

    def say(self, command):  # the console's answer: its next line
        self.send(command)
        return self.process.stdout.readline().strip()

    def ends(self, end, status):  # end must end it with status, and all it started
        ports = self.port, vnc_port()
        end()
        check(self.process.wait(timeout=20) == status, f"ended with {self.process.returncode}")
        quiet(*ports)


def size(page):
    return page.execute_script("const c = document.querySelector('#screen canvas');"
                               "return c ? [c.width, c.height] : [0, 0];")


def pixel(page, x, y):
    """The colour the page's canvas shows at (x, y) on the device's screen, or None."""
    return page.execute_script("""
        const c = document.querySelector('#screen canvas');
        return c && c.width ? Array.from(c.getContext('2d').getImageData(
            arguments[0], arguments[1], 1, 1).data.slice(0, 3)) : null;""", x, y)


def shows_block_listed(page):  # the mode's circle shows its dark mark
    colour = pixel(page, *BLOCK_LISTED)
    return colour is not None and sum(colour) < 200


def tap_at(page, x, y):
    c = page.find_element("css selector", "#screen canvas")
    # The offset is taken from the canvas's centre.
    ActionChains(page).move_to_element_with_offset(c, x - c.size["width"] / 2,
                                                   y - c.size["height"] / 2).click().perform()


def changes(page, act, x, y):  # does act, and waits until the screen at (x, y) shows another colour
    before = pixel(page, x, y)
    act()
    WebDriverWait(page, 10).until(lambda p: pixel(p, x, y) != before)


def status(page):  # what the page's top bar says of the connection
    return page.find_element("id", "status").text


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("headless=new", "no-sandbox", "disable-gpu", "no-first-run", "disable-sync",
                 "disable-background-networking", "disable-component-update"):
        options.add_argument("--" + flag)
    page = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    page.set_window_size(480, 500)
    page.get(console.address)
    return page


def check(condition, what):
    if not condition:
        sys.exit("web_test: " + what)


def drive():
    """Everything on the page and every command while the console runs; then quit."""
    check(console.address.startswith(f"http://127.0.0.1:{console.port}/"), "no address printed")
    screen_port = vnc_port()
    for port in console.port, screen_port:
        check(listeners(port) == [f"127.0.0.1:{port}"], f"{port}: {listeners(port)}")
    check(not (STATE / "web.password").exists(), "the password's file is left for anyone to read")
    page = browser()
    try:
        # Drawn: the dialog shows its starting mode.
        WebDriverWait(page, 30).until(shows_block_listed)
        check(size(page) == [240, 320], f"the page shows {size(page)}, not 240 x 320")
        if "OSTREL_SCREENSHOT_DIR" in os.environ:
            os.makedirs(os.environ["OSTREL_SCREENSHOT_DIR"], exist_ok=True)
            page.save_screenshot(os.path.join(os.environ["OSTREL_SCREENSHOT_DIR"], "web.png"))
        check(console.say("call 5551234") == "dropped", "the list of a first run is not screened")

        # Typing on the page reaches the device: a number typed into the list editor, added and
        # saved, is screened. Each control is tapped where the screen shows it.
        changes(page, lambda: tap_at(page, 120, 143), 80, 49)  # "Set Blacklist"; the number box
        tap_at(page, 80, 49)
        ActionChains(page).send_keys("5557777").perform()
        tap_at(page, 203, 49)  # "Add"
        changes(page, lambda: tap_at(page, 25, 307), 120, 160)  # "Save"; its message
        check(console.say("call 5557777") == "dropped", "the number typed on the page rang")
        changes(page, lambda: ActionChains(page).send_keys(Keys.ENTER).perform(), 120, 160)
        tap_at(page, 222, 13)  # the editor's "ok"
        WebDriverWait(page, 10).until(shows_block_listed)

        changes(page, lambda: tap_at(page, *ACCEPT_ALL), *ACCEPT_ALL)
        check(console.say("call 5557777") == "rang", "a call was dropped after Accept All Calls")

        # Each command turns the screen, or keeps it as asked, and the page follows.
        turns = [console.say(command) for command in ("portrait", "rotate", "landscape")]
        check(turns == ["240 x 320", "320 x 240", "320 x 240"], f"turned to {turns}")
        WebDriverWait(page, 10).until(lambda p: size(p) == [320, 240])
        check(console.say("rotate") == "240 x 320", "the screen did not turn back")
        WebDriverWait(page, 10).until(lambda p: size(p) == [240, 320])
        shot = STATE / "shot.png"  # a PNG's width and height are at 16 in its header
        check(console.say(f"shot {shot}") == f"saved {shot}" and
              struct.unpack(">II", shot.read_bytes()[16:24]) == (240, 320), "no screenshot")

        # A second start leaves the first screening, and the console says no more than asked.
        console.send("start")
        answers = [console.say("call 5557777") for _ in range(2)]
        check(answers == ["rang", "rang"], f"after a second start: {answers}")

        # "Deactive" ends the program, and its window with it; once the console's start has made
        # another, the same address shows it. Operate and its menu are where the screen shows them.
        changes(page, lambda: tap_at(page, 33, 307), 45, 284)
        tap_at(page, 45, 284)
        WebDriverWait(page, 10).until(lambda p: status(p) == "Disconnected")
        console.send("start")
        WebDriverWait(page, 60).until(lambda p: listeners(screen_port))
        page.get(console.address)
        WebDriverWait(page, 30).until(shows_block_listed)

        # Without the password the page asks for one; a wrong one is refused.
        page.get(console.address.split("?")[0])
        WebDriverWait(page, 10).until(expected_conditions.alert_is_present())
        page.switch_to.alert.send_keys("wrong")
        page.switch_to.alert.accept()
        WebDriverWait(page, 10).until(lambda p: not status(p).startswith("Connecting"))
        check(not status(page).startswith("Connected"), "a wrong password was let in")
    finally:
        page.quit()
    console.ends(lambda: console.send("quit"), 0)  # its input still open


def high_resolution():  # the page at the device's own size; then Ctrl-C
    page = browser()
    try:
        WebDriverWait(page, 30).until(lambda p: size(p) == [480, 640])
    finally:
        page.quit()
    console.ends(lambda: os.killpg(console.process.pid, signal.SIGINT), 130)


# Each test starts as the device's first run, once the last run has ended: the list it saved is
# removed.
quiet()
registry = STATE / "prefix/system.reg"
if registry.exists():
    registry.write_text(re.sub(r"\n\[Software\\\\Kelvoro\\\\Tolvane\][^\n]*\n(?:[^\n]+\n)*", "\n",
                               registry.read_text()))

# A port in use is said before the program starts, and the console ends with status 1.
with socket.socket() as taken:
    taken.bind(("127.0.0.1", 0))
    taken.listen()
    (STATE / "program.log").unlink(missing_ok=True)
    console = Console(taken.getsockname()[1])
    check(console.process.wait(timeout=60) == 1 and "is in use" in console.output and
          not (STATE / "program.log").exists(), "a port in use was not said at once")
quiet()

passwords = set()
for run, dpi in ((drive, 96), (high_resolution, 192),
                 (lambda: console.ends(console.process.stdin.close, 0), 96)):  # the input ends
    console = Console(free_port(), dpi)
    try:
        passwords.add(console.address.split("password=")[1])
        run()
    finally:  # also after a failure, so that the next start does not meet this one's session
        if console.process.poll() is None:
            os.killpg(console.process.pid, signal.SIGTERM)
            console.process.wait(timeout=60)
check(len(passwords) == 3 and all(len(word) == 8 for word in passwords),
      f"not three new passwords of the eight characters VNC reads: {passwords}")
