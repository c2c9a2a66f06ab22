# Sourced by scripts/demo and scripts/test: installs the Debian packages the
# build needs, once. apt-get update runs only when something is missing.
KORTVIK_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools qt6-svg-dev
  libqt6sql6-sqlite libgl-dev libssl-dev openssl dbus xvfb xauth clang
  libclang-rt-14-dev sqlite3 python3 xdotool tzdata dpkg-dev desktop-file-utils appstream man-db
  x11-utils qtkeychain-qt6-dev gnome-keyring libsecret-tools)

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

# kortvik_build DIR [cmake options...]: configures with clang (ccache when
# installed) and builds. clang compiles this code in about half the time g++
# takes, and its precompiled headers are a fifth of the size.
kortvik_build() {
  local dir=$1; shift
  local launcher=()
  command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # A tree first configured with another compiler is configured afresh.
  if [ -f "$dir/CMakeCache.txt" ] && ! grep -q '^CMAKE_CXX_COMPILER:[A-Z]*=.*clang++' "$dir/CMakeCache.txt"; then
    rm -rf "$dir/CMakeCache.txt" "$dir/CMakeFiles"
  fi
  CC=clang CXX=clang++ cmake -S "$KORTVIK_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${KORTVIK_BUILD_TYPE:-Release}" \
    "${launcher[@]}" "$@" >/dev/null || return
  cmake --build "$dir" --parallel "$(nproc)" ${KORTVIK_BUILD_TARGETS:+--target $KORTVIK_BUILD_TARGETS}
}

# kortvik_stage NAME COMMAND...: runs a stage and prints how long it took;
# the times are listed again by kortvik_stage_summary.
KORTVIK_STAGE_TIMES=()
kortvik_stage() {
  local name=$1; shift
  local start=$SECONDS rc=0
  echo "== $name =="
  "$@" || rc=$?
  local took=$((SECONDS - start))
  KORTVIK_STAGE_TIMES+=("$(printf '%4d:%02d  %s' $((took / 60)) $((took % 60)) "$name")")
  local status=""
  [ "$rc" -eq 0 ] || status=" (FAILED, exit $rc)"
  echo "== $name: $(printf '%d:%02d' $((took / 60)) $((took % 60)))$status"
  return "$rc"
}
kortvik_stage_summary() {
  echo "== time per stage (m:ss) =="
  printf '%s\n' "${KORTVIK_STAGE_TIMES[@]}"
}
