#!/usr/bin/env bash
# Renders every SVG source under icons-src/<prefix>/ to <prefix>/<name>.png at the size the
# SVG declares. The PNGs are committed, so building the program never needs this script;
# run it (needs rsvg-convert from librsvg2-bin) after changing a drawing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")"
for svg in icons-src/*/*.svg; do
    prefix="$(basename "$(dirname "$svg")")"
    mkdir -p "$prefix"
    rsvg-convert -o "$prefix/$(basename "$svg" .svg).png" "$svg"
done
