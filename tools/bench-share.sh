#!/usr/bin/env bash
# Times the browsing code on a file server: serves the benchmark's data over sshfs
# from an sshd of its own on 127.0.0.1, runs tolvarine-bench on the mount and on
# the local folder in the same run, and prints both side by side. Needs root (the
# sshd, the FUSE mount, installing what is missing); never run by the tests.
# Everything it starts (sshd, mount, temporary folder) is gone when it ends,
# interrupted or not.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)

usage() {
  cat <<EOF
usage: tools/bench-share.sh [--bench PATH] [--data DIR] [--runs N] [--sshfs OPTIONS] [--exec CMD] [-- BENCH-OPTIONS]

Serves DIR over sshfs (an sshd of this script's own, on 127.0.0.1, a free port,
a host key and configuration made for this run) and runs tolvarine-bench --data
on the mount and on DIR itself, then prints the medians of both and their ratio.

  --bench PATH  the benchmark program (default: build/bin/tolvarine-bench;
                build it with: cmake --build build --target tolvarine-bench)
  --data DIR    the benchmark's data folder, made by the first run and reused
                (default: /var/tmp/tolvarine-bench-data)
  --runs N      runs per task (default 7); the medians are printed
  --sshfs OPTIONS  more mount options for sshfs (its -o list), to try a server
                set up otherwise, e.g. max_conns=4 (several SSH connections,
                so several sshd processes, as a file server serves many requests
                at once)
  --exec CMD    instead of the benchmark runs, run CMD (through bash) with the
                mount in \$SHARE and the data folder in \$LOCAL, to time other
                tools on the very same files

Needs root, /dev/fuse, and the Debian packages openssh-server, openssh-client,
sshfs and fuse3 (installed through apt-get when missing).
EOF
}

bench="$top/build/bin/tolvarine-bench"
data=/var/tmp/tolvarine-bench-data
runs=7
exec_cmd=""
sshfs_options=()
extra=()
while (($#)); do
  case "$1" in
  --bench) bench=${2:?--bench wants a path}; shift 2 ;;
  --data) data=${2:?--data wants a folder}; shift 2 ;;
  --runs) runs=${2:?--runs wants a number}; shift 2 ;;
  --sshfs) sshfs_options=(-o "${2:?--sshfs wants mount options}"); shift 2 ;;
  --exec) exec_cmd=${2:?--exec wants a command}; shift 2 ;;
  -h | --help) usage; exit 0 ;;
  --) shift; extra=("$@"); break ;;
  *) echo "unknown argument: $1" >&2; usage >&2; exit 2 ;;
  esac
done
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "--runs wants a positive number" >&2; exit 2; }
[[ $(id -u) -eq 0 ]] || { echo "needs root (sshd, FUSE mount, apt-get); try: sudo $0" >&2; exit 2; }
[[ -x $bench ]] || {
  echo "no benchmark program at $bench; build it: cmake --build build --target tolvarine-bench" >&2
  exit 2
}
[[ -c /dev/fuse ]] || { echo "no /dev/fuse: this machine cannot mount FUSE file systems" >&2; exit 2; }

missing=()
for pkg in openssh-server openssh-client sshfs fuse3; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}" >&2
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# --- clean-up: whatever was started, in reverse ---------------------------------
work=""
mnt=""
mounted=0
sshd_pid=""
bench_pid=""
made_privsep=0
cleanup() {
  local status=$?
  trap - EXIT INT TERM HUP
  if [[ -n $bench_pid ]] && kill -0 "$bench_pid" 2>/dev/null; then
    kill "$bench_pid" 2>/dev/null || true
    wait "$bench_pid" 2>/dev/null || true
  fi
  if ((mounted)); then
    fusermount3 -u "$mnt" 2>/dev/null || fusermount3 -uz "$mnt" 2>/dev/null || true
  fi
  if [[ -n $sshd_pid ]]; then
    kill "$sshd_pid" 2>/dev/null || true
    wait "$sshd_pid" 2>/dev/null || true
  fi
  ((made_privsep)) && rmdir /run/sshd 2>/dev/null
  # Never remove through a mount that is still there: that would delete the data.
  if [[ -n $work ]]; then
    if mountpoint -q "$mnt"; then
      echo "$mnt is still mounted; $work left in place" >&2
    else
      rm -rf "$work"
    fi
  fi
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Runs a command in the background and waits for it, so that a signal to this
# script is handled at once (and the command ended by the clean-up).
run() {
  "$@" &
  bench_pid=$!
  local status=0
  wait "$bench_pid" || status=$?
  bench_pid=""
  return "$status"
}

work=$(mktemp -d /tmp/tolvarine-share.XXXXXX)
mnt="$work/mnt"
mkdir "$mnt"
mkdir -p "$data"
data=$(cd "$data" && pwd)

# Makes the data first: the share serves it.
if [[ ! -f $data/tolvarine-bench-data.txt ]]; then
  echo "=== making the data in $data" >&2
  run "$bench" --data "$data" --runs 1 >/dev/null
fi

# --- an sshd of our own ------------------------------------------------------------
ssh-keygen -q -t ed25519 -N '' -C tolvarine-bench-host -f "$work/host_key"
ssh-keygen -q -t ed25519 -N '' -C tolvarine-bench-client -f "$work/client_key"
cp "$work/client_key.pub" "$work/authorized_keys"
if [[ ! -d /run/sshd ]]; then
  mkdir -m 755 /run/sshd
  made_privsep=1
fi

port_free() { [[ -z $(ss -Hltn "sport = :$1" 2>/dev/null) ]]; }
started=0
for _ in 1 2 3 4 5 6 7 8 9 10; do
  port=$((20000 + RANDOM % 40000))
  port_free "$port" || continue
  cat >"$work/sshd_config" <<EOF
ListenAddress 127.0.0.1
Port $port
HostKey $work/host_key
PidFile $work/sshd.pid
AuthorizedKeysFile $work/authorized_keys
PermitRootLogin prohibit-password
PubkeyAuthentication yes
PasswordAuthentication no
KbdInteractiveAuthentication no
UsePAM no
StrictModes no
X11Forwarding no
AllowTcpForwarding no
Subsystem sftp internal-sftp
EOF
  /usr/sbin/sshd -D -e -f "$work/sshd_config" 2>"$work/sshd.log" &
  sshd_pid=$!
  for _ in $(seq 50); do
    kill -0 "$sshd_pid" 2>/dev/null || break
    port_free "$port" || { started=1; break; }
    sleep 0.1
  done
  ((started)) && break
  kill "$sshd_pid" 2>/dev/null || true
  wait "$sshd_pid" 2>/dev/null || true
  sshd_pid=""
done
((started)) || { echo "sshd did not start:" >&2; cat "$work/sshd.log" >&2; exit 1; }
echo "[127.0.0.1]:$port $(cut -d' ' -f1,2 "$work/host_key.pub")" >"$work/known_hosts"

# --- the mount -------------------------------------------------------------------
: >"$work/ssh_config"
sshfs "root@127.0.0.1:$data" "$mnt" -p "$port" -F "$work/ssh_config" \
  -o IdentityFile="$work/client_key",IdentitiesOnly=yes,BatchMode=yes \
  -o UserKnownHostsFile="$work/known_hosts",StrictHostKeyChecking=yes "${sshfs_options[@]}"
mounted=1
echo "=== $data served by sshd on 127.0.0.1:$port, mounted on $mnt (sshfs $(sshfs --version 2>&1 | head -1 | awk '{print $NF}')${sshfs_options[1]:+, -o ${sshfs_options[1]}})" >&2
echo "=== load before: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores" >&2

if [[ -n $exec_cmd ]]; then
  SHARE=$mnt LOCAL=$data run bash -c "$exec_cmd"
  exit
fi

echo "=== local: $bench --data $data --runs $runs ${extra[*]}" >&2
run "$bench" --data "$data" --runs "$runs" "${extra[@]}" >"$work/local.json"
sed 's/^/local /' "$work/local.json"
echo "=== share: $bench --data $mnt --runs $runs ${extra[*]}" >&2
run "$bench" --data "$mnt" --runs "$runs" "${extra[@]}" >"$work/share.json"
sed 's/^/share /' "$work/share.json"
echo "=== load after: $(cut -d' ' -f1-3 /proc/loadavg)" >&2

# --- both side by side -----------------------------------------------------------
echo
awk '
  function field(line, name,   m) {
    if (match(line, "\"" name "\": *\"?[^,\"}]*")) {
      m = substr(line, RSTART, RLENGTH); sub(/^"[^"]*": *"?/, "", m); return m
    }
    return ""
  }
  FNR == 1 { file++ }
  {
    task = field($0, "task"); ms = field($0, "median_ms")
    if (task == "" || ms == "") next
    if (file == 1) { order[++n] = task; local[task] = ms } else share[task] = ms
  }
  END {
    printf "%-28s %12s %12s %8s\n", "task (median ms)", "local", "share", "share/local"
    for (i = 1; i <= n; i++) {
      t = order[i]
      ratio = (t in share && local[t] > 0) ? sprintf("%.2f", share[t] / local[t]) : "-"
      printf "%-28s %12s %12s %8s\n", t, local[t], (t in share) ? share[t] : "-", ratio
    }
  }' "$work/local.json" "$work/share.json"
