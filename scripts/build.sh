#!/usr/bin/env bash
# Builds the native core with its unit tests (build/native) and the Windows program with
# its end-to-end suite in both widths: 32-bit (build/windows32, the program users install,
# with parlowen-setup.exe) and 64-bit (build/windows), through the presets in
# CMakePresets.json, and then the Linux packages (see below).
set -euo pipefail
cd "$(dirname "$0")/.."

for preset in native windows32 windows; do
  echo "build: the $preset preset, in build/$preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

# The Linux packages, split by width as Debian splits Wine itself:
#   build/parlowen_<version>_all.deb     the launcher /usr/bin/parlowen, manual page, menu entry
#   build/parlowen64_<version>_amd64.deb the 64-bit program and voice process, /usr/lib/parlowen/win64
#   build/parlowen32_<version>_i386.deb  the 32-bit ones, /usr/lib/parlowen/win32
# The program finds its voice process beside itself; the launcher picks the width the
# user's prefix runs.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)
rm -rf build/deb build/parlowen*_*.deb

# A package's tree with what every package carries: its copyright and changelog.
new_package_tree() {
  local doc=build/deb/$1/usr/share/doc/$1
  install -d "build/deb/$1/DEBIAN" "$doc"
  install -m 644 packaging/deb/copyright "$doc/copyright"
  sed "s/@VERSION@/$version/" packaging/deb/changelog.in | gzip -9n >"$doc/changelog.gz"
}

# Writes the control file of package $1 and builds it for architecture $2.
build_package() {
  local tree=build/deb/$1 size
  size=$(du -sk --exclude=DEBIAN "$tree" | cut -f1)
  sed -e "s/@VERSION@/$version/g" -e "s/@SIZE@/$size/" "packaging/deb/$1.control.in" >"$tree/DEBIAN/control"
  dpkg-deb --root-owner-group --build "$tree" "build/${1}_${version}_$2.deb" >/dev/null
}

# Package $1 (architecture $2) holds the program of build tree $3 in /usr/lib/parlowen/$4.
build_program_package() {
  local lib=build/deb/$1/usr/lib/parlowen/$4
  new_package_tree "$1"
  install -d "$lib"
  install -m 644 "build/$3/parlowen.exe" "$lib/parlowen.exe"
  install -m 755 "build/$3/parlowen-voice.exe.so" "$lib/parlowen-voice.exe.so"
  # As Debian's own packages strip theirs: the dynamic symbols Wine loads it by stay.
  strip --remove-section=.comment --remove-section=.note --strip-unneeded "$lib/parlowen-voice.exe.so"
  build_package "$1" "$2"
}
build_program_package parlowen64 amd64 windows win64
build_program_package parlowen32 i386 windows32 win32

tree=build/deb/parlowen
new_package_tree parlowen
install -d "$tree/usr/bin" "$tree/usr/share/man/man1" "$tree/usr/share/applications" "$tree/usr/share/metainfo"
install -m 755 packaging/deb/parlowen "$tree/usr/bin/parlowen"
install -m 644 README.md "$tree/usr/share/doc/parlowen/README.md"
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
build_package parlowen all
