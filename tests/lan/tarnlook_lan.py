#!/usr/bin/env python3
"""The real programs on a LAN of real hosts (lan_net.py): Linux kernels answering ARP, dnsmasq
serving PTR records, nmbd and avahi-daemon announcing names, and arp-scan as the referee.

    tarnlook_lan.py --build build/win64 --build build/win32

Builds the LAN (clearing what a killed run left), starts its responders, then runs itself again
inside the home namespace (`ip netns exec`, so home's resolv.conf and hosts apply), where every
Wine process of a program's run starts: its own prefix, its wineserver ended first. There it waits
until each responder answers, times arp-scan, and drives each build's tarnlook.exe through the
e2e harness: rows, summary, a departed peer, re-detects with and without a flushed neighbour
table, and a marked and renamed device restored by the next scan. Removes everything on exit,
also when interrupted. Prints one line per program: scan wall and CPU time beside arp-scan's.
"""
import argparse
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "e2e"))
sys.path.insert(0, str(HERE))

import lan_net  # noqa: E402
from harness import (KNOWN, LOCAL, UNKNOWN, Failure, address_cell, check, host_cell, rows_by_ip,  # noqa: E402
                     scenario_test, wait_for)
from lan_net import HOME_IP, HOME_MAC, PEERS, ip_of, namespace_of, peer  # noqa: E402
from tarnlook_e2e import (ALERT_LINE, TRAY, WATCH_KEY, alerts, cell_rect, entry_for, scans_done,  # noqa: E402
                          summary_of)

NO_NAME = "未知主机名"
# The name each peer's row must show (the list cuts names to 16 bytes): the PTR name, else the
# name the device announces by mDNS, else by NetBIOS, else NO_NAME.
EXPECTED_NAMES = {
    "printer": "printer",
    "nas": "nas-storage.home",      # nas-storage.home.arpa, cut
    "phone": NO_NAME,
    "tv": NO_NAME,                  # answers no name query at all
    "pc": "OFFICE-PC",              # NetBIOS (nmbd)
    "finance": "财务电脑",          # NetBIOS in code page 936
    "pi": "kitchen-pi",             # mDNS (avahi-daemon)
    "media": "media.home.arpa",     # PTR and mDNS (apple-tv): DNS wins
    "ap": "ap.home.arpa",
    "guest": NO_NAME,
}
ROUTER = "router"           # at .1, never probed, so never listed
DEPARTING = "phone"         # its link goes down before one re-detect
LATE = "guest"              # down until the watch is on, then it joins
NEW_NAME = "known-device"    # given to a device the user marks known
WINE64 = str(HERE.parent.parent / "scripts" / "wine-run")
RESULTS = {}


def say(text):
    print("lan: " + text, flush=True)


# --- inside home ------------------------------------------------------------------------------------

def flush_neighbours():
    subprocess.run(["ip", "neigh", "flush", "all"], check=True, timeout=10)


def arp_scan():
    """arp-scan's (ip, MAC) pairs on home's LAN and its wall time."""
    start = time.monotonic()
    out = subprocess.run(["arp-scan", "--interface=eth0", "--localnet", "--plain", "--quiet", "--ignoredups"],
                         capture_output=True, text=True, check=True, timeout=60).stdout
    wall = time.monotonic() - start
    pairs = set()
    for line in out.splitlines():
        ip, mac = line.split("\t")[:2]
        pairs.add((ip, mac.upper().replace(":", "-")))
    return pairs, wall


def expected_rows(live, renamed=None):
    """ip -> (name, MAC, status cell): this computer, then every live peer but the router."""
    local_name = os.uname().nodename.encode()[:16].decode(errors="ignore")
    rows = {HOME_IP: (local_name, HOME_MAC, LOCAL)}
    for p in PEERS:
        if p.key in live and p.key != ROUTER:
            name, status = EXPECTED_NAMES[p.key], UNKNOWN
            if renamed and p.key == renamed[0]:
                name, status = renamed[1], KNOWN
            rows[ip_of(p)] = (name, p.mac, status)
    return rows


def check_rows(state, expected):
    rows = rows_by_ip(state)
    check(len(state["rows"]) == len(rows), "an address is listed twice: %r" % [r["cells"][1] for r in state["rows"]])
    check(set(rows) == set(expected), "listed %s, expected %s" % (sorted(rows), sorted(expected)))
    check(rows[HOME_IP]["index"] == 0, "this computer is not in the first row")
    for ip, (name, mac, status) in expected.items():
        cells = rows[ip]["cells"]
        check(cells[0] == host_cell(name), "%s: name cell %r, expected %r" % (ip, cells[0], host_cell(name)))
        check(cells[1] == address_cell(mac, ip), "%s: address cell %r, expected MAC %s" % (ip, cells[1], mac))
        check(cells[2] == status, "%s: status cell %r, expected %r" % (ip, cells[2], status))
    unknown = sum(1 for _, _, status in expected.values() if status == UNKNOWN)
    check(summary_of(state)[1] == str(unknown), "summary counts %r unknown, expected %d" % (summary_of(state)[1], unknown))


def listed_pairs(state):
    pairs = set()
    for ip, row in rows_by_ip(state).items():
        mac = row["cells"][1].split("MAC地址:")[1].split("\n")[0]
        if ip != HOME_IP:
            pairs.add((ip, mac))
    return pairs


def wine_cpu_ticks(prefix):
    """pid -> (kind, CPU clock ticks so far) of every process of this Wine prefix: the program,
    the wineserver and Wine's own services; the e2e probe left out."""
    marker = b"\0WINEPREFIX=" + str(prefix).encode() + b"\0"
    ticks = {}
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            environ = b"\0" + Path("/proc/%s/environ" % pid).read_bytes()
            command = Path("/proc/%s/cmdline" % pid).read_bytes()
            if marker not in environ or b"e2e_probe" in command:
                continue
            fields = Path("/proc/%s/stat" % pid).read_text().rsplit(")", 1)[1].split()
            kind = "wineserver" if b"wineserver" in command else "tarnlook" if b"tarnlook" in command else "wine"
            ticks[pid] = (kind, int(fields[11]) + int(fields[12]))
        except (OSError, IndexError, ValueError):
            continue
    return ticks


def cpu_seconds(before, after):
    """CPU seconds spent between two readings, in all and by kind of process."""
    spent = {"all": 0.0, "tarnlook": 0.0, "wineserver": 0.0, "wine": 0.0}
    for pid, (kind, ticks) in after.items():
        seconds = (ticks - before.get(pid, (kind, 0))[1]) / os.sysconf("SC_CLK_TCK")
        spent[kind] += seconds
        spent["all"] += seconds
    return spent


def read_line(stream, timeout):
    ready, _, _ = select.select([stream], [], [], timeout)
    check(ready, "the probe said nothing within %.0f s" % timeout)
    return stream.readline().strip()


def timed_redetect(s):
    """Presses 重新检测 through the probe; returns the scan's wall time (press to summary) and
    the CPU time the prefix's processes spent meanwhile (cpu_seconds), in seconds."""
    probe = subprocess.Popen(["timeout", "180", s.wine, str(s.probe_exe), "redetect"], env=s.env,
                             stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        check(read_line(probe.stdout, 120) == "ready", "the probe found no finished scan to redo")
        before = wine_cpu_ticks(s.prefix)
        probe.stdin.write("go\n")
        probe.stdin.flush()
        result = json.loads(read_line(probe.stdout, 150))
        after = wine_cpu_ticks(s.prefix)
    finally:
        if probe.poll() is None:
            try:
                probe.wait(timeout=30)
            except subprocess.TimeoutExpired:
                probe.kill()
    check(result["scan_ms"] >= 0, "no summary within 120 s of the re-detect")
    return result["scan_ms"] / 1000.0, cpu_seconds(before, after)


def visible_peer(state, excluded):
    """A peer whose row the list shows whole (rows come in the order devices answered)."""
    top, bottom = state["items"]["1002"]["rect"][1], state["items"]["1002"]["rect"][3]
    for p in PEERS:
        row = rows_by_ip(state).get(ip_of(p))
        if row and p.key not in excluded and top <= row["rects"][0][1] and row["rects"][0][3] <= bottom:
            return p.key
    raise Failure("no whole peer row in view")


def set_link(key, state):
    subprocess.run(["ip", "-n", namespace_of(peer(key)), "link", "set", "eth0", state], check=True, timeout=10)


@scenario_test("lan", exe="tarnlook.exe")
def real_program_on_the_test_lan(s):
    # A crash of a Wine helper must end it, not hang every later network call in winedbg.
    for view in ("/reg:64", "/reg:32"):
        s.wine_cmd(["reg", "add", "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\AeDebug", "/v",
                    "Debugger", "/t", "REG_SZ", "/d", "false", "/f", view], wine=WINE64)
    s.wine_cmd(["reg", "add", WATCH_KEY, "/v", "IntervalSeconds", "/t", "REG_DWORD", "/d", "10", "/f"],
               wine=WINE64)
    everyone = {p.key for p in PEERS} - {LATE}
    referee = RESULTS["arp-scan"]

    flush_neighbours()
    started = time.monotonic()
    s.start()
    state = s.wait_summary(180)
    first = time.monotonic() - started
    s.screenshot("first-scan")
    check_rows(state, expected_rows(everyone))
    arp_pairs = {pair for pair in referee["pairs"] if pair[0] != ip_of(peer(ROUTER))}
    check(listed_pairs(state) == arp_pairs, "Tarnlook listed %s, arp-scan found %s" %
          (sorted(listed_pairs(state)), sorted(arp_pairs)))
    scans = [line for line in s.debug_lines() if line.startswith("扫描网络：")]
    check(scans == ["扫描网络：%s\n" % HOME_IP], "the scan's network lines: %r" % scans)

    flush_neighbours()
    cold = timed_redetect(s)
    check_rows(s.state(), expected_rows(everyone))
    warm = timed_redetect(s)   # as a user presses it: the neighbour table as the last scan left it
    check_rows(s.state(), expected_rows(everyone))

    # Mark one device known and name it: stored at once, restored by the next scan.
    state = s.state()
    key, name = visible_peer(state, {DEPARTING}), NEW_NAME
    ip = ip_of(peer(key))
    s.click_rect(cell_rect(state, ip, 2), count=2)
    s.click_rect(cell_rect(state, ip, 0), count=2)
    wait_for("the name editor", lambda: s.state()["items"]["1003"]["visible"], timeout=20)
    s.type_text(name)
    s.click_rect(cell_rect(state, HOME_IP, 1))
    stored = wait_for("the renamed entry", lambda: [e for e in entry_for(s, peer(key).mac)
                                                     if e["USERNAME"] == name], timeout=20)
    check(len(stored) == 1 and stored[0]["STATUS"] == KNOWN, "stored: %r" % (entry_for(s, peer(key).mac),))

    # A device that leaves: its link down, home's neighbour table flushed, then a re-detect.
    set_link(DEPARTING, "down")
    try:
        flush_neighbours()
        timed_redetect(s)
        state = s.state()
        s.screenshot("departed")
        check_rows(state, expected_rows(everyone - {DEPARTING}, renamed=(key, name)))
    finally:
        set_link(DEPARTING, "up")

    # Watching, switched on from the system menu (its last entry) and the window minimised to the
    # tray: the guest's phone comes up and alerts once, and nothing else does.
    s.click_rect(s.state()["items"]["1010"]["rect"])
    s.key("alt+space")
    wait_for("the system menu", lambda: s.popups("#32768"), timeout=20)
    s.key("Up", "Return")
    wait_for("the tray icon", lambda: s.popups(TRAY), timeout=20)
    s.click_rect(s.state()["items"]["1009"]["rect"])
    wait_for("the window to hide in the tray", lambda: not s.state()["visible"], timeout=20)
    guest = peer(LATE)
    line = ALERT_LINE + "%s %s %s\n" % (guest.mac, ip_of(guest), NO_NAME)
    set_link(LATE, "up")
    try:
        joined = time.monotonic()
        wait_for("the guest's alert", lambda: line in alerts(s), timeout=120, interval=0.2)
        alerted = time.monotonic() - joined
        scans = scans_done(s)
        wait_for("one more watch scan", lambda: scans_done(s) > scans, timeout=120)
        check(alerts(s) == [line], "alerts: %r" % alerts(s))
    finally:
        set_link(LATE, "down")
    RESULTS[s.build.name] = {"first": first, "cold": cold, "warm": warm, "alert": alerted}


def inside(builds):
    took = lan_net.wait_for_responders()
    say("every responder answers (%.2f s after the LAN was up)" % took)
    set_link(LATE, "down")
    flush_neighbours()
    pairs, wall = arp_scan()
    RESULTS["arp-scan"] = {"pairs": pairs, "wall": wall}
    say("arp-scan found %d hosts in %.2f s" % (len(pairs), wall))
    check(pairs == {(ip_of(p), p.mac) for p in PEERS if p.key != LATE}, "arp-scan found %s" % sorted(pairs))
    passed, failed = 0, 0
    for build in builds:
        print("---- lan %s" % build, flush=True)
        try:
            real_program_on_the_test_lan(build)
            print("     passed", flush=True)
            passed += 1
        except Exception as error:  # reported; the next program still runs
            print("     FAILED: %s" % error, flush=True)
            failed += 1
    say("%-8s %12s %22s %22s %10s" % ("program", "start+scan s", "scan s (cold) / CPU s", "re-detect s / CPU s",
                                       "arp-scan s"))
    for build in builds:
        r = RESULTS.get(Path(build).resolve().name)
        if r:
            say("%-8s %12.2f %13.2f / %6.2f %13.2f / %6.2f %10.2f" % (
                Path(build).name, r["first"], r["cold"][0], r["cold"][1]["all"], r["warm"][0],
                r["warm"][1]["all"], wall))
            for case in ("cold", "warm"):
                say("%-8s %s CPU: tarnlook.exe %.2f s, wineserver %.2f s, other Wine processes %.2f s" % (
                    "", case, r[case][1]["tarnlook"], r[case][1]["wineserver"], r[case][1]["wine"]))
    for build in builds:
        r = RESULTS.get(Path(build).resolve().name)
        if r:
            say("%-8s a device that joined alerted %.1f s later (watch interval 10 s)" % (Path(build).name, r["alert"]))
    say("load average %.1f on %d cores while these ran" % (os.getloadavg()[0], os.cpu_count()))
    say("result: %d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


# --- outside: the LAN itself ------------------------------------------------------------------------

def interrupted(signum, frame):
    raise SystemExit("lan: interrupted by signal %d" % signum)


def outside(builds, keep):
    for signum in (signal.SIGTERM, signal.SIGHUP):
        signal.signal(signum, interrupted)
    if os.geteuid() != 0:
        sys.exit("lan: FAILED: the test LAN needs root (network namespaces, veth pairs, a bridge)")
    held = lan_net.lock()
    run = Path(tempfile.mkdtemp(prefix="tarnlook-lan-"))
    responders = []
    rc = 1
    try:
        try:
            lan_net.down()   # what a killed run left
            lan_net.up()
        except (subprocess.SubprocessError, OSError, RuntimeError) as error:
            sys.exit("lan: FAILED: cannot build the test LAN of network namespaces here: %s" % error)
        responders = lan_net.start_responders(run)
        command = ["ip", "netns", "exec", lan_net.HOME, sys.executable, __file__, "--inside"]
        for build in builds:
            command += ["--build", str(Path(build).resolve())]
        rc = subprocess.run(["timeout", "1500"] + command).returncode
    finally:
        for process in responders:
            process.terminate()
        for process in responders:
            try:
                process.wait(timeout=5)
            except subprocess.TimeoutExpired:
                process.kill()
        lan_net.down()
        held.close()
        if (rc == 0 and not keep) or not any(run.iterdir()):
            shutil.rmtree(run, ignore_errors=True)
        else:
            say("responders' logs kept in %s" % run)
    return rc


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", action="append", required=True, help="a build tree with tarnlook.exe")
    parser.add_argument("--inside", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--keep", action="store_true", help="keep the responders' logs")
    args = parser.parse_args()
    for build in args.build:
        for needed in ("tarnlook.exe", "tests/e2e/e2e_probe.exe"):
            if not (Path(build) / needed).exists():
                sys.exit("lan: FAILED: %s/%s is not built" % (build, needed))
    sys.exit(inside(args.build) if args.inside else outside(args.build, args.keep))


if __name__ == "__main__":
    main()
