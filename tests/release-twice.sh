#!/usr/bin/env bash
# Releases this clone's commit twice, each time in a clean clone of its own at another path, one
# after the other, and checks what users download: both dist/ folders the same bytes, the files
# named with the project's version, that version shown wherever the release shows one, the debug
# information apart from the shipped DLLs and linked from them, and SHA256SUMS. A clone holds
# the commit only: changes not committed are not released, and the first line says so.
# Usage: tests/release-twice.sh [WORK-FOLDER]   (default build/release-twice)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${1:-$root/build/release-twice}
prefix=i686-w64-mingw32
say() { echo "release-twice: $*"; }

commit=$(git -C "$root" rev-parse HEAD) || { say "FAILED: $root is no git clone"; exit 1; }
if [ -n "$(git -C "$root" status --porcelain)" ]; then
    say "$root has changes not committed: this releases commit ${commit:0:12} without them"
fi
# The version users see, from its one place: project(DirhoardEx VERSION MAJOR.MINOR ...).
read -r major minor < <(sed -n 's/^project(DirhoardEx VERSION \([0-9]*\)\.\([0-9]*\).*/\1 \2/p' "$root/CMakeLists.txt")
version=$(printf '%d.%02d' "$major" "$minor")

rm -rf "$work"
mkdir -p "$work"
clones=("$work/one/DirhoardEx" "$work/a/clone/at/another/path")
release() {
    git clone -q --no-hardlinks "$root" "$1" && git -C "$1" checkout -q --detach "$commit" && (cd "$1" && scripts/release)
}
for i in 0 1; do
    log=$work/release-$i.log
    say "releasing ${commit:0:12} in ${clones[$i]} at $(date -u +%H:%M:%S)"
    release "${clones[$i]}" >"$log" 2>&1 || { tail -n 20 "$log"; say "FAILED: the release in ${clones[$i]} (the whole log: $log)"; exit 1; }
done
dist=${clones[0]}/dist
# What a user unpacks: the DLLs, README.txt and, beside them, the debug files.
unpacked=$work/unpacked
mkdir -p "$unpacked"
for zip in "$dist"/*.zip; do
    unzip -q "$zip" -d "$unpacked" || { say "FAILED: $zip could not be unpacked"; exit 1; }
done

same_bytes() { diff -r "${clones[0]}/dist" "${clones[1]}/dist"; }
listing() { (cd "$1" && LC_ALL=C ls -1 | tr '\n' ' '); }
expected_files() {
    local want="DirhoardEx-$version-setup.exe DirhoardEx-$version-win32-debug.zip DirhoardEx-$version-win32.zip SHA256SUMS "
    [ "$(listing "$dist")" = "$want" ] || { echo "dist/ holds: $(listing "$dist"); expected: $want"; return 1; }
    want="DirhoardEx.dll DirhoardEx.dll.debug README.txt gen_dirhoardex.dll gen_dirhoardex.dll.debug "
    [ "$(listing "$unpacked")" = "$want" ] || { echo "the zips hold: $(listing "$unpacked"); expected: $want"; return 1; }
}
sums_right() {
    (cd "$dist" && sha256sum --check --strict --quiet SHA256SUMS) || return 1
    [ "$(sed 's/^[0-9a-f]*  //' "$dist/SHA256SUMS" | tr '\n' ' ')SHA256SUMS " = "$(listing "$dist")" ] \
        || { echo "SHA256SUMS does not name every other file of dist/"; return 1; }
}
# The version resource as windres reads it back: the numbers and the text.
shows_version() {
    local rc; rc=$($prefix-windres -i "$1" -O rc) || return 1
    grep -q "FILEVERSION $major, $minor, 0, 0" <<<"$rc" && grep -q "VALUE \"ProductVersion\", \"$version\"" <<<"$rc" \
        || { echo "$(basename "$1") shows:"; grep -E 'FILEVERSION|Version"' <<<"$rc"; return 1; }
}
versions_shown() {
    shows_version "$unpacked/DirhoardEx.dll" && shows_version "$unpacked/gen_dirhoardex.dll" \
        && shows_version "$dist/DirhoardEx-$version-setup.exe" || return 1
    [[ $(head -n 1 "$unpacked/README.txt") == *"(DirhoardEx) $version,"* ]] \
        || { echo "README.txt begins: $(head -n 1 "$unpacked/README.txt")"; return 1; }
    ! grep -q $'[^\r]$' "$unpacked/README.txt" || { echo "README.txt has lines without Windows line ends"; return 1; }
}
# objdump follows the link to the file beside the DLL only where its checksum matches.
debug_apart() {
    local dll
    for dll in DirhoardEx gen_dirhoardex; do
        [ "$($prefix-objdump -h "$unpacked/$dll.dll" | grep -c ' \.debug_')" -eq 0 ] \
            || { echo "$dll.dll ships debug sections"; return 1; }
        [ "$($prefix-objdump --dwarf=follow-links --dwarf=info "$unpacked/$dll.dll" 2>&1 | grep -c DW_TAG_compile_unit)" -gt 0 ] \
            || { echo "$dll.dll links no debug file that a debugger finds beside it"; return 1; }
    done
}

checks=(
    "the two releases are the same bytes:same_bytes"
    "dist/ and the zips hold the files expected, named with version $version:expected_files"
    "both DLLs, the setup program and README.txt show version $version:versions_shown"
    "the shipped DLLs carry no debug sections and link their debug files:debug_apart"
    "SHA256SUMS holds the checksums of every other file:sums_right"
)
passed=0 failed=0
for check in "${checks[@]}"; do
    if "${check##*:}"; then
        say "ok: ${check%:*}"; passed=$((passed + 1))
    else
        say "FAILED: ${check%:*}"; failed=$((failed + 1))
    fi
done
say "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
