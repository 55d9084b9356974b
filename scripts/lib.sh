# Shared by scripts/run and scripts/test: install what is missing, then configure and build.
# Sourced, not run.

QUENZAR_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
QUENZAR_PRESET=default
QUENZAR_BUILD=$QUENZAR_ROOT/build

# Debian 12 packages the build and the tests need. 7zip and libarchive-tools are the independent
# zip readers the tests check our archives with; strace shows a restore synced before it is reported;
# dpkg-dev and lintian make and judge the Debian package (lintian's Perl TLS modules reach
# perl-openssl-defaults only through a virtual package: named here); clang-format keeps the C++ files
# in the layout of .clang-format, which scripts/check-format checks.
QUENZAR_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libzip-dev libdeflate-dev libssl-dev libgtest-dev
                  7zip libarchive-tools unzip strace desktop-file-utils dpkg-dev lintian perl-openssl-defaults
                  clang-format)

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
    QUENZAR_PRESET=sanitize
    QUENZAR_BUILD=$QUENZAR_ROOT/build-sanitize
}

# The options of each build are those of its preset in CMakePresets.json. Configuring every time
# applies a changed option to a build folder made before; when nothing changed it takes a second.
build_quenzar() {
    (cd "$QUENZAR_ROOT" && cmake --preset "$QUENZAR_PRESET" >&2)
    cmake --build "$QUENZAR_BUILD" >&2
}
