#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a temporary root and checks what a
# packager and a desktop rely on: the file list, the program folder behind
# bin/velmora, the two validators, and a program that starts and stays up.
# Usage: tst_package.sh BUILD_DIR
set -euo pipefail
build="$1"
work="$(mktemp -d)"
pid=""
cleanup() { [ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$work/package" >/dev/null)
deb=$(ls "$work"/package/*.deb)
dpkg-deb -x "$deb" "$work/root"
root="$work/root"

expected="usr/bin/velmora
usr/bin/velmora-collect
usr/bin/velmora-collect-window
usr/lib/velmora/background.gif
usr/lib/velmora/velmora
usr/share/applications/example.kestrand.Velmora.desktop
usr/share/icons/hicolor/128x128/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/16x16/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/256x256/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/32x32/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/48x48/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/64x64/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/scalable/apps/example.kestrand.Velmora.svg
usr/share/metainfo/example.kestrand.Velmora.metainfo.xml"
actual=$(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$expected" ] || fail "file list differs:
$(diff <(echo "$expected") <(echo "$actual") || true)"

[ "$(dpkg-deb -f "$deb" Recommends)" = "qt6-wayland" ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-liberation libqt6widgets6 qt6-qpa-plugins libmicrohttpd12; do
    [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

program_folder=$(dirname "$(readlink -f "$root/usr/bin/velmora")")
[ "$program_folder" = "$root/usr/lib/velmora" ] || fail "bin/velmora leads to $program_folder"
[ -f "$program_folder/background.gif" ] || fail "no background.gif in the program folder"

"$root/usr/bin/velmora-collect" --help | head -1 | grep -q "^Usage: velmora-collect " \
    || fail "velmora-collect --help names no program"
"$root/usr/bin/velmora-collect" --help-all | grep -q "FOLDER" || fail "velmora-collect --help-all"
"$root/usr/bin/velmora-collect" --version | grep -q "^velmora-collect [0-9]" || fail "--version"
# The server runs where there is no display: no widgets, no GUI, no X11.
needed=$(readelf -d "$root/usr/bin/velmora-collect" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
for graphical in libQt6Widgets libQt6Gui libX11 libEGL libGL; do
    [[ "$needed" != *"$graphical"* ]] || fail "velmora-collect needs $graphical: $needed"
done

desktop-file-validate "$root/usr/share/applications/example.kestrand.Velmora.desktop"
appstreamcli validate --no-net "$root/usr/share/metainfo/example.kestrand.Velmora.metainfo.xml" >/dev/null \
    || fail "appstreamcli validate failed"

# Started through the link, offscreen, with its own settings; a stand-in for
# xdg-open keeps the one-in-a-hundred home page out of any browser.
mkdir -p "$work/home/Desktop" "$work/config" "$work/bin"
printf '#!/bin/sh\nexit 0\n' > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" PATH="$work/bin:$PATH" \
    QT_QPA_PLATFORM=offscreen "$root/usr/bin/velmora" >"$work/log" 2>&1 &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the program ended on its own: $(cat "$work/log")"
grep -q "Output%20Folder=\"\?$work/home/Desktop/" "$work/config/Kestrand/Velmora.conf" \
    || fail "start-up did not restore the fields"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""

# The desktop entry's action "Collect Answers" starts the collector's window.
action=$(sed -n '/^\[Desktop Action CollectAnswers\]/,/^\[/s/^Exec=//p' \
    "$root/usr/share/applications/example.kestrand.Velmora.desktop")
[ "$action" = "velmora-collect-window" ] || fail "the action runs '$action'"
read -r program arguments <<<"$action"
mkdir -p "$work/surveys"
# exec: the pid is the program's own, not a subshell's, so that it is the
# program that is stopped below.
(cd "$work/surveys" && HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work" \
    QT_QPA_PLATFORM=offscreen exec "$root/usr/bin/$program" $arguments --local >"$work/collect.log" 2>&1) &
pid=$!
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the collector window ended on its own: $(cat "$work/collect.log")"
kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""
pgrep -f "$root/usr/bin/$program" >/dev/null && fail "the collector is still running after the test"
echo "package: $(basename "$deb"), $(echo "$expected" | wc -l) files, validators passed, program stayed up"
