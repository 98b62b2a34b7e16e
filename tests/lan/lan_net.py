"""The test LAN: Linux network namespaces joined by a bridge, with real hosts and real responders.

    198.18.7.0/24 (a benchmarking range, RFC 2544)
    switch namespace: bridge br0 and one veth port per host; no address, no link to the machine
    home namespace:   the computer running Tarnlook (.100), resolver and hosts file of its own (its
                      name on 127.0.1.1), a default route through the router (.1), and first of
                      all a host-only adapter (198.18.56.1/24) to one virtual machine
    peer namespaces:  one per device of PEERS, each a Linux kernel answering ARP; the VM's too

Nothing is linked to the machine's own namespace, no namespace has a route beyond its own networks
but home's default route through the router, and none forwards, so nothing sent on this LAN can
leave it. Every namespace carries NAME_PREFIX: an earlier
run that was killed is cleared before a new one is built (its processes, then its namespaces).
Runs on one machine are serialised by a lock file.

    lan_net.py up <run folder>    builds the LAN and starts the responders (for trying things)
    lan_net.py down               removes every namespace of the LAN and what runs in them
"""
import fcntl
import os
import signal
import socket
import struct
import subprocess
import sys
import time
from collections import namedtuple
from pathlib import Path

NAME_PREFIX = "tarnlook-lan-"
SWITCH = NAME_PREFIX + "switch"
HOME = NAME_PREFIX + "home"
NETWORK = "198.18.7"
HOME_IP = NETWORK + ".100"
HOME_MAC = "00-1B-21-07-00-64"  # Intel
# A host-only network, as a virtual machine program makes one: home's first adapter, made before its
# LAN adapter and without a gateway, and one virtual machine on it. The scan must keep to the LAN.
VM = NAME_PREFIX + "vm"
HOST_ONLY = "198.18.56"
HOME_HOST_ONLY_IP = HOST_ONLY + ".1"
VM_IP = HOST_ONLY + ".101"
VM_MAC = "08-00-27-38-00-65"  # VirtualBox
RESOLVER_DIR = Path("/etc/netns") / HOME
LOCK = "/tmp/tarnlook-lan.lock"
AVAHI_RUN = Path("/run/avahi-daemon")

# A device of the LAN. ptr: the name its address resolves to in DNS (None: NXDOMAIN at once);
# netbios: the name nmbd announces, in code page 936 as Simplified-Chinese Windows does; mdns: the
# host name avahi-daemon announces.
Peer = namedtuple("Peer", "key host mac ptr netbios mdns role")
PEERS = [
    Peer("router", 1, "50-C7-BF-07-00-01", None, None, None, "router (TP-LINK), the DNS server"),
    Peer("printer", 10, "00-1B-A9-07-00-0A", "printer", None, None, "printer (Brother)"),
    Peer("nas", 20, "00-11-32-07-00-14", "nas-storage.home.arpa", None, None, "NAS (Synology)"),
    Peer("phone", 30, "DA-A1-19-07-00-1E", None, None, None, "phone, locally administered MAC"),
    Peer("tv", 40, "8C-79-F5-07-00-28", None, None, None, "TV (Samsung), answers no name query"),
    Peer("pc", 50, "70-85-C2-07-00-32", None, "OFFICE-PC", None, "Windows PC (ASRock), nmbd"),
    Peer("pi", 60, "DC-A6-32-07-00-3C", None, None, "kitchen-pi", "Raspberry Pi, avahi-daemon"),
    Peer("media", 70, "A4-5E-60-07-00-46", "media.home.arpa", None, "apple-tv", "Apple TV, PTR and mDNS"),
    Peer("finance", 80, "00-E0-4C-07-00-50", None, "财务电脑", None, "Chinese Windows PC (Realtek), nmbd"),
    Peer("ap", 254, "18-E8-29-07-00-FE", "ap.home.arpa", None, None, "access point (Ubiquiti)"),
    Peer("guest", 90, "3C-22-FB-07-00-5A", None, None, None, "a guest's phone (Apple), joins while watched"),
]
DNS_SERVER = "router"


def ip_of(peer):
    return "%s.%d" % (NETWORK, peer.host)


def namespace_of(peer):
    return NAME_PREFIX + peer.key


def peer(key):
    return next(p for p in PEERS if p.key == key)


def sh(*args, check=True, timeout=20, **kwargs):
    return subprocess.run([str(a) for a in args], check=check, timeout=timeout, **kwargs)


# --- building and clearing ------------------------------------------------------------------------

def lock():
    """Held for the whole run: a second run on this machine waits instead of clearing this one."""
    handle = open(LOCK, "w")
    fcntl.flock(handle, fcntl.LOCK_EX)
    return handle


def our_namespaces():
    listed = subprocess.run(["ip", "netns", "list"], capture_output=True, text=True, check=True).stdout
    return [line.split()[0] for line in listed.splitlines() if line.startswith(NAME_PREFIX)]


def down():
    """Ends what runs in the LAN's namespaces (started by this test) and removes them."""
    namespaces = our_namespaces()
    pids = set()
    for name in namespaces:
        listed = subprocess.run(["ip", "netns", "pids", name], capture_output=True, text=True).stdout
        pids.update(int(p) for p in listed.split())
    for sig in (signal.SIGTERM, signal.SIGKILL):
        for pid in pids:
            try:
                os.kill(pid, sig)
            except ProcessLookupError:
                pass
        deadline = time.monotonic() + 3
        while pids and time.monotonic() < deadline:
            pids = {p for p in pids if Path("/proc/%d" % p).exists()}
            time.sleep(0.05)
    for name in namespaces:
        sh("ip", "netns", "del", name, check=False)
    if RESOLVER_DIR.exists():
        for entry in RESOLVER_DIR.iterdir():
            entry.unlink()
        RESOLVER_DIR.rmdir()
        if not any(RESOLVER_DIR.parent.iterdir()):
            RESOLVER_DIR.parent.rmdir()
    try:
        AVAHI_RUN.rmdir()  # the mount point, when no avahi-daemon of the machine uses it
    except OSError:
        pass


def add_host(namespace, port, ip, mac, made=False):
    if not made:
        sh("ip", "netns", "add", namespace)
    sh("ip", "-n", SWITCH, "link", "add", port, "type", "veth", "peer", "name", "eth0", "netns", namespace)
    sh("ip", "-n", SWITCH, "link", "set", port, "master", "br0", "up")
    quiet(namespace)
    sh("ip", "-n", namespace, "link", "set", "eth0", "address", mac.replace("-", ":").lower())
    sh("ip", "-n", namespace, "addr", "add", ip + "/24", "dev", "eth0")
    sh("ip", "-n", namespace, "link", "set", "lo", "up")
    sh("ip", "-n", namespace, "link", "set", "eth0", "up")


def add_host_only_network():
    """Home with its host-only adapter (vboxnet0) and the virtual machine at its other end."""
    for name in (HOME, VM):
        sh("ip", "netns", "add", name)
        quiet(name)
    sh("ip", "-n", HOME, "link", "add", "vboxnet0", "type", "veth", "peer", "name", "eth0", "netns", VM)
    sh("ip", "-n", VM, "link", "set", "eth0", "address", VM_MAC.replace("-", ":").lower())
    for name, port, ip in ((HOME, "vboxnet0", HOME_HOST_ONLY_IP), (VM, "eth0", VM_IP)):
        sh("ip", "-n", name, "addr", "add", ip + "/24", "dev", port)
        sh("ip", "-n", name, "link", "set", "lo", "up")
        sh("ip", "-n", name, "link", "set", port, "up")


def quiet(namespace):
    """No IPv6 (no router solicitations, no duplicate-address probes) and no forwarding."""
    sh("ip", "netns", "exec", namespace, "sysctl", "-qw", "net.ipv6.conf.all.disable_ipv6=1",
       "net.ipv6.conf.default.disable_ipv6=1", "net.ipv4.ip_forward=0")


def up():
    """Builds the switch, home and every peer. The caller has cleared an earlier run (down())."""
    sh("ip", "netns", "add", SWITCH)
    quiet(SWITCH)
    sh("ip", "-n", SWITCH, "link", "add", "br0", "type", "bridge")
    sh("ip", "-n", SWITCH, "link", "set", "br0", "up")
    add_host_only_network()
    add_host(HOME, "home", HOME_IP, HOME_MAC, made=True)
    # The default route of a home network, through the router, which forwards nothing.
    sh("ip", "-n", HOME, "route", "add", "default", "via", ip_of(peer("router")), "dev", "eth0")
    for p in PEERS:
        add_host(namespace_of(p), p.key, ip_of(p), p.mac)
    RESOLVER_DIR.mkdir(parents=True, exist_ok=True)
    (RESOLVER_DIR / "resolv.conf").write_text(
        "nameserver %s\noptions timeout:1 attempts:1\n" % ip_of(peer(DNS_SERVER)))
    # As Debian's installer writes it: the own name on a loopback alias.
    (RESOLVER_DIR / "hosts").write_text("127.0.0.1 localhost\n127.0.1.1 %s\n" % socket.gethostname())
    # Nothing may leave: every namespace holds only its connected routes, home also the default
    # route through the router.
    allowed = {name: [NETWORK + ".0/24 "] for name in [namespace_of(p) for p in PEERS]}
    allowed[HOME] = [NETWORK + ".0/24 ", HOST_ONLY + ".0/24 ", "default via %s dev eth0" % ip_of(peer("router"))]
    allowed[VM] = [HOST_ONLY + ".0/24 "]
    for name, prefixes in allowed.items():
        routes = subprocess.run(["ip", "-n", name, "-4", "route", "show"], capture_output=True, text=True,
                                check=True).stdout.split("\n")
        routes = sorted(r for r in routes if r.strip())
        if len(routes) != len(prefixes) or not all(any(r.startswith(p) for r in routes) for p in prefixes):
            raise RuntimeError("%s has routes beyond the LAN: %r" % (name, routes))


# --- responders -------------------------------------------------------------------------------------

def reverse_name(ip):
    return ".".join(reversed(ip.split("."))) + ".in-addr.arpa"


def start_dns(run):
    """dnsmasq on the router: PTR records for the peers that have one, NXDOMAIN at once for the
    rest of the /24 and of home.arpa; nothing is forwarded anywhere."""
    args = ["ip", "netns", "exec", namespace_of(peer(DNS_SERVER)), "dnsmasq", "--keep-in-foreground",
            "--conf-file=/dev/null", "--no-hosts", "--no-resolv", "--pid-file", "--user=root",
            "--interface=eth0", "--bind-interfaces", "--log-facility=%s" % (run / "dnsmasq.log"),
            "--log-queries", "--local=/%s/" % reverse_name(NETWORK + ".0")[2:], "--local=/home.arpa/"]
    args += ["--ptr-record=%s,%s" % (reverse_name(ip_of(p)), p.ptr) for p in PEERS if p.ptr]
    return subprocess.Popen(args, stdout=subprocess.DEVNULL, stderr=open(run / "dnsmasq.err", "w"))


def start_nmbd(run, p):
    """Samba's nmbd with a private smb.conf: every directory it writes sits under the run folder."""
    folder = run / ("nmbd-" + p.key)
    for sub in ("lock", "state", "cache", "pid", "private", "ncalrpc", "log"):
        (folder / sub).mkdir(parents=True, exist_ok=True)
    conf = folder / "smb.conf"
    conf.write_text("\n".join([
        "[global]",
        "netbios name = %s" % p.netbios, "dos charset = CP936",
        "workgroup = TARNLOOK",
        "server role = standalone server",
        "interfaces = %s/24" % ip_of(p),
        "bind interfaces only = yes",
        "local master = no", "domain master = no", "preferred master = no", "dns proxy = no",
        "lock directory = %s/lock" % folder, "state directory = %s/state" % folder,
        "cache directory = %s/cache" % folder, "pid directory = %s/pid" % folder,
        "private dir = %s/private" % folder, "ncalrpc dir = %s/ncalrpc" % folder,
        "log file = %s/log/nmbd.log" % folder, ""]), encoding="utf-8")
    return subprocess.Popen(["ip", "netns", "exec", namespace_of(p), "nmbd", "--foreground",
                             "--no-process-group", "--configfile=%s" % conf, "--log-basename=%s/log" % folder],
                            stdout=subprocess.DEVNULL, stderr=open(folder / "stderr", "w"))


def start_avahi(run, p):
    """avahi-daemon without D-Bus, with an explicit host name (the namespaces share the machine's)
    and a private /run/avahi-daemon, bind-mounted in ip netns exec's own mount namespace."""
    folder = run / ("avahi-" + p.key)
    (folder / "run").mkdir(parents=True, exist_ok=True)
    conf = folder / "avahi-daemon.conf"
    conf.write_text("\n".join([
        "[server]", "host-name=%s" % p.mdns, "domain-name=local", "use-ipv4=yes", "use-ipv6=no",
        "allow-interfaces=eth0", "enable-dbus=no",
        "[wide-area]", "enable-wide-area=no",
        "[publish]", "publish-addresses=yes", "publish-hinfo=no", "publish-workstation=no",
        "publish-domain=no",
        "[reflector]", "enable-reflector=no", ""]))
    AVAHI_RUN.mkdir(exist_ok=True)  # the mount point
    script = 'mount --bind "$1" "$2" && exec avahi-daemon --file="$3" --no-drop-root --no-chroot --no-rlimits'
    return subprocess.Popen(["ip", "netns", "exec", namespace_of(p), "sh", "-c", script, "avahi",
                             str(folder / "run"), str(AVAHI_RUN), str(conf)],
                            stdout=subprocess.DEVNULL, stderr=open(folder / "stderr", "w"))


def start_responders(run):
    processes = [start_dns(run)]
    processes += [start_nmbd(run, p) for p in PEERS if p.netbios]
    processes += [start_avahi(run, p) for p in PEERS if p.mdns]
    return processes


# --- asking the responders (from home) ----------------------------------------------------------------

def encode_name(name):
    return b"".join(bytes([len(label)]) + label.encode() for label in name.split(".")) + b"\0"


def ask(ip, port, query, expected, timeout=0.5):
    """Sends one query from an ephemeral port; True when the reply carries the query's id and
    the expected bytes (the name the responder must give)."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.settimeout(timeout)
        s.sendto(query, (ip, port))
        try:
            reply, sender = s.recvfrom(2048)
        except socket.timeout:
            return False
        return sender[0] == ip and reply[:2] == query[:2] and expected in reply[12:]


def netbios_status_query():
    # Name "*" padded with NULs, first-level encoded (RFC 1002 4.1.1), type NBSTAT, class IN.
    star = b"*" + b"\0" * 15
    encoded = bytes([32]) + b"".join(bytes([ord("A") + (c >> 4), ord("A") + (c & 15)]) for c in star) + b"\0"
    return struct.pack(">HHHHHH", 0x7A11, 0, 1, 0, 0, 0) + encoded + struct.pack(">HH", 0x21, 1)


def mdns_ptr_query(ip):
    return struct.pack(">HHHHHH", 0x7A12, 0, 1, 0, 0, 0) + encode_name(reverse_name(ip)) + struct.pack(">HH", 12, 1)


def dns_ptr_query(ip):
    return struct.pack(">HHHHHH", 0x7A13, 0x0100, 1, 0, 0, 0) + encode_name(reverse_name(ip)) + struct.pack(">HH", 12, 1)


def wait_for_responders(timeout=15.0):
    """Bounded wait until DNS, every nmbd and every avahi-daemon answers a query with its name;
    returns the seconds it took, or raises naming the silent ones."""
    start = time.monotonic()
    named = next(p for p in PEERS if p.ptr)
    pending = [("dnsmasq", ip_of(peer(DNS_SERVER)), 53, dns_ptr_query(ip_of(named)), encode_name(named.ptr))]
    pending += [("nmbd on " + p.key, ip_of(p), 137, netbios_status_query(), p.netbios.encode("gbk").ljust(15) + b"\0")
                for p in PEERS if p.netbios]
    pending += [("avahi-daemon on " + p.key, ip_of(p), 5353, mdns_ptr_query(ip_of(p)), encode_name(p.mdns + ".local"))
                for p in PEERS if p.mdns]
    while pending:
        pending = [item for item in pending if not ask(*item[1:])]
        if pending and time.monotonic() - start > timeout:
            raise RuntimeError("no answer within %.0f s from %s" % (timeout, ", ".join(i[0] for i in pending)))
    return time.monotonic() - start


def main():
    command = sys.argv[1] if len(sys.argv) > 1 else ""
    if command == "down":
        with lock():
            down()
    elif command == "up" and len(sys.argv) == 3:
        run = Path(sys.argv[2]).resolve()
        run.mkdir(parents=True, exist_ok=True)
        down()
        up()
        for process in start_responders(run):
            print("started %d: %s" % (process.pid, " ".join(process.args[4:6])))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main()
