#!/bin/busybox sh
# The guest's /init for the checks of tools/vm (vm-lib.sh): loads the modules, mounts the
# host's root read-only with writable space in its /dev/shm, runs the check's guest
# script (/check.sh) and reports its result. The guest always powers off at the end
# (qemu runs with -no-reboot).
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
. /probe.conf
echo "$tag: guest up, kernel $(uname -r)"

result=1
finish() {
    echo "$tag: guest result $result"
    sync
    reboot -f
    sleep 10
}

for module in $(cat /modules/order); do
    case " ${deferred:-} " in *" $module "*) continue ;; esac
    insmod "/modules/$module" || {
        echo "$tag: insmod $module failed"
        finish
    }
done
host=/host
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=262144,cache=loose hostroot $host || {
    echo "$tag: cannot mount the host's root over 9p"
    finish
}
mount -t proc proc $host/proc
mount -t sysfs sys $host/sys
mount -t devtmpfs dev $host/dev
# Writable space without hiding any of the host's folders (the probe may lie under /tmp).
mkdir -p $host/dev/shm
mount -t tmpfs shm $host/dev/shm
# Runs a program of the host's root, with a clean environment plus the given variables:
# in_host [VAR=value...] program [args...]
in_host() {
    chroot $host /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/dev/shm TMPDIR=/dev/shm "$@"
}
# One "  ok" or "  FAIL" line per check of a guest script; failures counts the latter.
failures=0
check() {  # check <name> <status> <detail>: status 0 passes
    if [ "$2" -eq 0 ]; then
        echo "  ok   $1: $3"
    else
        echo "  FAIL $1: $3"
        failures=$((failures + 1))
    fi
}

# udevd of the host's root, over a tmpfs on its /run (read-only here), with the host's
# rules; the video4linux devices described once it listens. Answers 1 when it did not start.
# udevadm refuses to act in a chroot unless told (SYSTEMD_IGNORE_CHROOT).
udevadm_in_host() {
    in_host SYSTEMD_IGNORE_CHROOT=1 udevadm "$@"
}
start_udevd() {
    mount -t tmpfs run $host/run
    in_host SYSTEMD_IGNORE_CHROOT=1 /lib/systemd/systemd-udevd --daemon >$host/dev/shm/udevd.log 2>&1
    i=0
    while [ ! -S $host/run/udev/control ] && [ $i -lt 50 ]; do
        sleep 0.2
        i=$((i + 1))
    done
    udevadm_in_host trigger --action=add --subsystem-match=video4linux >>$host/dev/shm/udevd.log 2>&1
    udevadm_in_host settle -t 20 >>$host/dev/shm/udevd.log 2>&1
    [ -S $host/run/udev/control ]
}
stop_udevd() {
    udevadm_in_host control --exit >/dev/null 2>&1
    umount $host/run
}

. /check.sh
finish
