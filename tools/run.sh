#!/usr/bin/env bash
# Installs what is missing, builds Tolvarine and starts it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/tools/build.sh"
exec "$top/build/bin/tolvarine"
