# vivid-shared-check.sh's part of the guest (sourced by guest-init.sh). One "  ok" or
# "  FAIL" line per check; the result is the number of failed checks (0: passed).
shm=$host/dev/shm
# vivid's capture node stands in for the camera (its card is "vivid").
app() {  # app <args...>: the command line on the V4L2 backend
    in_host LUMORA_V4L2_MATCH_NAME=vivid "$bin/lumora-x8-settings" --camera=v4l2 --no-profile "$@"
}

# One vivid instance with a webcam input, a capture node only.
insmod /modules/vivid.ko n_devs=1 node_types=0x1 num_inputs=1 input_types=0 no_error_inj=1 || finish
node=""
for n in /sys/class/video4linux/video*; do
    case "$(cat "$n/name")" in vivid-*-vid-cap) node=/dev/${n##*/} ;; esac
done
check "vivid" "$([ -n "$node" ]; echo $?)" "capture node $node"
[ -n "$node" ] || finish

# udev (guest-init.sh's start_udevd): the node described (v4l_id), then the backend's
# listing and watch.
start_udevd
properties="$(udevadm_in_host info --query=property --name="$node" 2>&1 | grep -E 'ID_V4L_(PRODUCT|CAPABILITIES)|ID_PATH=' | tr '\n' ' ')"
check "udevd" "$(echo "$properties" | grep -q ':capture:'; echo $?)" "$node: $properties"
[ -n "$properties" ] || sed 's/^/    udevd: /' $shm/udevd.log | tail -10
change='echo vivid.0 > /sys/bus/platform/drivers/vivid/unbind && sleep 1 && echo vivid.0 > /sys/bus/platform/drivers/vivid/bind'
in_host LUMORA_V4L2_MATCH_NAME=vivid "$bin/lumora-udev-probe" --change-command "$change" >$shm/udev-probe.txt 2>&1
check "udev probe" $? "listing from udev's database, add and remove events (lines follow)"
sed 's/^ */    /' $shm/udev-probe.txt
udevadm_in_host settle -t 20 >/dev/null 2>&1

# The camera shared: v4l2-ctl holds the stream, the command line changes the controls.
app --get >$shm/get-free.txt 2>&1
check "--get, stream free" $? "$(tr '\n' ' ' <$shm/get-free.txt | cut -c1-200)"
chroot $host /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin \
    v4l2-ctl -d "$node" --stream-mmap --stream-count=1000000 >/dev/null 2>$shm/streamer.txt &
streamer=$!
sleep 3
# v4l2-ctl reports a refused stream on its output, not in its exit code.
in_host v4l2-ctl -d "$node" --stream-mmap --stream-count=1 >$shm/second.txt 2>&1
check "stream held" "$(grep -q busy $shm/second.txt && kill -0 $streamer 2>/dev/null; echo $?)" \
    "v4l2-ctl streams (pid $streamer); a second stream is refused: $(tr '\n\t' '  ' <$shm/second.txt | cut -c1-120)"
# The peers' way first: v4l2-ctl itself sets a control while the stream runs.
in_host v4l2-ctl -d "$node" --set-ctrl brightness=100 >/dev/null 2>&1
value="$(in_host v4l2-ctl -d "$node" --get-ctrl brightness 2>&1)"
check "v4l2-ctl sets while streamed" "$([ "$value" = "brightness: 100" ]; echo $?)" "$value"
app --get brightness contrast saturation hue >$shm/get.txt 2>&1
check "--get while streamed" $? "$(tr '\n' ' ' <$shm/get.txt | cut -c1-200)"
app --set brightness=200 contrast=100 saturation=90 hue=10 >$shm/set.txt 2>&1
check "--set while streamed" $? "$(tr '\n' ' ' <$shm/set.txt | cut -c1-200)"
wrong=""
for pair in brightness=200 contrast=100 saturation=90 hue=10; do
    value="$(in_host v4l2-ctl -d "$node" --get-ctrl "${pair%=*}" 2>&1)"
    [ "$value" = "${pair%=*}: ${pair#*=}" ] || wrong="$wrong ${pair%=*} reads \"$value\""
done
check "v4l2-ctl reads back" "$([ -z "$wrong" ]; echo $?)" "every value set${wrong:+; wrong:$wrong}"
check "stream kept" "$(kill -0 $streamer 2>/dev/null; echo $?)" "v4l2-ctl still streams"
kill $streamer 2>/dev/null
wait $streamer 2>/dev/null

result=$failures
