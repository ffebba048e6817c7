#!/usr/bin/env python3
"""web_test.py STATE_DIR: the device's console with its page on a free port, the page opened in
headless Chromium, the main dialog tapped on its canvas, calls placed from the console.
OSTREL_SCREENSHOT_DIR, when set, receives web.png: the page as the browser shows it."""
import os
import re
import socket
import subprocess
import sys
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.support import expected_conditions
from selenium.webdriver.support.ui import WebDriverWait

ROOT = Path(__file__).resolve().parents[2]
STATE = Path(sys.argv[1])

# The main dialog's font has base units of 7 x 14 pixels at 96 dots per inch; the dialog's
# client area starts below the 26-pixel title strip. A radio button's circle is 13 pixels wide,
# one in from the control's left.
BASE_X, BASE_Y, STRIP, CIRCLE = 7, 14, 26, 7


def circle(text):
    """The centre of the radio button's circle showing text in the portrait main dialog."""
    rc = (ROOT / "res/Ostrel.rc").read_text(encoding="utf-8")
    x, y, _, h = map(int, re.search(r'CONTROL "%s",[^,]+,[^,]+,[^,]+,\s*(\d+), (\d+), (\d+), (\d+)'
                                    % re.escape(text), rc).groups())
    return round(x * BASE_X / 4) + CIRCLE, round(STRIP + (y + h / 2) * BASE_Y / 8)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def listeners(port):  # the local addresses listening on port
    out = subprocess.run(["ss", "-Hltn", f"sport = :{port}"], capture_output=True, text=True).stdout
    return [line.split()[3] for line in out.splitlines()]


def send(command):
    console.stdin.write(command + "\n")
    console.stdin.flush()


def say(command):  # the console's answer: its next line
    send(command)
    return console.stdout.readline().strip()


def size(page):
    return page.execute_script("const c = document.querySelector('#screen canvas');"
                               "return c ? [c.width, c.height] : [0, 0];")


def pixel(page, x, y):
    """The colour the page's canvas shows at (x, y) on the device's screen, or None."""
    return page.execute_script("""
        const c = document.querySelector('#screen canvas');
        return c && c.width ? Array.from(c.getContext('2d').getImageData(
            arguments[0], arguments[1], 1, 1).data.slice(0, 3)) : null;""", x, y)


def marked(page, text):  # the radio button's circle shows its dark mark
    colour = pixel(page, *circle(text))
    return colour is not None and sum(colour) < 200


def tap_at(page, x, y):
    c = page.find_element("css selector", "#screen canvas")
    # The offset is taken from the canvas's centre.
    ActionChains(page).move_to_element_with_offset(c, x - c.size["width"] / 2,
                                                   y - c.size["height"] / 2).click().perform()


def tap(page, text):
    """Taps the radio button's circle, as a user would, and waits until the page shows it marked."""
    tap_at(page, *circle(text))
    WebDriverWait(page, 10).until(lambda p: marked(p, text))


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
    return page


def check(condition, what):
    if not condition:
        sys.exit("web_test: " + what)


def drive(web_port):
    """Everything on the page while the console runs; returns the screen's own port."""
    address = None
    for line in console.stdout:  # up to the last line of the console's help
        print(line, end="")
        address = address or next(iter(re.findall(r"http://\S+", line)), None)
        if line.lstrip().startswith("quit"):
            break
    check(address and address.startswith(f"http://127.0.0.1:{web_port}/"), "no address printed")
    vnc_port = int(re.search(r"^PORT=(\d+)", (STATE / "x11vnc.log").read_text(), re.M).group(1))
    check(listeners(web_port) == [f"127.0.0.1:{web_port}"], f"page: {listeners(web_port)}")
    check(listeners(vnc_port) == [f"127.0.0.1:{vnc_port}"], f"screen: {listeners(vnc_port)}")

    page = browser()
    try:
        page.get(address)
        # Drawn: the dialog shows its starting mode.
        WebDriverWait(page, 30).until(lambda p: marked(p, "Block Quellar Only"))
        check(size(page) == [240, 320], f"the page shows {size(page)}, not 240 x 320")
        if "OSTREL_SCREENSHOT_DIR" in os.environ:
            os.makedirs(os.environ["OSTREL_SCREENSHOT_DIR"], exist_ok=True)
            page.save_screenshot(os.path.join(os.environ["OSTREL_SCREENSHOT_DIR"], "web.png"))

        tap(page, "Reject All Calls")
        check(say("call 5550100") == "dropped", "a call rang after Reject All Calls was tapped")
        tap(page, "Accept All Calls")
        check(say("call 5550100") == "rang", "a call was dropped after Accept All Calls was tapped")

        # The page follows the screen's turn, and back.
        check(say("rotate") == "320 x 240", "the screen did not turn")
        WebDriverWait(page, 10).until(lambda p: size(p) == [320, 240])
        check(say("rotate") == "240 x 320", "the screen did not turn back")
        WebDriverWait(page, 10).until(lambda p: size(p) == [240, 320])

        # "Deactive" ends the program, and its window with it; once the console's start has made
        # another, the same address shows it. Operate and its menu are where the screen shows them.
        menu_item = pixel(page, 45, 284)
        tap_at(page, 33, 307)
        WebDriverWait(page, 10).until(lambda p: pixel(p, 45, 284) != menu_item)
        tap_at(page, 45, 284)
        WebDriverWait(page, 10).until(lambda p: status(p) == "Disconnected")
        send("start")
        WebDriverWait(page, 60).until(lambda p: listeners(vnc_port))
        page.get(address)
        WebDriverWait(page, 30).until(lambda p: marked(p, "Block Quellar Only"))

        # Without the password the page asks for one; a wrong one is refused.
        page.get(address.split("?")[0])
        WebDriverWait(page, 10).until(expected_conditions.alert_is_present())
        page.switch_to.alert.send_keys("wrong")
        page.switch_to.alert.accept()
        WebDriverWait(page, 10).until(lambda p: not status(p).startswith("Connecting"))
        check(not status(page).startswith("Connected"), "a wrong password was let in")
    finally:
        page.quit()
    return vnc_port


web_port = free_port()
console = subprocess.Popen([str(ROOT / "tools/device"), str(STATE)], stdin=subprocess.PIPE,
                           stdout=subprocess.PIPE, text=True,
                           env=dict(os.environ, OSTREL_WEB_PORT=str(web_port)))
try:
    vnc_port = drive(web_port)
finally:
    # Also after a failure, so that the next run does not meet this one's session.
    try:
        console.stdin.write("quit\n")
        console.stdin.close()
    except BrokenPipeError:
        pass
    ended = console.wait(timeout=60)
check(ended == 0, "the console did not end cleanly")
check(listeners(web_port) == [] and listeners(vnc_port) == [], "something listens after quit")
