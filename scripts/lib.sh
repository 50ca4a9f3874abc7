# Shared by the scripts: where builds go and how they are made.
root=${root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
built=()

build_dir() { echo "$root/build/$1"; }

build_arch() {
    local dir; dir=$(build_dir "$1")
    if [ ! -f "$dir/CMakeCache.txt" ]; then
        cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$1.cmake" >/dev/null
    fi
    cmake --build "$dir"
    built+=("$1")
}

# Whether this machine can start Wine for programs of that architecture.
wine_runs() {
    case $1 in
        i686) /usr/lib/wine/wine --version >/dev/null 2>&1 || wine --version >/dev/null 2>&1 ;;
        x86_64) /usr/lib/wine/wine64 --version >/dev/null 2>&1 || wine64 --version >/dev/null 2>&1 ;;
    esac
}

# The architecture the demo and the tests run here: the product's own where possible.
runnable_arch() { if wine_runs i686; then echo i686; else echo x86_64; fi; }
