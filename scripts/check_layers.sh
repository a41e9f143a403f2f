#!/usr/bin/env bash
# The core's layers call downward only. Fails when a file of src/<folder>, tests/<folder> or
# tests/support includes a header of a folder that it may not use, in any spelling ("folder/x.h",
# <folder/x.h>, "../folder/x.h", "../../src/folder/x.h", "folder/../other/x.h"), when a
# CMakeLists.txt of those folders links such a folder's library, or when src/ has a folder
# without a rule here.
# One grep lists the includes and the shell resolves them with functions that set globals: a
# process per include (a $(...) per call) made the check take half a minute.
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
    layer=${dir%/}
    layer=${layer#src/}
    if [[ ! -v "uses[$layer]" ]]; then
        echo "src/$layer: a folder without a layer rule in scripts/check_layers.sh"
        fail=1
    fi
done

allowed() { [[ " $1 " == *" $2 "* ]]; }

# Collapses "." and ".." components of a relative path into `norm`.
normalise() {
    local -a out=()
    local rest=$1/ part
    while [ -n "$rest" ]; do
        part=${rest%%/*}
        rest=${rest#*/}
        case $part in
        "" | .) ;;
        ..) if ((${#out[@]})); then unset 'out[-1]'; else out+=(..); fi ;;
        *) out+=("$part") ;;
        esac
    done
    local IFS=/
    norm="${out[*]}"
}

# Sets `folder` to the project folder a path of the repository lies in: a layer, "support",
# "tests/<folder>" or nothing (a system header or a file outside src/ and tests/).
folder_of() {
    local rest
    folder=
    case $1 in
    src/*/*) rest=${1#src/} && folder=${rest%%/*} ;;
    tests/support/*) folder=support ;;
    tests/*/*) rest=${1#tests/} && folder=tests/${rest%%/*} ;;
    esac
}

# Sets `folder` to the folder an include of `file` reaches: quoted paths are tried beside the
# file first, then (as angle paths are) against the include roots src/ and tests/.
included_folder() {
    local file=$1 form=$2 path=$3 root norm
    if [ "$form" = '"' ]; then
        normalise "${file%/*}/$path"
        if [ -e "$norm" ] || [[ $path == ../* ]]; then
            folder_of "$norm"
            return
        fi
    fi
    for root in src tests; do
        normalise "$root/$path"
        folder_of "$norm"
        if [ -n "$folder" ] && [ -e "$norm" ]; then
            return
        fi
    done
    # A header that does not exist under a project folder's name still names that folder.
    normalise "$path"
    folder=${norm%%/*}
    if [[ $path != */* ]] || { [[ $layers != *" $folder "* ]] && [ "$folder" != support ]; }; then
        folder=
    fi
}

# Every include of src/ and tests/: its file, line number, form (" or <) and path.
inc_file=() inc_line=() inc_form=() inc_path=()
include_re='^([^:]+):([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'
mapfile -t grep_lines < <(grep -rnE '^\s*#\s*include\s*["<][^">]+[">]' src tests \
    --include='*.h' --include='*.cpp')
for entry in "${grep_lines[@]}"; do
    [[ $entry =~ $include_re ]] || continue
    inc_file+=("${BASH_REMATCH[1]}") inc_line+=("${BASH_REMATCH[2]}")
    inc_form+=("${BASH_REMATCH[3]}") inc_path+=("${BASH_REMATCH[4]}")
done

# Checks every include of the files under `root` against the folders in `may` (plus the
# including folder itself).
check_includes() {
    local root=$1 self=$2 may=$3 i file form path folder
    for i in "${!inc_file[@]}"; do
        file=${inc_file[i]} form=${inc_form[i]} path=${inc_path[i]}
        [[ $file == "$root"/* ]] || continue
        included_folder "$file" "$form" "$path"
        [ -z "$folder" ] && continue
        [ "$folder" = "$self" ] && continue
        if ! allowed "$may" "$folder"; then
            # ${form/</>} closes the path as it was opened: "x.h" or <x.h>.
            echo "$file:${inc_line[i]}: $root may not include $form$path${form/</>} (folder $folder)"
            fail=1
        fi
    done
}

# Checks the velmora_* libraries a CMakeLists.txt links (outside comment lines) against the
# folders in `may`.
check_links() {
    local cmake_file=$1 self=$2 may=$3 text word lib
    local -a cmake_lines
    local -A seen=()
    [ -f "$cmake_file" ] || return 0
    mapfile -t cmake_lines <"$cmake_file"
    for text in "${cmake_lines[@]}"; do
        [[ $text =~ ^[[:space:]]*# ]] && continue
        for word in ${text//[^[:alnum:]_]/ }; do
            lib=${word#velmora_}
            [[ $word == velmora_* && -v "uses[$lib]" && ! -v "seen[$lib]" ]] || continue
            seen[$lib]=1
            [ "$lib" = "$self" ] && continue
            if ! allowed "$may" "$lib"; then
                echo "$cmake_file: $self may not link $word"
                fail=1
            fi
        done
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
for i in "${!inc_file[@]}"; do
    file=${inc_file[i]} path=${inc_path[i]}
    name=${file#tests/support/}
    [[ $file == tests/support/* && $name != */* ]] || continue
    [[ $name == test_adapter*.cpp || $name == test_adapter*.h ]] || continue
    included_folder "$file" "${inc_form[i]}" "$path"
    if [ -n "$folder" ] && [ "$path" != support/test_adapter.h ]; then
        echo "$file:${inc_line[i]}: the test adapter uses none of the program: $path"
        fail=1
    fi
done

if [ $fail -ne 0 ]; then
    echo "layer check failed: a lower layer reaches a higher one"
    exit 1
fi
echo "layer check passed"
