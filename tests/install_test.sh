#!/usr/bin/env bash
# Installs into a staging directory and checks that every file a desktop expects is
# there and valid.
set -euo pipefail
build=$1
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
DESTDIR="$stage" cmake --install "$build" --prefix /usr > /dev/null
root=$stage/usr
for f in bin/gyrelle \
         share/applications/com.pennowick.Gyrelle.desktop \
         share/metainfo/com.pennowick.Gyrelle.metainfo.xml \
         share/icons/hicolor/scalable/apps/gyrelle.svg \
         share/icons/hicolor/48x48/apps/gyrelle.png \
         share/icons/hicolor/64x64/apps/gyrelle.png \
         share/icons/hicolor/128x128/apps/gyrelle.png \
         share/icons/hicolor/256x256/apps/gyrelle.png \
         share/man/man6/gyrelle.6; do
  [ -s "$root/$f" ] || { echo "missing: $f"; exit 1; }
done
[ -x "$root/bin/gyrelle" ] || { echo "bin/gyrelle is not executable"; exit 1; }
"$root/bin/gyrelle" --version | grep -q '^gyrelle [0-9]'
desktop-file-validate "$root/share/applications/com.pennowick.Gyrelle.desktop"
appstreamcli validate --no-net --pedantic "$root/share/metainfo/com.pennowick.Gyrelle.metainfo.xml" > /dev/null
# The PNGs are the sizes their folders say (width and height from the IHDR chunk).
for n in 48 64 128 256; do
  size=$(od -j16 -N8 -An -tu1 "$root/share/icons/hicolor/${n}x${n}/apps/gyrelle.png" | tr -s ' ' | sed 's/^ //')
  [ "$size" = "0 0 $((n / 256)) $((n % 256)) 0 0 $((n / 256)) $((n % 256))" ] \
    || { echo "icon ${n}x${n} is $size"; exit 1; }
done
MANWIDTH=80 man -l "$root/share/man/man6/gyrelle.6" 2>/dev/null | grep -q 'twisty-cube puzzle' \
  || { command -v man > /dev/null && { echo "the manual page does not render"; exit 1; }; true; }
echo "installed files: ok"
