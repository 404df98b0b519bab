#!/usr/bin/env bash
# Builds the native core with its unit tests (build/native) and the Windows program with
# its end-to-end suite in both widths: 32-bit (build/windows32, the program users install,
# with parlowen-setup.exe) and 64-bit (build/windows), through the presets in
# CMakePresets.json, and then the Linux package build/parlowen_<version>_amd64.deb.
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in native windows32 windows; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

# The package holds the Windows program and its Winelib voice process in /usr/lib/parlowen
# (the program finds the voice process beside itself) and the launcher /usr/bin/parlowen.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
tree=build/deb/parlowen
rm -rf "$tree"
doc=$tree/usr/share/doc/parlowen
install -d "$tree/DEBIAN" "$tree/usr/bin" "$tree/usr/lib/parlowen" "$doc" "$tree/usr/share/man/man1" \
  "$tree/usr/share/applications" "$tree/usr/share/metainfo"
install -m 755 packaging/deb/parlowen "$tree/usr/bin/parlowen"
install -m 644 build/windows/parlowen.exe "$tree/usr/lib/parlowen/parlowen.exe"
install -m 755 build/windows/parlowen-voice.exe.so "$tree/usr/lib/parlowen/parlowen-voice.exe.so"
# As Debian's own packages strip theirs: the dynamic symbols Wine loads it by stay.
strip --remove-section=.comment --remove-section=.note --strip-unneeded "$tree/usr/lib/parlowen/parlowen-voice.exe.so"
install -m 644 README.md "$doc/README.md"
install -m 644 packaging/deb/copyright "$doc/copyright"
sed "s/@VERSION@/$version/" packaging/deb/changelog.in | gzip -9n >"$doc/changelog.gz"
gzip -9n <packaging/deb/parlowen.1 >"$tree/usr/share/man/man1/parlowen.1.gz"
install -m 644 packaging/deb/org.parlowen.Parlowen.desktop "$tree/usr/share/applications/"
sed "s/@VERSION@/$version/" packaging/deb/org.parlowen.Parlowen.metainfo.xml.in \
  >"$tree/usr/share/metainfo/org.parlowen.Parlowen.metainfo.xml"
# The menu's icons, in the sizes of the program's own icon.
index=0
for size in 16 32 48; do
  install -d "$tree/usr/share/icons/hicolor/${size}x$size/apps"
  convert "resources/parlowen.ico[$index]" "png:$tree/usr/share/icons/hicolor/${size}x$size/apps/parlowen.png"
  index=$((index + 1))
done
chmod 644 "$tree"/usr/share/icons/hicolor/*/apps/parlowen.png "$tree/usr/share/metainfo/"*.xml
size=$(du -sk --exclude=DEBIAN "$tree" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@SIZE@/$size/" packaging/deb/control.in >"$tree/DEBIAN/control"
dpkg-deb --root-owner-group --build "$tree" "build/parlowen_${version}_amd64.deb" >/dev/null
