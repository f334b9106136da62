#!/usr/bin/env bash
# usb-camera-check.sh BINDIR PROBE
# The whole program against the kernel's own uvcvideo driver: boots Debian's packaged
# kernel (tools/vm/vm-lib.sh: KVM where usable, else qemu's software emulation) with
# vhci-hcd and uvcvideo, plugs in the Lumora X8 emulated on the USB wire (BINDIR's
# lumora-usb-camera, tools/vm/usbcam/) and runs tools/vm/usb-camera-guest.sh there: the
# program's --list, --get and --set of every control, its window with a live preview
# (lumora-window-probe, tools/vm/window_probe.cpp), the capture layer's stream with the
# camera unplugged mid-stream (PROBE, tools/vm/vivid_probe.cpp), the peers' tools where the
# host has them (lsusb -v, ffmpeg, v4l2-compliance), a firmware update with the camera's
# reboot, one unplugged mid-update, and the modules unloaded at the end.
# Exit codes: 0 passed, 1 failed, 77 skipped (the guest's packages cannot be installed).
set -euo pipefail
vm_tag=usb-camera-check
. "$(dirname "${BASH_SOURCE[0]}")/vm-lib.sh"

[ $# -eq 2 ] || fail "usage: $0 BINDIR PROBE"
bin="$(readlink -f "$1")"
probe="$(readlink -f "$2")"
for program in lumora-usb-camera lumora-x8-settings lumora-fwimage lumora-window-probe lumora-udev-probe; do
    [ -x "$bin/$program" ] || fail "no $program in $1"
done
[ -x "$probe" ] || fail "no probe program at $2"

vm_prepare vhci-hcd uvcvideo
vm_conf "bin=$bin" "probe=$probe"
vm_run "$here/tools/vm/usb-camera-guest.sh" 200 480
