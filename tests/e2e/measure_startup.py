#!/usr/bin/env python3
"""Start-up figures of tarnlook-sim.exe under Wine on the demo LAN (not a test: it only reports).

    measure_startup.py --build <win64 build dir> [--runs 5]

Each run is a fresh session (private network namespace, display and prefix copy). Reported per
run: time from process creation to the window being visible, to the skin being painted, to the
summary line; the process's peak working set as Windows reports it, and, from the Linux side,
its peak resident size (VmHWM) and the most threads it had at once (the 253 probes among them).
"""
import argparse
import json
import statistics
import subprocess
import threading
import time
from pathlib import Path

from harness import Session, enter_private_network


PROGRAM = b"tarnlook-sim.exe"


def threads_of(pid):
    for line in Path("/proc/%d/status" % pid).read_text().splitlines():
        if line.startswith("Threads:"):
            return int(line.split()[1])
    return 0


def find_program_pid(work):
    """The program's process: of those naming it (a wrapper or loader may name it too), the one
    with the most threads."""
    best, most = None, -1
    for status in Path("/proc").glob("[0-9]*/cmdline"):
        try:
            command = status.read_bytes()
            if PROGRAM in command and b"e2e_probe" not in command and b"winedbg" not in command:
                pid = int(status.parent.name)
                threads = threads_of(pid)
                if threads > most:
                    best, most = pid, threads
        except OSError:
            pass
    return best


def watch(peaks, stop):
    pid, found_at = None, 0.0
    while not stop.is_set():
        if time.monotonic() - found_at > 0.2:  # look again: the most threaded process may change
            pid, found_at = find_program_pid(None) or pid, time.monotonic()
        if pid:
            try:
                fields = dict(line.split(":", 1) for line in Path("/proc/%d/status" % pid).read_text().splitlines())
                peaks["vmhwm_kb"] = max(peaks.get("vmhwm_kb", 0), int(fields["VmHWM"].split()[0]))
                peaks["vmpeak_kb"] = max(peaks.get("vmpeak_kb", 0), int(fields["VmPeak"].split()[0]))
                peaks["threads"] = max(peaks.get("threads", 0), int(fields["Threads"]))
            except (OSError, KeyError, ValueError):
                pass
        time.sleep(0.01)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", required=True)
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--exe", default="tarnlook-sim.exe", help="program, relative to the build dir")
    args = parser.parse_args()
    global PROGRAM
    PROGRAM = Path(args.exe).name.encode()
    enter_private_network()
    results = []
    for run in range(args.runs):
        session = Session("measure-%d" % run, args.build, exe=args.exe)
        try:
            session.wine_cmd([str(session.probe_exe), "state"])  # warm the wineserver
            peaks, stop = {}, threading.Event()
            watcher = threading.Thread(target=watch, args=(peaks, stop))
            watcher.start()
            program = "Z:" + str(session.exe).replace("/", "\\")
            output = session.wine_cmd([str(session.probe_exe), "measure", program], 180)
            # The program's own standard output (its adapter lines) may come first.
            lines = [line for line in output.splitlines() if line.startswith('{"visible_ms"')]
            if not lines:
                raise RuntimeError("no figures in: %r" % output)
            figures = json.loads(lines[-1])
            stop.set()
            watcher.join()
            figures.update(peaks)
            results.append(figures)
            print(json.dumps(figures), flush=True)
        finally:
            session.close(False)
    for key in ("visible_ms", "painted_ms", "summary_ms", "peak_working_set_kb", "vmhwm_kb", "vmpeak_kb", "threads"):
        values = [r[key] for r in results if key in r]
        if values:
            print("%-20s median %8.1f  min %8.1f  max %8.1f" % (key, statistics.median(values), min(values), max(values)))


if __name__ == "__main__":
    main()
