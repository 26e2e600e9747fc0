#!/usr/bin/env bash
# KELM's one entry point for building, running and testing on Debian.
#   ./kelm.sh run [project-file]   install what is missing, build, start KELM
#   ./kelm.sh test [--asan|--tsan] install what is missing, build, run every test
#   ./kelm.sh fuzz [seconds]       build the fuzz targets with clang and run each for a while
#   ./kelm.sh bench                build and run the benchmarks
#   ./kelm.sh package              build the Debian package build-package/kelm_VERSION_ARCH.deb
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(cmake ninja-build g++ clang qt6-base-dev qt6-base-dev-tools qt6-svg-dev
          libgl-dev libgtest-dev libgmock-dev libbenchmark-dev libeigen3-dev libsuitesparse-dev libssl-dev libopenblas0-serial fonts-liberation xvfb xauth xdotool imagemagick
          poppler-utils cups printer-driver-cups-pdf python3-pandas python3-numpy openbox x11-utils slurm-wlm munge
          dpkg-dev file lintian desktop-file-utils appstream libglib2.0-bin weston qt6-wayland)
JOBS=${KELM_JOBS:-2}

# install_missing PACKAGE...
install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "kelm.sh: installing ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
}

install_packages() {
  install_missing "${PACKAGES[@]}"
  # The fuzzers' runtime comes with the clang of the release, whose version is in its name.
  install_missing "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
}

# configure DIR [cmake options...]
configure() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DKELM_WERROR=ON "$@" >/dev/null
}

build() {
  cmake --build "$1" -j "$JOBS" "${@:2}"
}

run_tests() {
  local dir=$1
  (cd "$dir" && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$JOBS" --timeout 600)
}

cmd=${1:-run}
shift || true
case "$cmd" in
  run)
    install_packages
    configure build
    build build
    project=${1:-examples/simple/geom.cod}
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "kelm.sh: no display. Run it under a virtual one:  xvfb-run -s '-screen 0 1920x1080x24' ./kelm.sh run"
      echo "         or without any window system:       QT_QPA_PLATFORM=offscreen build/bin/kelm $project"
      exit 1
    fi
    exec build/bin/kelm "$project"
    ;;
  test)
    install_packages
    case "${1:-}" in
      --asan) configure build-asan -DKELM_ASAN=ON -DKELM_BENCH=OFF; build build-asan
              ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 run_tests build-asan ;;
      --tsan) configure build-tsan -DKELM_TSAN=ON -DKELM_BENCH=OFF; build build-tsan
              TSAN_OPTIONS="halt_on_error=1 suppressions=$PWD/tests/tsan_suppressions.txt" run_tests build-tsan ;;
      "")     configure build; build build; run_tests build ;;
      *)      echo "kelm.sh: unknown test option $1" >&2; exit 2 ;;
    esac
    ;;
  fuzz)
    install_packages
    seconds=${1:-30}
    CC=clang CXX=clang++ configure build-fuzz -DKELM_FUZZ=ON -DKELM_TESTS=OFF -DKELM_BENCH=OFF
    build build-fuzz --target fuzz_all
    for target in build-fuzz/bin/fuzz_*; do
      [ -x "$target" ] || continue
      name=$(basename "$target")
      # absolute: a target may change directory before it opens its corpus
      corpus=$PWD/build-fuzz/corpus/$name
      mkdir -p "$corpus"
      seeds=$PWD/fuzz/seeds/${name#fuzz_}
      # Seeds too large to keep (projects at the capacities) are written by the tests' build.
      made=""
      if [ "$name" = fuzz_project_files ] && [ -x build/bin/klplot_tests ]; then
        made=$PWD/build-fuzz/made-seeds/$name
        mkdir -p "$made"
        KELM_WRITE_SEEDS=$made build/bin/klplot_tests --gtest_filter='HostileProjects.*' >/dev/null 2>&1 || made=""
      fi
      echo "kelm.sh: fuzzing $name for ${seconds}s"
      # a run longer than 20 s is a hang, and a finding
      "$target" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 "$corpus" $( [ -d "$seeds" ] && echo "$seeds" ) $made 2>&1 | tail -n 12
    done
    ;;
  bench)
    install_packages
    configure build-bench -DCMAKE_BUILD_TYPE=Release -DKELM_TESTS=OFF
    build build-bench
    for b in build-bench/bin/bench_*; do [ -x "$b" ] && "$b"; done
    ;;
  package)
    install_packages
    # Debian's own hardening flags, as a distribution build would use them.
    eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
    configure build-package -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="$CXXFLAGS $CPPFLAGS" \
      -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DKELM_TESTS=OFF -DKELM_BENCH=OFF
    build build-package
    rm -f build-package/kelm_*.deb
    (cd build-package && cpack -G DEB -B "$PWD" >/dev/null)
    ls build-package/kelm_*.deb
    ;;
  *)
    echo "usage: ./kelm.sh run [project-file] | test [--asan|--tsan] | fuzz [seconds] | bench | package" >&2
    exit 2
    ;;
esac
