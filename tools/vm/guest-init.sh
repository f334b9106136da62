#!/bin/busybox sh
# The guest's /init for vivid-check.sh: loads the modules, mounts the host's root
# read-only, loads vivid, runs the probe in the host's root and reports. The guest
# always powers off at the end (qemu runs with -no-reboot).
/bin/busybox --install -s /bin
export PATH=/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
echo "vivid-check: guest up, kernel $(uname -r)"

result=1
finish() {
    echo "vivid-check: guest result $result"
    sync
    reboot -f
    sleep 10
}

. /probe.conf
for module in $(cat /modules/order); do
    [ "$module" = vivid.ko ] && continue
    insmod "/modules/$module" || {
        echo "vivid-check: insmod $module failed"
        finish
    }
done
host=/host
mount -t 9p -o trans=virtio,version=9p2000.L,ro,msize=262144,cache=loose hostroot $host || {
    echo "vivid-check: cannot mount the host's root over 9p"
    finish
}
mount -t proc proc $host/proc
mount -t sysfs sys $host/sys
mount -t devtmpfs dev $host/dev
# Writable space without hiding any of the host's folders (the probe may lie under /tmp).
mkdir -p $host/dev/shm
mount -t tmpfs shm $host/dev/shm

# One vivid instance with a webcam input, and beside its capture node an output and a
# metadata capture node that the listing must pass over.
insmod /modules/vivid.ko n_devs=1 node_types=0x20101 num_inputs=1 input_types=0 no_error_inj=1 || {
    echo "vivid-check: insmod vivid failed"
    finish
}
for node in /sys/class/video4linux/*; do
    echo "vivid-check: node ${node##*/} \"$(cat "$node/name")\""
done

# The loss: vivid's device is unbound from its driver mid-stream (the node goes away,
# the descriptors the probe holds stay) and an unload is tried, which the kernel must
# refuse while the probe still holds the node.
lose='echo vivid.0 > /sys/bus/platform/drivers/vivid/unbind; rmmod vivid 2>/dev/null && echo "  unloaded while open" || echo "  module in use while the stream is open, as expected"'
timeout -s KILL "$probe_timeout" chroot $host /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/dev/shm TMPDIR=/dev/shm \
    LUMORA_V4L2_MATCH_NAME=vivid "$probe" --lose-command "$lose"
result=$?
[ $result -eq 137 ] && echo "vivid-check: the probe hung and was killed after $probe_timeout s"

# Nothing of the probe may keep the module: every descriptor and mapping is gone.
if grep -q '^vivid ' /proc/modules; then
    if rmmod vivid; then
        echo "vivid-check: vivid unloaded after the probe: no descriptor or mapping left"
    else
        echo "vivid-check: vivid cannot be unloaded: something still holds it"
        [ $result -eq 0 ] && result=1
    fi
fi
finish
