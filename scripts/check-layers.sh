#!/usr/bin/env bash
# Keeps the layers one way: engine <- files, platform <- objects <- app <- main,
# tools (the screenshot and demo drivers).
# Every include of the program's own headers names its folder
# ("engine/Matrix.h"); the check reads the folder from the include itself and
# fails, naming file and line, when a file includes a header of a folder above
# its own, names one of the program's headers without its folder, or when the
# engine or the files (object files and the kept session) include anything of
# Qt, themselves or through a header of the platform layer: both use the
# standard library only.
# Usage: scripts/check-layers.sh [source root]
set -uo pipefail

cd "${1:-$(dirname "$0")/..}" || exit 1
folders=(engine platform files objects app main tools)
rank() {
    local k
    for k in "${!folders[@]}"; do
        [ "${folders[$k]}" = "$1" ] && { echo "$k"; return; }
    done
    echo -1
}

failures=0
while read -r file; do
    folder=${file%%/*}
    own=$(rank "$folder")
    while IFS=: read -r line text; do
        if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"(([^\"/]+)/[^\"]+)\" ]]; then
            path=${BASH_REMATCH[1]}
            target=${BASH_REMATCH[2]}
            if [ "$(rank "$target")" -gt "$own" ]; then
                echo "$file:$line: includes a header of $target/, a folder above $folder/"
                failures=$((failures + 1))
            elif [ "$folder" = files ] && [ "$target" = platform ] &&
                grep -q '^[[:space:]]*#[[:space:]]*include[[:space:]]*<Q' "$path" 2>/dev/null; then
                echo "$file:$line: files/ uses the standard-library part of platform/ only"
                failures=$((failures + 1))
            fi
        elif [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"/]+)\" ]]; then
            header=${BASH_REMATCH[1]}
            for other in "${folders[@]}"; do
                if [ -f "$other/$header" ]; then
                    echo "$file:$line: includes $header without its folder ($other/$header)"
                    failures=$((failures + 1))
                fi
            done
        elif [[ $folder = engine || $folder = files ]] &&
            [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<(Q[A-Za-z]*)\> ]]; then
            echo "$file:$line: $folder/ uses the standard library only, not <${BASH_REMATCH[1]}>"
            failures=$((failures + 1))
        fi
    done < <(grep -n '#[[:space:]]*include' "$file")
done < <(find "${folders[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)

if [ "$failures" -gt 0 ]; then
    echo "layers: $failures include(s) out of line"
    exit 1
fi
echo "layers: every include names its folder and points down or sideways"
