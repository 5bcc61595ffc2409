#!/usr/bin/env bash
# Installs the Debian packages Quillark builds and tests with, only those that are missing.
# With --display it also installs what scripts/display_check.sh needs (a virtual X server, input
# and screenshot tools).
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-translations-l10n
  zlib1g-dev libpng-dev libjpeg62-turbo-dev
  libfreetype-dev libfontconfig-dev
  libgtest-dev libgmock-dev libbenchmark-dev libpolyclipping-dev
  python3-yaswfp pngcheck libjpeg-turbo-progs
  fonts-ipafont-gothic fonts-ipafont-mincho fonts-dejavu-core
  adwaita-icon-theme librsvg2-bin
)
if [ "${1:-}" = "--display" ]; then
  packages+=(xvfb x11-utils xdotool imagemagick)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# A fresh machine has no package lists yet: fetch them first. Otherwise try with the lists there
# and fetch them only when that fails (they may be stale), once.
if ! compgen -G '/var/lib/apt/lists/*_Packages*' >/dev/null; then
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
elif ! "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"; then
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
