#!/usr/bin/env bash
# Installs what is needed, builds, and starts the Varnex EDID Utility.
# Without VARNEX_BRIDGE it runs on the simulated Varnex, whose EDID and mode
# are kept in the user's cache folder between runs.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/build.sh default

if [ -z "${VARNEX_BRIDGE+set}" ]; then
  state_dir="${XDG_CACHE_HOME:-$HOME/.cache}/varnex-edid-utility"
  mkdir -p "$state_dir"
  export VARNEX_BRIDGE=sim
  export VARNEX_SIM_STATE="${VARNEX_SIM_STATE:-$state_dir/simulated-varnex.bin}"
  echo "Starting on the simulated Varnex (state: $VARNEX_SIM_STATE)."
  echo "For real hardware: VARNEX_BRIDGE=usb ./run.sh"
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: start it from a desktop session, or run it under Xvfb." >&2
  exit 1
fi
exec build/bin/varnex-edid-utility "$@"
