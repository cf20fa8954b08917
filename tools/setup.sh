#!/usr/bin/env bash
# Installs the Debian packages of the named lists (tools/packages/LIST.txt) that are not
# installed yet. Usage: setup.sh run build [test]
# Idempotent: when everything is present it only asks dpkg and returns in well under a second.
# apt never removes a package on our behalf (--no-remove): when a package conflicts with
# something installed, apt stops and says so instead of taking parts of the desktop away.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[[ $# -gt 0 ]] || { echo "usage: $0 run|build|test ..." >&2; exit 2; }

wanted=()
for list in "$@"; do
    file="$here/packages/$list.txt"
    [[ -f "$file" ]] || { echo "$0: no package list $file" >&2; exit 2; }
    mapfile -t -O "${#wanted[@]}" wanted < <(grep -v -E '^\s*(#|$)' "$file")
done
# One dpkg query for all of them; a package dpkg has never heard of is missing too.
mapfile -t installed < <(dpkg-query -W -f='${Package} ${Status}\n' "${wanted[@]}" 2>/dev/null |
    awk '$2 == "install" && $3 == "ok" && $4 == "installed" { print $1 }' || true)
missing=()
for pkg in "${wanted[@]}"; do
    [[ " ${installed[*]} " == *" $pkg "* ]] || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

install=(apt-get install -y -qq --no-install-recommends --no-remove "${missing[@]}")
echo "Installing missing Debian packages: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if [[ $(id -u) -eq 0 ]]; then
    apt-get update -qq
    "${install[@]}"
elif command -v sudo >/dev/null 2>&1; then
    sudo apt-get update -qq
    sudo DEBIAN_FRONTEND=noninteractive "${install[@]}"
elif command -v su >/dev/null 2>&1; then
    echo "There is no sudo here. Install them as root (su asks for the root password), then run make again:" >&2
    echo "    su -c 'apt-get update && apt-get install --no-install-recommends --no-remove ${missing[*]}'" >&2
    exit 1
else
    echo "Neither sudo nor su is available. Ask an administrator to install these packages:" >&2
    printf '    %s\n' "${missing[@]}" >&2
    exit 1
fi
