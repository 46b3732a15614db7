"""The mirror's page in a real browser, fed by a stand-in monitor that sends messages the real one
never would: markup in captions, thousands of controls, huge captions, broken JSON, names that
would take the page's own elements' places, colours and fonts that try to reach the style sheet.
Each case loads the page afresh and reads back what it drew.

Usage: mirror_page_e2e.py PAGE_DIR"""

import sys
import time

from mirror_browser import chromium, wait_for
from mirror_ws import StandIn

KEY = "0123456789abcdef0123456789abcdef"


def control(name, **fields):
    c = {"name": name, "kind": "label", "x": 10, "y": 20, "w": 100, "h": 20, "visible": True,
         "text": name, "background": "#c0c0c0", "foreground": "#000000",
         "font": {"family": "Arial", "px": 11, "bold": False}, "align": "left", "border": True,
         "tip": ""}
    c.update(fields)
    return c


def full(*controls, width=706, height=564):
    return {"type": "panel", "full": True, "width": width, "height": height,
            "controls": list(controls)}


def partial(*controls):
    return {"type": "panel", "full": False, "controls": list(controls)}


def element(name, expression):
    return f"var e = document.getElementById({name!r}); return e ? {expression} : 'missing';"


MARKUP = '<img src=x onerror="document.title=\'owned\'">'
HUGE = "W" * 3_000_000
MANY = [control(f"C{i}", x=i % 700, y=i % 560) for i in range(5000)]
OVERSIZED = [control(f"C{i}", text="x" * 100) for i in range(60_000)]  # over 4 MB of JSON

# (what, messages, script returning the drawn result, expected)
CASES = [
    ("a caption with markup is text",
     [full(control("FirmwareVersion", text=MARKUP))],
     element("FirmwareVersion", "[e.textContent, document.querySelectorAll('#panel img').length,"
             " document.title]"),
     [MARKUP, 0, "Landing Gear Controller Monitor"]),
    ("a tooltip with markup is text",
     [full(control("LG_CommOK", tip=MARKUP))],
     element("LG_CommOK", "[e.title, e.children.length]"), [MARKUP, 0]),
    ("thousands of controls are cut at 2000",
     [full(*MANY)], "return document.getElementById('panel').children.length;", 2000),
    ("a message over 4 MB is left unread; the next one draws",
     ["{" * 10, full(*OVERSIZED), full(control("After"))],
     "return document.getElementById('panel').children.length;", 2),
    ("a 3 MB caption is cut to 500 characters",
     [full(control("LGRxText(0)", text=HUGE))], element("LGRxText(0)", "e.textContent.length"), 500),
    ("broken JSON and foreign messages are skipped",
     ["{\"type\":", "[]", "null", '{"type":"other","full":true}', full(control("Kept"))],
     element("Kept", "e.textContent"), "Kept"),
    ("a control named like the page's own elements is refused",
     [full(control("mirror-status"), control("panel"), control("panel-frame"), control("Ok"))],
     "return [document.getElementById('panel').children.length,"
     " document.getElementById('mirror-status').parentNode === document.body];", [2, True]),
    ("a second control of one name is dropped",
     [full(control("Twice", text="first"), control("Twice", text="second"))],
     element("Twice", "[e.textContent, document.getElementById('panel').children.length]"),
     ["first", 2]),
    ("a partial change applies; one for an unknown name is ignored",
     [full(control("LG_Nose_Up_Light")),
      partial({"name": "LG_Nose_Up_Light", "background": "#ff0000"}, {"name": "Nobody", "text": "x"})],
     element("LG_Nose_Up_Light", "[e.style.backgroundColor, e.textContent]"),
     ["rgb(255, 0, 0)", "LG_Nose_Up_Light"]),
    ("hidden follows visible, both ways",
     [full(control("CommFail", visible=False), control("Y0_POWER_PUMP_CONTROL")),
      partial({"name": "CommFail", "visible": True}, {"name": "Y0_POWER_PUMP_CONTROL", "visible": False})],
     "return ['CommFail', 'Y0_POWER_PUMP_CONTROL'].map(n => document.getElementById(n).hidden);",
     [False, True]),
    ("a colour that tries to reach further into the style keeps the last good one",
     [full(control("Y5_Horn", background="#ffff00")),
      partial({"name": "Y5_Horn", "background": "red; background-image: url(http://x/)"})],
     element("Y5_Horn", "[e.style.backgroundColor, e.style.backgroundImage]"),
     ["rgb(255, 255, 0)", ""]),
    ("a font family with quotes is ignored",
     [full(control("Label1", font={"family": "x\", url(http://x/)", "px": 11, "bold": True}))],
     element("Label1", "[e.style.fontFamily, e.style.fontWeight]"), ["", "bold"]),
    ("numbers out of range or not numbers are clamped or ignored",
     [full(control("Far", x=1e12, y="9", w=-5, h=30))],
     element("Far", "[e.style.left, e.style.top, e.style.width, e.style.height]"),
     ["20000px", "", "0px", "30px"]),
    ("a line is 1 px thick along its longer side",
     [full(control("Line1", kind="line", w=200, h=0, foreground="#000000"),
           control("Line2", kind="line", w=0, h=96, foreground="#000000"))],
     "return ['Line1', 'Line2'].map(n => { var s = document.getElementById(n).style;"
     " return s.width + 'x' + s.height + ' ' + s.backgroundColor; });",
     ["200pxx1px rgb(0, 0, 0)", "1pxx96px rgb(0, 0, 0)"]),
    ("connected: the status line is empty",
     [full(control("A"))], "return document.getElementById('mirror-status').textContent;", ""),
]

# Viewports: (what, width, height, the scaled panel's width at most and at least). The
# panel is scaled to the page's width, never past it and never more than twice the window.
VIEWPORTS = [
    ("a 360 px phone upright: the whole panel across the screen", 360, 740, 360, 340),
    ("the same phone sideways: about the window's own size", 740, 360, 740, 700),
    ("a tablet: never more than twice the window's size", 1600, 1000, 1412, 1400),
]


def with_marker(messages):
    """MESSAGES with a control "Marker" first in the last full one and a last message that
    captions it "done": once that shows, the page has read everything before it."""
    messages = list(messages)
    last_full = max(i for i, m in enumerate(messages) if isinstance(m, dict) and m["full"])
    marked = dict(messages[last_full])
    marked["controls"] = [control("Marker", text="")] + marked["controls"]
    messages[last_full] = marked
    return messages + [partial({"name": "Marker", "text": "done"})]


def run_case(browser, messages, script, heartbeat=True):
    stand_in = StandIn(PAGE_DIR, KEY, with_marker(messages), heartbeat)
    try:
        browser.get(stand_in.url)
        marker = "return (document.getElementById('Marker') || {}).textContent;"
        if wait_for(lambda: browser.execute_script(marker), "done", 10) != "done":
            return "the page did not read every message within 10 s"
        return browser.execute_script(script)
    finally:
        stand_in.stop()


def main():
    failures = []
    browser = chromium(740, 360)
    try:
        for what, messages, script, expected in CASES:
            began = time.monotonic()
            seen = run_case(browser, messages, script)
            took = time.monotonic() - began
            verdict = "ok" if seen == expected else f"FAILED: got {seen!r}, expected {expected!r}"
            print(f"mirror page: {what}: {verdict} ({took:.1f} s)")
            if seen != expected:
                failures.append(what)
        # A connection that stays open but silent, as on a network that dropped, is given up
        # within a few seconds: the panel must not look current.
        seen = run_case(browser, [full(control("A"))],
                        f"return new Promise(done => {{ var t = setInterval(() => {{"
                        f" var s = document.getElementById('mirror-status').textContent;"
                        f" if (s) {{ clearInterval(t); done(s); }} }}, 100); }});",
                        heartbeat=False)
        verdict = "ok" if seen == "mirror disconnected" else f"FAILED: got {seen!r}"
        print(f"mirror page: a silent connection shows \"mirror disconnected\": {verdict}")
        if seen != "mirror disconnected":
            failures.append("a silent connection")
        alive = browser.execute_script("return 1 + 1;")
        if alive != 2:
            failures.append("the page still answers")
    finally:
        browser.quit()
    failures += check_viewports()
    if failures:
        print("mirror page: FAILED: " + "; ".join(failures), file=sys.stderr)
        sys.exit(1)
    print("mirror page: passed")


def check_viewports():
    failures = []
    messages = [full(control("Corner", x=600, y=500, w=106, h=64))]
    script = "return document.getElementById('panel-frame').getBoundingClientRect().width;"
    for what, width, height, most, least in VIEWPORTS:
        browser = chromium(width, height)
        try:
            seen = run_case(browser, messages, script)
            overflow = browser.execute_script(
                "return document.documentElement.scrollWidth - document.documentElement.clientWidth;")
        finally:
            browser.quit()
        good = least <= seen <= most and overflow <= 0
        print(f"mirror page: {what}: {'ok' if good else 'FAILED'} (panel {seen} px wide,"
              f" {overflow} px past the right edge)")
        if not good:
            failures.append(what)
    return failures


PAGE_DIR = sys.argv[1] if len(sys.argv) > 1 else ""

if __name__ == "__main__":
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    main()
