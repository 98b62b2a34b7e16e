#!/usr/bin/env python3
"""End-to-end tests of Tarnlook: tarnlook-sim.exe under Wine and Xvfb, driven by real input.

    tarnlook_e2e.py <test> --build <win64 or win32 build dir>

Each test runs in a private network namespace on a scenario file of scenarios/; the last one
starts the shipped tarnlook.exe itself, whose scan in that namespace finds no device.
"""
import argparse
import base64
import json
import re
import subprocess
import time

from harness import (KNOWN, LOCAL, UNKNOWN, Failure, address_cell, check, count_pixels, host_cell,
                     is_red, is_white, project_version, rows_by_ip, run, scenario_test, wait_for)

OFFICE_MACS = {
    "192.168.50.10": "00-1A-2B-3C-4D-10",
    "192.168.50.11": "00-1A-2B-3C-4D-11",
    "192.168.50.12": "00-1A-2B-3C-4D-12",
    "192.168.50.254": "00-1A-2B-3C-4D-FE",
}
SUMMARY = ("发现您的局域网有", "个未知设备")
TOO_LONG = "您输入的主机名过长，请重新输入！"


def summary_of(state):
    items = state["items"]
    return items["1004"]["text"], items["1006"]["text"], items["1005"]["text"]


def cell_rect(state, ip, column):
    return rows_by_ip(state)[ip]["rects"][column]


def expect_rows(state, expected):
    """expected: ip -> (name, status cell); row 0 must be this computer."""
    rows = rows_by_ip(state)
    check(set(rows) == set(expected), "listed %s, expected %s" % (sorted(rows), sorted(expected)))
    for ip, (name, status) in expected.items():
        cells = rows[ip]["cells"]
        check(cells[0] == host_cell(name), "%s: name cell %r, expected %r" % (ip, cells[0], host_cell(name)))
        check(cells[2] == status, "%s: status cell %r, expected %r" % (ip, cells[2], status))
    return rows


# --- a scan ---------------------------------------------------------------------------------------

@scenario_test("scan", "small-office.lan")
def scan_lists_every_answering_device(s):
    s.start()
    first = s.wait_window()
    items = first["items"]
    check(items["1010"]["text"] == "Tarnlook", "title %r" % items["1010"]["text"])
    check(not items["1000"]["visible"], "the re-detect button shows during the scan")
    state = s.wait_summary()
    shot = s.screenshot("summary")
    rows = expect_rows(state, {
        "192.168.50.37": ("HOMEPC", LOCAL),
        "192.168.50.10": ("printer", UNKNOWN),
        "192.168.50.11": ("living-room-tele", UNKNOWN),   # cut to 16 bytes
        "192.168.50.12": ("未知主机名", UNKNOWN),
        "192.168.50.254": ("gateway-two", UNKNOWN),
    })
    check(rows["192.168.50.37"]["index"] == 0, "this computer is not in the first row")
    for ip, mac in OFFICE_MACS.items():
        check(rows[ip]["cells"][1] == address_cell(mac, ip), "%s: address cell %r" % (ip, rows[ip]["cells"][1]))
    check(summary_of(state) == (SUMMARY[0], "4", SUMMARY[1]), "summary %r" % (summary_of(state),))
    check(not state["items"]["1001"]["visible"], "the progress text stays after the summary")
    left, top, right, bottom = state["rect"]
    check((right - left, bottom - top) == (568, 373), "window is %dx%d, not the skin's 568x373" % (right - left, bottom - top))
    red = count_pixels(shot, state["items"]["1006"]["rect"], None, is_red)
    check(red >= 5, "the unknown count is not drawn in red (%d red pixels)" % red)
    white = count_pixels(shot, state["items"]["1010"]["rect"], None, is_white)
    check(white >= 5, "the title is not drawn in white (%d white pixels)" % white)
    return s


@scenario_test("no-sendarp", "no-sendarp.lan")
def devices_are_found_where_sendarp_is_not_supported(s):
    s.start()
    state = s.wait_summary()
    s.screenshot("summary")
    rows = expect_rows(state, {
        "192.168.60.37": ("HOMEPC", LOCAL),          # from its adapter, not the neighbour table
        "192.168.60.10": ("printer", UNKNOWN),
        "192.168.60.12": ("未知主机名", UNKNOWN),
        "192.168.60.254": ("gateway-two", UNKNOWN),
    })
    check(rows["192.168.60.37"]["index"] == 0, "this computer is not in the first row")
    for ip, mac in {"192.168.60.37": "00-11-22-33-44-37", "192.168.60.10": "00-1A-2B-3C-4D-10",
                    "192.168.60.12": "00-1A-2B-3C-4D-12", "192.168.60.254": "00-1A-2B-3C-4D-FE"}.items():
        check(rows[ip]["cells"][1] == address_cell(mac, ip), "%s: address cell %r" % (ip, rows[ip]["cells"][1]))
    check(summary_of(state) == (SUMMARY[0], "3", SUMMARY[1]), "summary %r" % (summary_of(state),))
    # Re-detect: the silent addresses' all-zero rows are still in the table and still count for nothing.
    s.click_rect(state["items"]["1000"]["rect"])
    wait_for("the second scan to start", lambda: not s.state()["items"]["1000"]["visible"], timeout=10, interval=0.05)
    state = s.wait_summary()
    check(len(rows_by_ip(state)) == 4 and summary_of(state)[1] == "3", "re-detect: %r" % (summary_of(state),))
    return s


# --- the profile directory and the merge -----------------------------------------------------------

@scenario_test("merge", "small-office.lan")
def stored_decisions_are_merged_from_the_install_folder(s):
    s.seed_registry([
        ("HOMEPC-stored", KNOWN, "00-11-22-33-44-37\n\n"),      # this computer: never merged
        ("客厅打印机", KNOWN, "00-1A-2B-3C-4D-10\n\n"),         # known, with a stored name
        ("tv-box", UNKNOWN, "00-1A-2B-3C-4D-11"),               # stored name, still unknown
        ("", KNOWN, "00-1A-2B-3C-4D-12\n\n"),                    # empty name: the MAC stands in
    ])
    before = s.registry_bytes()
    s.start()
    state = s.wait_summary()
    s.screenshot("merged")
    expect_rows(state, {
        "192.168.50.37": ("HOMEPC", LOCAL),
        "192.168.50.10": ("客厅打印机", KNOWN),
        "192.168.50.11": ("tv-box", UNKNOWN),
        "192.168.50.12": ("00-1A-2B-3C-4D-1", KNOWN),          # the MAC, cut to 16 bytes
        "192.168.50.254": ("gateway-two", UNKNOWN),
    })
    check(summary_of(state)[1] == "2", "unknown count %r, expected 2" % summary_of(state)[1])
    check(s.registry_bytes() == before, "the merge wrote the registry file")
    return s


def damaged_registry_text(size):
    """An unmatched end tag, then size bytes of distinct start tags that are never closed."""
    tags = bytearray(b"<r></x>")
    while len(tags) < size:
        tags += b"<a=%d=b=c=d=e=f=g=h>" % len(tags)
    return bytes(tags)


@scenario_test("damaged-registry", "one-device.lan")
def a_damaged_registry_file_still_ends_the_scan_with_its_summary(s):
    # Whatever the merge makes of the file (in a 32-bit process its index may exhaust the address
    # space), the scan ends with its summary, every row keeps its sweep texts and the file stays.
    # One device: the merge parses the file once.
    s.registry_path.write_bytes(base64.b64encode(damaged_registry_text(24 << 20)))
    before = s.registry_bytes()
    s.start()
    started = time.monotonic()
    state = s.wait_summary()
    print("     summary after %.1f s" % (time.monotonic() - started), flush=True)
    expect_rows(state, {"192.168.50.37": ("HOMEPC", LOCAL), "192.168.50.10": ("printer", UNKNOWN)})
    check(summary_of(state)[1] == "1", "unknown count %r, expected 1" % summary_of(state)[1])
    check(s.registry_bytes() == before, "the merge changed the registry file")
    return s


# --- marking and renaming --------------------------------------------------------------------------

def commit_click(s, state):
    """A click on this computer's address cell: the list takes the focus from the editor."""
    s.click_rect(cell_rect(state, "192.168.50.37", 1))


def entry_for(s, mac):
    entries = [e for e in (s.registry_entries() or []) if e.get("MAC", "").strip() == mac]
    return entries


@scenario_test("marking", "small-office.lan")
def double_click_marks_and_renames_devices(s):
    s.start()
    state = s.wait_summary()
    printer = "192.168.50.10"

    # Toggle to known: shown at once, stored with the row's name, label and MAC (with its line feeds).
    s.click_rect(cell_rect(state, printer, 2), count=2)
    state = s.state()
    check(rows_by_ip(state)[printer]["cells"][2] == KNOWN, "the first toggle did not mark the printer known")
    entries = s.registry_entries()
    check(entries == [{"USERNAME": "printer", "STATUS": KNOWN, "MAC": "00-1A-2B-3C-4D-10\n\n"}],
          "stored after the first toggle: %r" % (entries,))
    check(summary_of(state)[1] == "4", "the count changed at a toggle")
    s.screenshot("toggled")

    # And back, without a second entry.
    s.click_rect(cell_rect(state, printer, 2), count=2)
    state = s.state()
    check(rows_by_ip(state)[printer]["cells"][2] == UNKNOWN, "the second toggle did not mark it unknown")
    entries = s.registry_entries()
    check(len(entries) == 1 and entries[0]["STATUS"] == UNKNOWN, "after the second toggle: %r" % (entries,))

    # Double-clicks on this computer's row and on an address cell change nothing.
    before = s.registry_bytes()
    s.click_rect(cell_rect(state, "192.168.50.37", 2), count=2)
    s.click_rect(cell_rect(state, printer, 1), count=2)
    check(s.registry_bytes() == before, "a double-click on row 0 or column 1 wrote the file")
    check(rows_by_ip(s.state())["192.168.50.37"]["cells"][2] == LOCAL, "row 0 changed")

    # Mark it known once more for the re-detect below.
    s.click_rect(cell_rect(state, printer, 2), count=2)

    # Rename the nameless device with 16 bytes: the editor opens over the name line.
    nameless = "192.168.50.12"
    s.click_rect(cell_rect(state, nameless, 0), count=2)
    editing = s.state()
    editor = editing["items"]["1003"]
    check(editor["visible"], "the name editor did not open")
    check(editor["text"] == "未知主机名", "the editor holds %r" % editor["text"])
    label = cell_rect(editing, nameless, 0)
    check(editor["rect"][0] - label[0] == 62 and editor["rect"][1] - label[1] == 32,
          "editor at %r for the label %r" % (editor["rect"], label))
    s.screenshot("editor")
    s.type_text("abcdefghijklmnop")
    commit_click(s, editing)
    state = s.state()
    check(not state["items"]["1003"]["visible"], "the editor stays open after the commit")
    check(rows_by_ip(state)[nameless]["cells"][0] == host_cell("abcdefghijklmnop"),
          "renamed cell %r" % rows_by_ip(state)[nameless]["cells"][0])
    stored = entry_for(s, "00-1A-2B-3C-4D-12")
    check(len(stored) == 1 and stored[0]["USERNAME"] == "abcdefghijklmnop" and stored[0]["STATUS"] == UNKNOWN,
          "stored after the rename: %r" % (stored,))

    # 17 bytes: the message, and nothing changes.
    gateway = "192.168.50.254"
    before = s.registry_bytes()
    s.click_rect(cell_rect(state, gateway, 0), count=2)
    s.type_text("abcdefghijklmnopq")
    commit_click(s, state)
    box = wait_for("the too-long message", lambda: s.message_boxes(TOO_LONG), timeout=10)
    s.screenshot("too-long")
    s.key("Return")
    wait_for("the message to close", lambda: not s.message_boxes(TOO_LONG), timeout=10)
    state = s.state()
    check(rows_by_ip(state)[gateway]["cells"][0] == host_cell("gateway-two"), "a refused name changed the row")
    check(s.registry_bytes() == before, "a refused name changed the file")

    # Unchanged, then emptied: nothing written.
    s.click_rect(cell_rect(state, gateway, 0), count=2)
    commit_click(s, state)
    s.click_rect(cell_rect(state, gateway, 0), count=2)
    s.key("BackSpace")
    commit_click(s, state)
    state = s.state()
    check(rows_by_ip(state)[gateway]["cells"][0] == host_cell("gateway-two"), "an empty name changed the row")
    check(s.registry_bytes() == before, "an unchanged or emptied name wrote the file")
    check(summary_of(state)[1] == "4", "the count changed before a re-detect")

    # Re-detect shows the stored decisions.
    s.click_rect(state["items"]["1000"]["rect"])
    # The new scan's summary counts the stored decisions (the old one said 4).
    state = wait_for("a new summary", lambda: (lambda st: st if st["items"]["1004"]["visible"]
                                                and st["items"]["1006"]["text"] != "4" else None)(s.state()), 30)
    s.screenshot("redetected")
    expect_rows(state, {
        "192.168.50.37": ("HOMEPC", LOCAL),
        "192.168.50.10": ("printer", KNOWN),
        "192.168.50.11": ("living-room-tele", UNKNOWN),
        "192.168.50.12": ("abcdefghijklmnop", UNKNOWN),
        "192.168.50.254": ("gateway-two", UNKNOWN),
    })
    check(summary_of(state)[1] == "3", "after re-detect the count is %r, expected 3" % summary_of(state)[1])
    return s


@scenario_test("escape-while-editing", "small-office.lan")
def escape_while_editing_ends_without_a_nameless_entry(s):
    process = s.start()
    state = s.wait_summary()
    s.click_rect(cell_rect(state, "192.168.50.10", 0), count=2)
    check(s.state()["items"]["1003"]["visible"], "the name editor did not open")
    s.type_text("newname")
    s.key("Escape")   # the dialog's default Cancel ends the program with the editor open
    check(s.wait_exit(process, 20) == 0, "exit code after Escape")
    entries = s.registry_entries() or []
    check(all(e.get("MAC", "").strip() for e in entries), "an entry without a MAC was stored: %r" % entries)
    return s


# --- one instance ------------------------------------------------------------------------------------

def main_windows(s):
    return [w for w in s.windows() if w["class"] == "#32770"
            and any(c["id"] == 1010 and c["text"] == "Tarnlook" for c in w["children"])]


@scenario_test("second-instance", "small-office.lan")
def second_start_brings_the_first_window_forward(s):
    # Two starts in quick succession: whichever takes the mutex first runs, the other waits until
    # that window exists, brings it forward and ends with 0.
    starts = [s.start(), s.start()]
    ended = wait_for("one of two quick starts to end", lambda: [p for p in starts if p.poll() is not None], 60)
    check(len(ended) == 1 and ended[0].returncode == 0,
          "quick starts ended with %r" % [p.returncode for p in starts])
    first = [p for p in starts if p.poll() is None][0]
    state = s.wait_window()
    check(len(main_windows(s)) == 1, "two main windows after a quick second start")

    s.click_rect(state["items"]["1009"]["rect"])
    wait_for("the window to minimise", lambda: s.state()["iconic"], timeout=10)
    s.screenshot("minimised")
    second = s.start()
    check(s.wait_exit(second, 40) == 0, "the second start did not end with 0")
    state = wait_for("the window to come back", lambda: (lambda st: st if not st["iconic"] and st["visible"] else None)(s.state()), 10)
    check(state["foreground"], "the restored window is not in the foreground")
    check(len(main_windows(s)) == 1, "the second start opened a window of its own")
    check(first.poll() is None, "the first instance ended")
    s.screenshot("restored")
    return s


# --- closing ------------------------------------------------------------------------------------------

@scenario_test("close-during-scan", "slow.lan")
def closing_during_a_scan_ends_cleanly(s):
    close_during_scan(s, 1.0)
    return s


@scenario_test("close-while-devices-answer", "busy.lan")
def closing_while_devices_answer_ends_cleanly(s):
    close_during_scan(s, 0.8)
    return s


def close_during_scan(s, wait):
    process = s.start()
    state = s.wait_window()
    time.sleep(wait)
    state = s.state()
    check(state["items"]["1001"]["visible"] and not state["items"]["1000"]["visible"], "the scan is not running")
    s.click_rect(state["items"]["1007"]["rect"])
    code = s.wait_exit(process, 20)
    check(code == 0, "exit code %d after closing during a scan" % code)
    others = [w for w in s.windows() if w["pid"] != 0]
    check(not others, "windows left after the end (a crash dialog?): %r" % others)


@scenario_test("close-button", "small-office.lan")
def close_button_ends_the_program(s):
    process = s.start()
    state = s.wait_summary()
    s.click_rect(state["items"]["1007"]["rect"])
    check(s.wait_exit(process, 20) == 0, "exit code after the close button")
    # The mutex and the mapping went with it: the next start is a first instance again.
    again = s.start()
    s.wait_window()
    check(again.poll() is None, "a start after the close was taken for a second instance")
    return s


# --- About -----------------------------------------------------------------------------------------------

@scenario_test("about", "small-office.lan")
def about_box_opens_from_the_system_menu(s):
    s.start()
    state = s.wait_window()
    s.click_rect(state["items"]["1010"]["rect"])   # activate the window (a press on the title drags)
    s.key("alt+space")
    s.screenshot("system-menu")
    # The About entry comes before 扫描网络 and 后台监视新设备, the menu's last items ("关于 Wine(&A)"
    # of Wine's own menu shares its key).
    s.key("Up", "Up", "Up", "Return")
    about = wait_for("the About box", lambda: [w for w in s.windows() if w["title"] == "关于 Tarnlook"], 10)
    texts = [c["text"] for c in about[0]["children"]]
    version = "Tarnlook %s 版" % project_version(s.build)
    check(version in texts, "About box texts %r, expected %r" % (texts, version))
    dates = [t for t in texts if re.fullmatch(r"厂商数据日期：\d{4}-\d\d-\d\d", t)]
    check(len(dates) == 1, "no maker data date among the About box texts %r" % texts)
    s.screenshot("about")
    s.key("Return")
    wait_for("the About box to close", lambda: not [w for w in s.windows() if w["title"] == "关于 Tarnlook"], 10)
    return s


# --- makers and copying ------------------------------------------------------------------------------

MAKER_ROWS = {  # ip: (name, MAC, state, maker as copied, tooltip)
    "192.168.8.100": ("STUDYPC", "DC-A6-32-11-22-33", "本机", "Raspberry Pi Trading",
                      "厂商：Raspberry Pi Trading\r\n名称来源：DNS"),
    "192.168.8.2": ("extender", "50-C7-BF-12-34-56", "未知", "TP-LINK TECHNOLOGIES",
                    "厂商：TP-LINK TECHNOLOGIES\r\n名称来源：DNS"),
    "192.168.8.31": ("未知主机名", "DA-A1-19-5B-00-01", "未知", "随机 MAC 地址",
                     "随机 MAC 地址（手机、平板等设备的隐私地址，无法识别厂商）"),
    "192.168.8.40": ("sensor", "0C-00-00-00-00-01", "未知", "未知", "厂商：未知\r\n名称来源：DNS"),
}


def tooltip_text(s):
    tips = [w["title"] for w in s.popups("tooltips_class32") if w["title"]]
    return tips[0] if len(tips) == 1 else None


def copied(s, expected):
    def same():
        board = s.clipboard()
        return board if board["text"] == expected and board["unicode"] == expected else None
    try:
        return wait_for("the clipboard to hold %r" % expected, same, timeout=10)
    except Failure:
        raise Failure("clipboard %r, expected %r" % (s.clipboard(), expected))


@scenario_test("makers", "makers.lan")
def rows_tell_their_makers_and_copy_to_the_clipboard(s):
    s.start()
    state = s.wait_summary()
    before = {ip: row["cells"] for ip, row in rows_by_ip(state).items()}
    check(set(before) == set(MAKER_ROWS), "listed %s" % sorted(before))

    # Resting on a row shows its maker; on the next row the next maker.
    for ip in ("192.168.8.2", "192.168.8.31", "192.168.8.100"):
        s.hover_rect(cell_rect(state, ip, 0))   # the tooltip fits inside the window from there
        tip = MAKER_ROWS[ip][4]
        try:
            wait_for("the tooltip %r" % tip, lambda: tooltip_text(s) == tip, timeout=10)
        except Failure:
            raise Failure("tooltip over %s: %r, expected %r" % (ip, tooltip_text(s), tip))
        if ip == "192.168.8.31":
            s.screenshot("tooltip")

    # 复制全部设备: a header and one line per row, in list order, as CF_TEXT and CF_UNICODETEXT.
    s.click_rect(cell_rect(state, "192.168.8.2", 1), button=3)
    wait_for("the copy menu", lambda: s.popups("#32768"), timeout=10)
    s.screenshot("copy-menu")
    s.key("a")
    wait_for("the menu to close", lambda: not s.popups("#32768"), timeout=10)
    lines = ["主机名\tMAC地址\tIP地址\t状态\t厂商"]
    for ip in rows_by_ip(state):
        name, mac, word, maker, _ = MAKER_ROWS[ip]
        lines.append("\t".join([name, mac, ip, word, maker]))
    all_devices = "\r\n".join(lines) + "\r\n"
    copied(s, all_devices)

    # Below the last row the menu offers every row but nothing of one: "m" (复制 MAC 地址) chooses
    # nothing there, "a" still copies them all.
    left, top, right, bottom = state["items"]["1002"]["rect"]
    last = max(row["rects"][1][3] for row in state["rows"])
    check(last + 10 < bottom - 5, "the list has no room below its last row")
    s.click(left + 100, (last + bottom) // 2, button=3)
    wait_for("the menu below the rows", lambda: s.popups("#32768"), timeout=10)
    s.key("m")
    time.sleep(0.5)
    check(s.popups("#32768") and s.clipboard()["text"] == all_devices, "复制 MAC 地址 offered below the rows")
    s.key("a")
    wait_for("the menu to close", lambda: not s.popups("#32768"), timeout=10)

    # Shift+F10 on the selected row, then 复制 MAC 地址; the menu key, then 复制 IP 地址.
    s.click_rect(cell_rect(state, "192.168.8.40", 1))
    s.key("shift+F10")
    wait_for("the copy menu from Shift+F10", lambda: s.popups("#32768"), timeout=10)
    s.key("m")
    copied(s, "0C-00-00-00-00-01")
    s.key("Menu")
    wait_for("the copy menu from the menu key", lambda: s.popups("#32768"), timeout=10)
    s.key("i")
    copied(s, "192.168.8.40")

    after = {ip: row["cells"] for ip, row in rows_by_ip(s.state()).items()}
    check(after == before, "the rows changed: %r" % after)
    check(s.registry_bytes() is None, "the registry file was written")
    return s


# --- the network a scan sweeps -------------------------------------------------------------------

MACHINE_SHAPES = {  # scenario: (this computer's address, the rows: ip -> (name, status))
    "wifi-virtualbox.lan": ("192.168.1.23", {
        "192.168.1.23": ("LAPTOP", LOCAL), "192.168.1.5": ("nas-storage", UNKNOWN),
        "192.168.1.17": ("living-room-tv", UNKNOWN), "192.168.1.64": ("phone-wang", UNKNOWN)}),
    "hyperv-switch.lan": ("10.0.0.8", {
        "10.0.0.8": ("DESKTOP", LOCAL), "10.0.0.20": ("office-printer", UNKNOWN),
        "10.0.0.30": ("nas", UNKNOWN)}),
    "wifi-vpn.lan": ("192.168.1.23", {
        "192.168.1.23": ("LAPTOP", LOCAL), "192.168.1.5": ("nas-storage", UNKNOWN)}),
    "loopback-name.lan": ("192.168.1.40", {
        "192.168.1.40": ("HOMEPC", LOCAL), "192.168.1.5": ("nas-storage", UNKNOWN)}),
    "one-gateway.lan": ("192.168.1.40", {
        "192.168.1.40": ("HOMEPC", LOCAL), "192.168.1.5": ("nas-storage", UNKNOWN)}),
    "two-adapters-no-gateway.lan": ("10.1.1.5", {
        "10.1.1.5": ("LABPC", LOCAL), "10.1.1.9": ("lab-printer", UNKNOWN)}),
}
SCAN_LINE = "扫描网络："


def wait_rows(s, ips):
    return wait_for("the rows of %s" % sorted(ips), lambda: (lambda st: st if set(rows_by_ip(st)) == set(ips)
                    and st["items"]["1000"]["visible"] else None)(s.state()), timeout=60)


@scenario_test("machine-shapes")
def each_machine_scans_the_network_that_reaches_its_router(s):
    for scenario, (local, expected) in MACHINE_SHAPES.items():
        s.env["TARNLOOK_SIM_LAN"] = str(s.scenario_path(scenario))
        process = s.start(label=scenario)
        try:
            state = s.wait_summary()
        except Failure:
            # Once in many runs a fresh start under Wine never brought its window up at all (the
            # program had written nothing): this test starts six, so it starts such a one again.
            # A window without its summary is a fault of the program's and fails at once.
            if s.state()["found"]:
                raise
            process.kill()
            process.wait(timeout=10)
            process = s.start(label=scenario + "-again")
            state = s.wait_summary()
        try:
            rows = expect_rows(state, expected)
            check(rows[local]["index"] == 0, "this computer is not in the first row")
            scans = [line for line in s.debug_lines(process) if line.startswith(SCAN_LINE)]
            check(scans == [SCAN_LINE + local + "\n"], "the scan's network lines: %r" % scans)
        except Failure as failure:
            raise Failure("%s: %s" % (scenario, failure))
        # Closed as Alt+F4 closes it: under Wine a click on a restarted program's close button can
        # lie unanswered for seconds (the same in earlier builds).
        s.wine_cmd([str(s.probe_exe), "close"])
        check(s.wait_exit(process, 30) == 0, "%s: exit code after closing" % scenario)
    return s


@scenario_test("network-menu", "wifi-virtualbox.lan")
def the_network_menu_rescans_the_network_the_user_picks(s):
    # Menus of another process cannot be read under Wine: the entries are told by what they scan.
    # Both menus end with 扫描网络 and 后台监视新设备; its entries follow the adapter list: host-only,
    # Wi-Fi.
    s.start()
    state = s.wait_summary()
    wifi_rows = MACHINE_SHAPES["wifi-virtualbox.lan"][1]

    # A pick made while the name editor is open stores the typed name for its own device first.
    s.click_rect(cell_rect(state, "192.168.1.5", 0), count=2)
    check(s.state()["items"]["1003"]["visible"], "the name editor did not open")
    s.type_text("my-nas")
    s.key("alt+space")
    wait_for("the system menu", lambda: s.popups("#32768"), timeout=10)
    s.key("Up", "Up", "Right")
    wait_for("the system menu's 扫描网络 submenu", lambda: len(s.popups("#32768")) == 2, timeout=10)
    s.key("Return")   # its first entry: this computer is .1 there, which a scan never probes
    wait_rows(s, ["192.168.56.101"])
    stored = s.registry_entries() or []
    check([(e["USERNAME"], e["MAC"].strip()) for e in stored] == [("my-nas", "00-11-32-AA-BB-05")],
          "stored: %r" % stored)

    # The list's menu, on a row, picks the Wi-Fi again: the stored name shows.
    s.click_rect(cell_rect(s.state(), "192.168.56.101", 1), button=3)
    wait_for("the row's menu", lambda: s.popups("#32768"), timeout=10)
    s.key("Up", "Up", "Right")
    wait_for("the 扫描网络 submenu", lambda: len(s.popups("#32768")) == 2, timeout=10)
    s.screenshot("network-menu")
    s.key("Down", "Return")   # its second entry
    state = wait_rows(s, wifi_rows)
    check(rows_by_ip(state)["192.168.1.5"]["cells"][0] == host_cell("my-nas"), "the stored name is not shown")
    scans = [line for line in s.debug_lines() if line.startswith(SCAN_LINE)]
    check(scans == [SCAN_LINE + ip + "\n" for ip in ("192.168.1.23", "192.168.56.1", "192.168.1.23")],
          "the scans' networks: %r" % scans)
    return s


# --- the watch ------------------------------------------------------------------------------------

WATCH_KEY = "HKCU\\Software\\应用程序向导生成的本地应用程序\\Tarnlook\\Watch"
ALERT_LINE = "发现新的未知设备："
TRAY = "__winex11_standalone_tray"   # Wine's tray window without a window manager


def set_watch(s, enabled, interval):
    for name, value in (("Enabled", enabled), ("IntervalSeconds", interval)):
        s.wine_cmd(["reg", "add", WATCH_KEY, "/v", name, "/t", "REG_DWORD", "/d", str(value), "/f"])


def tray_shown(s):
    return bool(s.popups(TRAY))


def alerts(s):
    return [line for line in s.debug_lines() if line.startswith(ALERT_LINE)]


def scans_done(s):
    return sum(1 for line in s.debug_lines() if line == "初始化列表完成")


@scenario_test("watch", "watch.lan")
def watching_alerts_once_on_a_device_nobody_knows(s):
    # Two devices join at the second sweep: one nobody knows, one the user marked known earlier.
    s.seed_registry([("known-laptop", KNOWN, "00-1A-2B-3C-4D-21\n\n")])
    set_watch(s, 1, 10)
    s.start()
    s.wait_summary()
    wait_for("the tray icon while watching", lambda: tray_shown(s), timeout=20)
    check(not alerts(s), "the baseline scan alerted: %r" % alerts(s))

    # No input reaches the computer meanwhile, so the watch's scan is due ten seconds later.
    wait_for("the watch's second scan", lambda: scans_done(s) >= 2, timeout=60)
    check(alerts(s) == [ALERT_LINE + "00-1A-2B-3C-4D-20 192.168.70.20 new-phone\n"], "alerts: %r" % alerts(s))
    rows = rows_by_ip(wait_rows(s, ["192.168.70.37", "192.168.70.10", "192.168.70.12", "192.168.70.20",
                                    "192.168.70.21"]))
    check(rows["192.168.70.21"]["cells"][2] == KNOWN, "the known device is not shown known")
    time.sleep(3)   # Wine draws the balloon about 2 s after it was asked for
    s.screenshot("balloon")
    wait_for("the watch's third scan", lambda: scans_done(s) >= 3, timeout=60)
    check(len(alerts(s)) == 1, "a device alerted twice: %r" % alerts(s))

    # Switched off from the system menu (its last entry): the icon goes, the setting follows.
    state = s.state()
    s.click_rect(state["items"]["1010"]["rect"])
    s.key("alt+space")
    wait_for("the system menu", lambda: s.popups("#32768"), timeout=10)
    s.key("Up", "Return")
    wait_for("the tray icon to go", lambda: not tray_shown(s), timeout=20)
    stored = s.wine_cmd(["reg", "query", WATCH_KEY, "/v", "Enabled"])
    check(re.search(r"Enabled\s+REG_DWORD\s+0x0\b", stored), "Enabled after switching off: %r" % stored)
    return s


@scenario_test("tray", "watch.lan")
def the_tray_icon_brings_the_window_back_and_ends_the_program(s):
    set_watch(s, 1, 300)
    process = s.start()
    state = s.wait_summary()
    left, top, _, bottom = wait_for("the tray icon", lambda: s.popups(TRAY), timeout=20)[0]["rect"]
    icon = (left + 16, (top + bottom) // 2)   # the first icon of Wine's tray window

    def minimise():
        s.click_rect(state["items"]["1009"]["rect"])
        wait_for("the window to hide in the tray", lambda: not s.state()["visible"], timeout=10)

    def shown(what):
        wait_for("the window after %s" % what, lambda: s.state()["visible"], timeout=10)

    minimise()
    s.click(*icon, button=3)
    wait_for("the tray menu", lambda: s.popups("#32768"), timeout=10)
    s.screenshot("tray-menu")
    s.key("Down", "Return")   # 打开 Tarnlook
    shown("打开 Tarnlook")
    minimise()
    s.click(*icon, count=2)
    shown("a double-click")
    minimise()
    # 退出 while the window is hidden: the program ends (it once waited for ever for a message).
    s.click(*icon, button=3)
    wait_for("the tray menu", lambda: s.popups("#32768"), timeout=10)
    s.key("Up", "Return")
    check(s.wait_exit(process, 20) == 0, "exit code after 退出")
    check(not s.popups(TRAY), "the tray icon outlived the program")
    return s


@scenario_test("watch-days", "watch.lan")
def a_hundred_watched_scans_leave_nothing_behind(s):
    # Scans started through the one scan path the watch's timer takes, each ended by the watch's
    # own step (alert rule, tooltip); counts after the second and the last scan must agree.
    set_watch(s, 1, 10)
    s.start()
    s.wait_summary()
    wait_for("the tray icon while watching", lambda: tray_shown(s), timeout=20)
    s.wine_cmd([str(s.probe_exe), "redetect", "1"], timeout=180)
    s.resources()   # the first count leaves one handle behind for the process's life
    second = s.resources()
    s.wine_cmd([str(s.probe_exe), "redetect", "98"], timeout=1500)
    check(scans_done(s) >= 100, "only %d scans" % scans_done(s))
    last = s.resources()
    print("     after scan 2: %s\n     after scan %d: %s" % (second, scans_done(s), last), flush=True)
    grown = {k: last[k] - second[k] for k in ("handles", "threads", "gdi", "user") if last[k] - second[k] > 8}
    check(not grown, "grew over the scans: %r" % grown)
    check(last["rss_kb"] - second["rss_kb"] <= 8 * 1024, "resident size grew by %d kB" % (last["rss_kb"] - second["rss_kb"]))
    return s


# --- names the devices give themselves ------------------------------------------------------------

NAMED_ROWS = {  # ip: (name, status, where the name came from, or None)
    "192.168.60.20": ("DESKTOP", LOCAL, "DNS"),
    "192.168.60.5": ("nas.home", UNKNOWN, "DNS"),
    "192.168.60.30": ("客厅电视", UNKNOWN, "mDNS"),
    "192.168.60.31": ("OFFICE-PC", UNKNOWN, "NetBIOS"),
    "192.168.60.32": ("macbook-pro", UNKNOWN, "mDNS"),
    "192.168.60.33": ("BAER-PHONE", UNKNOWN, "NetBIOS"),   # "ä" has no code page 936 form
    "192.168.60.34": ("B?r-tablet", UNKNOWN, "mDNS"),      # ... and no NetBIOS name stands in
    "192.168.60.40": ("未知主机名", UNKNOWN, None),
    "192.168.60.41": ("marked-phone", KNOWN, "mDNS"),      # stored as 未知主机名 when marked
}


@scenario_test("names", "names.lan")
def devices_without_dns_names_name_themselves(s):
    s.seed_registry([("未知主机名", KNOWN, "00-1A-2B-3C-60-41\n\n")])
    before = s.registry_bytes()
    s.start()
    state = s.wait_summary()
    s.screenshot("named")
    expect_rows(state, {ip: (name, status) for ip, (name, status, _) in NAMED_ROWS.items()})
    check(summary_of(state)[1] == "7", "unknown count %r, expected 7" % summary_of(state)[1])
    check(s.registry_bytes() == before, "the merge wrote the registry file")
    # The rows in sight (the devices that answered at once come first): one name of each source.
    bottom = state["items"]["1002"]["rect"][3]
    shown = [ip for ip, row in rows_by_ip(state).items() if row["rects"][0][3] <= bottom]
    check({NAMED_ROWS[ip][2] for ip in shown} >= {"DNS", "mDNS", "NetBIOS"},
          "rows in sight: %r" % shown)
    for ip in shown:
        source = NAMED_ROWS[ip][2]
        s.hover_rect(cell_rect(state, ip, 0))
        line = ["名称来源：" + source] if source else []
        try:
            wait_for("the tooltip over %s" % ip,
                     lambda: (tooltip_text(s) or "").split("\r\n")[1:] == line, timeout=10)
        except Failure:
            raise Failure("tooltip over %s: %r, expected the source %r" % (ip, tooltip_text(s), source))
    return s


# --- a missing skin ----------------------------------------------------------------------------------

@scenario_test("missing-skin", "small-office.lan")
def missing_skin_is_reported_and_the_dialog_still_works(s):
    unskinned = s.copy_without_resource("tarnlook-noskin.exe", 2, 166)   # RT_BITMAP 166
    s.start(unskinned, label="noskin")
    wait_for("the skin message", lambda: s.message_boxes("加载皮肤失败！"), timeout=30)
    s.screenshot("skin-message")
    s.key("Return")
    state = s.wait_summary()
    s.screenshot("unskinned")
    left, top, right, bottom = state["rect"]
    check((right - left, bottom - top) != (568, 373), "an unskinned window took the skin's size")
    rows = rows_by_ip(state)
    check(len(rows) == 5 and summary_of(state)[1] == "4", "unskinned scan: %r" % (summary_of(state),))
    s.click_rect(cell_rect(state, "192.168.50.10", 2), count=2)
    check(rows_by_ip(s.state())["192.168.50.10"]["cells"][2] == KNOWN, "the unskinned list does not toggle")
    return s


# --- the shipped program ------------------------------------------------------------------------

@scenario_test("shipped-program", exe="tarnlook.exe")
def shipped_program_scans_paints_and_ends(s):
    # The product with its real net binding. In the private namespace the sweep has nobody to ask
    # (and Wine's SendARP answers nothing), so the summary counts no unknown device.
    process = s.start()
    state = s.wait_summary(120)
    shot = s.screenshot("summary")
    check(summary_of(state) == (SUMMARY[0], "0", SUMMARY[1]), "summary %r" % (summary_of(state),))
    left, top, right, bottom = state["rect"]
    check((right - left, bottom - top) == (568, 373), "window is %dx%d, not the skin's 568x373" % (right - left, bottom - top))
    white = count_pixels(shot, state["items"]["1010"]["rect"], None, is_white)
    check(white >= 5, "the skin's title is not painted (%d white pixels)" % white)

    s.click_rect(state["items"]["1009"]["rect"])
    wait_for("the window to minimise", lambda: s.state()["iconic"], timeout=20)
    second = s.start()
    check(s.wait_exit(second, 60) == 0, "the second start did not end with 0")
    state = wait_for("the window to come back", lambda: (lambda st: st if not st["iconic"] and st["visible"] else None)(s.state()), 20)
    check(state["foreground"], "the restored window is not in the foreground")

    s.click_rect(state["items"]["1007"]["rect"])
    check(s.wait_exit(process, 30) == 0, "exit code after the close button")
    return s


# --- the resource count a long watch is checked with ------------------------------------------------

@scenario_test("resource-probe", install=False)
def resource_probe_catches_a_leak_of_ten(s):
    # e2e_probe's leak mode keeps ten more of the kind each line names (10 MB of touched memory for
    # "memory"); the count of that kind must grow by exactly that.
    leaker = s.start(exe=s.probe_exe, label="leak", args=["leak"], stdin=subprocess.PIPE)
    out = s.work / "leak-0.out"
    pid = json.loads(wait_for("the leaking process", lambda: out.read_text().strip() or None, 60).splitlines()[0])["pid"]
    s.resources(pid, marker="leak")  # the first count's loading leaves a handle for the process's life
    counts = s.resources(pid, marker="leak")
    again = s.resources(pid, marker="leak")  # later counts leave nothing behind
    check(all(again[k] == counts[k] for k in ("handles", "threads", "gdi", "user")), "counted twice: %s, %s" % (counts, again))
    for kind in ("handles", "threads", "gdi", "menus", "icons", "windows", "memory"):
        leaker.stdin.write(kind.encode() + b"\n")
        leaker.stdin.flush()
        wait_for("the leak of %s" % kind, lambda: "leaked %s" % kind in out.read_text(), 30)
        after = s.resources(pid, marker="leak")
        print("     %-8s %s" % (kind, after), flush=True)
        if kind == "memory":
            check(after["rss_kb"] - counts["rss_kb"] >= 10 * 1024, "resident size %d kB, then %d kB" % (counts["rss_kb"], after["rss_kb"]))
        else:
            check(after[kind] - counts[kind] == 10, "%s: %d, then %d after a leak of ten" % (kind, counts[kind], after[kind]))
        counts = after
    leaker.stdin.close()
    return s


TESTS = {t.__name__: t for t in [
    scan_lists_every_answering_device,
    devices_are_found_where_sendarp_is_not_supported,
    stored_decisions_are_merged_from_the_install_folder,
    a_damaged_registry_file_still_ends_the_scan_with_its_summary,
    double_click_marks_and_renames_devices,
    escape_while_editing_ends_without_a_nameless_entry,
    second_start_brings_the_first_window_forward,
    closing_during_a_scan_ends_cleanly,
    closing_while_devices_answer_ends_cleanly,
    close_button_ends_the_program,
    about_box_opens_from_the_system_menu,
    missing_skin_is_reported_and_the_dialog_still_works,
    rows_tell_their_makers_and_copy_to_the_clipboard,
    devices_without_dns_names_name_themselves,
    each_machine_scans_the_network_that_reaches_its_router,
    the_network_menu_rescans_the_network_the_user_picks,
    watching_alerts_once_on_a_device_nobody_knows,
    the_tray_icon_brings_the_window_back_and_ends_the_program,
    a_hundred_watched_scans_leave_nothing_behind,
    shipped_program_scans_paints_and_ends,
    resource_probe_catches_a_leak_of_ten,
]}

if __name__ == "__main__":
    parser = argparse.ArgumentParser()
    parser.add_argument("tests", nargs="*", help="test names (all when none)")
    parser.add_argument("--build", required=True)
    args = parser.parse_args()
    run([TESTS[name] for name in (args.tests or TESTS)], args.build)
