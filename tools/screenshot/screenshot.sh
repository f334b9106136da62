#!/usr/bin/env bash
# Starts the program on a virtual X server (Xvfb) and writes a PNG of its window.
#
#   tools/screenshot/screenshot.sh [-o out.png] [-w seconds] [-b build-dir] [-- program options]
#
#   -o  picture to write (default: build/screenshot.png)
#   -w  seconds to let the program run before the picture is taken (default: 5)
#   -b  build folder holding bin/lumora-x8-settings (default: build; built with
#       tools/dev.sh build when the program is missing there)
# The camera is the simulated one unless LUMORA_CAMERA or --camera says otherwise. LANG is
# passed on (LANG=ja_JP.UTF-8 shows the Japanese texts), and so is LUMORA_SIM_SCRIPT
# (LUMORA_SIM_SCRIPT=unplugged shows the window as it waits for a camera). The window alone
# is captured when it can be found on the X server, else the whole screen. The program's
# log goes to <out>.log. Needs Xvfb and ImageMagick's import, installed when missing (root).
set -euo pipefail

# Runs on the virtual display: start the program, wait, capture its window, quit it.
if [ "${1:-}" = "--inside-xvfb" ]; then
    shift
    out="$1" wait_s="$2" program="$3"
    shift 3
    "$program" "$@" >"$out.log" 2>&1 &
    pid=$!
    sleep "$wait_s"
    if ! kill -0 "$pid" 2>/dev/null; then
        echo "the program ended early; its log:" >&2
        cat "$out.log" >&2
        exit 1
    fi
    # The program's top-level window: the largest mapped window of its class.
    id="$(xwininfo -root -children 2>/dev/null | grep '("lumora-x8-settings"' |
        awk '{ split($NF, g, "+"); split(g[1], s, "x"); print s[1] * s[2], $1 }' | sort -n | tail -1 |
        cut -d' ' -f2)"
    import -window "${id:-root}" "$out"
    kill -TERM "$pid"
    wait "$pid" || true
    exit 0
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="$here/build/screenshot.png"
wait_s=5
build_dir="$here/build"
while [ $# -gt 0 ]; do
    case "$1" in
        -o) out="$(realpath -m "$2")"; shift 2 ;;
        -w) wait_s="$2"; shift 2 ;;
        -b) build_dir="$(realpath -m "$2")"; shift 2 ;;
        --) shift; break ;;
        -h|--help) sed -n '2,14p' "${BASH_SOURCE[0]}"; exit 0 ;;
        *) break ;;
    esac
done

need=()
command -v xvfb-run >/dev/null || need+=(xvfb xauth)
command -v import >/dev/null || need+=(imagemagick)
command -v xwininfo >/dev/null || need+=(x11-utils)
if [ ${#need[@]} -gt 0 ]; then
    echo "Installing: ${need[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

program="$build_dir/bin/lumora-x8-settings"
if [ ! -x "$program" ]; then
    if [ "$build_dir" = "$here/build" ]; then bash "$here/tools/dev.sh" build; fi
    [ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }
fi
mkdir -p "$(dirname "$out")"


LUMORA_CAMERA="${LUMORA_CAMERA:-simulated}" xvfb-run -a -s "-screen 0 1600x900x24" \
    "${BASH_SOURCE[0]}" --inside-xvfb "$out" "$wait_s" "$program" "$@"
echo "wrote $out"
