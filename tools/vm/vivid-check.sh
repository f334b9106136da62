#!/usr/bin/env bash
# vivid-check.sh PROBE
# Runs the V4L2 backend against a real kernel driver: boots Debian's packaged kernel under
# KVM (no network, the host's root shared read-only over 9p), loads vivid, the kernel's
# virtual video test driver, and runs PROBE (tools/vm/vivid_probe.cpp, built by the
# project) against it inside the guest. PROBE finds vivid's capture node under the
# camera's name (LUMORA_V4L2_MATCH_NAME), lists its formats, streams, sets the standard
# controls and sees the device vanish when the driver is unbound mid-stream; after it
# closed everything the module must unload (an open descriptor or a live mapping would
# keep it in use).
# Exit codes: 0 passed, 1 failed, 77 skipped (no usable /dev/kvm, or the guest's
# packages cannot be installed); the reason is printed. The guest boots in a few seconds
# under KVM, in about half a minute in software emulation.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
skip() {
    echo "vivid-check: SKIPPED: $*"
    exit 77
}
fail() {
    echo "vivid-check: FAILED: $*"
    exit 1
}

[ $# -eq 1 ] || fail "usage: $0 PROBE"
probe="$(readlink -f "$1")"
[ -x "$probe" ] || fail "no probe program at $1"

# KVM where /dev/kvm can run the guest. PVM, a KVM without hardware virtualisation,
# runs only kernels built as its guests: there the guest runs in qemu's software
# emulation (half a minute here). VIVID_CHECK_ACCEL=kvm or tcg forces a choice.
accel="${VIVID_CHECK_ACCEL:-auto}"
case "$accel" in
    auto | kvm)
        [ -c /dev/kvm ] || skip "no /dev/kvm on this machine (no hardware virtualisation)"
        if ! { exec 3<>/dev/kvm; } 2>/dev/null; then
            skip "/dev/kvm is not usable by $(id -un) (needs read and write access)"
        fi
        exec 3>&-
        if [ -d /sys/module/kvm_pvm ]; then
            [ "$accel" = kvm ] && skip "/dev/kvm is PVM (module kvm_pvm), which cannot boot Debian's stock kernel"
            echo "vivid-check: /dev/kvm is PVM, which cannot boot Debian's stock kernel: software emulation (tcg)"
            accel=tcg
        else
            accel=kvm
        fi
        ;;
    tcg) ;;
    *) fail "VIVID_CHECK_ACCEL must be auto, kvm or tcg" ;;
esac

if ! bash "$here/tools/dev.sh" vm-packages >/tmp/vivid-check-install.$$ 2>&1; then
    tail -5 /tmp/vivid-check-install.$$ >&2
    rm -f /tmp/vivid-check-install.$$
    skip "the guest's packages (tools/dev.sh vm-packages) could not be installed"
fi
rm -f /tmp/vivid-check-install.$$

# The kernel the linux-image-amd64 package points at, not the host's running one.
kver="$(dpkg-query -W -f='${Depends}' linux-image-amd64 | grep -o 'linux-image-[^ ,]*' | head -1)"
kver="${kver#linux-image-}"
kernel="/boot/vmlinuz-$kver"
moddir="/lib/modules/$kver"
[ -r "$kernel" ] && [ -r "$moddir/modules.dep" ] || fail "no kernel $kernel with modules in $moddir"

work="$(mktemp -d /tmp/vivid-check.XXXXXX)"
trap 'rm -rf "$work"' EXIT
# The uncompressed kernel boots through its PVH entry: no firmware loader, and no
# decompression inside the guest (half a minute in software emulation).
python3 "$here/tools/vm/extract_vmlinux.py" "$kernel" "$work/vmlinux" || fail "cannot unpack $kernel"
root="$work/root"
mkdir -p "$root"/{bin,proc,sys,dev,host,modules}

# The modules in load order: each one's dependencies (modules.dep) before it.
declare -A seen=()
order=()
add_module() {  # add_module <path relative to moddir>
    local path="$1" line dep
    [ -n "${seen[$path]:-}" ] && return 0
    seen[$path]=1
    line="$(grep -m1 "^$path:" "$moddir/modules.dep")" || fail "$path is not in modules.dep"
    for dep in ${line#*:}; do
        add_module "$dep"
    done
    order+=("$path")
}
module_path() {  # module_path <name>: the module's path in modules.dep
    local path
    path="$(grep -m1 -E "(^|/)$1\.ko(\.[a-z]+)?:" "$moddir/modules.dep" | cut -d: -f1)"
    [ -n "$path" ] || fail "kernel $kver has no module $1"
    echo "$path"
}
for name in virtio_pci 9pnet_virtio 9p vivid; do
    add_module "$(module_path "$name")"
done
for path in "${order[@]}"; do
    case "$path" in *.ko) ;; *) fail "compressed module $path: busybox insmod needs plain .ko files" ;; esac
    cp "$moddir/$path" "$root/modules/"
    basename "$path" >>"$root/modules/order"
done

cp /bin/busybox "$root/bin/busybox"
cp "$here/tools/vm/guest-init.sh" "$root/init"
chmod 755 "$root/init"
if [ "$accel" = kvm ]; then
    machine=(-enable-kvm -smp 2)
    append="console=ttyS0 panic=-1 quiet"
    limit=100
else
    # Emulated timers are too slow for the kernel's IO-APIC timer check.
    machine=(-accel tcg -smp 1)
    append="console=ttyS0 panic=-1 quiet noapic"
    limit=150
fi
cat >"$root/probe.conf" <<EOF
probe=$probe
probe_timeout=$((limit - 40))
EOF
(cd "$root" && find . | busybox cpio -o -H newc 2>/dev/null) >"$work/initramfs.cpio"

log="$work/console.log"
start=$(date +%s)
set +e
timeout $limit qemu-system-x86_64 "${machine[@]}" -m 1024 \
    -nographic -no-reboot -nic none -monitor none -serial stdio \
    -kernel "$work/vmlinux" -initrd "$work/initramfs.cpio" -append "$append" \
    -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
    </dev/null >"$log" 2>&1
qemu_rc=$?
set -e
elapsed=$(($(date +%s) - start))

# The guest's report lines (the probe's output and the init's summary), without the
# kernel's console noise.
tr -d '\r' <"$log" | sed -n 's/^.*\(vivid-check: \)/\1/p;/^  /p' | sed -n '/vivid-check: guest up/,$p'
result="$(tr -d '\r' <"$log" | sed -n 's/^vivid-check: guest result \([0-9]*\)$/\1/p' | tail -1)"
if [ -z "$result" ]; then
    echo "--- console (last 40 lines) ---"
    tr -d '\r' <"$log" | tail -40
    [ "$qemu_rc" -eq 124 ] && fail "the guest did not finish within $limit s"
    fail "the guest ended without a result (qemu exit $qemu_rc)"
fi
echo "vivid-check: kernel $kver ($accel), guest ran $elapsed s"
if [ "$result" -ne 0 ]; then
    echo "--- console (last 40 lines) ---"
    tr -d '\r' <"$log" | tail -40
    fail "guest result $result"
fi
echo "vivid-check: PASSED"
