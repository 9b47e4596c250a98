#!/usr/bin/env bash
# Fails when a source folder includes a folder above it in the layer order
# (see docs/architecture.md); prints each such include.
set -euo pipefail
cd "$(dirname "$0")/../src"
layers=(util platform sound driver gfx ui game online editor menus main)
declare -A rank
for i in "${!layers[@]}"; do rank[${layers[$i]}]=$i; done
bad=0
path_re='include[[:space:]]*["<]([^">]*)[">]'
for dir in "${layers[@]}"; do
  [ -d "$dir" ] || continue
  while IFS=: read -r file line inc; do
    [[ $inc =~ $path_re ]] || continue
    to=${BASH_REMATCH[1]}
    # A relative path is read from the including file's folder, so
    # "../menus/x.h" and "../../src/menus/x.h" both land in menus/.
    if [[ $to == ../* || $to == ./* ]]; then
      to=$(realpath -m --relative-to=. "$(dirname "$file")/$to")
    fi
    # System headers (<sqlite3.h>, <sys/stat.h>) name no layer and drop out here.
    to=${to%%/*}
    [ -n "${rank[$to]+x}" ] || continue
    if [ "${rank[$to]}" -gt "${rank[$dir]}" ]; then
      echo "layer check: src/$file:$line includes $to/, above $dir/: ${inc#*#}"
      bad=1
    fi
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]*["<]' "$dir" || true)
done
for dir in */; do
  dir=${dir%/}
  [ -n "${rank[$dir]+x}" ] || { echo "layer check: src/$dir/ has no place in the layer order"; bad=1; }
done
exit $bad
