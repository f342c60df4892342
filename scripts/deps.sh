#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Velmora need,
# asking apt only for what is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev qt6-tools-dev qt6-l10n-tools
    fonts-liberation
    libmicrohttpd-dev libqrencode-dev libgnutls28-dev libpq-dev postgresql libxlsxwriter-dev
    libreoffice-calc-nogui
    clang libclang-rt-14-dev
    desktop-file-utils appstream dpkg-dev file lintian mandoc systemd
    chromium chromium-driver python3 python3-selenium nodejs firefox-esr openjdk-17-jre-headless
    nginx-light wrk openssl curl
    weston qt6-wayland
    xvfb dbus-x11 at-spi2-core python3-pyatspi
)

# npm comes with some builds of nodejs and is a package of its own in Debian's.
command -v npm >/dev/null || packages+=(npm)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
