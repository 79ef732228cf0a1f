#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs (only the missing ones),
# then configures and builds with CMake into build/ (or $QUINDLE_BUILD_DIR).
#
#   scripts/setup.sh            install, build the program and every test
#   scripts/setup.sh TARGET...  install, build only those targets (quindle:
#                               the program alone; bench_engine, bench_power
#                               and bench_ui: the benchmarks)
#   scripts/setup.sh --deps     install only
set -euo pipefail

cd "$(dirname "$0")/.."

PACKAGES=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev
    libgtest-dev libgmock-dev libbenchmark-dev libeigen3-dev
    locales-all fonts-dejavu-core
    xvfb xauth imagemagick
    clang libclang-rt-14-dev
    desktop-file-utils appstream dpkg-dev file xdotool xclip x11-utils openbox metacity
    dbus at-spi2-core python3 python3-pyatspi gir1.2-atspi-2.0 orca
    weston xwayland qt6-wayland
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then
        SUDO="sudo"
    fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi

if [ "${1:-}" = "--deps" ]; then
    exit 0
fi

BUILD_DIR="${QUINDLE_BUILD_DIR:-build}"
WERROR="${QUINDLE_WERROR:-OFF}"
if [ "${CI:-}" = "true" ]; then
    WERROR=ON
fi

# Configured once; later the build itself configures again when a CMake file
# has changed. Only a change of options configures here.
cache="$BUILD_DIR/CMakeCache.txt"
if [ ! -f "$cache" ] || [ ! -f "$BUILD_DIR/build.ninja" ] || [ -n "${QUINDLE_CMAKE_ARGS:-}" ] ||
    ! grep -qx "QUINDLE_WERROR:BOOL=$WERROR" "$cache"; then
    cmake -S . -B "$BUILD_DIR" -G Ninja -DQUINDLE_WERROR="$WERROR" ${QUINDLE_CMAKE_ARGS:-}
fi
targets=()
for target in "$@"; do
    targets+=(--target "$target")
done
# Nothing is printed when everything is up to date.
if cmake --build "$BUILD_DIR" "${targets[@]}" -- -n | grep -qx "ninja: no work to do."; then
    exit 0
fi
cmake --build "$BUILD_DIR" --parallel "$(nproc)" "${targets[@]}"
