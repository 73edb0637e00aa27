#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are missing.
set -euo pipefail

packages=(cmake g++ clang clang-format libclang-rt-14-dev make libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev
          wine wine64
          qt6-base-dev qt6-svg-dev qt6-multimedia-dev
          xvfb trayer xdotool x11-utils libx11-dev imagemagick desktop-file-utils tidy)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
echo "installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
