#!/bin/sh
# Installs the Debian packages the build and the tests need, when any is missing.
# With the argument "fuzz", also clang and its sanitizer and libFuzzer libraries (fuzz build only).
set -e
PACKAGES="cmake ninja-build g++ make libgtest-dev libsdl2-dev xvfb xauth libx11-dev libegl1 libegl-mesa0 libgl1 libgl1-mesa-dri libglx-mesa0"
[ "${1:-}" = fuzz ] && PACKAGES="$PACKAGES clang libclang-rt-dev"
missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
echo "Installing:$missing"
if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq $missing
