# Shared by the checks of tools/vm (sourced, not run): boots Debian's packaged kernel
# under qemu with no network, the host's root shared read-only over 9p, and runs a guest
# script of the check inside it. KVM where /dev/kvm can run the guest, else qemu's
# software emulation (tcg): the checks never skip for lack of KVM, only when the guest's
# packages cannot be installed. VM_ACCEL=kvm or tcg forces a choice.
#
# A check sets vm_tag (its log prefix, e.g. "vivid-check") and then calls, in order:
#   vm_prepare <module...>       packages, kernel, the modules (with their dependencies
#                                in load order) and the initramfs; sets $work
#   vm_conf <line...>            lines of /probe.conf, read by the guest before its script
#   vm_run <guest script> <limit in s under KVM> <limit under tcg>
# and exits with vm_run's code: 0 passed, 1 failed, 77 skipped.
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
vm_tag="${vm_tag:-vm-check}"
skip() {
    echo "$vm_tag: SKIPPED: $*"
    exit 77
}
fail() {
    echo "$vm_tag: FAILED: $*"
    exit 1
}

vm_choose_accel() {
    accel="${VM_ACCEL:-${VIVID_CHECK_ACCEL:-auto}}"
    case "$accel" in
        auto)
            accel=tcg
            if [ -c /dev/kvm ] && { exec 3<>/dev/kvm; } 2>/dev/null; then
                exec 3>&-
                # PVM, a KVM without hardware virtualisation, runs only kernels built as its
                # guests: Debian's stock kernel needs software emulation there.
                [ -d /sys/module/kvm_pvm ] || accel=kvm
            fi
            if [ "$accel" = tcg ]; then
                echo "$vm_tag: no usable hardware virtualisation: qemu's software emulation (tcg)"
            fi
            ;;
        kvm)
            [ -c /dev/kvm ] || fail "VM_ACCEL=kvm but there is no /dev/kvm"
            ;;
        tcg) ;;
        *) fail "VM_ACCEL must be auto, kvm or tcg" ;;
    esac
}

vm_prepare() {  # vm_prepare <module name...>
    vm_choose_accel
    local log
    log="$(mktemp)"
    if ! bash "$here/tools/dev.sh" vm-packages >"$log" 2>&1; then
        tail -5 "$log" >&2
        rm -f "$log"
        skip "the guest's packages (tools/dev.sh vm-packages) could not be installed"
    fi
    rm -f "$log"

    # The kernel the linux-image-amd64 package points at, not the host's running one.
    kver="$(dpkg-query -W -f='${Depends}' linux-image-amd64 | grep -o 'linux-image-[^ ,]*' | head -1)"
    kver="${kver#linux-image-}"
    local kernel="/boot/vmlinuz-$kver"
    moddir="/lib/modules/$kver"
    [ -r "$kernel" ] && [ -r "$moddir/modules.dep" ] || fail "no kernel $kernel with modules in $moddir"

    work="$(mktemp -d "/tmp/$vm_tag.XXXXXX")"
    trap 'rm -rf "$work"' EXIT
    # The uncompressed kernel boots through its PVH entry: no firmware loader, and no
    # decompression inside the guest (half a minute in software emulation).
    python3 "$here/tools/vm/extract_vmlinux.py" "$kernel" "$work/vmlinux" || fail "cannot unpack $kernel"
    root="$work/root"
    mkdir -p "$root"/{bin,proc,sys,dev,host,modules}

    # The modules in load order: each one's dependencies (modules.dep) before it.
    declare -gA seen=()
    order=()
    local name path
    for name in virtio_pci 9pnet_virtio 9p "$@"; do
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
    echo "tag=$vm_tag" >"$root/probe.conf"
}

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

vm_conf() {  # vm_conf <line...>
    printf '%s\n' "$@" >>"$root/probe.conf"
}

vm_run() {  # vm_run <guest script> <limit under KVM> <limit under tcg>
    cp "$1" "$root/check.sh"
    local machine append limit
    if [ "$accel" = kvm ]; then
        machine=(-enable-kvm -smp 2)
        append="console=ttyS0 panic=-1 quiet"
        limit=$2
    else
        # Emulated timers are too slow for the kernel's IO-APIC timer check.
        machine=(-accel tcg -smp 1)
        append="console=ttyS0 panic=-1 quiet noapic"
        limit=$3
    fi
    vm_conf "probe_timeout=$((limit - 40))"
    (cd "$root" && find . | busybox cpio -o -H newc 2>/dev/null) >"$work/initramfs.cpio"

    local log="$work/console.log" start qemu_rc elapsed result
    start=$(date +%s)
    set +e
    timeout "$limit" qemu-system-x86_64 "${machine[@]}" -m 1024 \
        -nographic -no-reboot -nic none -monitor none -serial stdio \
        -kernel "$work/vmlinux" -initrd "$work/initramfs.cpio" -append "$append" \
        -virtfs local,path=/,mount_tag=hostroot,security_model=none,readonly=on,multidevs=remap \
        </dev/null >"$log" 2>&1
    qemu_rc=$?
    set -e
    elapsed=$(($(date +%s) - start))

    # The guest's report lines (the check's output and the init's summary), without the
    # kernel's console noise.
    tr -d '\r' <"$log" | sed -n "s/^.*\\($vm_tag: \\)/\\1/p;/^  /p" | sed -n "/$vm_tag: guest up/,\$p"
    result="$(tr -d '\r' <"$log" | sed -n "s/^$vm_tag: guest result \\([0-9]*\\)\$/\\1/p" | tail -1)"
    if [ -z "$result" ]; then
        echo "--- console (last 60 lines) ---"
        tr -d '\r' <"$log" | tail -60
        [ "$qemu_rc" -eq 124 ] && fail "the guest did not finish within $limit s"
        fail "the guest ended without a result (qemu exit $qemu_rc)"
    fi
    echo "$vm_tag: kernel $kver ($accel), guest ran $elapsed s"
    if [ "$result" -ne 0 ]; then
        echo "--- console (last 60 lines) ---"
        tr -d '\r' <"$log" | tail -60
        fail "guest result $result"
    fi
    echo "$vm_tag: PASSED"
}
