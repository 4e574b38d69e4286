#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need.
# Does nothing when every package is already present.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  libsdl2-dev                      # the platform layer: window, GL context, events, message boxes, colour-table BMP decoding
  libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri libegl-mesa0  # OpenGL (llvmpipe) and GLU
  googletest libgtest-dev libgmock-dev  # unit tests
  libbenchmark-dev                 # benchmarks
  libstb-dev lib3ds-dev libassimp-dev  # peers measured side by side in the benchmarks
  nlohmann-json3-dev               # JSON output of the model inspector
  clang                            # `make fuzz`: libFuzzer builds of the loaders
  dpkg-dev file                    # `make package`: dpkg-shlibdeps computes the package's dependencies (file tells it the binaries)
  help2man                         # `make package`: the programs' manual pages, made from their --help
  xvfb xfonts-base xdotool imagemagick x11-utils libx11-dev  # end-to-end tests: virtual X server, fonts for the dialog, input, screenshots, a close request
  openbox                          # end-to-end tests: a real window manager, to see which windows get a frame
  g++-mingw-w64-x86-64 wine wine64 # `make windows`: the Win32 cross build, run under Wine by its tests
  nodejs chromium                  # glTF checks: the Khronos validator and three.js in node, three.js in a headless browser
  assimp-utils                     # glTF benchmark: the peer converter (assimp export)
  pybind11-dev python3-dev python3-numpy python3-pytest  # the Python module vtrl3ds, its arrays and its tests
)
# npm comes with some builds of nodejs; Debian's own package only where it does not.
command -v npm >/dev/null 2>&1 || PACKAGES+=(npm)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -ne 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
  $SUDO apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The npm packages of the glTF checks, pinned by tests/gltf/package-lock.json, under the build
# folder (the checks install them again into their own build folder when it is another one).
"$(dirname "$0")/install-npm.sh" "$(dirname "$0")/../${BUILD:-build}/npm"
