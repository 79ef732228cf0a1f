#!/usr/bin/env bash
# Keeps the layers one way: engine <- platform <- objects <- app <- main.
# Fails, naming file and line, when a file includes a header of a folder
# above its own, or when the engine includes anything of Qt.
# Usage: scripts/check-layers.sh [source root]
set -uo pipefail

cd "${1:-$(dirname "$0")/..}" || exit 1
folders=(engine platform objects app main)
rank() {
    local k
    for k in "${!folders[@]}"; do
        [ "${folders[$k]}" = "$1" ] && { echo "$k"; return; }
    done
    echo -1
}

# Where each header lives, by file name (the include paths are flat).
declare -A home
while read -r path; do
    home[$(basename "$path")]=${path%%/*}
done < <(find "${folders[@]}" -type f \( -name '*.h' -o -name '*.hpp' \) 2>/dev/null)

failures=0
while read -r file; do
    folder=${file%%/*}
    own=$(rank "$folder")
    while IFS=: read -r line text; do
        if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
            header=$(basename "${BASH_REMATCH[1]}")
            target=${home[$header]:-}
            [ -n "$target" ] || continue
            if [ "$(rank "$target")" -gt "$own" ]; then
                echo "$file:$line: includes $target/$header, a folder above $folder/"
                failures=$((failures + 1))
            fi
        elif [ "$folder" = engine ] && [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<(Q[A-Za-z]*)\> ]]; then
            echo "$file:$line: the engine uses the standard library only, not <${BASH_REMATCH[1]}>"
            failures=$((failures + 1))
        fi
    done < <(grep -n '#[[:space:]]*include' "$file")
done < <(find "${folders[@]}" -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null | sort)

if [ "$failures" -gt 0 ]; then
    echo "layers: $failures upward include(s)"
    exit 1
fi
echo "layers: every include points down or sideways"
