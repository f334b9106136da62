#!/usr/bin/env bash
# vivid-shared-check.sh BINDIR
# The camera shared with another application, and udev, on a real kernel: boots Debian's
# packaged kernel (tools/vm/vm-lib.sh) with vivid and runs tools/vm/vivid-shared-guest.sh:
# udevd is started in the guest and BINDIR's lumora-udev-probe checks the backend's
# listing from udev's database and its device watch (vivid unbound and bound again);
# then, while v4l2-ctl --stream-mmap holds vivid's stream, BINDIR's lumora-x8-settings
# reads and sets vivid's standard controls and v4l2-ctl reads back the values set.
# Exit codes: 0 passed, 1 failed, 77 skipped (the guest's packages cannot be installed).
set -euo pipefail
vm_tag=vivid-shared-check
. "$(dirname "${BASH_SOURCE[0]}")/vm-lib.sh"

[ $# -eq 1 ] || fail "usage: $0 BINDIR"
bin="$(readlink -f "$1")"
for program in lumora-x8-settings lumora-udev-probe; do
    [ -x "$bin/$program" ] || fail "no $program in $1"
done

vm_prepare vivid
vm_conf "bin=$bin" "deferred=vivid.ko"
vm_run "$here/tools/vm/vivid-shared-guest.sh" 100 240
