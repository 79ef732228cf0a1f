#!/usr/bin/env bash
# Builds the Debian package, has lintian check it, installs it on this machine
# with apt, checks the installed files (the documents and the manual page
# among them, and what the desktop makes of the desktop entry), starts the
# installed program on a virtual display, checks that its main window
# "Quindle" appears, and removes the package again.
#
#   scripts/test-package.sh [build-dir]      (default: build)
#
# The build directory must be configured already (make build). Needs root or
# sudo for apt. Whatever happens, the program, the virtual display and the
# package are gone when the script ends. Any quindle package installed before
# the run is removed as well.
set -euo pipefail

cd "$(dirname "$0")/.."
BUILD_DIR=$(realpath "${1:-build}")
PKG=quindle
APP_ID=org.quindle.Quindle
WINDOW_TIMEOUT=20

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive

work=$(mktemp -d)
# Whatever the program keeps, it keeps here, not in the user's folders.
export XDG_STATE_HOME="$work/state" XDG_CONFIG_HOME="$work/config"
xvfb_pid=""
app_pid=""

package_installed() {
    dpkg-query -W -f='${Status}' "$PKG" 2>/dev/null | grep -q "install ok installed"
}

# shellcheck disable=SC2317  # called by the EXIT trap
cleanup() {
    local rc=$?
    set +e
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid"; wait "$app_pid" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill "$xvfb_pid"; wait "$xvfb_pid" 2>/dev/null
    fi
    if package_installed; then
        echo "== removing $PKG"
        $SUDO apt-get remove -y -qq "$PKG" </dev/null >/dev/null
    fi
    rm -rf "$work"
    if [ "$rc" -eq 0 ]; then
        echo "== package test passed"
    else
        echo "== package test FAILED" >&2
    fi
    exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

fail() { echo "FAIL: $*" >&2; exit 1; }

# The tools only this test needs, beyond the build's (scripts/setup.sh):
# lintian, man and xdg-mime.
missing=()
for p in lintian man-db xdg-utils; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing ${missing[*]}"
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null >/dev/null
fi

for tool in lintian man xdg-mime cpack dpkg-shlibdeps file desktop-file-validate appstreamcli Xvfb xdotool; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh --deps)"
done
[ -f "$BUILD_DIR/CPackConfig.cmake" ] || fail "$BUILD_DIR is not a configured build directory"

# 1. Build the program and the package. A stale copy from an earlier run must
#    neither be installed nor be taken for this run's package.
echo "== building the package in $BUILD_DIR"
cmake --build "$BUILD_DIR" --target quindle
rm -f "$BUILD_DIR/${PKG}"_*.deb
(cd "$BUILD_DIR" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$BUILD_DIR/${PKG}"_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    fail "expected one ${PKG}_*.deb in $BUILD_DIR"
fi
deb=${debs[0]}
echo "   $(basename "$deb")"

depends=$(dpkg-deb -f "$deb" Depends)
echo "   Depends: $depends"
for dep in libqt6widgets6 libqt6core6 qt6-qpa-plugins qt6-wayland; do
    grep -qE "(^|, )$dep( |,|$)" <<<"$depends" || fail "the package does not depend on $dep"
done
[ "$(dpkg-deb -f "$deb" Section)" = "math" ] || fail "the package's section is not math"

# Lintian's word on the package, in full (its informational tags too); an
# error fails the test.
echo "== lintian"
lintian --display-info --pedantic "$deb" >"$work/lintian.log" 2>&1 || true
grep -v "running with root privileges" "$work/lintian.log" | sed 's/^/   /'
grep -q "^E: " "$work/lintian.log" && fail "lintian reports errors"

# 2. Install it with apt, which also installs what it depends on.
if package_installed; then
    echo "== removing the $PKG installed before this run"
    $SUDO apt-get remove -y -qq "$PKG" </dev/null >/dev/null
fi
echo "== installing"
$SUDO apt-get install -y -qq "$deb" </dev/null >"$work/apt.log" 2>&1 || { cat "$work/apt.log"; fail "apt-get install failed"; }
package_installed || fail "$PKG is not installed after apt-get install"

# 3. The installed files.
echo "== checking the installed files"
for f in /usr/bin/quindle \
         /usr/share/doc/$PKG/copyright \
         /usr/share/doc/$PKG/changelog.gz \
         /usr/share/man/man1/quindle.1.gz \
         /usr/share/applications/$APP_ID.desktop \
         /usr/share/metainfo/$APP_ID.metainfo.xml \
         /usr/share/icons/hicolor/32x32/apps/$APP_ID.png \
         /usr/share/icons/hicolor/scalable/apps/$APP_ID.svg; do
    [ -f "$f" ] || fail "$f is missing"
    dpkg -S "$f" >/dev/null 2>&1 || fail "$f does not belong to the package"
done
[ -x /usr/bin/quindle ] || fail "/usr/bin/quindle is not executable"
if ldd /usr/bin/quindle | grep -q "not found"; then
    ldd /usr/bin/quindle | grep "not found" >&2
    fail "/usr/bin/quindle misses shared libraries"
fi
desktop-file-validate /usr/share/applications/$APP_ID.desktop || fail "the installed desktop entry does not validate"
appstreamcli validate --no-net /usr/share/metainfo/$APP_ID.metainfo.xml >"$work/as.log" 2>&1 \
    || { cat "$work/as.log"; fail "the installed metainfo does not validate"; }
grep -q "^License: Expat" /usr/share/doc/$PKG/copyright || fail "the copyright names no licence"
zcat /usr/share/doc/$PKG/changelog.gz | head -n1 | grep -q "^$PKG ($(dpkg-deb -f "$deb" Version)) " \
    || fail "the changelog does not start with this version"

# The manual page: found by man, and in step with --help (its usage line and
# every option with its text).
man -w quindle >/dev/null 2>&1 || fail "man quindle finds no manual page"
manual=$(LC_ALL=C MANWIDTH=200 man quindle 2>/dev/null | col -b | tr -s ' \t' ' ')
help=$(/usr/bin/quindle --help) || fail "quindle --help failed"
synopsis=$(sed -n 's/^Usage: //p' <<<"$help")
grep -qF -- "$synopsis" <<<"$manual" || fail "the manual page's synopsis is not \"$synopsis\""
while IFS='|' read -r names text; do
    grep -qF -- "$names" <<<"$manual" || fail "the manual page lacks the option $names"
    grep -qF -- "$text" <<<"$manual" || fail "the manual page lacks \"$text\" for $names"
done < <(sed -n 's/^  \(-[^ ]*, --[^ ]*\)  *\(.*\)$/\1|\2/p' <<<"$help")
grep -qF -- "$(/usr/bin/quindle --version)" <<<"$manual" || fail "the manual page is not of this version"

# "Open With": object files are plain text, which the desktop entry offers
# to open (the desktop database is brought up to date when the package is
# installed); it does not make itself the default.
grep -q "^text/plain=.*$APP_ID.desktop" /usr/share/applications/mimeinfo.cache \
    || fail "the desktop entry is not offered for text/plain"
echo "   xdg-mime query default text/plain: $(xdg-mime query default text/plain || true)"

# 4. Start the installed program on a virtual display of its own.
echo "== starting /usr/bin/quindle under Xvfb"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || { cat "$work/xvfb.log"; fail "Xvfb did not start"; }
    sleep 0.1
done
[ -s "$work/display" ] || fail "Xvfb did not report its display"
display=":$(head -n1 "$work/display")"

mkdir -m 700 "$work/runtime"
(cd "$work" && exec env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM DISPLAY="$display" \
    XDG_RUNTIME_DIR="$work/runtime" /usr/bin/quindle >"$work/quindle.log" 2>&1) &
app_pid=$!

window=""
for _ in $(seq $((WINDOW_TIMEOUT * 5))); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
        cat "$work/quindle.log" >&2
        fail "quindle ended before its window appeared"
    fi
    window=$(DISPLAY="$display" xdotool search --onlyvisible --name '^Quindle$' 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    sleep 0.2
done
if [ -z "$window" ]; then
    DISPLAY="$display" xwininfo -root -tree >&2 || true
    cat "$work/quindle.log" >&2
    fail "no visible window titled \"Quindle\" within $WINDOW_TIMEOUT s"
fi
geometry=$(DISPLAY="$display" xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: //p')
echo "   main window $window, $geometry"
if ! DISPLAY="$display" xprop -id "$window" _NET_WM_ICON 2>/dev/null | grep -q "_NET_WM_ICON(CARDINAL)"; then
    echo "   note: the main window carries no icon"
fi

# 5. Stop it: it must end on request.
kill "$app_pid"
for _ in $(seq 50); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
    kill -KILL "$app_pid"
    fail "quindle did not end on SIGTERM"
fi
wait "$app_pid" 2>/dev/null || true
app_pid=""

# 6. Remove the package (the trap does it on failure).
echo "== removing $PKG"
$SUDO apt-get remove -y -qq "$PKG" </dev/null >/dev/null
package_installed && fail "$PKG is still installed after apt-get remove"
[ ! -e /usr/bin/quindle ] || fail "/usr/bin/quindle is still there after removal"
exit 0
