#!/usr/bin/env bash
# Installs what Vellumark needs to build, test and run on Debian 12, and only
# what is missing. Runs apt-get as root, or through sudo when not root.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    libgtest-dev googletest
    qt6-base-dev libgl-dev
    libcli11-dev libfmt-dev file
    libsqlite3-dev
    libdbd-xbase-perl python3 python3-dbfread
    xvfb xauth poppler-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
fi
