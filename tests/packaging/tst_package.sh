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
desktop_deb=$(ls "$work"/package/velmora_*.deb)
server_deb=$(ls "$work"/package/velmora-collect_*.deb)
dpkg-deb -x "$desktop_deb" "$work/root"
dpkg-deb -x "$server_deb" "$work/server"
root="$work/root"
server="$work/server"

expected="usr/bin/velmora
usr/bin/velmora-collect-window
usr/lib/velmora/background.gif
usr/lib/velmora/velmora
usr/share/applications/example.kestrand.Velmora.desktop
usr/share/doc/velmora/changelog.Debian.gz
usr/share/doc/velmora/copyright
usr/share/icons/hicolor/128x128/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/16x16/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/256x256/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/32x32/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/48x48/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/64x64/apps/example.kestrand.Velmora.png
usr/share/icons/hicolor/scalable/apps/example.kestrand.Velmora.svg
usr/share/lintian/overrides/velmora
usr/share/man/man1/velmora-collect-window.1.gz
usr/share/man/man1/velmora.1.gz
usr/share/metainfo/example.kestrand.Velmora.metainfo.xml"
actual=$(cd "$root" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$expected" ] || fail "file list of velmora differs:
$(diff <(echo "$expected") <(echo "$actual") || true)"

expected_server="etc/velmora-collect.conf
usr/bin/velmora-collect
usr/lib/systemd/system/velmora-collect.service
usr/share/doc/velmora-collect/changelog.Debian.gz
usr/share/doc/velmora-collect/copyright
usr/share/lintian/overrides/velmora-collect
usr/share/man/man1/velmora-collect.1.gz"
actual=$(cd "$server" && find . \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
[ "$actual" = "$expected_server" ] || fail "file list of velmora-collect differs:
$(diff <(echo "$expected_server") <(echo "$actual") || true)"

[ "$(dpkg-deb -f "$desktop_deb" Recommends)" = "qt6-wayland" ] || fail "Recommends: $(dpkg-deb -f "$desktop_deb" Recommends)"
depends=$(dpkg-deb -f "$desktop_deb" Depends)
for needed in fonts-liberation libqt6widgets6 qt6-qpa-plugins; do
    [[ "$depends" == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done
# The server runs where there is no display: no widgets, no GUI, no X11, no fonts.
server_depends=$(dpkg-deb -f "$server_deb" Depends)
for graphical in libqt6widgets libqt6gui libx11 libegl libgl fonts qt6-qpa; do
    [[ "$server_depends" != *"$graphical"* ]] || fail "velmora-collect depends on $graphical: $server_depends"
done
for library in libmicrohttpd12 libpq5; do
    [[ "$server_depends" == *"$library"* ]] || fail "velmora-collect Depends lacks $library: $server_depends"
done
needed=$(readelf -d "$server/usr/bin/velmora-collect" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
for graphical in libQt6Widgets libQt6Gui libX11 libEGL libGL; do
    [[ "$needed" != *"$graphical"* ]] || fail "velmora-collect needs $graphical: $needed"
done
dpkg-deb -e "$server_deb" "$work/control"
grep -qx "/etc/velmora-collect.conf" "$work/control/conffiles" || fail "the settings are no conffile"
[[ "$server_depends" == *init-system-helpers* ]] || fail "velmora-collect Depends lacks init-system-helpers"

# The maintainer scripts, run with deb-systemd-helper, deb-systemd-invoke and
# systemctl that only write down how they were called.
stubs="$work/stubs"
mkdir -p "$stubs"
for tool in deb-systemd-helper deb-systemd-invoke systemctl; do
    # As on a first installation: the unit was never installed nor enabled.
    printf '#!/bin/sh\necho "%s $*" >> "%s"\ncase "$1" in debian-installed|--quiet) exit 1 ;; esac\n' \
        "$tool" "$work/calls" > "$stubs/$tool"
    chmod +x "$stubs/$tool"
done
script_calls() { # SCRIPT ARGUMENTS...: the calls it made
    rm -f "$work/calls"
    PATH="$stubs:$PATH" sh "$work/control/$1" "${@:2}" || fail "$1 $* failed"
    cat "$work/calls" 2>/dev/null || true
}
for script in postinst prerm postrm; do
    [ -x "$work/control/$script" ] || fail "no executable $script"
done
calls=$(script_calls postinst configure)
[[ "$calls" == *"deb-systemd-helper update-state velmora-collect.service"* ]] || fail "postinst registers nothing: $calls"
[[ "$calls" != *"deb-systemd-helper enable"* && "$calls" != *"invoke start"* ]] || fail "a new installation was enabled or started: $calls"
calls=$(script_calls postrm purge)
[[ "$calls" == *"deb-systemd-helper purge velmora-collect.service"* ]] || fail "a purge leaves the unit's links: $calls"
calls=$(script_calls postrm remove)
[[ "$calls" == *"deb-systemd-helper mask velmora-collect.service"* ]] || fail "a removal leaves the unit enabled: $calls"
if [ -d /run/systemd/system ]; then
    calls=$(script_calls prerm remove)
    [[ "$calls" == *"deb-systemd-invoke stop velmora-collect.service"* ]] || fail "a removal does not stop the service: $calls"
    calls=$(script_calls postinst configure 1.0.0-1)
    [[ "$calls" == *"deb-systemd-invoke try-restart velmora-collect.service"* ]] || fail "an upgrade does not restart a running service: $calls"
else
    echo "maintainer scripts: stopping and restarting skipped (systemd is not running here)"
fi

# Debian's own checker: no error, no warning, on either package.
if command -v lintian >/dev/null; then
    findings=$(lintian --tag-display-limit 0 "$desktop_deb" "$server_deb" 2>&1 | grep -v "running with root privileges" || true)
    [ -z "$findings" ] || fail "lintian:
$findings"
else
    echo "lintian skipped: not installed (scripts/deps.sh installs it)"
fi
for page in "$root"/usr/share/man/man1/*.gz "$server"/usr/share/man/man1/*.gz; do
    mandoc -T lint -W warning "$page" || fail "mandoc -T lint: $page"
done

# The unit, checked with the unpacked program in place of the installed one.
mkdir -p "$work/unit"
sed "s|/usr/bin/velmora-collect|$server/usr/bin/velmora-collect|; s|/etc/velmora-collect.conf|$server/etc/velmora-collect.conf|" \
    "$server/usr/lib/systemd/system/velmora-collect.service" > "$work/unit/velmora-collect.service"
systemd-analyze verify --man=no "$work/unit/velmora-collect.service" || fail "systemd-analyze verify"
exposure=$(systemd-analyze security --offline=true "$work/unit/velmora-collect.service" 2>/dev/null \
    | sed -n 's/.*Overall exposure level for .*: \([0-9.]*\).*/\1/p')
echo "systemd-analyze security: exposure $exposure (goal 2.0 or lower)"
awk -v e="$exposure" 'BEGIN { exit !(e != "" && e <= 2.0) }' || fail "exposure $exposure"

program_folder=$(dirname "$(readlink -f "$root/usr/bin/velmora")")
[ "$program_folder" = "$root/usr/lib/velmora" ] || fail "bin/velmora leads to $program_folder"
[ -f "$program_folder/background.gif" ] || fail "no background.gif in the program folder"

help=$("$server/usr/bin/velmora-collect" --help) || fail "velmora-collect --help failed"
[[ "$help" == "Usage: velmora-collect "* ]] || fail "velmora-collect --help names no program"
[[ "$("$server/usr/bin/velmora-collect" --help-all)" == *FOLDER* ]] || fail "velmora-collect --help-all"
"$server/usr/bin/velmora-collect" --version | grep -q "^velmora-collect [0-9]" || fail "--version"

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
echo "packages: $(basename "$desktop_deb"), $(basename "$server_deb"); lintian, mandoc, systemd-analyze and validators passed; programs stayed up"
