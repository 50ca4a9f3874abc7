#!/usr/bin/env bash
# Runs bootstrap while the mirror is being synced, as apt-get then fails: stand-ins first on the
# PATH play apt-get and a machine that lacks wine32:i386, so nothing here is installed or slept.
set -euo pipefail
tmp=$(mktemp -d) && trap 'rm -rf "$tmp"' EXIT && mkdir "$tmp/bin"
bootstrap=$1 codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
export LIST="http://deb.debian.org/debian-security $codename-security/main i386 Packages" CALLS=$tmp/calls
stand_in() { printf '#!/usr/bin/env bash\n%s\n' "$2" >"$tmp/bin/$1" && chmod +x "$tmp/bin/$1"; }
stand_in id 'echo 0'
stand_in dpkg '[ "$1" = --print-foreign-architectures ] && echo i386 || exit 1'
stand_in locale 'printf "%s\n" ru_RU.utf8 ja_JP.utf8'
for c in localedef sleep; do stand_in $c "echo $c \"\$*\" >>\"\$CALLS\""; done
stand_in apt-get '[[ " $* " =~ \ (-t\ [^ ]+)\  ]] && t=" ${BASH_REMATCH[1]}"; echo "$1${t:-}" >>"$CALLS"
[ "$1" != update ] || { printf "Err:6 %s\n  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 192.0.2.1 80]\nE: Some index files failed to download.\n" "$LIST"; exit 100; }
[ "$(grep -c ^install "$CALLS")" -gt "$FAILS" ] || { echo "E: Unable to correct problems, you have held broken packages."; exit 100; }'

tries="update sleep 20 update sleep 20 update"
sync="$LIST: File has unexpected size \(374820 != 376004\)\. Mirror sync in progress\?"
# install fails (times)|exit status|what bootstrap says (grep -E, its lines joined)|apt-get's and sleep's calls
cases=("0|0|failed 3 times, going on with the package lists apt has \(apt's output: [^)]*\): $sync|$tries install"
    "1|0|trying again with both from $codename itself \(apt-get install -t $codename\)|$tries install install -t $codename"
    "2|1|FAILED: nothing was installed.* without what it could not download: $sync   The mirror is probably being synced: run the same command again later|$tries install install -t $codename")
failed=0
for c in "${cases[@]}"; do
    IFS='|' read -r fails status says calls <<<"$c"
    : >"$CALLS" && rc=0
    out=$(FAILS=$fails PATH="$tmp/bin:$PATH" TMPDIR=$tmp "$bootstrap" 2>&1) || rc=$?
    log=$(grep -o "apt's output: [^ )]*" <<<"$out" | head -n 1) || true
    called=$(paste -sd " " "$CALLS")
    # Its own words only, and apt's in the log it names.
    if [ "$rc" != "$status" ] || [ "$called" != "$calls" ] || ! tr '\n' ' ' <<<"$out" | grep -Eq -e "$says" \
            || grep -q '^E: ' <<<"$out" || ! grep -q '^E: ' "${log#*: }"; then
        printf 'install fails %s times: exit status %s, calls: %s; bootstrap said:\n%s\n' "$fails" "$rc" "$called" "$out" >&2
        failed=1
    fi
done
exit $failed
