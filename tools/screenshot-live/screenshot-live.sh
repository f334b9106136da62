#!/usr/bin/env bash
# Starts the program on a virtual X server (Xvfb) with the simulated camera, waits until
# the camera is connected and the live picture shows, and writes a PNG of the window.
#
#   tools/screenshot-live/screenshot-live.sh [-o out.png] [-b build-dir] [-t seconds] [-u] [-- program options]
#
#   -o  picture to write (default: build/screenshot-live.png)
#   -b  build folder holding bin/lumora-x8-settings (default: build; built with
#       tools/dev.sh build when the program is missing there)
#   -t  seconds to wait for the connection before giving up (default: 60)
#   -u  start with the camera unplugged and take the picture of the covered window after
#       the first failed connect attempt instead
# LUMORA_SIM_SCRIPT is passed on (see the simulated camera's documentation); the
# program's log goes to <out>.log. Needs Xvfb, x11-utils and ImageMagick's import; they are
# installed when missing (as root). Exits non-zero when the window never connected.
set -euo pipefail

# Runs on the virtual display: start the program, wait for the text in its log, let a few
# preview ticks pass, capture its window, quit it.
if [ "${1:-}" = "--inside-xvfb" ]; then
    shift
    out="$1" wait_for="$2" timeout_s="$3" program="$4"
    shift 4
    "$program" "$@" >"$out.log" 2>&1 &
    pid=$!
    deadline=$((SECONDS + timeout_s))
    until grep -qF -- "$wait_for" "$out.log"; do
        if ! kill -0 "$pid" 2>/dev/null; then
            echo "the program ended early; its log:" >&2
            cat "$out.log" >&2
            exit 1
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            echo "no \"$wait_for\" in the log within ${timeout_s}s; see $out.log" >&2
            kill -TERM "$pid"
            wait "$pid" || true
            exit 1
        fi
        sleep 0.2
    done
    # A few preview ticks (33 ms each) and the repaint of the window.
    sleep 1.5
    id="$(xwininfo -root -children 2>/dev/null | grep '("lumora-x8-settings"' |
        awk '{ split($NF, g, "+"); split(g[1], s, "x"); print s[1] * s[2], $1 }' | sort -n | tail -1 |
        cut -d' ' -f2)"
    import -window "${id:-root}" "$out"
    kill -TERM "$pid"
    wait "$pid" || true
    exit 0
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="$here/build/screenshot-live.png"
build_dir="$here/build"
timeout_s=60
unplugged=0
while [ $# -gt 0 ]; do
    case "$1" in
        -o) out="$(realpath -m "$2")"; shift 2 ;;
        -b) build_dir="$(realpath -m "$2")"; shift 2 ;;
        -t) timeout_s="$2"; shift 2 ;;
        -u) unplugged=1; shift ;;
        --) shift; break ;;
        -h|--help) sed -n '2,15p' "${BASH_SOURCE[0]}"; exit 0 ;;
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

wait_for="enableWindow "
script="${LUMORA_SIM_SCRIPT:-}"
if [ "$unplugged" -eq 1 ]; then
    wait_for="open camera failed"
    script="unplugged${script:+; $script}"
fi

LUMORA_SIM_SCRIPT="$script" xvfb-run -a -s "-screen 0 1600x900x24" \
    "${BASH_SOURCE[0]}" --inside-xvfb "$out" "$wait_for" "$timeout_s" "$program" --camera=simulated "$@"
echo "wrote $out"
