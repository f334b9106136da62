#!/bin/bash
# Runs atspi_walk.py against the program on the simulated camera, under a virtual X server
# with its own session bus and accessibility bus:
#   xvfb-run -a dbus-run-session -- tests/a11y/run_atspi_walk.sh build/bin/lumora-x8-settings
#
# Start order matters with Qt 5: the program has to be running before the accessibility
# bus registers on the session bus. Qt reads "accessibility on" at start; when the bus is
# already there it switches its bridge on at once, while it asks for the bus's address
# asynchronously, so the bridge registers with a connection that is not made yet ("Error
# in contacting registry: ... Not connected to D-Bus server") and never again. Started
# first, Qt waits for the bus to appear, connects, then switches the bridge on.
set -u
program="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
export LUMORA_CAMERA=simulated LANG=C LC_ALL=C
export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_QPA_PLATFORM=xcb
export LUMORA_PROFILE_DIR="$(mktemp -d)"
"$program" >/dev/null &
app=$!
sleep 1
/usr/libexec/at-spi-bus-launcher --launch-immediately &
launcher=$!
/usr/bin/python3 "$here/atspi_walk.py"
code=$?
kill "$app" "$launcher" 2>/dev/null
wait "$app" 2>/dev/null
rm -rf "$LUMORA_PROFILE_DIR"
exit $code
