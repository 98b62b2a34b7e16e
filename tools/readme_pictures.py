#!/usr/bin/env python3
"""Takes the README's two pictures from the 32-bit program under Wine (as the win32 tests run it).

    tools/readme_pictures.py [--build build/win32]

docs/screenshot.png  tarnlook-sim.exe after a scan of its built-in demo LAN (what scripts/run shows)
docs/controls.png    the same program on the small-office scenario with stored decisions, so that
                     rows of every kind show: this computer, known and unknown devices, a Chinese name
docs/tooltip.png     the makers scenario with the mouse resting on a phone's row (a random MAC)
Each picture is the window alone, taken once the summary is up, in a private network namespace.
"""
import argparse
import sys
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(SOURCE / "tests" / "e2e"))
from harness import KNOWN, UNKNOWN, Session, enter_private_network, rows_by_ip  # noqa: E402


def picture(build, name, out, scenario=None, entries=None, hover_ip=None):
    session = Session("readme-" + name, build, scenario=scenario)
    try:
        if entries:
            session.seed_registry(entries)
        session.start()
        state = session.wait_summary(120)
        if hover_ip:
            session.hover_rect(rows_by_ip(state)[hover_ip]["rects"][0])
        time.sleep(1.0 if not hover_ip else 3.0)  # the last rows paint; the tooltip shows
        from PIL import Image
        Image.open(session.screenshot(name)).crop(tuple(state["rect"])).save(out)
        print("%s: %dx%d" % (out, state["rect"][2] - state["rect"][0], state["rect"][3] - state["rect"][1]))
    finally:
        session.close(False)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=str(SOURCE / "build" / "win32"))
    args = parser.parse_args()
    enter_private_network()
    docs = SOURCE / "docs"
    picture(args.build, "demo", docs / "screenshot.png")
    picture(args.build, "kinds", docs / "controls.png", "small-office.lan", [
        ("客厅打印机", KNOWN, "00-1A-2B-3C-4D-10\n\n"),
        ("tv-box", UNKNOWN, "00-1A-2B-3C-4D-11"),
        ("NAS-BACKUP", KNOWN, "00-1A-2B-3C-4D-FE\n\n"),
    ])
    picture(args.build, "tooltip", docs / "tooltip.png", "makers.lan", hover_ip="192.168.8.31")


if __name__ == "__main__":
    main()
