#!/usr/bin/env bash
# Installs what is missing, builds Tolvarine and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/build.sh"
# A first start gets a small demo store beside the program; an existing store is left alone.
"$top/build/bin/tolvarine-demo-store" "$top/build/bin"
exec "$top/build/bin/tolvarine"
