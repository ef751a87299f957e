#!/usr/bin/env bash
# Proves the README's two commands on a freshly made Debian 12 system, as a new user meets them:
# makes a minimal system with mmdebstrap (apt, git, sudo and python3, nothing else), copies this
# checkout into it and, as a normal user with sudo rights, runs there
#   scripts/test.sh              set-up, configure, build and every test,
#   scripts/run.sh --help        the program's own start command, with no display,
#   scripts/package.sh --check   the Debian package, built and checked,
# then installs that package with apt and asks the installed program for --version, --help and
# --headless --help with no display, so the package's own dependencies are proven too.
# Anything missing from scripts/setup.sh (or from the package's dependencies) fails it.
#
# Needs root: it makes the system, mounts /proc, /sys, /dev/pts and /dev/shm in it itself and
# unmounts them whatever happens. The system lives under build/fresh and is removed at the end
# (--keep leaves it for a look).
# Usage: scripts/fresh-check.sh [--keep]
set -euo pipefail
cd "$(dirname "$0")/.."
keep=false
[ "${1:-}" = --keep ] && keep=true

say() { echo "fresh-check: $*"; }
started=$SECONDS
stamp() { say "$(printf '%4d s' $((SECONDS - started))) $*"; }

if [ "$(id -u)" -ne 0 ]; then
  say "needs root: it makes a Debian system in a folder and mounts /proc and /dev/pts in it"
  exit 1
fi
if ! command -v mmdebstrap >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null
fi

work=$PWD/build/fresh
root=$work/root
mounts=()
cleanup() {
  local status=$?
  # Processes a test left behind in the system would hold its mounts.
  if [ -d "$root/proc" ]; then
    for pid in $(ls /proc | grep -E '^[0-9]+$'); do
      [ "$(readlink "/proc/$pid/root" 2>/dev/null)" = "$root" ] && kill -9 "$pid" 2>/dev/null
    done
  fi
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" 2>/dev/null || true
  done
  if $keep; then
    say "the system is kept in $root"
  else
    rm -rf "$work"
  fi
  exit $status
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# A system left by an earlier run that was killed: its mounts first, then the rest.
if [ -d "$work" ]; then
  grep -o " $work/[^ ]*" /proc/mounts | sort -r | while read -r m; do umount -l "$m" || true; done
  rm -rf "$work"
fi
mkdir -p "$work"

stamp "making a minimal Debian 12 system"
mirror=http://deb.debian.org/debian
mmdebstrap --quiet --variant=apt --include=ca-certificates,git,sudo,python3 bookworm "$root" \
  "deb $mirror bookworm main" "deb $mirror bookworm-updates main" \
  "deb http://deb.debian.org/debian-security bookworm-security main"

mountin() { # TYPE SOURCE TARGET OPTIONS
  mkdir -p "$root$3"
  mount -t "$1" -o "$4" "$2" "$root$3"
  mounts+=("$root$3")
}
mountin proc proc /proc nosuid,nodev,noexec
mountin sysfs sysfs /sys ro,nosuid,nodev,noexec
mountin devpts devpts /dev/pts newinstance,ptmxmode=0666,mode=0620,gid=5
mountin tmpfs tmpfs /dev/shm nosuid,nodev,mode=1777
# The system's own pseudo-terminal master, not the host's.
rm -f "$root/dev/ptmx"
ln -s pts/ptmx "$root/dev/ptmx"
cp /etc/resolv.conf "$root/etc/resolv.conf"
echo "127.0.1.1 $(hostname)" >>"$root/etc/hosts" # for sudo

# A new user with sudo rights, as the README expects, and the checkout as git would give it.
chroot "$root" useradd --create-home --shell /bin/bash builder
echo 'builder ALL=(ALL) NOPASSWD: ALL' >"$root/etc/sudoers.d/builder"
chmod 0440 "$root/etc/sudoers.d/builder"
home=$root/home/builder
mkdir -p "$home/s88monitor"
git ls-files -z --cached --others --exclude-standard |
  tar --null -T - -cf - | tar -xf - -C "$home/s88monitor"
chroot "$root" chown -R builder:builder /home/builder/s88monitor

as_user() { # runs a command line in the checkout, as the user, with a clean environment
  chroot "$root" /usr/sbin/runuser -l builder -c "cd ~/s88monitor && $1"
}

stamp "scripts/test.sh (set-up, build and every test)"
as_user 'scripts/test.sh'
stamp "scripts/run.sh --help, with no display"
as_user 'env -u DISPLAY -u WAYLAND_DISPLAY scripts/run.sh --help' | sed -n 1,3p
stamp "scripts/package.sh --check"
deb=$(as_user 'scripts/package.sh --check' | tail -n 1)
stamp "installing $(basename "$deb") with apt"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq \
  "/home/builder/s88monitor/$deb" >/dev/null
for args in --version --help '--headless --help'; do
  stamp "s88monitor $args"
  chroot "$root" /usr/sbin/runuser -l builder -c "s88monitor $args" | sed -n 1,3p
done
stamp "passed: the README's commands and the package work on a fresh Debian 12 system"
