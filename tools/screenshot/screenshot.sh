#!/usr/bin/env bash
# Starts the program on a virtual X server (Xvfb), waits until the camera is connected and
# the live picture shows, and writes a PNG of the window.
#
#   tools/screenshot/screenshot.sh [-o out.png] [-b build-dir] [-t seconds] [-u | -f] [-- program options]
#
#   -o  picture to write (default: build/screenshot.png)
#   -b  build folder holding bin/lumora-x8-settings (default: build; built with
#       tools/dev.sh build when the program is missing there)
#   -t  seconds to wait before giving up (default: 60)
#   -u  the covered window instead: the simulated camera starts unplugged and the picture
#       is taken after the first failed connect attempt (as LUMORA_SIM_SCRIPT=unplugged)
#   -f  a firmware update in progress instead: the information page sends a generated
#       image to the simulated camera and the picture shows the progress dialog at 40 %
#       (bin/lumora-fw-progress-shot of the build folder)
# The camera is the simulated one unless LUMORA_CAMERA or --camera says otherwise. LANG is
# passed on (LANG=ja_JP.UTF-8 shows the Japanese texts), and so is LUMORA_SIM_SCRIPT (see
# docs/simulated-camera.md). The window alone is captured when it can be found on the X
# server, else the whole screen. The program's log goes to <out>.log. Needs Xvfb, x11-utils
# and ImageMagick's import, installed when missing (root). Exits non-zero when the awaited
# log line never came.
set -euo pipefail

# Runs on the virtual display: start the program, wait for the text in its log, let a few
# preview ticks pass, capture its window, quit it.
if [ "${1:-}" = "--inside-xvfb" ]; then
    shift
    out="$1" wait_for="$2" timeout_s="$3" program="$4"
    shift 4
    # A runtime folder of its own: a window already running in the session would otherwise
    # be raised instead of a new one started (one window per session).
    runtime="$(mktemp -d)"
    XDG_RUNTIME_DIR="$runtime" "$program" "$@" >"$out.log" 2>&1 &
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
    # The program's top-level window: the largest mapped window of its class.
    id="$(xwininfo -root -children 2>/dev/null | grep '("lumora-x8-settings"' |
        awk '{ split($NF, g, "+"); split(g[1], s, "x"); print s[1] * s[2], $1 }' | sort -n | tail -1 |
        cut -d' ' -f2)"
    import -window "${id:-root}" "$out"
    kill -TERM "$pid"
    wait "$pid" || true
    rm -rf "$runtime"
    exit 0
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
out="$here/build/screenshot.png"
build_dir="$here/build"
timeout_s=60
unplugged=0
firmware=0
while [ $# -gt 0 ]; do
    case "$1" in
        -o) out="$(realpath -m "$2")"; shift 2 ;;
        -b) build_dir="$(realpath -m "$2")"; shift 2 ;;
        -t) timeout_s="$2"; shift 2 ;;
        -u) unplugged=1; shift ;;
        -f) firmware=1; shift ;;
        --) shift; break ;;
        -h|--help) sed -n '2,21p' "${BASH_SOURCE[0]}"; exit 0 ;;
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

if [ "$firmware" -eq 1 ]; then
    shot="$build_dir/bin/lumora-fw-progress-shot"
    [ -x "$shot" ] || { echo "no $shot: build the target lumora-fw-progress-shot" >&2; exit 1; }
    mkdir -p "$(dirname "$out")"
    xvfb-run -a -s "-screen 0 1600x900x24" "$shot" "$out"
    exit 0
fi

program="$build_dir/bin/lumora-x8-settings"
if [ ! -x "$program" ]; then
    if [ "$build_dir" = "$here/build" ]; then bash "$here/tools/dev.sh" build; fi
    [ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }
fi
mkdir -p "$(dirname "$out")"

script="${LUMORA_SIM_SCRIPT:-}"
[ "$unplugged" -eq 0 ] || script="unplugged${script:+; $script}"
# Without a camera at start the window stays covered: the first failed open is the moment.
wait_for="enableWindow "
if [[ "$script" =~ (^|[;[:space:]])unplugged([;[:space:]]|$) ]]; then wait_for="open camera failed"; fi

LUMORA_SIM_SCRIPT="$script" LUMORA_CAMERA="${LUMORA_CAMERA:-simulated}" \
    xvfb-run -a -s "-screen 0 1600x900x24" \
    "${BASH_SOURCE[0]}" --inside-xvfb "$out" "$wait_for" "$timeout_s" "$program" "$@"
echo "wrote $out"
