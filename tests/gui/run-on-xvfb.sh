#!/usr/bin/env bash
# Runs a command on an X server of its own (Xvfb, 1600 x 1200, 24 bits), so
# that GUI tests never depend on, nor disturb, whatever display the caller
# has, and parallel test processes never share one. The server picks a free
# display number itself and reports it when it is ready.
# Listing the tests needs no display.
set -euo pipefail

for argument in "$@"; do
  if [ "$argument" = "--gtest_list_tests" ]; then exec "$@"; fi
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

coproc XVFB { exec Xvfb -displayfd 1 -screen 0 1600x1200x24 -nolisten tcp -noreset 2>"$work/xvfb.log"; }
xvfb_pid=$XVFB_PID
if ! read -r display <&"${XVFB[0]}"; then
  echo "run-on-xvfb: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 1
fi

# A private session: its own settings folders, no desktop services.
export DISPLAY=":$display"
unset WAYLAND_DISPLAY
export GDK_BACKEND=x11
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_CACHE_HOME="$work/cache"
export NO_AT_BRIDGE=1 GSETTINGS_BACKEND=memory
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"

status=0
"$@" || status=$?
kill "$xvfb_pid" 2>/dev/null || true
wait "$xvfb_pid" 2>/dev/null || true
exit "$status"
