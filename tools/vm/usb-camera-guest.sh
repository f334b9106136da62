# usb-camera-check.sh's part of the guest (sourced by guest-init.sh): the Lumora X8
# emulated on the USB wire (lumora-usb-camera) is plugged into vhci_hcd, uvcvideo binds to
# it, and the program and the peers' tools run against it. One "  ok" or "  FAIL" line
# per check; the result is the number of failed checks (0: passed).
t=usb-camera-check
shm=$host/dev/shm
camera_log=$shm/camera.log
app() {  # app <args...>: the program on the V4L2 backend, offscreen
    in_host QT_QPA_PLATFORM=offscreen "$bin/lumora-x8-settings" --camera=v4l2 --no-profile "$@"
}
start_camera() {  # start_camera [emulator options]
    # Not through a function: $! must be the emulator itself (chroot and env exec it).
    chroot $host /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LUMORA_SIM_SCRIPT="reboot=1500ms" \
        "$bin/lumora-usb-camera" "$@" >>"$camera_log" 2>&1 &
    camera=$!
}
camera_node() {  # the capture node uvcvideo made for the camera, or nothing
    for node in /sys/class/video4linux/video*; do
        [ -r "$node/name" ] && [ "$(cat "$node/index")" = 0 ] && case "$(cat "$node/name")" in "Lumora X8"*) true ;; *) false ;; esac &&
            echo "/dev/${node##*/}" && return 0
    done
    return 1
}
wait_node() {  # wait_node <seconds>: until uvcvideo made the node
    i=0
    while [ $i -lt $(($1 * 5)) ]; do
        camera_node >/dev/null && return 0
        sleep 0.2
        i=$((i + 1))
    done
    return 1
}
wait_gone() {  # wait_gone <seconds>: until no video node is left
    i=0
    while [ $i -lt $(($1 * 5)) ]; do
        ls /sys/class/video4linux/ 2>/dev/null | grep -q video || return 0
        sleep 0.2
        i=$((i + 1))
    done
    return 1
}
stop_camera() {
    kill -TERM "$camera" 2>/dev/null
    wait "$camera" 2>/dev/null
    wait_gone 20
}
camera_said() {  # the emulator's lines since the last mark
    sed -n '/^usb-camera: ---mark/,$p' "$camera_log" | grep -v -- '---mark' | sed 's/^/    /'
}
mark() { echo "usb-camera: ---mark" >>"$camera_log"; }
requests_counted() {  # "<terminal and processing unit> <extension unit>" requests since the last count
    before=$(grep -c '^usb-camera: unit requests:' "$camera_log")
    kill -HUP "$camera"
    i=0
    while [ $i -lt 50 ] && [ "$(grep -c '^usb-camera: unit requests:' "$camera_log")" -le "$before" ]; do
        sleep 0.1
        i=$((i + 1))
    done
    grep '^usb-camera: unit requests:' "$camera_log" | tail -1 | grep -o '[0-9][0-9]*' | tr '\n' ' '
}
elapsed_ms() {  # elapsed_ms <command...>: its wall time in ms, its output discarded
    t0=$(cut -d' ' -f1 /proc/uptime)
    "$@" >/dev/null 2>&1
    awk -v t0="$t0" '{ printf "%d", ($1 - t0) * 1000 }' /proc/uptime
}

ip link set lo up || finish
started=$(date +%s)
start_camera
wait_node 60
node=$(camera_node)
check "plugged" $? "uvcvideo bound to the emulated camera in $(($(date +%s) - started)) s: $node, $(ls /sys/class/video4linux | tr '\n' ' ')"
if [ -z "$node" ]; then
    for n in /sys/class/video4linux/*; do echo "    ${n##*/}: \"$(cat $n/name)\" index $(cat $n/index)"; done
    sed 's/^/    /' "$camera_log"
    dmesg | tail -20 | sed 's/^/    kernel: /'
    result=1
    finish
fi
dmesg | grep -i -E "uvcvideo|usb 1-1|Found UVC" | tail -8 | sed 's/^/    kernel: /'

# Peers: the descriptors as lsusb reads them.
if [ -x $host/usr/bin/lsusb ]; then
    in_host lsusb -v -d 2e7a:0c08 >$shm/lsusb.txt 2>&1
    grep -q "guidExtensionCode.*{555f4241-4553-5f52-4d4f-444500000000}" $shm/lsusb.txt
    check "lsusb -v" $? "$(grep -c -i 'bDescriptorSubtype' $shm/lsusb.txt) class descriptors; $(grep -i -E 'iProduct|EXTENSION_UNIT|guidExtensionCode|bmControls' $shm/lsusb.txt | tr -s ' ' | tr '\n' ';' | cut -c1-300)"
else
    echo "  note lsusb not installed on the host (usbutils)"
fi

# udev (guest-init.sh's start_udevd) for a while: the backend's listing from udev's
# database names the camera as the driver does, and its device watch tells of the camera
# unplugged (SIGUSR1) and plugged again (SIGUSR2). udevd stops again before the rest.
if start_udevd; then
    in_host "$bin/lumora-udev-probe" --change-command "kill -USR1 $camera && sleep 2 && kill -USR2 $camera" \
        >$shm/udev-probe.txt 2>&1
    check "udev" $? "listing from udev's database, remove and add events (lines follow)"
    sed 's/^ */    /' $shm/udev-probe.txt
    wait_node 30
    stop_udevd
    node=$(camera_node)
    check "plugged again" $? "$node"
else
    echo "  note udevd did not start: $(tail -3 $shm/udevd.log | tr '\n' ' ')"
    stop_udevd
fi

# The program: listing, every control read, changed and read back.
app --list >$shm/list.txt 2>&1
check "--list" $? "$(tr '\n' ' ' <$shm/list.txt | cut -c1-200)"
requests_counted >/dev/null
app --get >$shm/get.txt 2>&1
check "--get" $? "$(wc -l <$shm/get.txt) controls"

# The driver keeps what it read while the camera stays plugged, across processes: every
# range and current value read (each range costs several requests: default, minimum,
# maximum, resolution), and what it learnt of the extension unit's controls (their size and
# capabilities, asked on their first use). A second --get costs the camera only the
# extension unit's own requests, which the driver passes through.
cold=$(requests_counted)
ms_get2=$(elapsed_ms app --get)
warm=$(requests_counted)
ms_list=$(elapsed_ms app --list)
listed=$(requests_counted)
set -- $cold $warm $listed
[ $# -eq 6 ] && [ "$1" -gt 0 ] && [ "$3" -eq 0 ] && [ "$4" -gt 0 ] && [ "$4" -lt "$2" ]
check "driver's control cache" $? "requests to the terminal and processing unit / to the extension unit: first --get $1 / $2, second --get $3 / $4, --list $5 / $6; second --get $ms_get2 ms, --list $ms_list ms"
sed 's/^/    /' $shm/get.txt
# A value other than the current one for each control: its minimum, or its maximum
# where it is at the minimum (the automatic switches go to manual first: they come first).
assignments=$(awk '$3 ~ /^\(/ { split(substr($3, 2), r, "\\.\\."); sub(/,.*/, "", r[2]); sub(/\)/, "", r[2]);
    v = ($2 == r[1]) ? r[2] : r[1]; printf "%s=%s ", $1, v }' $shm/get.txt)
# A few at a time: each --set waits at most 10 s for its values, and a change through
# uvcvideo takes a few hundred ms in software emulation.
set -- $assignments
while [ $# -gt 0 ]; do
    group="$1 ${2:-} ${3:-} ${4:-} ${5:-}"
    shift $(($# < 5 ? $# : 5))
    app --set $group >$shm/set.txt 2>&1
    check "--set $group" $? "$(grep -v '^[a-z-]* *-*[0-9]* (' $shm/set.txt | tr '\n' ' ' | cut -c1-300)"
done
app --get >$shm/get2.txt 2>&1
wrong=""
for a in $assignments; do
    name=${a%%=*}
    want=${a#*=}
    got=$(awk -v n="$name" '$1 == n { print $2 }' $shm/get2.txt)
    [ "$got" = "$want" ] || wrong="$wrong $name=$got(not $want)"
done
check "--get after --set" $([ -z "$wrong" ]; echo $?) "every control reads back as set${wrong:+; wrong:$wrong}"

# The window, offscreen: ready, and live MJPEG pictures in its preview.
timeout -s KILL 150 chroot $host /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/dev/shm \
    QT_QPA_PLATFORM=offscreen "$bin/lumora-window-probe" >$shm/window.txt 2>&1
status=$?
grep "^  " $shm/window.txt
check "window" $status "the window on the V4L2 backend"

# The capture layer on the real driver: formats, an MJPEG stream, controls, and the
# camera unplugged mid-stream.
mark
timeout -s KILL 120 chroot $host /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/dev/shm \
    "$probe" --frames 60 --lose-command "kill -USR1 $camera"
check "probe (unplugged mid-stream)" $? "see its lines above"
camera_said
wait_gone 20
check "unplugged" $? "no video node left after the unplug"
kill -USR2 "$camera"
wait_node 60
check "plugged again" $? "$(camera_node)"
node=$(camera_node)

if [ -x $host/usr/bin/ffmpeg ]; then
    in_host ffmpeg -hide_banner -nostdin -f v4l2 -input_format mjpeg -video_size 640x360 -i "$node" \
        -frames:v 60 -f null - >$shm/ffmpeg.txt 2>&1
    status=$?
    check "ffmpeg" $status "$(grep -o 'frame= *[0-9]*' $shm/ffmpeg.txt | tail -1); $(grep -i -E 'error|corrupt' $shm/ffmpeg.txt | head -3 | tr '\n' ' ')"
    # The uncompressed format too: a few YUY2 frames (29 payloads each).
    in_host ffmpeg -hide_banner -nostdin -f v4l2 -input_format yuyv422 -video_size 640x360 -i "$node" \
        -frames:v 10 -f null - >$shm/ffmpeg.txt 2>&1
    status=$?
    check "ffmpeg YUY2" $status "$(grep -o 'frame= *[0-9]*' $shm/ffmpeg.txt | tail -1); $(grep -i -E 'error|corrupt' $shm/ffmpeg.txt | head -3 | tr '\n' ' ')"
else
    echo "  note ffmpeg not installed on the host"
fi
if [ -x $host/usr/bin/v4l2-compliance ]; then
    in_host v4l2-compliance -v -d "$node" >$shm/compliance.txt 2>&1
    grep -B4 -E "fail:" $shm/compliance.txt | sed 's/^/    /'
    grep -E "Total for" $shm/compliance.txt | sed 's/^/    /'
    echo "  note v4l2-compliance: $(grep 'Total for' $shm/compliance.txt | tail -1)"
else
    echo "  note v4l2-compliance not installed on the host (v4l-utils)"
fi

# A firmware update through the extension unit, the camera's reboot followed to the end.
in_host "$bin/lumora-fwimage" --version 1.2.4 --size 16384 /dev/shm/fw124.bin >/dev/null
in_host "$bin/lumora-fwimage" --version 1.2.5 --size 16384 /dev/shm/fw125.bin >/dev/null
mark
started=$(date +%s)
timeout -s KILL 200 chroot $host /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/dev/shm \
    QT_QPA_PLATFORM=offscreen "$bin/lumora-x8-settings" --camera=v4l2 --no-profile --firmware-update /dev/shm/fw124.bin >$shm/update.txt 2>&1
status=$?
check "firmware update" $status "exit $status in $(($(date +%s) - started)) s: $(grep -v '%' $shm/update.txt | tr '\n' ' ' | cut -c1-300)"
camera_said
app --list >$shm/list.txt 2>&1
grep -q "1.2.4" $shm/list.txt
check "new firmware listed" $? "$(tr '\n' ' ' <$shm/list.txt | cut -c1-200)"

# Unplugged in the middle of an update: the program ends with its documented exit code
# 5 (the update failed) and leaves nothing open.
stop_camera
mark
start_camera --unplug-at-packet 20
wait_node 60
started=$(date +%s)
timeout -s KILL 120 chroot $host /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/dev/shm \
    QT_QPA_PLATFORM=offscreen "$bin/lumora-x8-settings" --camera=v4l2 --no-profile --firmware-update /dev/shm/fw125.bin >$shm/update.txt 2>&1
status=$?
check "unplugged mid-update" $([ $status -eq 5 ]; echo $?) "exit $status in $(($(date +%s) - started)) s: $(grep -v '%' $shm/update.txt | tr '\n' ' ' | cut -c1-300)"
camera_said

stop_camera
for module in uvcvideo vhci-hcd; do
    rmmod $module
    check "rmmod $module" $? "nothing left holding it"
done
result=$failures
