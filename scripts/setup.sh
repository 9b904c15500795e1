#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Tarnwick need.
# Cheap to call every time: when every package is present it installs nothing.
set -euo pipefail

PACKAGES=(
  # building
  build-essential cmake ninja-build pkg-config ccache
  # tests, benchmarks, fuzzing
  googletest libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev
  # installing and packaging: validators of the desktop entry, the metainfo, the manual pages
  # and the Debian package (dpkg-shlibdeps comes with build-essential's dpkg-dev; the icon is
  # rendered by librsvg2-bin's rsvg-convert, below)
  desktop-file-utils appstream man-db groff-base lintian
  # hardening-check, which tells whether the installed programs carry the hardening flags
  devscripts
  # image files
  zlib1g-dev libpng-dev libjpeg-dev
  # system fonts: fontconfig picks an installed face, FreeType renders it
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  # JPEG 2000: the library is loaded at run time; its header gives the types
  libopenjp2-7 libopenjp2-7-dev
  # sound effects and music: OpenAL Soft, Ogg Vorbis, tracker modules
  libopenal-dev libvorbis-dev libopenmpt-dev
  # peers measured by the benchmarks
  libpixman-1-dev libgif-dev
  # the window, input and display (Xlib mends a window property SDL sets on X11)
  libsdl2-dev libx11-dev
  # checking the window by hand without a desktop: xvfb-run, a window manager, input and screenshots
  xvfb xauth imagemagick xdotool openbox
  # rendering the SVG pictures of the game's data
  librsvg2-bin
)

missing=()
for pkg in "${PACKAGES[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  if [[ "$status" != "install ok installed" ]]; then
    missing+=("$pkg")
  fi
done

if [[ ${#missing[@]} -eq 0 ]]; then
  exit 0
fi

echo "setup.sh: installing missing packages: ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  sudo_cmd=()
elif command -v sudo >/dev/null; then
  sudo_cmd=(sudo)
else
  echo "setup.sh: need root or sudo to install: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -q
"${sudo_cmd[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
echo "setup.sh: done"
