# Shared by scripts/run and scripts/test: install what is missing, then configure and build.
# Sourced, not run.

QUENZAR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUENZAR_BUILD=${QUENZAR_BUILD:-$QUENZAR_ROOT/build}
QUENZAR_BUILD_TYPE=RelWithDebInfo
QUENZAR_CMAKE_OPTIONS=()

# Debian 12 packages the build and the tests need. 7zip and libarchive-tools are the independent
# zip readers the tests check our archives with; dpkg-dev and lintian make and judge the Debian package.
QUENZAR_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libzip-dev libdeflate-dev libssl-dev libgtest-dev
                  7zip libarchive-tools unzip desktop-file-utils dpkg-dev lintian)

install_missing_packages() {
    local missing=()
    for package in "${QUENZAR_PACKAGES[@]}"; do
        dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}

# AddressSanitizer and UndefinedBehaviorSanitizer on everything, in a folder of its own so that
# the two builds never mix. Unoptimised, it builds about as fast as the plain build, and Qt's
# own checks (container indexes among them) are on.
use_sanitized_build() {
    QUENZAR_BUILD=$QUENZAR_ROOT/build-sanitize
    QUENZAR_BUILD_TYPE=Debug
    QUENZAR_CMAKE_OPTIONS+=(-DQUENZAR_SANITIZE=ON)
}

build_quenzar() {
    if [ ! -f "$QUENZAR_BUILD/build.ninja" ]; then
        cmake -S "$QUENZAR_ROOT" -B "$QUENZAR_BUILD" -G Ninja -DCMAKE_BUILD_TYPE="$QUENZAR_BUILD_TYPE" "${QUENZAR_CMAKE_OPTIONS[@]}" >&2
    fi
    cmake --build "$QUENZAR_BUILD" >&2
}
