#!/usr/bin/env bash
# The core's layers call downward only. Fails when a file of src/<folder> or tests/<folder>
# includes a header of a folder that <folder> may not use, when src/<folder>/CMakeLists.txt links
# such a folder's library, or when src/ has a folder without a rule here.
set -euo pipefail
cd "$(dirname "$0")/.."

# Folder -> the folders below it that it may include and link.
declare -A uses=(
    [model]=""
    [text]=""
    [protocol]=""
    [platform]=""
    [config]="model text protocol"
    [dialog]="model text protocol platform config"
    [ui]="model text protocol platform config dialog"
)
layers=" ${!uses[*]} "

fail=0
for dir in src/*/; do
    layer=$(basename "$dir")
    if [[ ! -v "uses[$layer]" ]]; then
        echo "src/$layer: a folder without a layer rule in scripts/check_layers.sh"
        fail=1
    fi
done

allowed() { [[ " $1 $2 " == *" $3 "* ]]; }

for layer in "${!uses[@]}"; do
    for root in src tests; do
        [ -d "$root/$layer" ] || continue
        while IFS=: read -r file line folder; do
            # Tests may use their test support as well.
            if [[ $layers == *" $folder "* ]] || [ "$root" = src ]; then
                if ! allowed "$layer ${uses[$layer]}" "$([ "$root" = tests ] && echo support)" "$folder"; then
                    echo "$file:$line: $root/$layer may not include \"$folder/...\""
                    fail=1
                fi
            fi
        done < <(grep -rnE '^\s*#\s*include\s*"[a-z_]+/' "$root/$layer" --include='*.h' --include='*.cpp' |
                 sed -E 's/^([^:]+):([0-9]+):.*#\s*include\s*"([a-z_]+)\/.*/\1:\2:\3/')
    done
    cmake_file="src/$layer/CMakeLists.txt"
    [ -f "$cmake_file" ] || continue
    names=$(echo ${!uses[*]} | tr ' ' '|')
    for lib in $(grep -v '^\s*#' "$cmake_file" | grep -oE "\bvelmora_($names)\b" | sort -u); do
        folder=${lib#velmora_}
        [ "$folder" = "$layer" ] && continue
        if ! allowed "${uses[$layer]}" "" "$folder"; then
            echo "$cmake_file: velmora_$layer may not link $lib"
            fail=1
        fi
    done
done

if [ $fail -ne 0 ]; then
    echo "layer check failed: a lower layer reaches a higher one"
    exit 1
fi
echo "layer check passed"
