#!/usr/bin/env bash
# Installs the Debian 12 packages needed to build, test and run the utility.
# Idempotent: packages already installed are left alone, and the package
# lists are refreshed only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config   # build tools
  qt6-base-dev qt6-base-dev-tools    # Qt 6 Core, Gui, Widgets, Test; moc, uic, rcc
  libgl-dev                          # needed by Qt6Gui's CMake package
  libusb-1.0-0-dev                   # direct USB access to the bridge
  libqt6svg6                         # SVG plugins: the icon in file dialogs and the theme
  librsvg2-bin                       # rsvg-convert draws the window icon's PNGs at build time
  fonts-liberation                   # Liberation Mono stands in for Courier New
  appstream                          # validates the AppStream metainfo in the tests
  dpkg-dev                           # cpack -G DEB
  lintian                            # checks the .deb as Debian does
  desktop-file-utils                 # validates the desktop entry in the tests
  edid-decode                        # the reference decoder, an oracle in the tests
  libbenchmark-dev                   # Google Benchmark, for bench/
  umockdev libumockdev-dev           # emulated USB bridge for the libusb backend's tests
  clang libclang-rt-14-dev           # libFuzzer and its sanitizer runtimes, for fuzz/
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi

echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
