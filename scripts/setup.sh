#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12. Safe to run again.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
packages=(
    build-essential cmake git pkg-config
    qtbase5-dev libqt5svg5-dev qttranslations5-l10n
    libasio-dev libxlsxwriter-dev zlib1g-dev
    python3-openpyxl
    clang libclang-rt-14-dev llvm-14
    xvfb xauth x11-apps imagemagick
    fonts-noto-cjk
    dpkg-dev lintian
    xdotool
    libqt5sql5-sqlite
    libqt5sql5-psql
    postgresql
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
