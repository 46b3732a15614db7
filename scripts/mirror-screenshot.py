#!/usr/bin/python3
"""Saves a picture of the panel mirror's page as a phone shows it, upright and sideways side by
side: the monitor (offscreen) with --mirror on the loopback address reads gear-sim, and headless
chromium, as a 360 x 740 phone at 1.5 device pixels per CSS pixel, opens the printed address once
the gear has retracted.

Usage: scripts/mirror-screenshot.py BUILD_DIR OUTPUT.png"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from mirror_browser import chromium, wait_for  # noqa: E402

PHONE = (360, 740)
PIXEL_RATIO = 1.5
UP_LIGHTS = ["LG_Nose_Up_Light", "LG_Left_Up_Light", "LG_Right_Up_Light"]
ADDRESS = re.compile(r"^gear-monitor: panel mirror at (http://\S+/)$", re.M)


def picture(address, width, height, path):
    browser = chromium(width, height, PIXEL_RATIO)
    try:
        browser.get(address)
        script = ("return arguments[0].map(n => (document.getElementById(n) || {style: {}})"
                  ".style.backgroundColor);")
        red = ["rgb(255, 0, 0)"] * len(UP_LIGHTS)
        if wait_for(lambda: browser.execute_script(script, UP_LIGHTS), red, 30) != red:
            sys.exit("the page did not show the gear up within 30 s")
        browser.save_screenshot(path)
    finally:
        browser.quit()


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    build, output = sys.argv[1], os.path.abspath(sys.argv[2])
    work = tempfile.mkdtemp(prefix="gear-mirror-shot.")
    processes = []
    try:
        shutil.copy(os.path.join(build, "gear-monitor"), work)
        subprocess.run([os.path.join(build, "gear-facts"), "settings-file",
                        os.path.join(work, "VovazuzoVevoZavovav.XML"), "Com7"], check=True)
        # Frames every 200 ms: the gear is up for a few seconds of each flight.
        processes.append(subprocess.Popen(
            [os.path.join(build, "sim", "gear-sim"), "--link-dir", work, "--port", "7",
             "--frame-ms", "200"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        printed = os.path.join(work, "monitor.out")
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=work)
        processes.append(subprocess.Popen(
            [os.path.join(work, "gear-monitor"), "--mirror", "127.0.0.1:0"],
            stdout=open(printed, "w"), stderr=subprocess.DEVNULL, env=env))
        found = wait_for(lambda: ADDRESS.search(open(printed).read()), True, 10)
        if not found:
            sys.exit("the monitor printed no mirror address")
        upright, sideways = os.path.join(work, "upright.png"), os.path.join(work, "sideways.png")
        picture(found.group(1), PHONE[0], PHONE[1], upright)
        picture(found.group(1), PHONE[1], PHONE[0], sideways)
        subprocess.run(["convert", "-background", "#ffffff", upright, "-size", "24x1", "xc:#ffffff",
                        sideways, "-gravity", "north", "+append", "-strip", output], check=True)
        print(f"saved {output}")
    finally:
        for process in reversed(processes):
            process.terminate()
            process.wait(5)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
