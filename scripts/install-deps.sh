#!/usr/bin/env bash
# Installs the Debian packages Velmora needs to build and test, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ clang libclang-rt-14-dev nlohmann-json3-dev libgtest-dev
          qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-translations-l10n libgl-dev
          iproute2 util-linux
          libbenchmark-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# A locale with a decimal comma, so the tests can show that formatting ignores the C locale.
if ! locale -a 2>/dev/null | grep -qix 'ru_RU\.utf-\?8'; then
  echo "Generating the ru_RU.UTF-8 locale"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  if ! dpkg-query -W -f='${Status}' locales 2>/dev/null | grep -q "install ok installed"; then
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq locales >/dev/null
  fi
  if grep -q '^# *ru_RU.UTF-8 UTF-8' /etc/locale.gen; then
    $SUDO sed -i 's/^# *\(ru_RU.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^ru_RU.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'ru_RU.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  fi
  $SUDO locale-gen >/dev/null
fi
