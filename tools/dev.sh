#!/usr/bin/env bash
# Set-up, build, run and test in one place. Usage:
#   tools/dev.sh run [program options]   build and start the program (simulated camera
#                                        unless LUMORA_CAMERA or --camera says otherwise)
#   tools/dev.sh test                    build and run the whole test suite with CTest
#   tools/dev.sh test-asan               the same under AddressSanitizer + UBSan
#   tools/dev.sh test-tsan               the threaded core under ThreadSanitizer
#   tools/dev.sh build                   configure and build only
#   tools/dev.sh package                 build the Debian package
#                                        build/lumora-x8-settings_<version>_amd64.deb
#   tools/dev.sh package-test            the package, checked (lintian, desktop entry,
#                                        metainfo) and run from a scratch root
#   tools/dev.sh vm-packages             install what tools/vm/vivid-check.sh boots
#   tools/dev.sh fuzz [seconds] [target...]  build the fuzz targets (clang, build-fuzz/) and
#                                        run each from its corpus (default 20 s each)
#   tools/dev.sh soak [seconds] [options]    the window on the simulated camera, plugged and
#                                        unplugged, with random changes (default 30 s)
# Missing Debian packages are installed first (needs root, as on a fresh machine).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$here"
jobs="$(nproc 2>/dev/null || echo 2)"
# ccache keys on paths relative to the checkout, so that every clone (CI's among them)
# reuses what an earlier build compiled.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$here}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

# Everything a fresh Debian 12 needs to build, test and run (and nothing more): compiler and
# build tools (python3 for the layer check), Qt 5 with its translation tools, JPEG and
# H.264 codecs and udev (listing and hot-plug) for the camera backends, Google Benchmark
# for bench/, a virtual X server for running without a display, fonts (a CJK one for the
# Japanese texts), and clang with its libFuzzer and sanitizer run-times (llvm for the
# symbolizer) for the fuzz targets; for the
# installation and the package: an SVG renderer for the icons, help2man for the manual
# page, file for CPack's dependency search, the validators of the desktop entry, the
# AppStream metainfo and the package; the locale data the tests compile a locale from;
# and the accessibility stack for the AT-SPI check.
packages=(
    build-essential cmake ninja-build ccache pkg-config python3
    qtbase5-dev qttools5-dev qttools5-dev-tools
    libturbojpeg0-dev libjpeg62-turbo-dev libavcodec-dev libavutil-dev libswscale-dev libudev-dev
    zlib1g-dev  # the diagnostic bundle's gzip stream
    libbenchmark-dev xvfb xauth fonts-dejavu-core fonts-ipafont-gothic
    clang libclang-rt-14-dev llvm
    librsvg2-bin help2man file desktop-file-utils appstream lintian locales
    # The accessibility check (tests/a11y): a session bus, the AT-SPI bus and registry, the
    # Python client that walks the program's tree; Qt's SVG plug-ins draw the icons sharp.
    dbus-bin at-spi2-core python3-pyatspi libqt5svg5
)

# The virtual machine of tools/vm (the V4L2 backend against the kernel's vivid and
# uvcvideo drivers): qemu, Debian's kernel with its modules and a static busybox for the
# guest, and the peers' tools run against the emulated camera (lsusb, v4l2-compliance,
# ffmpeg). Installed only by the command vm-packages.
vm_packages=(qemu-system-x86 linux-image-amd64 busybox-static usbutils v4l-utils ffmpeg)

install_packages() {  # install_packages <package...>
    local missing=()
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo="sudo"
        $sudo apt-get update -qq
        $sudo env DEBIAN_FRONTEND=noninteractive INITRD="${INITRD:-}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

build() {  # build <dir> [cmake options...]
    local dir="$1"
    shift
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" -j "$jobs"
}

run_tests() {  # run_tests <dir>
    QT_QPA_PLATFORM=offscreen ctest --test-dir "$1" --output-on-failure -j "$jobs"
}

command="${1:-run}"
[ $# -gt 0 ] && shift
install_packages "${packages[@]}"
case "$command" in
    build) build build ;;
    package)
        # Debian's own prefix: the private library goes to the multiarch folder.
        build build -DCMAKE_INSTALL_PREFIX=/usr
        (cd build && cpack -G DEB)
        ;;
    package-test)
        build build -DCMAKE_INSTALL_PREFIX=/usr
        (cd build && cpack -G DEB)
        version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)"
        bash tests/package/check_package.sh "build/lumora-x8-settings_${version}_amd64.deb"
        ;;
    run)
        build build
        export LUMORA_CAMERA="${LUMORA_CAMERA:-simulated}"
        if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
            echo "No display: starting on a virtual X server (xvfb-run)."
            exec xvfb-run -a build/bin/lumora-x8-settings "$@"
        fi
        exec build/bin/lumora-x8-settings "$@"
        ;;
    test)
        build build
        run_tests build
        ;;
    test-asan)
        build build-asan -DLUMORA_SANITIZE=address,undefined -DLUMORA_BUILD_BENCH=OFF
        ASAN_OPTIONS=detect_leaks=1 run_tests build-asan
        ;;
    test-tsan)
        build build-tsan -DLUMORA_SANITIZE=thread -DLUMORA_BUILD_BENCH=OFF
        run_tests build-tsan
        ;;
    vm-packages)
        # The guest boots the kernel with an initramfs of its own: the host needs none.
        export INITRD=No
        install_packages "${vm_packages[@]}"
        ;;
    fuzz)
        seconds="${1:-20}"
        [ $# -gt 0 ] && shift
        exec bash tools/fuzz/run.sh -t "$seconds" "$@"
        ;;
    soak)
        seconds="${1:-30}"
        [ $# -gt 0 ] && shift
        cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
        cmake --build build -j "$jobs" --target lumora-soak
        QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}" exec build/bin/lumora-soak "$seconds" "$@"
        ;;
    *)
        echo "unknown command: $command" >&2
        exit 2
        ;;
esac
