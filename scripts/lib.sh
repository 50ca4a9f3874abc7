# Shared by the scripts: where builds go, how they are made, and which one runs here.
# An empty environment (a bare root shell, a container) may have no PATH of its own, and
# cmake finds its own files through it.
export PATH="${PATH:+$PATH:}/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
built=()

build_dir() { echo "$root/build/$1"; }

# Configures and builds one architecture; on failure says so and returns non-zero, also
# when called where `set -e` does not act (in a condition or before `||`).
build_arch() {
    local dir; dir=$(build_dir "$1")
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        if ! cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$1.cmake" >/dev/null; then
            echo "the $1 build could not be configured (cmake -S $root -B $dir)" >&2
            rm -f "$dir/CMakeCache.txt"
            return 1
        fi
    fi
    if ! cmake --build "$dir"; then
        echo "the $1 build failed (cmake --build $dir)" >&2
        return 1
    fi
    built+=("$1")
}

# Whether this machine can start Wine for programs of that architecture.
wine_runs() {
    case $1 in
        i686) /usr/lib/wine/wine --version >/dev/null 2>&1 ;;
        x86_64) /usr/lib/wine/wine64 --version >/dev/null 2>&1 || wine64 --version >/dev/null 2>&1 ;;
    esac
}

# The architecture the tests, the demo and the benchmark run here: the product's own, i686,
# wherever the kernel can run 32-bit programs.
runnable_arch() { if wine_runs i686; then echo i686; else echo x86_64; fi; }

# One line saying which architecture runs and why.
arch_reason() {
    if [ "$1" = i686 ]; then
        echo "running the i686 build, the binaries a user installs"
    else
        echo "running the x86_64 build of the same sources: this kernel cannot run 32-bit programs" \
             "(/usr/lib/wine/wine --version fails); the i686 build is compiled, tests included, but not run"
    fi
}
