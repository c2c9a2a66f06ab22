# Sourced by scripts/demo and scripts/test: installs the Debian packages the
# build needs, once. apt-get update runs only when something is missing.
KORTVIK_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools
  libqt6sql6-sqlite libgl-dev libssl-dev openssl dbus xvfb xauth clang
  libclang-rt-14-dev sqlite3 python3 xdotool tzdata)

kortvik_install_deps() {
  local missing=()
  for p in "${KORTVIK_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# kortvik_build DIR [cmake options...]
kortvik_build() {
  local dir=$1; shift
  cmake -S "$KORTVIK_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${KORTVIK_BUILD_TYPE:-Release}" "$@" >/dev/null
  cmake --build "$dir" --parallel "$(nproc)"
}
