#!/usr/bin/env bash
# Takes a screenshot of Velmora's window under Xvfb: scripts/screenshot.sh OUT.png
# [--sample] [--skin] [--dark] [--help] [--type TEXT] [--hover X Y] [--program FOLDER].
# --dark uses the Adwaita-Dark style (adwaita-qt6); --help opens the syntax help box
# and takes the whole screen. Needs xvfb, openbox, xdotool and imagemagick; uses a
# throw-away home and settings folder.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$1"; shift
sample=0; skin=0; dark=0; help=0; typed=""; hover=""; program="build/src/app"
while [ $# -gt 0 ]; do
    case "$1" in
        --sample) sample=1 ;;
        --skin) skin=1 ;;
        --dark) dark=1 ;;
        --help) help=1 ;;
        --type) shift; typed="$1" ;;
        --hover) hover="$2 $3"; shift 2 ;;
        --program) shift; program="$1" ;;
    esac
    shift
done

work="$(mktemp -d)"
cleanup() {
    [ -n "${app:-}" ] && kill "$app" 2>/dev/null || true
    [ -n "${wm:-}" ] && kill "$wm" 2>/dev/null || true
    [ -n "${xvfb:-}" ] && kill "$xvfb" 2>/dev/null || true
    [ "$skin" = 1 ] && rm -rf "$program/x"
    rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$work/home/Desktop" "$work/config"
if [ "$skin" = 1 ]; then mkdir -p "$program/x" && touch "$program/x/o.cjs"; fi

display=":$((RANDOM % 400 + 100))"
Xvfb "$display" -screen 0 800x700x24 >/dev/null 2>&1 & xvfb=$!
sleep 1
export DISPLAY="$display" HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work"
if [ "$dark" = 1 ]; then export QT_STYLE_OVERRIDE=Adwaita-Dark; fi
# A window manager places the message box over the window, as on a desktop.
if [ "$help" = 1 ]; then openbox >/dev/null 2>&1 & wm=$!; sleep 0.5; fi
"$program/velmora" >/dev/null 2>&1 & app=$!
for _ in $(seq 50); do
    window=$(xdotool search --onlyvisible --name '^Velmora' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
eval "$(xdotool getwindowgeometry --shell "$window")"
click() { xdotool mousemove $((X + $1)) $((Y + $2)) click 1; sleep 0.3; }
[ "$sample" = 1 ] && click 400 20               # "Load Sample/Example Survey"
if [ -n "$typed" ]; then
    click 300 320                               # the questions box
    while IFS= read -r line; do
        xdotool key ctrl+End Return
        xdotool type --delay 5 "$line"
    done <<< "$typed"
    sleep 0.3
fi
if [ -n "$hover" ]; then
    read -r hx hy <<< "$hover"
    xdotool mousemove $((X + hx)) $((Y + hy))   # wait there for the tooltip
    sleep 1.5
else
    xdotool mousemove $((X + 600)) $((Y + 300)) # the pointer out of the picture
    sleep 0.5
fi
if [ "$help" = 1 ]; then
    xdotool key Tab Tab space                   # to "Help" and press it
    sleep 1
    import -window root "$out"
else
    import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
fi
echo "wrote $out"
