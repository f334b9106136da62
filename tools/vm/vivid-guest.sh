# vivid-check.sh's part of the guest (sourced by guest-init.sh): loads vivid, runs the
# probe and checks that nothing of it keeps the module.

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
