#!/usr/bin/env bash
# The Debian package as a user gets it: lintian, the desktop entry and the AppStream
# metainfo through their validators, then the package unpacked into a scratch root and the
# installed program run there on the simulated camera (the command line, and the window in
# Japanese). Usage: tests/package/check_package.sh build/lumora-x8-settings_<version>_amd64.deb
set -euo pipefail
deb="$(realpath "$1")"
root="$(mktemp -d)"
trap 'rm -rf "$root"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }

echo "--- lintian"
# Errors fail the check; warnings are shown. (As root lintian says so: not a finding.)
lintian --tag-display-limit 0 "$deb" 2>&1 | tee "$root/lintian.txt" || true
if grep -q '^E: ' "$root/lintian.txt"; then fail "lintian reports errors"; else pass "lintian: no errors"; fi

dpkg-deb -x "$deb" "$root/install"
usr="$root/install/usr"
app_id="$(basename "$usr"/share/applications/*.desktop .desktop)"

echo "--- desktop-file-validate"
if desktop-file-validate "$usr/share/applications/$app_id.desktop"; then
    pass "desktop entry valid"
else
    fail "desktop entry"
fi
echo "--- appstreamcli validate --no-net"
if appstreamcli validate --no-net --pedantic "$usr/share/metainfo/$app_id.metainfo.xml"; then
    pass "metainfo valid"
else
    fail "metainfo"
fi

echo "--- installed files"
for file in bin/lumora-x8-settings share/icons/hicolor/scalable/apps/$app_id.svg \
    share/icons/hicolor/48x48/apps/$app_id.png share/icons/hicolor/256x256/apps/$app_id.png \
    share/man/man1/lumora-x8-settings.1.gz share/bash-completion/completions/lumora-x8-settings \
    share/doc/lumora-x8-settings/copyright \
    "share/lumora-x8-settings/OPEN SOURCE SOFTWARE NOTICE (PC_TOOL)_LEGAL COMMENT.htm" \
    share/lumora-x8-settings/languages/rk38p20_ja.qm; do
    if [ -e "$usr/$file" ]; then pass "$file"; else fail "missing $file"; fi
done
if find "$usr/lib" -path '*/lumora-x8-settings/libProjectCustomize.so' | grep -q .; then
    pass "private library"
else
    fail "missing lib/.../lumora-x8-settings/libProjectCustomize.so"
fi

# The V4L2 backend's frame converter: a module of its own, loaded on the first conversion,
# so that the program itself links no libav; the package still depends on what it loads.
if find "$usr/lib" -path '*/lumora-x8-settings/liblumora-frame-converter.so' | grep -q .; then
    pass "frame converter module"
else
    fail "missing lib/.../lumora-x8-settings/liblumora-frame-converter.so"
fi
if readelf -d "$usr/bin/lumora-x8-settings" | grep NEEDED | grep -q 'libav\|libswscale'; then
    fail "the program links libav itself (it loads it with the converter module)"
else
    pass "the program links no libav"
fi
depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libavcodec libavutil libswscale; do
    if echo "$depends" | grep -q "$lib"; then pass "Depends: $lib"; else fail "Depends lacks $lib"; fi
done

echo "--- the installed program on the simulated camera"
bin="$usr/bin/lumora-x8-settings"
mkdir -m 700 "$root/run"
export LUMORA_CAMERA=simulated LUMORA_PROFILE_DIR="$root/profiles" XDG_CONFIG_HOME="$root/config" \
    XDG_CONFIG_DIRS="$root/xdg" XDG_RUNTIME_DIR="$root/run" LANG=C
unset LC_ALL LC_MESSAGES LANGUAGE

# The same version as the package (1.00.00 and 1.0.0 are the same version).
package_version="$(dpkg-deb -f "$deb" Version)"
program_version="$("$bin" --version | awk '{print $NF}')"
same_version() { [ "$(echo "$1" | awk -F. '{printf "%d.%d.%d", $1, $2, $3}')" = \
    "$(echo "$2" | awk -F. '{printf "%d.%d.%d", $1, $2, $3}')" ]; }
if same_version "$package_version" "$program_version"; then
    pass "--version $program_version"
else
    fail "--version says $program_version, the package $package_version"
fi

list="$("$bin" --list 2>&1)" || fail "--list exit $?"
echo "$list"
if echo "$list" | grep -Eq '^0: Lumora X8 .*serial [^ ]+'; then pass "--list finds the Lumora X8 with its serial"; else fail "--list"; fi
get="$("$bin" --get brightness zoom 2>&1)" || fail "--get exit $?"
echo "$get"
if echo "$get" | grep -q '^brightness' && echo "$get" | grep -q '^zoom'; then pass "--get"; else fail "--get"; fi

log="$root/window.log"
LANG=ja_JP.UTF-8 QT_QPA_PLATFORM=offscreen "$bin" >"$log" 2>&1 &
window=$!
for _ in $(seq 1 300); do
    grep -q '^enableWindow ' "$log" && break
    kill -0 "$window" 2>/dev/null || break
    sleep 0.1
done
kill -TERM "$window" 2>/dev/null || true
wait "$window" || fail "the window ended with $?"
for line in "locale: ja_JP" "load rk38p20_ja.qm: 1" "DeviceName : Lumora X8, PCToolName : Lumora X8 Setting Software" \
    "enableWindow "; do
    if grep -qF "$line" "$log"; then pass "window: $line"; else fail "window: no \"$line\""; fi
done
if grep -q "ProjectCustomize not loaded" "$log"; then fail "window: customisation library not found"; fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed; the window's log:" >&2
    head -40 "$log" >&2
    exit 1
fi
echo "package checks passed"
