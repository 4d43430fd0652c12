# Sourced by scripts/run and scripts/test: installs the Debian packages that
# building, testing and running need, and only those that are missing.

pickwell_packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev libraw-dev libexif-dev libexiv2-dev libxxhash-dev
    qt6-image-formats-plugins
    fontconfig fonts-dejavu-core
)

# bench_copying_mounts: an exFAT image through FUSE and an sshfs share served
# by an sshd of its own (run as root).
pickwell_bench_tools=(exfat-fuse exfatprogs sshfs openssh-server)

# Making and checking the Debian package and its manual page (scripts/package,
# and the package test that scripts/test runs).
pickwell_package_tools=(help2man dpkg-dev desktop-file-utils lintian)

pickwell_install_missing() {
    local missing=() package
    for package in "${pickwell_packages[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0

    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "error: these packages are missing and installing them needs root: ${missing[*]}" >&2
        return 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
}
