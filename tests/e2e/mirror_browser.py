"""Debian's chromium, headless, driven through chromium-driver for the mirror's browser tests."""

import os
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service


def chromium(width, height, scale=1):
    """A headless chromium whose page is WIDTH x HEIGHT CSS pixels at SCALE device pixels each,
    as a phone's is."""
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--disable-gpu", "--disable-dev-shm-usage",
                     "--no-first-run", "--disable-extensions", "--hide-scrollbars"):
        options.add_argument(argument)
    if os.geteuid() == 0:
        options.add_argument("--no-sandbox")  # chromium refuses to run as root with its sandbox
    options.add_experimental_option(
        "mobileEmulation",
        {"deviceMetrics": {"width": width, "height": height, "pixelRatio": scale,
                           "touch": True, "mobile": True}})
    browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
    browser.set_script_timeout(10)
    browser.set_page_load_timeout(10)
    return browser


def wait_for(probe, wanted, seconds):
    """Polls PROBE() until it returns WANTED (or a truthy value when WANTED is True); returns the
    last value seen, so the caller can say what it found instead."""
    deadline = time.monotonic() + seconds
    while True:
        seen = probe()
        if (seen if wanted is True else seen == wanted) or time.monotonic() > deadline:
            return seen
        time.sleep(0.05)
