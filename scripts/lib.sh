# The decisions the setup, test and package scripts make, sourced by them and tested by
# scripts/check-scripts (the checks layer). Sourcing runs nothing.

# --- Wine prefix -------------------------------------------------------------------------------

# Whether a prefix holds the 32-bit system. One made while 32-bit Wine was missing has a syswow64
# folder too, but an empty one.
prefix_wow64() { [ -f "$1/drive_c/windows/syswow64/kernel32.dll" ]; }

# A prepared prefix is ready, unless 32-bit Wine is installed and the prefix is no WoW64 one yet: it
# must be upgraded first, or every 32-bit program fails in it.
prefix_ready() {  # prefix, ready marker's name, 32-bit wine
  [ -f "$1/$2" ] && { [ ! -x "$3" ] || prefix_wow64 "$1"; }
}

# Whether the project made a prefix, so that scripts/wine-prefix may replace it: one in the
# checkout's build folder, or one holding the mark that the script puts in each prefix it makes.
# Any other (a user's ~/.wine named by TARNLOOK_WINEPREFIX) is only ever added to.
prefix_mark=.tarnlook-made
# The mark of a prepared prefix (its number grows when the preparation changes).
prefix_ready_mark=.tarnlook-ready-3
prefix_ours() {  # prefix, checkout
  case $1/ in "$2"/build/*) return 0 ;; esac
  [ -f "$1/$prefix_mark" ]
}

# --- apt ---------------------------------------------------------------------------------------

# The packages an apt-get run (-q, not -qq) lists as to be downgraded, one a line.
apt_downgrades() {
  awk '/^The following packages will be DOWNGRADED:/ {on = 1; next}
       on && /^  / {for (i = 1; i <= NF; i++) print $i; next}
       {on = 0}'
}

# Whether an apt-get run planned to remove packages (with --no-remove it then stops).
apt_would_remove() { grep -q -e 'will be REMOVED:' -e 'remove is disabled'; }

# --- system services ---------------------------------------------------------------------------

# The system services to turn off after an install: the test LAN starts nmbd and avahi-daemon
# itself, in its own namespaces. Only those of the packages this install newly added (samba's and
# avahi-daemon's; without its socket unit, socket activation starts avahi-daemon again), and none
# that ran before it: a machine's own Samba server or avahi-daemon stays as it was.
services_to_stop() {  # units in use before the install (space-separated), packages it installed...
  local before=" $1 " package unit units
  shift
  for package in "$@"; do
    case $package in
      samba) units="nmbd.service smbd.service samba-ad-dc.service" ;;
      avahi-daemon) units="avahi-daemon.service avahi-daemon.socket" ;;
      *) units= ;;
    esac
    for unit in $units; do
      [[ $before == *" $unit "* ]] || echo "$unit"
    done
  done
}

# --- 32-bit programs ---------------------------------------------------------------------------

# The binfmt_misc entry that hands i386 ELF programs to qemu (bytes 0-19 of the ELF header).
i386_magic=7f454c4601010100000000000000000002000300
i386_mask=fffffffffffefe00fffffffffffffffffeffffff

# A static i386 program that exits with 0. Byte 15, padding of e_ident that the kernel's loader
# ignores, is 1, which the entry above does not accept: a registered qemu cannot answer for the
# kernel.
i386_probe() {  # output path
  printf '.globl _start\n_start: movl $1, %%eax\nxorl %%ebx, %%ebx\nint $0x80\n' |
    gcc -m32 -nostdlib -static -x assembler -o "$1" - 2>/dev/null &&
    printf '\001' | dd of="$1" bs=1 seek=15 conv=notrunc status=none
}

# Whether the kernel runs 32-bit x86 programs itself (then no qemu handler is registered).
kernel_runs_i386() {
  local dir rc=1
  dir=$(mktemp -d)
  i386_probe "$dir/probe" && "$dir/probe" 2>/dev/null && rc=0
  rm -rf "$dir"
  return "$rc"
}

# --- logs --------------------------------------------------------------------------------------

# Runs a command with its output in a log; when it fails, shows the log's end.
run_logged() {  # log, command...
  local log=$1 rc=0
  shift
  "$@" >"$log" 2>&1 || rc=$?
  if ((rc)); then
    echo "$(basename "$1") failed (exit $rc); the end of $log:"
    tail -n 40 "$log"
  fi
  return "$rc"
}
