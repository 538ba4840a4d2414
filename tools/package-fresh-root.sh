#!/usr/bin/env bash
# Tries the Debian package on a fresh Debian root (for example one made by
# `debootstrap --variant=minbase --include=git,ca-certificates bookworm ROOT`), which it
# leaves untouched. Needs root. In a copy of ROOT it makes the package from this
# repository's HEAD (tools/package.sh, lintian included); in a second, clean copy it
# installs it with `apt install ./tolvarine_*.deb`, starts the program under Xvfb from
# the desktop entry's Exec line and takes a screenshot, then removes it with
# `apt remove --purge` and lists anything of the package that is left.
# Usage: tools/package-fresh-root.sh ROOT WORK [DEB]   (WORK: an absent folder for the
# copies, the package, lintian's report and the screenshot; the copies are removed at the
# end. DEB: a package already made on ROOT's release, tried instead of making one.)
set -euo pipefail
root=$(cd "$1" && pwd)
work=$2
given=${3:+$(realpath "$3")}
top=$(cd "$(dirname "$0")/.." && pwd)
[[ $(id -u) -eq 0 ]] || { echo "needs root" >&2; exit 1; }
[[ ! -e "$work" ]] || { echo "$work exists" >&2; exit 1; }
mkdir -p "$work"
work=$(cd "$work" && pwd)
builder=$work/build-root
runner=$work/run-root

mounted=()
enter() { # copy ROOT to $1 and make it usable for chroot
  cp -a "$root" "$1"
  for m in proc sys dev; do
    mount --bind "/$m" "$1/$m"
    mounted+=("$1/$m")
  done
  cp /etc/resolv.conf "$1/etc/resolv.conf"
  chroot "$1" apt-get update -q >/dev/null
}
leave() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount "${mounted[i]}" || umount -l "${mounted[i]}"; done
  mounted=()
  # Never remove a copy while anything is still mounted in it.
  if ! grep -q " $work/" /proc/mounts; then rm -rf "$builder" "$runner"; fi
}
trap leave EXIT
inside() { local r=$1; shift; chroot "$r" env DEBIAN_FRONTEND=noninteractive HOME=/root LANG=C.UTF-8 "$@"; }

if [[ -n "$given" ]]; then
  cp "$given" "$work/"
else
  echo "=== making the package in a copy of $root"
  enter "$builder"
  git clone -q "$top" "$builder/root/tolvarine"
  inside "$builder" apt-get install -y -q --no-install-recommends lintian >/dev/null
  inside "$builder" bash /root/tolvarine/tools/package.sh 2>&1 | tee "$work/package.log"
  cp "$builder"/root/tolvarine/build-package/tolvarine_*.deb "$work/"
  inside "$builder" lintian --info "/root/tolvarine/build-package/$(basename "$work"/tolvarine_*.deb)" \
    >"$work/lintian.txt" 2>&1 || true
fi
deb=$(basename "$(ls "$work"/tolvarine_*.deb)")

echo "=== installing $deb in a clean copy"
enter "$runner"
cp "$work/$deb" "$runner/root/"
inside "$runner" apt-get install -y -q "/root/$deb" 2>&1 | tee "$work/install.log"
inside "$runner" dpkg -L tolvarine >"$work/files.txt"
# What starting it needs beyond the package: an X server and a screenshot tool.
inside "$runner" apt-get install -y -q --no-install-recommends xvfb xauth x11-utils imagemagick >/dev/null
exec_line=$(sed -n 's/^Exec=//p' "$runner/usr/share/applications/tolvarine.desktop")
echo "=== starting: $exec_line"
cat >"$runner/root/start.sh" <<SCRIPT
$exec_line &
pid=\$!
for i in \$(seq 1 40); do
  sleep 0.5
  xwininfo -root -tree 2>/dev/null | grep -q '"Tolvarine"' && break
done
sleep 1
import -window root /root/started.png
xwininfo -root -tree | grep -i tolvarine || true
kill \$pid
SCRIPT
inside "$runner" xvfb-run -a -s "-screen 0 1280x1024x24" bash /root/start.sh | tee "$work/start.log"
cp "$runner/root/started.png" "$work/" || true

echo "=== removing"
inside "$runner" apt-get remove --purge -y -q tolvarine 2>&1 | tee "$work/remove.log"
left=()
while read -r f; do
  [[ "$f" == / || -z "$f" ]] && continue
  [[ -e "$runner$f" && ! -d "$runner$f" ]] && left+=("$f")
  [[ -d "$runner$f" && "$f" == */tolvarine* ]] && left+=("$f/")
done <"$work/files.txt"
inside "$runner" dpkg -l tolvarine >/dev/null 2>&1 && left+=("(dpkg still lists tolvarine)")
if ((${#left[@]})); then
  printf 'left after removal: %s\n' "${left[@]}" | tee "$work/left.txt"
else
  echo "nothing of the package is left" | tee "$work/left.txt"
fi
