# Debian packages the build needs, and the helpers the top-level scripts share.
# Sourced by test.sh, run.sh and fuzz/run.sh from the repository root.

# Compiler, build tools and test libraries.
VELMOR_PACKAGES=(
    build-essential cmake ninja-build ccache pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
)
# The desktop program; installed once app/gui holds sources. DejaVu Sans
# holds the mathematical glyphs the face "SYMBOL" is drawn with; xvfb and
# xauth give the screenshot test an X server.
VELMOR_GUI_PACKAGES=(qt6-base-dev qt6-svg-dev fonts-dejavu-core xvfb xauth)
# libFuzzer comes with clang's runtime libraries (Debian 12: clang 14).
VELMOR_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

# The packages a normal build needs right now.
velmor_build_packages() {
    local pkgs=("${VELMOR_PACKAGES[@]}")
    if compgen -G "app/gui/*.cpp" >/dev/null; then
        pkgs+=("${VELMOR_GUI_PACKAGES[@]}")
    fi
    printf '%s\n' "${pkgs[@]}"
}

# Installs whichever of the given packages are missing; says nothing when all
# are present.
velmor_ensure_packages() {
    local missing=() pkg status
    if ! command -v dpkg-query >/dev/null; then
        echo "note: not a Debian system, cannot check packages: $*" >&2
        return 0
    fi
    for pkg in "$@"; do
        status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
        [[ $status == "install ok installed" ]] || missing+=("$pkg")
    done
    ((${#missing[@]} == 0)) && return 0

    local sudo=()
    if ((EUID != 0)); then
        if ! command -v sudo >/dev/null; then
            echo "error: missing packages (${missing[*]}) and no sudo to install them" >&2
            return 1
        fi
        sudo=(sudo)
    fi
    echo "Installing ${missing[*]}" >&2
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q >&2
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -q --no-install-recommends "${missing[@]}" >&2
}

# Configures (when needed) and builds a folder: velmor_build DIR [CMAKE_ARGS...]
# The build type is RelWithDebInfo with assertions left on.
velmor_build() {
    local dir=$1
    shift
    mkdir -p "$dir"
    cmake -S . -B "$dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g" \
        "$@" >"$dir/configure.log" 2>&1 || { cat "$dir/configure.log" >&2; return 1; }
    cmake --build "$dir" -j2
}
