#!/usr/bin/env bash
# Installs the Debian package into a fresh Debian 12 root that mmdebstrap makes from Debian's
# own packages (apt and its essentials: no compiler, no desktop, no sound server) and runs the
# installed program there without a display: vemo --version, and vemo --to-file into WAV and
# MP3. So the package's dependencies are shown to be complete on a machine that never built it.
# It downloads a base system and the program's libraries, a few minutes' work: make deb-check
# runs it, make test and CI do not.
# Usage: tools/check-deb-clean-root.sh PACKAGE.deb [MIRROR]
set -euo pipefail
deb=$(realpath "$1")
mirror=${2:-http://deb.debian.org/debian}
command -v mmdebstrap >/dev/null || { echo "mmdebstrap is not installed (apt install mmdebstrap)" >&2; exit 2; }
name=$(basename "$deb")

# Runs inside the new root, as root, with no display and a runtime folder of its own.
# shellcheck disable=SC2016
check='set -e
work=$(mktemp -d)
cd "$work"
export XDG_RUNTIME_DIR=$work LANG=C.UTF-8
printf "Привет, world. Это проверка пакета в чистой системе.\n" >short.txt
vemo --version
vemo --to-file short.txt short.wav --mp3
test "$(stat -c %s short.mp3)" -gt 1000
test -s short.srt
echo "the package speaks into files in a clean Debian 12 root"'

mmdebstrap --variant=apt --format=null --skip=cleanup/reproducible \
    --aptopt='Acquire::Check-Valid-Until "false"' \
    --customize-hook="copy-in $deb /tmp" \
    --customize-hook="chroot \"\$1\" apt-get install -y --no-remove /tmp/$name" \
    --customize-hook="chroot \"\$1\" sh -c '$check'" \
    bookworm /dev/null "$mirror"
