#!/usr/bin/env bash
# Installs the Debian packages Orvane needs, and only those that are missing.
# Quiet when everything is already there; works as root or through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n
  libgtest-dev libgmock-dev
  libbenchmark-dev
  clang libclang-rt-14-dev clang-format
  xvfb xauth x11-apps imagemagick
  attr
  libglib2.0-bin
  iproute2
  libmicrohttpd-dev nlohmann-json3-dev libicu-dev curl libcurl4-openssl-dev
  libsystemd-dev systemd
  libtomlplusplus-dev
  scdoc lintian
  libliquid-dev libasound2-dev
  chromium chromium-driver python3-selenium
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("$package")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "setup: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
