#!/usr/bin/env bash
# Installs the Debian packages Vellumo needs, then configures and builds.
# Idempotent: when every package is present it skips apt-get entirely.
#
#   scripts/setup.sh [target ...]
#
# Without targets everything is built, tests and benchmarks included; with
# targets only those and what they need (scripts/run.sh builds the program
# alone). The data folder and the font aliases are prepared either way.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${VELLUMO_BUILD_DIR:-$here/build}
build_type=${VELLUMO_BUILD_TYPE:-RelWithDebInfo}

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n
  libfreetype-dev libfontconfig-dev libcups2-dev libicu-dev
  libhunspell-dev hunspell-de-de hunspell-de-at hunspell-de-ch
  libgtest-dev libgmock-dev libbenchmark-dev
  fonts-liberation2 fonts-dejavu-core
  fonts-adf-oldania fonts-urw-base35 fonts-dancingscript fonts-ebgaramond
  xvfb xdotool xauth poppler-utils qpdf ghostscript libharfbuzz-dev
  cups cups-daemon cups-client cups-filters printer-driver-cups-pdf
  x11-apps netpbm desktop-file-utils
  clang libclang-rt-dev llvm
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -q
  "${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

cmake -S "$here" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build "$build_dir" --parallel "$(nproc)" ${targets[@]+"${targets[@]}"}

# Vellumo never creates its data folder: make it (with the ink pictures in
# "Bilder") for the program of the build tree, unless it is there already.
"$here/packaging/prepare-data-folder.sh" "$here/packaging/pictures" ||
  echo "setup: the data folder could not be prepared; Vellumo will not be able to save" >&2

# The aliases that turn the faces named by Windows settings ("Old Germen",
# Arial, ...) into the installed ones, for this user (the package installs
# them system-wide).
"$here/packaging/install-font-aliases.sh" "$here/packaging/fontconfig/65-vellumo-aliases.conf" ||
  echo "setup: the font aliases could not be installed; \"Old Germen\" will not be a blackletter" >&2
