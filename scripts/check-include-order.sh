#!/usr/bin/env bash
# Checks that the source folders keep their order: a file includes only from its own folder and
# from folders below it. The ranks follow the link order of the libraries in src/*/CMakeLists.txt;
# the Qt folders sit above every core folder, a ui/ subfolder above controls/ (its dialogs use the
# controls) and below workspace/ and app/. Two different folders of one rank must not include each
# other. Prints every include that runs up the order and fails if there is one.
# Usage: check-include-order.sh [src folder]
set -euo pipefail
src=${1:-"$(dirname "$0")/../src"}

declare -A rank=(
    [platform]=0 [common]=10 [resample]=20 [twain]=20 [codec]=30 [formats]=40 [batch]=50
    [controls]=60
    [common/ui]=71 [resample/ui]=72 [twain/ui]=72 [codec/ui]=73 [formats/ui]=74 [batch/ui]=75
    [workspace]=80 [app]=90
)

# The folder a path below src/ belongs to: its first part, with "/ui" when the second part is ui.
folder_of() {
    local first=${1%%/*} rest=${1#*/}
    if [[ $rest == ui/* ]]; then folder="$first/ui"; else folder=$first; fi
}

bad=0
while IFS= read -r -d '' file; do
    rel=${file#"$src"/}
    [[ $rel == */* ]] || continue # a file right under src/ belongs to no folder
    folder_of "$rel"
    from=$folder
    if [[ -z ${rank[$from]+set} ]]; then
        echo "$rel: folder $from has no rank in $(basename "$0")"
        bad=1
        continue
    fi
    while IFS= read -r line; do
        [[ $line =~ \"([^\"]*)\" ]] || continue
        target=${BASH_REMATCH[1]}
        [[ $target == */* ]] || continue # a header beside the file
        folder_of "$target"
        to=$folder
        [[ -n ${rank[$to]+set} ]] || continue # not a folder of src/
        if [[ $to != "$from" ]] && ((rank[$to] >= rank[$from])); then
            echo "$rel: includes \"$target\" from $to, which is not below $from"
            bad=1
        fi
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" || true)
done < <(find "$src" -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' \) -print0 | sort -z)
exit $bad
