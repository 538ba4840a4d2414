#!/usr/bin/env bash
# Makes the Debian package build-package/tolvarine_<version>_<arch>.deb for the Debian
# release this runs on: the package depends on that release's libraries, so make it
# on each release it is for. Installs what is missing first; extra arguments go to CMake.
# Then checks it with lintian when lintian is installed.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
dir=$top/build-package
"$top/tools/setup.sh"
# dpkg-shlibdeps (dpkg-dev) and file compute the package's library dependencies.
tools=()
for pkg in dpkg-dev file; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || tools+=("$pkg")
done
if ((${#tools[@]})); then
  sudo=()
  [[ $(id -u) -ne 0 ]] && sudo=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${tools[@]}"
fi
cmake -S "$top" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr -DTOLVARINE_TESTS=OFF "$@"
cmake --build "$dir" -j"$(nproc)"
rm -f "$dir"/tolvarine_*.deb
(cd "$dir" && cpack -G DEB)
deb=$(ls "$dir"/tolvarine_*.deb)
dpkg-deb --field "$deb" Package Version Architecture Installed-Size Depends
if command -v lintian >/dev/null; then
  lintian --info "$deb"
fi
echo "$deb"
