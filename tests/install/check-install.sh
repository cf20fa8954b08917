#!/usr/bin/env bash
# Installs a build into a temporary root, as a package would, and checks what a desktop needs
# from it: the files in their places, a desktop entry and AppStream metainfo that pass their
# validators and agree with each other and with the program, icons of the sizes their folders
# name, and a manual page that renders cleanly and covers every mode of vemo --help.
# Usage: check-install.sh BUILD_DIR
set -uo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
failed=0
fail() { echo "FAIL: $*" >&2; failed=1; }

DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null || { echo "FAIL: cmake --install" >&2; exit 1; }
id=org.vemo.Vemo
share=$root/usr/share
desktop=$share/applications/$id.desktop
metainfo=$share/metainfo/$id.metainfo.xml
man=$share/man/man1/vemo.1.gz
vemo=$root/usr/bin/vemo

expected="usr/bin/vemo
usr/lib/systemd/user/vemo-watch@.service
usr/share/applications/$id.desktop
usr/share/doc/vemo/copyright
usr/share/icons/hicolor/128x128/apps/$id.png
usr/share/icons/hicolor/16x16/apps/$id.png
usr/share/icons/hicolor/24x24/apps/$id.png
usr/share/icons/hicolor/256x256/apps/$id.png
usr/share/icons/hicolor/32x32/apps/$id.png
usr/share/icons/hicolor/48x48/apps/$id.png
usr/share/icons/hicolor/64x64/apps/$id.png
usr/share/icons/hicolor/scalable/apps/$id.svg
usr/share/man/man1/vemo.1.gz
usr/share/metainfo/$id.metainfo.xml"
installed=$(cd "$root" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
[[ "$installed" == "$expected" ]] || fail "installed files differ from the expected list:
$(diff <(echo "$expected") <(echo "$installed"))"

desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
appstreamcli validate --no-net "$metainfo" >"$root/appstream.log" 2>&1 ||
    fail "appstreamcli validate: $(cat "$root/appstream.log")"

# The desktop entry starts the installed program and names the installed icon.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
[[ -x "$root/usr/bin/$exec_name" ]] || fail "Exec=$exec_name is not an installed program"
icon=$(sed -n 's/^Icon=//p' "$desktop")
[[ -f "$share/icons/hicolor/scalable/apps/$icon.svg" ]] || fail "Icon=$icon has no scalable icon"
for type in text/plain text/rtf application/rtf; do
    grep -q "^MimeType=.*$type;" "$desktop" || fail "the desktop entry does not open $type"
done
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $id.desktop"
# The project's address and its screenshot go together: both or, without an address, neither.
if grep -q '<url type="homepage">' "$metainfo"; then
    grep -q '<screenshot type="default">' "$metainfo" || fail "the metainfo names a homepage but no screenshot"
else
    grep -q '<screenshot' "$metainfo" && fail "the metainfo has a screenshot but no homepage to serve it"
fi
# With an address, as a build for a published project has it, the metainfo validates as well.
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
with_page=$root/with-page.metainfo.xml
cmake -DIN="$source_dir/data/$id.metainfo.xml.in" -DOUT="$with_page" -DVERSION=0 \
    -DHOMEPAGE=https://vemo.test -P "$source_dir/cmake/ConfigureMetainfo.cmake" || fail "ConfigureMetainfo.cmake"
grep -q '<image type="source" width="1225" height="777">https://vemo.test/screenshots/main-window.png</image>' \
    "$with_page" || fail "the metainfo with a homepage has no screenshot there"
appstreamcli validate --no-net "$with_page" >"$root/appstream-page.log" 2>&1 ||
    fail "appstreamcli validate with a homepage: $(cat "$root/appstream-page.log")"
# The copyright file is machine-readable: no field without a value.
grep -q -E '^[A-Za-z-]+:[[:space:]]*$' "$share/doc/vemo/copyright" && fail "the copyright file has an empty field"
for lang in ru; do
    grep -q "<p xml:lang=\"$lang\">" "$metainfo" || fail "the metainfo has no description in $lang"
done

# The release in the metainfo is the version the program says.
version=$(env -u DISPLAY "$vemo" --version | sed -n '1s/^vemo //p')
grep -q "<release version=\"$version\"" "$metainfo" || fail "no metainfo release for version «$version»"

for png in "$share"/icons/hicolor/*x*/apps/$id.png; do
    size=$(basename "$(dirname "$(dirname "$png")")")
    file "$png" | grep -q "PNG image data, ${size/x/ x }," || fail "$png is not $size: $(file -b "$png")"
done

# The user unit of vemo --watch starts the installed program and passes systemd's check
# (when there is one), given the program and its manual page where the unit names them.
unit=$root/usr/lib/systemd/user/vemo-watch@.service
grep -q '^ExecStart=vemo --watch %I' "$unit" || fail "the unit does not start vemo --watch"
if command -v systemd-analyze >/dev/null; then
    instance="$root/vemo-watch@home-books.service"
    sed -e "s|^ExecStart=vemo |ExecStart=$vemo |" -e '/^Documentation=/d' "$unit" >"$instance"
    systemd-analyze verify "$instance" >"$root/unit.log" 2>&1 || fail "systemd-analyze verify: $(cat "$root/unit.log")"
fi

# The manual page renders without a warning and has a section for every mode --help lists.
zcat "$man" | LC_ALL=C.UTF-8 groff -man -ww -z -K utf8 2>"$root/groff.log"
[[ -s "$root/groff.log" ]] && fail "the manual page has warnings: $(cat "$root/groff.log")"
page=$(zcat "$man" | LC_ALL=C.UTF-8 groff -man -Tutf8 -K utf8 -P-cbou 2>/dev/null)
modes=$(LANG=C.UTF-8 env -u DISPLAY "$vemo" --help | sed -n 's/^vemo \(-[-a-z]*\).*/\1/p')
[[ -n "$modes" ]] || fail "vemo --help lists no modes"
for mode in $modes; do
    # A mode has a subsection of its own; -h and -v are entries under OPTIONS.
    grep -q -E -e "^   vemo $mode( |\$)" -e "^       $mode, " <<<"$page" ||
        fail "the manual page has no section for $mode"
done
exit $failed
