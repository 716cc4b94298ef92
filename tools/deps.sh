# The Debian packages Grabwell builds and tests with. Sourced by run.sh and test.sh.
GRABWELL_PACKAGES=(
  cmake ninja-build g++ pkg-config
  libpng-dev libdeflate-dev libopenjp2-7-dev libgtest-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  python3-dev pybind11-dev python3-pytest
  qt6-base-dev libgl1-mesa-dev
  clang libclang-rt-14-dev
  desktop-file-utils man-db groff-base dpkg-dev
  imagemagick icoutils binutils-mingw-w64-x86-64 libxcursor1
  python3-pil python3-distributed
  gcc-mingw-w64-x86-64 python3-pefile
  acl attr nsis liblnk-utils icnsutils
)

ensure_packages() {
  local missing=()
  local p
  for p in "${GRABWELL_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then
    return 0
  fi
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  else
    echo "Missing packages: ${missing[*]}" >&2
    echo "Install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
  fi
}
