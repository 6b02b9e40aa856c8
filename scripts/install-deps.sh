#!/usr/bin/env bash
# Installs the Debian packages that Dendrix builds, tests and runs with.
# As root it installs whatever is missing (refreshing the package lists once
# first); as another user it prints the command to run and fails.
set -euo pipefail

packages=(
  cmake g++ pkg-config make
  libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libwxgtk3.2-dev liboscpack-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth fonts-ipafont-gothic
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: missing packages: ${missing[*]}" >&2
  echo "install-deps: run as root: apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends "${missing[@]}"
