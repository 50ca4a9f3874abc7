# Shared by the scripts: where builds go, how they are made, and which one runs here.
# An empty environment (a bare root shell, a container) may have no PATH of its own, and
# cmake finds its own files through it.
export PATH="${PATH:+$PATH:}/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}

build_dir() { echo "$root/build/$1"; }

# Configures and builds one architecture; on failure says so and returns non-zero, also
# when called where `set -e` does not act (in a condition or before `||`). For i686, a second
# argument names the qemu-i386 its programs run under (none: natively).
build_arch() {
    local dir qemu=${2:-} cached; dir=$(build_dir "$1")
    cached=$(sed -n 's/^DIRHOARD_QEMU_I386:[A-Z]*=//p' "$dir/CMakeCache.txt" 2>/dev/null || true)
    if [ ! -f "$dir/CMakeCache.txt" ] || [ "$cached" != "$qemu" ]; then
        if ! cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$1.cmake" \
                -DDIRHOARD_QEMU_I386="$qemu" >/dev/null; then
            echo "the $1 build could not be configured (cmake -S $root -B $dir)" >&2
            rm -f "$dir/CMakeCache.txt"
            return 1
        fi
    fi
    if ! cmake --build "$dir"; then
        echo "the $1 build failed (cmake --build $dir)" >&2
        return 1
    fi
}

# Whether this machine can start Wine for programs of that architecture.
wine_runs() {
    case $1 in
        i686) /usr/lib/wine/wine --version >/dev/null 2>&1 ;;
        x86_64) /usr/lib/wine/wine64 --version >/dev/null 2>&1 || wine64 --version >/dev/null 2>&1 ;;
    esac
}

# How the i686 build, the binaries a user installs, runs here: natively where the kernel runs
# 32-bit programs, else under qemu-i386. DIRHOARD_EMULATE=1 forces emulation, to try it anywhere.
i686_mode() {
    if [ "${DIRHOARD_EMULATE:-}" = 1 ] || ! wine_runs i686; then echo emulated; else echo native; fi
}

# One line saying how the i686 build runs and why.
mode_reason() {
    if [ "$1" = native ]; then
        echo "running the i686 build, the binaries a user installs, natively: this kernel runs 32-bit programs" \
             "(/usr/lib/wine/wine --version works)"
    elif [ "${DIRHOARD_EMULATE:-}" = 1 ]; then
        echo "running the i686 build, the binaries a user installs, under qemu-i386 emulation:" \
             "forced by DIRHOARD_EMULATE=1 (this kernel could run it natively)"
    else
        echo "running the i686 build, the binaries a user installs, under qemu-i386 emulation:" \
             "this kernel cannot run 32-bit programs (/usr/lib/wine/wine --version fails)"
    fi
}

# This machine's Debian release by its codename (bookworm); empty where it names none.
release_codename() { (. /etc/os-release && echo "${VERSION_CODENAME:-}"); }

# What an apt-get run failed at, on one line, from its output on stdin: each list or file it
# could not download with apt's reason, else its last error.
apt_failures() {
    awk '/^Err:[0-9]+ / { sub(/^Err:[0-9]+ /, ""); item = $0; getline reason
                          gsub(/^ +| *\[IP: [^]]*\]$/, "", reason)
                          items = items (items ? "; " : "") item ": " reason }
         /^E: / { last = substr($0, 4) }
         END { print items ? items : last }'
}

# Runs an apt-get command line (the arguments after a log and the caller's name) three times at
# most, 20 s apart, until it succeeds: a mirror being synced fails apt's checks for a while.
# Appends apt's output to the log, says what each failed try could not do, and leaves that of
# the last in apt_failed. Returns the last try's status.
apt_retry() {
    local log=$1 who=$2 what=apt-get arg out try status; shift 2
    for arg in "$@"; do case $arg in update|download|install) what="apt-get $arg" ;; esac; done
    for try in 1 2 3; do
        status=0
        out=$("$@" 2>&1) || status=$?
        printf '%s\n' "$out" >>"$log"
        apt_failed=
        [ "$status" -ne 0 ] || return 0
        apt_failed=$(apt_failures <<<"$out")
        [ "$try" -lt 3 ] || return "$status"
        echo "$who: $what failed, trying again in 20 s (try $try of 3): ${apt_failed:-apt gave no reason}" >&2
        sleep 20
    done
}

# qemu-i386 from the backports of this Debian release (bookworm's own 7.2 takes a minute to start
# each program), fetched once into build/qemu through an apt list of its own: the machine's apt
# sources and packages stay as they are. Prints its path.
fetch_qemu() {
    local dir=$root/build/qemu codename mirror
    local qemu=$dir/qemu-i386 apt=$dir/apt
    [ -x "$qemu" ] && { echo "$qemu"; return 0; }
    codename=$(release_codename)
    mirror=$(apt-get indextargets --format '$(REPO_URI)' "RELEASE: $codename" 'COMPONENT: main' 2>/dev/null | head -n 1)
    if [ -z "$codename" ] || [ -z "$mirror" ]; then
        echo "no Debian mirror of '$codename' main in this machine's apt sources to fetch qemu-user from" >&2
        return 1
    fi
    rm -rf "$apt"
    mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial"
    echo "deb $mirror $codename-backports main" >"$apt/sources.list"
    local opts=(-q -o Dir::Etc::SourceList="$apt/sources.list" -o Dir::Etc::SourceParts=/dev/null
                -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o APT::Sandbox::User=root)
    : >"$dir/fetch.log"
    if ! apt_retry "$dir/fetch.log" qemu-user timeout 600 apt-get "${opts[@]}" update \
            || ! apt_retry "$dir/fetch.log" qemu-user env -C "$apt" timeout 600 apt-get "${opts[@]}" download \
                "qemu-user/$codename-backports"; then
        echo "qemu-user, which emulation needs, could not be downloaded from $codename-backports of" \
             "$mirror (apt's output: $dir/fetch.log): ${apt_failed:-apt gave no reason}" >&2
        echo "  Where the mirror is being synced (apt: 'Mirror sync in progress?'), run the same command" \
             "again later." >&2
        return 1
    fi
    if ! dpkg-deb --fsys-tarfile "$apt"/qemu-user_*.deb | tar -x -O ./usr/bin/qemu-i386 >"$qemu.part" \
            || [ ! -s "$qemu.part" ]; then
        echo "the downloaded qemu-user holds no usr/bin/qemu-i386 ($apt)" >&2
        return 1
    fi
    chmod +x "$qemu.part" && mv "$qemu.part" "$qemu" && rm -rf "$apt"
    echo "$qemu"
}

# Checks each piece emulation needs, naming the first that is missing, and prints what runs.
check_emulation() {
    local qemu=$1 out
    if ! out=$(unshare --user --map-root-user --mount true 2>&1); then
        echo "this machine gives no user namespace ($out): emulation runs the tests in one" \
             "(a plain chroot forbids them; a root entered with pivot_root allows them)" >&2
        return 1
    fi
    # qemu itself is a native program.
    if ! out=$("$qemu" --version 2>&1) || [[ $out != "qemu-i386 version"* ]]; then
        echo "$qemu is no working qemu-i386 (it printed: ${out%%$'\n'*})" >&2
        return 1
    fi
    if [ ! -x /usr/lib/wine/wine ]; then
        echo "no 32-bit Wine (/usr/lib/wine/wine, package wine32:i386)" >&2
        return 1
    fi
    # The one i386 program started here: it takes the private binfmt_misc to qemu.
    local wine; wine=$(timeout 60 "$root/cmake/emulate-i386" "$qemu" /usr/lib/wine/wine --version 2>&1) || {
        echo "32-bit Wine, an i386 program, does not start under $qemu: $wine" >&2
        return 1
    }
    echo "${out%%$'\n'*}, $wine under it"
}

# Sets qemu to the qemu-i386 the i686 build runs under in this mode (empty natively), fetched
# and checked, and says so after the given name.
i686_emulator() {
    qemu=
    [ "$1" = emulated ] || return 0
    local path report
    path=$(fetch_qemu) && report=$(check_emulation "$path") || return 1
    echo "$2: $report"
    qemu=$path
}
