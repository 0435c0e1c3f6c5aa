#!/usr/bin/env bash
# Installs what the build and the tests need on Debian 12 and builds the
# target libraries into .deps/. Quiet and quick when everything is there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/.deps"
prefix="$deps/mingw64"

packages=(
  cmake ninja-build
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth xdotool
  googletest
  fonts-wqy-microhei
  dpkg-dev
  locales
  imagemagick
)

sudo_() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

updated=
apt_update() {
  [ -n "$updated" ] && return
  sudo_ apt-get update -qq
  updated=1
}

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  apt_update
  sudo_ env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
fi

# libjpeg-turbo for the target, from Debian's source package.
if [ ! -f "$prefix/lib/libjpeg.a" ]; then
  echo "setup: building libjpeg-turbo for MinGW-w64"
  if ! grep -rqsE '^(deb-src |Types:.*deb-src)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    # Mirror the binary entries of the distribution as source entries.
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
      sed -e 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources |
        sudo_ tee /etc/apt/sources.list.d/debian-src.sources >/dev/null
    else
      sed -n -e 's/^deb /deb-src /p' /etc/apt/sources.list |
        sudo_ tee /etc/apt/sources.list.d/debian-src.list >/dev/null
    fi
    updated=
  fi
  apt_update
  src="$deps/src"
  rm -rf "$src"
  mkdir -p "$src"
  chmod 777 "$src" # apt's download user writes here
  (cd "$src" && apt-get source -qq --download-only libjpeg-turbo >/dev/null &&
     dpkg-source -x --no-check ./*.dsc libjpeg-turbo >/dev/null)
  cmake -S "$src/libjpeg-turbo" -B "$src/build" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF \
    -DWITH_JPEG8=ON >/dev/null
  cmake --build "$src/build" >/dev/null
  cmake --install "$src/build" >/dev/null
  rm -rf "$src"
fi

# Wine maps Windows file names to Unix ones in the C library's character set:
# without this locale, names outside ASCII cannot be created.
if ! locale -a 2>/dev/null | grep -qix 'zh_CN.utf-\?8'; then
  sudo_ localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi

# The Wine prefix the programs and tests run in (Chinese locale, see wine-run).
"$root/scripts/wine-run" --prefix-only
