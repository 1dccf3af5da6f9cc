#!/bin/sh
# Installs the Debian packages both builds, the tests and the demo need (as root, or with
# sudo). Does nothing when they are all there already.
set -e
PKGS="g++ cmake ninja-build ccache googletest libgtest-dev pkg-config libpng-dev libfreetype-dev
  g++-mingw-w64-i686-posix wine wine32:i386 fonts-wine xvfb xauth imagemagick ffmpeg
  t1utils fonts-urw-base35 t1-cyrillic culmus
  libglu1-mesa-dev libpolyclipping-dev libassimp-dev libosmesa6-dev"
missing=""
for p in $PKGS; do
  # "install ok installed" only: a removed package whose configuration files remain also
  # answers dpkg -s.
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null)" = "install ok installed" ] || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
echo "installing:$missing" >&2
$SUDO dpkg --add-architecture i386
$SUDO apt-get update -q
# env after sudo: sudo would drop a plain variable assignment.
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends $missing
