#!/usr/bin/env bash
# KELM's one entry point for building, running and testing on Debian.
#   ./kelm.sh run [project-file]   install what running needs, build the programs, start KELM
#   ./kelm.sh test [--asan|--tsan] install what is missing, build, run every test
#   ./kelm.sh test --debian 13     the same inside a Debian 13 root kept in build-debian13/ (as root)
#   ./kelm.sh fuzz [seconds]       build the fuzz targets with clang and run each for a while
#   ./kelm.sh bench                build and run the benchmarks
#   ./kelm.sh package              build the Debian package build-package/kelm_VERSION_ARCH.deb
#   ./kelm.sh packages SET         list the packages SET installs (run, test, package, or a list's name)
set -euo pipefail
cd "$(dirname "$0")"

# Each package in one list only: the first that needs it.
RUNTIME_PACKAGES=(libopenblas0-serial fonts-liberation qt6-wayland)
BUILD_PACKAGES=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-svg-dev libgl-dev libeigen3-dev
                libsuitesparse-dev libcli11-dev libssl-dev libmuparser-dev libnlopt-cxx-dev libhdf5-dev)
TEST_PACKAGES=(clang libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool imagemagick poppler-utils
               cups printer-driver-cups-pdf python3-pandas python3-numpy python3-h5py openbox x11-utils slurm-wlm munge weston)
PACKAGE_PACKAGES=(dpkg-dev file lintian desktop-file-utils appstream libglib2.0-bin)
JOBS=${KELM_JOBS:-2}

# packages SET: the names SET installs, one a line.
packages() {
  case "$1" in
    runtime) printf '%s\n' "${RUNTIME_PACKAGES[@]}" ;;
    build)   printf '%s\n' "${BUILD_PACKAGES[@]}" ;;
    tests)   printf '%s\n' "${TEST_PACKAGES[@]}" ;;
    packaging) printf '%s\n' "${PACKAGE_PACKAGES[@]}" ;;
    run)     packages runtime; packages build ;;
    package) packages run; packages packaging ;;
    test)    packages package; packages tests ;;
    *)       echo "kelm.sh: no package set $1" >&2; exit 2 ;;
  esac
}

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

# install_packages SET
install_packages() {
  local wanted
  mapfile -t wanted < <(packages "$1")
  install_missing "${wanted[@]}"
  if [ "$1" = test ]; then
    # The fuzzers' runtime comes with the clang of the release, whose version is in its name.
    install_missing "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"
  fi
}

# configure DIR [cmake options...]: warnings are errors unless an option says otherwise.
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

# The archive this machine installs from, out of its own apt sources (not its security archive).
debian_mirror() {
  local uri=""
  if [ -f /etc/apt/sources.list.d/debian.sources ]; then
    uri=$(awk 'BEGIN { RS = "" } /Suites:/ && !/Suites:[^\n]*-security/ && match($0, /URIs:[ \t]*[^ \t\n]+/) {
                 s = substr($0, RSTART, RLENGTH); sub(/URIs:[ \t]*/, "", s); print s; exit }' \
            /etc/apt/sources.list.d/debian.sources)
  fi
  if [ -z "$uri" ] && [ -f /etc/apt/sources.list ]; then
    uri=$(awk '$1 == "deb" && !/-security/ { for (i = 2; i <= NF; i++) if ($i ~ /^[a-z+]+:\/\//) { print $i; exit } }' \
            /etc/apt/sources.list)
  fi
  [ -n "$uri" ] || { echo "kelm.sh: no Debian archive in this machine's apt sources" >&2; exit 1; }
  echo "$uri"
}

# test_in_debian RELEASE: ./kelm.sh test inside a root of that release, made once and kept.
test_in_debian() {
  local suite
  case "$1" in
    12) suite=bookworm ;;
    13) suite=trixie ;;
    *)  echo "kelm.sh: no Debian release $1 known (12 or 13)" >&2; exit 2 ;;
  esac
  [ "$(id -u)" -eq 0 ] || { echo "kelm.sh: test --debian needs root (debootstrap, mount, chroot)" >&2; exit 1; }
  install_missing debootstrap
  local root=$PWD/build-debian$1/root
  if grep -q " $root/" /proc/mounts; then
    echo "kelm.sh: $root still has file systems mounted in it (another run?)" >&2; exit 1
  fi
  if [ ! -e "$root/.kelm-bootstrapped" ]; then
    rm -rf "$root"
    debootstrap --variant=minbase --include=ca-certificates "$suite" "$root" "$(debian_mirror)"
    # Packages installed in the root start no services there.
    printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
    chmod +x "$root/usr/sbin/policy-rc.d"
    touch "$root/.kelm-bootstrapped"
  fi
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # A copy of the tree, the root's own build folders kept so that a second run rebuilds little.
  mkdir -p "$root/kelm"
  find "$root/kelm" -mindepth 1 -maxdepth 1 ! -name 'build*' -exec rm -rf {} +
  tar -c --exclude='./build*' --exclude=./.git . | tar -x -C "$root/kelm"
  mounted=()  # global: the exit trap runs after this function has returned
  unmount_all() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -R -l "${mounted[i]}" || true; done
    mounted=()
  }
  trap unmount_all EXIT
  trap 'exit 130' INT TERM
  # With what is mounted below them (/dev/pts, /dev/shm, the cgroups Slurm's node daemon needs),
  # and as slaves, so that unmounting here never unmounts the machine's own.
  local fs
  for fs in proc sys dev; do
    mkdir -p "$root/$fs"
    mount --rbind "/$fs" "$root/$fs"
    mounted+=("$root/$fs")
    mount --make-rslave "$root/$fs"
  done
  chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 \
    KELM_JOBS="$JOBS" /bin/bash -c 'cd /kelm && ./kelm.sh test'
}

cmd=${1:-run}
shift || true
case "$cmd" in
  run)
    install_packages run
    # Programs only, in a folder of its own; a warning a newer compiler finds does not stop them.
    configure build-run -DKELM_WERROR=OFF -DKELM_TESTS=OFF -DKELM_BENCH=OFF
    build build-run
    project=${1:-examples/simple/geom.cod}
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
      echo "kelm.sh: no display. Run it under a virtual one:  xvfb-run -s '-screen 0 1920x1080x24' ./kelm.sh run"
      echo "         or without any window system:       QT_QPA_PLATFORM=offscreen build-run/bin/kelm $project"
      exit 1
    fi
    exec build-run/bin/kelm "$project"
    ;;
  test)
    case "${1:-}" in
      --debian) test_in_debian "${2:-13}"; exit ;;
    esac
    install_packages test
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
    install_packages test
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
    install_packages test
    configure build-bench -DCMAKE_BUILD_TYPE=Release -DKELM_TESTS=OFF
    build build-bench
    for b in build-bench/bin/bench_*; do [ -x "$b" ] && "$b"; done
    ;;
  package)
    install_packages package
    # Debian's own hardening flags, as a distribution build would use them.
    eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
    configure build-package -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS="$CXXFLAGS $CPPFLAGS" \
      -DCMAKE_EXE_LINKER_FLAGS="$LDFLAGS" -DKELM_TESTS=OFF -DKELM_BENCH=OFF
    build build-package
    rm -f build-package/kelm_*.deb
    (cd build-package && cpack -G DEB -B "$PWD" >/dev/null)
    ls build-package/kelm_*.deb
    ;;
  packages)
    packages "${1:-run}"
    ;;
  *)
    echo "usage: ./kelm.sh run [project-file] | test [--asan|--tsan|--debian 13] | fuzz [seconds] | bench | package" >&2
    exit 2
    ;;
esac
