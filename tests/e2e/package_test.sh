#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it without installing it:
# name and version, the runtime dependencies that dpkg-shlibdeps found, and
# the files a desktop needs. (Installing it is done by hand, see the README.)
# Usage: package_test.sh <build folder> <version>
set -uo pipefail

build=${1:?usage: package_test.sh <build folder> <version>}
version=${2:?}
work=$(mktemp -d /tmp/vellumo-package.XXXXXX) || exit 1
trap 'rm -rf "$work"' EXIT

fail() {
  echo "package test: $*" >&2
  exit 1
}

for tool in cpack dpkg-deb dpkg-shlibdeps; do
  command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing (dpkg-dev comes with build-essential)"
done
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
  fail "cpack failed: $(tail -n 30 "$work/cpack.log")"
deb=$(ls "$work"/out/*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || fail "cpack made no .deb: $(tail -n 30 "$work/cpack.log")"

[ "$(dpkg-deb -f "$deb" Package)" = vellumo ] || fail "the package is not named vellumo"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "the package's version is not $version"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6 libcups2 libharfbuzz-subset0 libfreetype6 \
  libfontconfig1 libc6 fonts-liberation2 fonts-dejavu-core fonts-adf-oldania fonts-urw-base35 \
  fonts-dancingscript fonts-ebgaramond; do
  [[ ", $depends," == *", $lib"[\ ,]* ]] || fail "Depends lacks $lib: $depends"
done

dpkg-deb -c "$deb" | awk '{ print $NF }' >"$work/files"
for file in ./usr/bin/vellumo ./usr/bin/vellumo-cli ./usr/libexec/vellumo/vellumo \
  ./usr/share/applications/vellumo.desktop ./usr/share/icons/hicolor/48x48/apps/vellumo.png \
  ./usr/share/icons/hicolor/256x256/apps/vellumo.png ./usr/share/vellumo/prepare-data-folder.sh \
  ./usr/share/vellumo/Bilder/Kreuz.bmp ./usr/share/vellumo/Bilder/Taube.bmp \
  ./usr/share/vellumo/Bilder/Rose.bmp ./usr/share/vellumo/Bilder/Herz.bmp \
  ./usr/share/vellumo/Bilder/Haende.bmp ./usr/share/fontconfig/conf.avail/65-vellumo-aliases.conf \
  ./usr/lib/systemd/user/vellumo-watch.service; do
  grep -qxF "$file" "$work/files" || fail "the package lacks $file"
done
dpkg-deb -I "$deb" postinst | grep -qF /etc/fonts/conf.d/65-vellumo-aliases.conf ||
  fail "the package does not link its font aliases into /etc/fonts/conf.d"
echo "package test: passed ($(basename "$deb"))"
