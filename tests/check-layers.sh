#!/usr/bin/env bash
# Checks that includes run down the layers of src/: a file includes headers of its own layer and
# of the layers below it only (win32 < core < config, folders < hook); the composition root
# (core/clsDirhoardEx.cpp, core/ClassFactory.cpp, DllMain.cpp) includes any.
set -euo pipefail
src=$1
declare -A below=(
    [win32]="win32"
    [core]="win32 core"
    [config]="win32 core config"
    [folders]="win32 core folders"
    [hook]="win32 core folders hook"
)
bad=0
for layer in "${!below[@]}"; do
    for file in "$src/$layer"/*; do
        case ${file#"$src/"} in core/clsDirhoardEx.cpp | core/ClassFactory.cpp) continue ;; esac
        while IFS= read -r included; do
            [[ " ${below[$layer]} " == *" ${included%%/*} "* ]] && continue
            echo "${file#"$src/"} includes $included, a layer above $layer" >&2
            bad=1
        done < <(sed -n 's/^#include "\([a-z0-9]*\/[^"]*\)".*/\1/p' "$file")
    done
done
exit $bad
