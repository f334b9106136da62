#!/usr/bin/env bash
# vivid-check.sh PROBE
# Runs the V4L2 backend against a real kernel driver: boots Debian's packaged kernel
# (tools/vm/vm-lib.sh: KVM where usable, else qemu's software emulation), loads vivid, the
# kernel's virtual video test driver, and runs PROBE (tools/vm/vivid_probe.cpp, built by
# the project) against it inside the guest (tools/vm/vivid-guest.sh). PROBE finds vivid's
# capture node under the camera's name (LUMORA_V4L2_MATCH_NAME), lists its formats,
# streams, sets the standard controls and sees the device vanish when the driver is
# unbound mid-stream; after it closed everything the module must unload (an open
# descriptor or a live mapping would keep it in use).
# Exit codes: 0 passed, 1 failed, 77 skipped (the guest's packages cannot be installed);
# the reason is printed. The guest runs a few seconds under KVM, about 20 s in software
# emulation.
set -euo pipefail
vm_tag=vivid-check
. "$(dirname "${BASH_SOURCE[0]}")/vm-lib.sh"

[ $# -eq 1 ] || fail "usage: $0 PROBE"
probe="$(readlink -f "$1")"
[ -x "$probe" ] || fail "no probe program at $1"

vm_prepare vivid
vm_conf "probe=$probe" "deferred=vivid.ko"
vm_run "$here/tools/vm/vivid-guest.sh" 100 150
