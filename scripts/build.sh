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
install -d "$tree/DEBIAN" "$tree/usr/bin" "$tree/usr/lib/parlowen" "$tree/usr/share/doc/parlowen"
install -m 755 packaging/deb/parlowen "$tree/usr/bin/parlowen"
install -m 644 build/windows/parlowen.exe "$tree/usr/lib/parlowen/parlowen.exe"
install -m 755 build/windows/parlowen-voice.exe.so "$tree/usr/lib/parlowen/parlowen-voice.exe.so"
install -m 644 README.md "$tree/usr/share/doc/parlowen/README.md"
size=$(du -sk --exclude=DEBIAN "$tree" | cut -f1)
sed -e "s/@VERSION@/$version/" -e "s/@SIZE@/$size/" packaging/deb/control.in >"$tree/DEBIAN/control"
dpkg-deb --root-owner-group --build "$tree" "build/parlowen_${version}_amd64.deb" >/dev/null
