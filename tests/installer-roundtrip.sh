#!/usr/bin/env bash
# Installs the setup program (the product's, or the x86_64 build's test one) silently into a
# stand-in player's folder under Wine: over a newer copy it stops, over an older copy in use
# it stops, and once that copy is free it replaces it. It checks that the hotkey opens the
# folder dialog in the player, then uninstalls silently and checks that the COM class and
# both files are gone. Exit 77: skipped (Wine here cannot run programs of this build's
# architecture). Add/Remove Programs is read in the registry view the setup writes (/reg:32 or
# /reg:64): in a 64-bit prefix the 32-bit setup writes the 32-bit one.
set -uo pipefail
wine_works=$1 wine_run=$2 setup=$3 player=$4 driver=$5 work=$6 dll=$7 view=$8
if [ "$wine_works" != ON ]; then
    echo "skipped: Wine here cannot run $(basename "$setup")"
    exit 77
fi
fail() { echo "installer round trip: $*" >&2; "$wine_run" "$driver" close "class:Winamp v1.x" >/dev/null 2>&1; exit 1; }
run() { timeout 60 "$wine_run" "$@"; }
winpath() { echo "Z:$(realpath -m "$1" | sed 's|/|\\|g')"; }
registered() { run reg query 'HKCR\DirhoardEx.clsDirhoardEx' >/dev/null 2>&1; }

plugins=$work/Winamp/Plugins
rm -rf "$work"; mkdir -p "$plugins"
cp "$player" "$work/Winamp/Winamp.exe"
install() { run "$setup" /S "/D=$(winpath "$work/Winamp")"; }
# The built DLL with another file version (MAJOR.MINOR.0.0) in its version resource.
copy_as_version() {
    cp "$dll" "$3"
    MS=$(($1 << 16 | $2)) perl -0777 -pi -e 's/(\xBD\x04\xEF\xFE.{4}).{4}/$1.pack("V", $ENV{MS})/se' "$3"
}

copy_as_version 9 0 "$work/newer.dll"
cp "$work/newer.dll" "$plugins/DirhoardEx.dll"
install && fail "silent setup went on over a newer DirhoardEx.dll"
cmp -s "$work/newer.dll" "$plugins/DirhoardEx.dll" || fail "silent setup replaced a newer DirhoardEx.dll"
[ ! -e "$plugins/gen_dirhoardex.dll" ] || fail "setup installed gen_dirhoardex.dll beside a newer DirhoardEx.dll"

copy_as_version 0 9 "$work/older.dll"
cp "$work/older.dll" "$plugins/DirhoardEx.dll"
timeout 60 "$wine_run" "$driver" hold "$(winpath "$plugins/DirhoardEx.dll")" 50 &
holder_pid=$!
run "$driver" wait "holding DirhoardEx.dll" 20 || fail "nothing could hold the older DirhoardEx.dll"
install && fail "silent setup went on while the older DirhoardEx.dll was in use"
cmp -s "$work/older.dll" "$plugins/DirhoardEx.dll" || fail "the older DirhoardEx.dll changed while in use"
run "$driver" close "holding DirhoardEx.dll"
wait $holder_pid || fail "the program holding DirhoardEx.dll did not end cleanly"

install || fail "silent install over the older copy failed"
cmp -s "$dll" "$plugins/DirhoardEx.dll" || fail "the older DirhoardEx.dll was not replaced"
for f in DirhoardEx.dll gen_dirhoardex.dll "Uninstall DirhoardEx.exe"; do
    [ -f "$work/Winamp/Plugins/$f" ] || fail "Plugins/$f was not installed"
done
registered || fail "DirhoardEx.clsDirhoardEx is not registered after install"
run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\DirhoardEx' "$view" >/dev/null 2>&1 \
    || fail "not in Add/Remove Programs"

timeout 60 "$wine_run" "$work/Winamp/Winamp.exe" &
player_pid=$!
run "$driver" wait "class:Winamp v1.x" 20 || fail "the player did not start"
run "$driver" hotkey G
run "$driver" wait "Dirhoard +" 15 || fail "Ctrl+Alt+G did not open the \"Dirhoard +\" dialog"
run "$driver" click "Dirhoard +" Finish || fail "\"Finish\" could not be pressed"
run "$driver" gone "Dirhoard +" 10 || fail "the dialog stayed open after \"Finish\""
run "$driver" close "class:Winamp v1.x"
wait $player_pid || fail "the player did not end cleanly"

# What an uninstall from the player left of an earlier install, to go with the rest.
touch "$plugins/DirhoardEx.dll.removed"
# _?= keeps the uninstaller in place (instead of a copy that returns at once), so this waits.
run "$work/Winamp/Plugins/Uninstall DirhoardEx.exe" /S "_?=$(winpath "$work/Winamp/Plugins")" || fail "silent uninstall failed"
for f in DirhoardEx.dll gen_dirhoardex.dll DirhoardEx.dll.removed; do
    [ ! -e "$work/Winamp/Plugins/$f" ] || fail "Plugins/$f is still there after uninstall"
done
registered && fail "DirhoardEx.clsDirhoardEx is still registered after uninstall"
in_arp() { run reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\DirhoardEx' "$view" >/dev/null 2>&1; }
in_arp && fail "still in Add/Remove Programs"

# Installed again, and uninstalled from the player this time: yes to the player, keep the
# settings; the player restarts. The setup's own uninstaller and its entry go too.
install || fail "silent install before the player's uninstall failed"
timeout 120 "$wine_run" "$work/Winamp/Winamp.exe" &
player_pid=$!
run "$driver" wait "class:Winamp v1.x" 20 || fail "the player did not start"
run "$driver" command "class:Winamp v1.x" 2000 || fail "\"Uninstall\" could not be chosen in the player"
run "$driver" wait "Winamp" 20 || fail "the player did not ask whether to uninstall"
run "$driver" click "Winamp" "&Yes" || fail "the player's question could not be answered"
run "$driver" wait "DirhoardEx" 20 || fail "the plugin did not ask about its settings"
run "$driver" click "DirhoardEx" "&Yes" || fail "the plugin's question could not be answered"
wait $player_pid || fail "the player did not end for its restart"
run "$driver" wait "class:Winamp v1.x" 30 || fail "the player did not restart"
run "$driver" close "class:Winamp v1.x"
run "$driver" gone "class:Winamp v1.x" 30 || fail "the restarted player did not end"
for f in gen_dirhoardex.dll DirhoardEx.dll "Uninstall DirhoardEx.exe"; do
    [ ! -e "$work/Winamp/Plugins/$f" ] || fail "Plugins/$f is still there after the player's uninstall"
done
in_arp && fail "still in Add/Remove Programs after the player's uninstall"
echo "installer round trip: kept a newer copy, waited for an older one in use, replaced it, hotkey opened the" \
     "dialog, uninstalled cleanly with the setup's uninstaller and from the player"
