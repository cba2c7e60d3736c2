# Shared by scripts/demo and scripts/test: installing what a fresh Debian
# machine lacks, and configuring and building one build folder.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
JOBS=$(nproc)

# need_packages PKG...: installs the Debian packages that are missing.
need_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "== installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

LINUX_PACKAGES=(g++ cmake ninja-build python3 googletest libgtest-dev libssl-dev)

# build DIR [CMAKE ARGS...]: configures (once) and builds DIR under the
# project; BUILD_TARGETS, when set, names the only targets to build.
build() {
  local dir=$1; shift
  echo "== building $dir"
  cmake -S "$ROOT" -B "$ROOT/$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  local targets=()
  [ -n "${BUILD_TARGETS:-}" ] && targets=(--target $BUILD_TARGETS)
  cmake --build "$ROOT/$dir" -j "$JOBS" "${targets[@]}"
}
