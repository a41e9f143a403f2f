#!/usr/bin/env bash
# The core's layers call downward only. Fails when a file of src/<folder>, tests/<folder> or
# tests/support includes a header of a folder that it may not use, in any spelling ("folder/x.h",
# <folder/x.h>, "../folder/x.h", "../../src/folder/x.h", "folder/../other/x.h"), when a
# CMakeLists.txt of those folders links such a folder's library, or when src/ has a folder
# without a rule here.
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
# Test support holds fakes of the platform interfaces, a fixture over the dialog's state and
# sample builders: it may use the core up to the dialog, never the Qt interface. The test
# adapter (test_adapter*) stands in for the adapter's own software and uses none of the program.
support_uses="model text protocol platform config dialog"
layers=" ${!uses[*]} "

fail=0
for dir in src/*/; do
    layer=$(basename "$dir")
    if [[ ! -v "uses[$layer]" ]]; then
        echo "src/$layer: a folder without a layer rule in scripts/check_layers.sh"
        fail=1
    fi
done

allowed() { [[ " $1 " == *" $2 "* ]]; }

# Collapses "." and ".." components of a relative path; prints it.
normalise() {
    local -a out=()
    local part
    IFS=/ read -ra parts <<<"$1"
    for part in "${parts[@]}"; do
        case $part in
        "" | .) ;;
        ..) if ((${#out[@]})); then unset 'out[-1]'; else out+=(..); fi ;;
        *) out+=("$part") ;;
        esac
    done
    local IFS=/
    echo "${out[*]}"
}

# The project folder a path of the repository lies in: a layer, "support", "tests/<folder>" or
# nothing (a system header or a file outside src/ and tests/).
folder_of() {
    case $1 in
    src/*/*) local rest=${1#src/} && echo "${rest%%/*}" ;;
    tests/support/*) echo support ;;
    tests/*/*) local rest=${1#tests/} && echo "tests/${rest%%/*}" ;;
    esac
}

# Prints the folder an include of `file` reaches: quoted paths are tried beside the file first,
# then (as angle paths are) against the include roots src/ and tests/.
included_folder() {
    local file=$1 form=$2 path=$3 beside
    if [ "$form" = '"' ]; then
        beside=$(normalise "${file%/*}/$path")
        if [ -e "$beside" ] || [[ $path == ../* ]]; then
            folder_of "$beside"
            return
        fi
    fi
    local root folder
    for root in src tests; do
        folder=$(folder_of "$(normalise "$root/$path")")
        if [ -n "$folder" ] && [ -e "$(normalise "$root/$path")" ]; then
            echo "$folder"
            return
        fi
    done
    # A header that does not exist under a project folder's name still names that folder.
    folder=$(normalise "$path")
    folder=${folder%%/*}
    if [[ $path == */* ]] && { [[ $layers == *" $folder "* ]] || [ "$folder" = support ]; }; then
        echo "$folder"
    fi
}

# Checks every include of the files under `root` against the folders in `may` (plus the
# including folder itself).
check_includes() {
    local root=$1 self=$2 may=$3 file line form path folder
    while IFS=$'\t' read -r file line form path; do
        folder=$(included_folder "$file" "$form" "$path")
        [ -z "$folder" ] && continue
        [ "$folder" = "$self" ] && continue
        if ! allowed "$may" "$folder"; then
            echo "$file:$line: $root may not include $form$path$([ "$form" = '"' ] && echo '"' || echo '>') (folder $folder)"
            fail=1
        fi
    done < <(grep -rnE '^\s*#\s*include\s*["<][^">]+[">]' "$root" --include='*.h' --include='*.cpp' |
             sed -E 's/^([^:]+):([0-9]+):\s*#\s*include\s*(["<])([^">]+)[">].*/\1\t\2\t\3\t\4/')
}

# Checks the velmora_* libraries a CMakeLists.txt links against the folders in `may`.
check_links() {
    local cmake_file=$1 self=$2 may=$3 names lib
    [ -f "$cmake_file" ] || return 0
    names=$(echo ${!uses[*]} | tr ' ' '|')
    for lib in $(grep -v '^\s*#' "$cmake_file" | grep -oE "\bvelmora_($names)\b" | sort -u); do
        [ "${lib#velmora_}" = "$self" ] && continue
        if ! allowed "$may" "${lib#velmora_}"; then
            echo "$cmake_file: $self may not link $lib"
            fail=1
        fi
    done
}

for layer in "${!uses[@]}"; do
    [ -d "src/$layer" ] && check_includes "src/$layer" "$layer" "${uses[$layer]}"
    # Tests of a folder may use what the folder uses, the folder itself and the test support.
    [ -d "tests/$layer" ] && check_includes "tests/$layer" "tests/$layer" "$layer ${uses[$layer]} support"
    check_links "src/$layer/CMakeLists.txt" "$layer" "${uses[$layer]}"
done

check_includes tests/support support "$support_uses"
check_links tests/support/CMakeLists.txt support "$support_uses"
while IFS=$'\t' read -r file line form path; do
    folder=$(included_folder "$file" "$form" "$path")
    if [ -n "$folder" ] && [ "$path" != support/test_adapter.h ]; then
        echo "$file:$line: the test adapter uses none of the program: $path"
        fail=1
    fi
done < <(grep -nE '^\s*#\s*include\s*["<][^">]+[">]' tests/support/test_adapter*.cpp tests/support/test_adapter*.h |
         sed -E 's/^([^:]+):([0-9]+):\s*#\s*include\s*(["<])([^">]+)[">].*/\1\t\2\t\3\t\4/')

if [ $fail -ne 0 ]; then
    echo "layer check failed: a lower layer reaches a higher one"
    exit 1
fi
echo "layer check passed"
