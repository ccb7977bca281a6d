#!/usr/bin/env bash
# Renders the program icon data/icons/neva-setup.svg into the PNG sizes of the
# hicolor icon theme (data/icons/<N>x<N>/neva-setup.png). The PNGs are committed, so
# a build needs no SVG renderer; run this after changing the SVG and commit the
# result. Needs rsvg-convert (Debian package librsvg2-bin).
set -euo pipefail
cd "$(dirname "$0")/.."
if ! command -v rsvg-convert >/dev/null; then
  echo "render-icons.sh: rsvg-convert is missing (apt-get install librsvg2-bin)" >&2
  exit 1
fi
for size in 16 22 24 32 48 64 128 256; do
  mkdir -p "data/icons/${size}x${size}"
  rsvg-convert -w "$size" -h "$size" data/icons/neva-setup.svg -o "data/icons/${size}x${size}/neva-setup.png"
done
echo "Rendered data/icons/*/neva-setup.png"
