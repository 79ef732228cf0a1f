#!/usr/bin/env bash
# Checks the resource files: the icon sizes, the resource list, the desktop
# entry and metainfo (with their validators), and that the help page names
# every button and quotes every message text of the program.
# Exit 0 when all pass, 1 on any failure, 77 (skipped) when a validator is
# missing (desktop-file-utils, appstream).
set -uo pipefail

cd "$(dirname "$0")" || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

for tool in desktop-file-validate appstreamcli; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

# PNG: signature, then width and height as big-endian 32-bit words of IHDR.
png_size() {
    od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}
if [ "$(head -c 8 quindle-32.png | od -An -tx1 | tr -d ' \n')" != "89504e470d0a1a0a" ]; then
    fail "quindle-32.png is not a PNG file"
elif [ "$(png_size quindle-32.png)" != "32x32" ]; then
    fail "quindle-32.png is $(png_size quindle-32.png), not 32x32"
fi
grep -q 'viewBox="0 0 32 32"' quindle.svg || fail "quindle.svg has no 32 x 32 view box"

# The resource list: the three paths the program opens, each an existing file.
for entry in 'prefix="/icons"' 'alias="quindle.svg">quindle.svg<' \
             'alias="quindle-32.png">quindle-32.png<' \
             'prefix="/help"' 'alias="help.html">help.html<'; do
    grep -qF "$entry" quindle.qrc || fail "quindle.qrc lacks $entry"
done
while read -r f; do
    [ -f "$f" ] || fail "quindle.qrc lists $f, which does not exist"
done < <(sed -n 's|.*<file[^>]*>\([^<]*\)</file>.*|\1|p' quindle.qrc)

desktop-file-validate org.quindle.Quindle.desktop || fail "desktop entry does not validate"
out=$(appstreamcli validate --no-net org.quindle.Quindle.metainfo.xml 2>&1) \
    || { echo "$out"; fail "metainfo does not validate"; }
grep -qx 'Icon=org.quindle.Quindle' org.quindle.Quindle.desktop || fail "desktop entry: wrong icon name"
grep -qx 'Exec=quindle %F' org.quindle.Quindle.desktop || fail "desktop entry: wrong command"

# The help page as a reader sees it: tags removed, entities of blanks and
# ampersands resolved, runs of white space joined into one blank.
text=$(sed -e 's/<[^>]*>//g' -e 's/&nbsp;/ /g' -e 's/&amp;/\&/g' help.html | tr -s ' \t\n' '   ')

messages=(
    "Select both dimensions of the object."
    "The maximum number of edit controls has been reached. Please close some object windows or restart Quindle."
    "Two objects are already selected."
    "Select an object by right-clicking on its background."
    "Only one object should be selected for this operation."
    "Select two objects by right-clicking on their backgrounds."
    "Select an additional object by right-clicking on its background."
    "Illegal character entered in an object cell."
    "Illegal operation."
    "Illegal operation. This function requires either two row vectors or two column vectors of equal dimension."
    "Both vectors must have nonzero magnitude."
    "The two selected objects must have equal dimensions."
    "The number of columns in the first selected object muat equal the number of rows in the second."
    "The first selected object must be a square matrix."
    "The second selected object must be a positive integer scalar."
    "The selected object must be a square matrix."
    "A pivot is too close to zero - the inverse will not be calculated."
    "The first object must be a square matrix."
    "The second object must be a column vector with the same number of rows as the number of columns in the first object."
    "The two objects are identical."
    "The two objects are NOT identical."
    "The dimensions of the two objects differ."
    "The specified file could not be opened."
    "Error reading file path - check format."
    "The output file could not be opened."
    "The output file could not be written."
    "The selected object must contain only finite numbers."
    "The first selected object must contain only finite numbers."
    "The second selected object must contain only finite numbers."
    "The result contains a value that is not a finite number - it will not be shown."
    "The eigenvalue iteration did not converge - the result will not be calculated."
    "The selected matrix has complex eigenvalues - the eigenvectors will not be calculated."
    "The selected matrix does not have a full set of independent eigenvectors - the eigenvectors will not be calculated."
    "The selected object does not have full rank - the condition number is infinite."
    "The null space of the selected object holds only the zero vector."
    "The second selected object must be a column vector with as many rows as the first."
)
for m in "${messages[@]}"; do
    grep -qF -- "$m" <<<"$text" || fail "help does not quote: $m"
done

buttons=(Mag Dot Crs Ang Add Sub Mul Pow Trp Cof Adj Inv Det Trc Slv Cmp
         "Zeroed Object" "Random Object" "File Save" "File Load" "Close All Objects"
         Help Close "Select Rows" "Select Columns"
         "More Operations" Eig Vec Chp Qr Lu Svd Rank Tr Nrm Cond Rref Pinv Null Lsq Ctrl+M
         Tab Ctrl+Space Ctrl+Shift+C Ctrl+Shift+V F1 Escape
         "quindle FILE..." "quindle --help" "drop")
for b in "${buttons[@]}"; do
    grep -qF -- "$b" <<<"$text" || fail "help does not mention $b"
done

# The help is the program's own: no scripts, no outside references.
if grep -qiE '<script|https?://' help.html; then
    fail "help.html holds a script, a web address or an outside reference"
fi

if [ "$failures" -gt 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "resources: all checks passed"
