"""End-to-end harness: the real program under Wine on a private virtual display.

Every test runs in its own network namespace (nothing can leave the machine), with its own Xvfb
display and its own copy of a prepared Wine prefix. The program is driven with real X input
(xdotool), and checked through e2e_probe.exe (another Windows process that reads the window's
items and list rows), through ComputerInfo.xml and through screenshots. A failed run keeps its
folder (screenshots, the program's output, the registry file) under build/.../tests/e2e/runs/;
TARNLOOK_E2E_KEEP=1 keeps passed runs too.
"""
import base64
import json
import os
import re
import shutil
import subprocess
import sys
import time
import traceback
from pathlib import Path

WINESERVER = "/usr/lib/wine/wineserver"
IMPORT = "/usr/bin/import"
HERE = Path(__file__).resolve().parent
SOURCE = HERE.parent.parent

# The client installation the tests register; the registry file lives in its Profiles folder.
INSTALL_DIR_WIN = "C:\\tarnlook-client"
INSTALL_DIR_REL = "tarnlook-client"

KNOWN = "\n\n标记为未知"    # the label of a known device (offers "mark as unknown")
UNKNOWN = "\n\n标记为已知"  # the label of a device not yet known
LOCAL = "\n\n本机"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def enter_private_network():
    """Runs this script again inside a new network namespace with only a loopback interface."""
    if os.environ.get("TARNLOOK_E2E_NETNS") == "1":
        subprocess.run(["ip", "link", "set", "lo", "up"], check=False, stderr=subprocess.DEVNULL)
        return
    env = dict(os.environ, TARNLOOK_E2E_NETNS="1")
    try:
        os.execvpe("unshare", ["unshare", "-n", sys.executable] + sys.argv, env)
    except OSError as error:
        sys.exit("e2e: cannot enter a private network namespace (unshare -n): %s" % error)


def wait_for(what, predicate, timeout=30.0, interval=0.3):
    """Polls predicate until it returns something true; returns that, or fails naming what."""
    deadline = time.monotonic() + timeout
    last = None
    while True:
        last = predicate()
        if last:
            return last
        if time.monotonic() > deadline:
            raise Failure("timed out after %.0f s waiting for %s" % (timeout, what))
        time.sleep(interval)


def registry_text(entries, declaration=True):
    """The decoded text of a ComputerInfo.xml holding entries (USERNAME, STATUS, MAC) in order."""
    def attr(value):
        return (value.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
                .replace("'", "&apos;").replace('"', "&quot;"))
    text = '<?xml version="1.0"?>' if declaration else ""
    text += "<CONFIG>\r\n<ComputerId1/>\r\n"
    for user, status, mac in entries:
        text += '<ComputerInfo USERNAME="%s" STATUS="%s" MAC="%s"/>\r\n' % (attr(user), attr(status), attr(mac))
    return text + "</CONFIG>\r\n"


def parse_registry(text):
    """The ComputerInfo entries of a decoded registry text, as dicts of unescaped attributes."""
    def unescape(value):
        return (value.replace("&lt;", "<").replace("&gt;", ">").replace("&apos;", "'")
                .replace("&quot;", '"').replace("&amp;", "&"))
    entries = []
    for element in re.finditer(r"<ComputerInfo\b(.*?)/?>", text, re.S):
        entries.append({m.group(1): unescape(m.group(2))
                        for m in re.finditer(r'(\w+)="(.*?)"', element.group(1), re.S)})
    return entries


def wine_for(exe):
    """The script that runs a program of exe's kind: scripts/wine32-run for a PE32 (i386) image,
    scripts/wine-run for a 64-bit one. The 32-bit one also gives reg.exe the 32-bit registry view,
    the one a 32-bit program reads."""
    image = Path(exe).read_bytes()[:1024]
    pe = int.from_bytes(image[0x3C:0x40], "little")
    check(image[pe:pe + 4] == b"PE\0\0", "%s is not a PE image" % exe)
    machine = int.from_bytes(image[pe + 4:pe + 6], "little")
    return str(SOURCE / "scripts" / ("wine32-run" if machine == 0x14C else "wine-run"))


class Session:
    """One run of the program: private display, private Wine prefix, the program and its probe."""

    def __init__(self, name, build, scenario=None, install=True, exe="tarnlook-sim.exe"):
        self.name = name
        self.build = Path(build).resolve()
        self.work = self.build / "tests" / "e2e" / "runs" / name
        if self.work.exists():
            shutil.rmtree(self.work)
        self.work.mkdir(parents=True)
        self.exe = self.build / exe
        self.wine = wine_for(self.exe)
        self.probe_exe = self.build / "tests" / "e2e" / "e2e_probe.exe"
        self.processes = []
        self.shots = 0
        self.xvfb = None
        self.prefix = self.work / "prefix"
        self.scenario = (HERE / "scenarios" / scenario) if scenario else None
        self.env = None
        try:
            self._copy_prefix(self._template())
            self._start_display()
            self.env = dict(os.environ, WINEPREFIX=str(self.prefix), TARNLOOK_WINEPREFIX=str(self.prefix),
                            LANG="zh_CN.UTF-8", LC_ALL="zh_CN.UTF-8", WINEDEBUG="-all,warn+debugstr",
                            DISPLAY=self.display,
                            WINEDLLOVERRIDES="mscoree,mshtml=")
            if self.scenario:
                self.env["TARNLOOK_SIM_LAN"] = str(self.scenario)
            else:
                self.env.pop("TARNLOOK_SIM_LAN", None)
            # A wineserver left by an earlier run of this prefix's path would serve this session
            # from its own network namespace: ended first. Then one wineserver for the whole
            # session, started here (in this namespace), so the probe starts quickly.
            subprocess.run([WINESERVER, "-k"], env=self.env, check=False, stderr=subprocess.DEVNULL, timeout=30)
            subprocess.run([WINESERVER, "-p"], env=self.env, check=True, timeout=60)
            if install:
                self.wine_cmd(["reg", "add", "HKLM\\SOFTWARE\\Corvane\\Halvex Client", "/v", "Install",
                               "/t", "REG_SZ", "/d", INSTALL_DIR_WIN, "/f"])
                self.profile_dir.mkdir(parents=True, exist_ok=True)
        except BaseException:
            self.close(failed=True)
            raise

    # --- set-up ---------------------------------------------------------------------------------

    def _template(self):
        template = self.build / "tests" / "e2e" / "prefix-template"
        env = dict(os.environ, TARNLOOK_WINEPREFIX=str(template))
        env.pop("DISPLAY", None)
        subprocess.run([str(SOURCE / "scripts" / "wine-prefix")], env=env, check=True,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return template

    def _copy_prefix(self, template):
        # The system and font folders are large and never written: hard links. The rest is copied.
        shared = {Path("drive_c/windows/system32"), Path("drive_c/windows/syswow64"),
                  Path("drive_c/windows/Fonts")}
        def copy(src, dst, rel):
            if rel in shared:
                subprocess.run(["cp", "-al", str(src), str(dst)], check=True)
            elif src.is_dir() and not src.is_symlink():
                dst.mkdir()
                for entry in src.iterdir():
                    copy(entry, dst / entry.name, rel / entry.name)
            else:
                subprocess.run(["cp", "-a", str(src), str(dst)], check=True)
        self.prefix.mkdir()
        for entry in template.iterdir():
            if not entry.name.endswith(".lock"):
                copy(entry, self.prefix / entry.name, Path(entry.name))

    def _start_display(self):
        read, write = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24",
                                      "-nolisten", "tcp"], pass_fds=(write,),
                                     stderr=open(self.work / "xvfb.log", "w"))
        os.close(write)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                raise Failure("Xvfb did not start")
            number += chunk
        os.close(read)
        self.display = ":" + number.decode().strip()

    @property
    def profile_dir(self):
        return self.prefix / "drive_c" / INSTALL_DIR_REL / "Profiles"

    @property
    def registry_path(self):
        return self.profile_dir / "ComputerInfo.xml"

    # --- the registry file ----------------------------------------------------------------------

    def seed_registry(self, entries):
        text = registry_text(entries).encode("gbk")
        self.registry_path.write_bytes(base64.b64encode(text))

    def registry_bytes(self):
        return self.registry_path.read_bytes() if self.registry_path.exists() else None

    def registry_entries(self):
        raw = self.registry_bytes()
        if raw is None:
            return None
        return parse_registry(base64.b64decode(raw).decode("gbk"))

    # --- programs -------------------------------------------------------------------------------

    def wine_cmd(self, args, timeout=60, wine=None):
        # Output goes through a file, not a pipe: Wine's service processes started by a command
        # inherit its output handles and would hold a pipe open long after the command ended.
        with open(self.work / "wine-cmd.out", "w+b") as out:
            result = subprocess.run([wine or self.wine] + args, env=self.env, stdout=out, stderr=subprocess.STDOUT,
                                    stdin=subprocess.DEVNULL, timeout=timeout)
            out.seek(0)
            text = out.read().decode("utf-8", errors="replace")
        if result.returncode != 0:
            raise Failure("wine %s failed (%d): %s" % (" ".join(args), result.returncode, text))
        return text

    def start(self, exe=None, label="tarnlook", args=(), stdin=None):
        index = len(self.processes)
        out = open(self.work / ("%s-%d.out" % (label, index)), "w")
        process = subprocess.Popen([self.wine, str(exe or self.exe)] + list(args), env=self.env, stdout=out,
                                   stderr=subprocess.STDOUT, stdin=stdin, cwd=self.work)
        process.out_path = Path(out.name)
        self.processes.append(process)
        return process

    @staticmethod
    def scenario_path(name):
        return HERE / "scenarios" / name

    def debug_lines(self, process=None):
        """What a started program (the first when none is named) wrote to the debugger output
        (OutputDebugStringA), one text a call, as Wine prints it with WINEDEBUG=warn+debugstr
        (bytes above 0x7F as \\xNN, code page 936)."""
        path = (process or self.processes[0]).out_path
        raw = path.read_bytes().decode("latin-1") if path.exists() else ""
        lines = []
        for quoted in re.findall(r'warn:debugstr:OutputDebugStringA "((?:[^"\\]|\\.)*)"', raw):
            text = re.sub(r"\\(x[0-9a-f]{2}|.)",
                          lambda m: chr(int(m.group(1)[1:], 16)) if m.group(1)[0] == "x" and len(m.group(1)) == 3
                          else {"n": "\n", "t": "\t", "r": "\r"}.get(m.group(1), m.group(1)), quoted)
            lines.append(text.encode("latin-1").decode("gbk", errors="replace"))
        return lines

    def probe(self, command):
        # A reading taken while windows come and go may fail; the next one is taken afresh.
        for attempt in range(3):
            try:
                return json.loads(self.wine_cmd([str(self.probe_exe), command]))
            except (Failure, ValueError):
                if attempt == 2:
                    raise
                time.sleep(0.3)

    def state(self):
        return self.probe("state")

    def resources(self, pid=None, marker=None):
        """The open handles, threads, GDI and USER objects of the main window's process (or the
        Windows process pid), and "rss_kb", the resident size of the Linux process running it,
        found as the process of this session's prefix whose command line holds marker (the
        program's file name by default)."""
        counts = json.loads(self.wine_cmd([str(self.probe_exe), "resources"] + ([str(pid)] if pid else [])))
        counts["rss_kb"] = self.resident_kb(marker or self.exe.name)
        return counts

    def resident_kb(self, marker):
        """VmRSS of the one Linux process of this session's prefix whose command line holds marker."""
        found = []
        for proc in Path("/proc").iterdir():
            try:
                cmdline = (proc / "cmdline").read_bytes().replace(b"\0", b" ").decode(errors="replace")
                environ = (proc / "environ").read_bytes().split(b"\0")
                status = (proc / "status").read_text()
            except (OSError, ValueError):
                continue
            if marker in cmdline and ("WINEPREFIX=%s" % self.prefix).encode() in environ:
                found.append(int(re.search(r"^VmRSS:\s+(\d+) kB", status, re.M).group(1)))
        check(len(found) == 1, "%d processes of this prefix run %s" % (len(found), marker))
        return found[0]

    def windows(self):
        return self.probe("windows")

    def clipboard(self):
        """The clipboard's CF_TEXT and CF_UNICODETEXT, both as str (None when absent)."""
        return self.probe("clipboard")

    def popups(self, window_class):
        """Visible top-level windows of a class: tooltips_class32 for tooltips, #32768 for menus."""
        return [w for w in self.windows() if w["class"] == window_class]

    def copy_without_resource(self, out_name, type_id, resource_id):
        """A copy of the program in which resource (type_id, resource_id) cannot be found."""
        out = self.work / out_name
        out.write_bytes(hide_resource(self.exe.read_bytes(), type_id, resource_id))
        return out

    def wait_window(self, timeout=60):
        return wait_for("the main window", lambda: (lambda s: s if s["found"] and s["visible"] else None)(self.state()),
                        timeout)

    def wait_summary(self, timeout=60):
        def summary():
            s = self.state()
            return s if s["found"] and s["items"]["1004"]["visible"] and s["items"]["1000"]["visible"] else None
        return wait_for("the summary line", summary, timeout)

    def message_boxes(self, text=None):
        boxes = []
        for window in self.windows():
            texts = [child["text"] for child in window["children"]]
            if window["class"] == "#32770" and (text is None or text in texts):
                boxes.append(window)
        return boxes

    # --- input and pictures ---------------------------------------------------------------------

    def xdotool(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True)

    def click(self, x, y, count=1, button=1):
        self.xdotool("mousemove", "--sync", int(x), int(y))
        time.sleep(0.15)
        if count == 1:
            self.xdotool("click", button)
        else:
            self.xdotool("click", "--repeat", count, "--delay", 120, button)
        time.sleep(0.4)

    def click_rect(self, rect, count=1, dx=None, dy=None, button=1):
        left, top, right, bottom = rect
        x = left + (dx if dx is not None else (right - left) // 2)
        y = top + (dy if dy is not None else (bottom - top) // 2)
        self.click(x, y, count, button)

    def hover_rect(self, rect):
        left, top, right, bottom = rect
        self.xdotool("mousemove", "--sync", (left + right) // 2, (top + bottom) // 2)

    def key(self, *keys):
        self.xdotool("key", "--delay", 60, *keys)
        time.sleep(0.3)

    def type_text(self, text):
        self.xdotool("type", "--delay", 60, text)
        time.sleep(0.3)

    def screenshot(self, label):
        self.shots += 1
        path = self.work / ("%02d-%s.png" % (self.shots, label))
        subprocess.run([IMPORT, "-display", self.display, "-window", "root", str(path)], check=True,
                       env=self.env)
        return path

    # --- the end --------------------------------------------------------------------------------

    def wait_exit(self, process, timeout=30):
        try:
            return process.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end within %d s" % timeout)

    def close(self, failed):
        for process in self.processes:
            if process.poll() is None:
                process.kill()
        if self.env:
            subprocess.run([WINESERVER, "-k"], env=self.env, check=False, stderr=subprocess.DEVNULL)
        for process in self.processes:
            try:
                process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                pass
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
        shutil.rmtree(self.prefix, ignore_errors=True)
        if not failed and os.environ.get("TARNLOOK_E2E_KEEP") != "1":
            shutil.rmtree(self.work, ignore_errors=True)


def hide_resource(image, type_id, resource_id, new_id=999):
    """The PE image with one resource renumbered, so that loading it by its id fails.

    Walks the resource directory (type, then name level) and rewrites the entry's id; the new id
    is higher than every other id of the type, so the entries stay in the ascending order the
    loader's search relies on.
    """
    image = bytearray(image)
    u16 = lambda at: int.from_bytes(image[at:at + 2], "little")
    u32 = lambda at: int.from_bytes(image[at:at + 4], "little")
    pe = u32(0x3C)
    check(image[pe:pe + 4] == b"PE\0\0", "not a PE image")
    sections, optional_size = u16(pe + 6), u16(pe + 20)
    optional = pe + 24
    directories = optional + (112 if u16(optional) == 0x20B else 96)
    resource_rva = u32(directories + 2 * 8)
    table = optional + optional_size
    base = None
    for i in range(sections):
        header = table + 40 * i
        rva, raw_size, raw = u32(header + 12), u32(header + 16), u32(header + 20)
        if rva <= resource_rva < rva + raw_size:
            base = raw + resource_rva - rva
    check(base is not None, "no resource section")

    def entries(directory):
        count = u16(directory + 12) + u16(directory + 14)
        return [directory + 16 + 8 * i for i in range(count)]

    for type_entry in entries(base):
        if u32(type_entry) != type_id:
            continue
        names = base + (u32(type_entry + 4) & 0x7FFFFFFF)
        ids = [u32(e) for e in entries(names)]
        check(all(i < new_id for i in ids), "resource ids reach %d" % new_id)
        for name_entry in entries(names):
            if u32(name_entry) == resource_id:
                image[name_entry:name_entry + 4] = new_id.to_bytes(4, "little")
                return bytes(image)
    raise Failure("resource %d of type %d not found" % (resource_id, type_id))


def rows_by_ip(state):
    """The list rows keyed by the IP text in their second cell."""
    rows = {}
    for index, row in enumerate(state["rows"]):
        match = re.search(r"IP地址: (\S+)", row["cells"][1])
        rows[match.group(1) if match else "?%d" % index] = dict(row, index=index)
    return rows


def host_cell(name):
    return "\n当前电脑\n\n主机名: " + name


def address_cell(mac, ip):
    return "\nMAC地址:" + mac + "\n\nIP地址: " + ip


def count_pixels(png, rect, origin, predicate):
    """Pixels inside rect (screen coordinates) of a screenshot that satisfy predicate(r, g, b)."""
    from PIL import Image
    image = Image.open(png).convert("RGB")
    left, top, right, bottom = rect
    count = 0
    for y in range(max(top, 0), min(bottom, image.height)):
        for x in range(max(left, 0), min(right, image.width)):
            if predicate(*image.getpixel((x, y))):
                count += 1
    return count


def is_red(r, g, b):
    return r > 170 and g < 90 and b < 90


def is_white(r, g, b):
    return r > 225 and g > 225 and b > 225


def run(tests, build):
    """Runs the given tests, each in its own session; exits non-zero if any failed."""
    enter_private_network()
    failed = []
    for test in tests:
        print("---- %s" % test.__name__, flush=True)
        try:
            test(build)
            print("     passed", flush=True)
        except Exception as error:  # reported; the next test still runs
            failed.append(test.__name__)
            print("     FAILED: %s" % error, flush=True)
            traceback.print_exc()
    if failed:
        print("failed: %s" % ", ".join(failed))
        sys.exit(1)


def project_version(build):
    """The CMake project's version ("1.0.0"), as the build tree was configured."""
    cache = (Path(build) / "CMakeCache.txt").read_text()
    match = re.search(r"^CMAKE_PROJECT_VERSION:STATIC=(\S+)$", cache, re.M)
    check(match is not None, "no project version in %s/CMakeCache.txt" % build)
    return match.group(1)


def scenario_test(name, scenario=None, install=True, exe="tarnlook-sim.exe"):
    """Decorator: gives the test a fresh Session and closes it, keeping the run's folder on failure."""
    def wrap(body):
        def test(build):
            session = Session(name, build, scenario=scenario, install=install, exe=exe)
            failed = True
            try:
                body(session)
                failed = False
            except Exception:
                try:
                    session.screenshot("failure")
                    (session.work / "state.json").write_text(json.dumps(session.windows(), ensure_ascii=False, indent=1))
                except Exception:
                    pass
                print("     run kept in %s" % session.work, flush=True)
                raise
            finally:
                session.close(failed)
        test.__name__ = body.__name__
        return test
    return wrap
