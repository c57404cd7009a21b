#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
# SPDX-License-Identifier: LGPL-2.1-or-later
#
# Sets up a fresh Debian 12 machine, builds, and runs the demo or the tests.
#   ./dev.sh demo      install what is missing, build, run the command-line tool on the bundled demo data
#   ./dev.sh unit      install what is missing, build, run the test suite through CTest (the quick check)
#   ./dev.sh sanitize  the test suite built with clang, under AddressSanitizer, UndefinedBehaviorSanitizer
#                      and LeakSanitizer (the build also holds the fuzz targets, whose seeds it replays)
#   ./dev.sh fuzz      run every fuzz target for FUZZ_SECONDS (default 45) from its seed corpus
#   ./dev.sh hardening sanitize, then fuzz
#   ./dev.sh test      what CI runs: unit, sanitize and fuzz, in this order
# BUILD_DIR (default: build) is the build folder of demo and unit; SANITIZE_BUILD_DIR (default:
# build-sanitize) the one of sanitize and fuzz.
set -euo pipefail
cd "$(dirname "$0")"
source_dir=$PWD

packages=(
    cmake g++ make ccache pkg-config
    extra-cmake-modules
    qtbase5-dev qtdeclarative5-dev
    libkf5runner-dev libkf5coreaddons-dev libkf5config-dev libkf5i18n-dev
    dbus baloo-kf5 qml-module-qtqml
    libglib2.0-dev libkf5service-bin
    clang libclang-rt-14-dev llvm-14
    libkf5kio-dev qtquickcontrols2-5-dev qtdeclarative5-dev-tools
    qml-module-qtquick2 qml-module-qtquick-controls2 qml-module-qtquick-templates2
    qml-module-qtquick-layouts qml-module-qtquick-window2 qml-module-qttest
    xvfb xauth
)

BUILD_DIR=${BUILD_DIR:-build}
SANITIZE_BUILD_DIR=${SANITIZE_BUILD_DIR:-build-sanitize}
FUZZ_SECONDS=${FUZZ_SECONDS:-45}
# A fixed seed: a run explores the same inputs in the same order each time, so that CI does not pass
# or fail by luck. A longer or differently seeded local run (FUZZ_SEED=0 picks one at random) looks
# further; what it finds goes into fuzz/corpus as a regression input.
FUZZ_SEED=${FUZZ_SEED:-1}

install_missing() {
    local missing=()
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing+=("$package")
    done
    [[ ${#missing[@]} -eq 0 ]] && return
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    echo "installing: ${missing[*]}"
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

build() {
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null
    cmake --build "$BUILD_DIR" -j2
}

# libFuzzer and the sanitizers' runtimes come with clang; the option instruments the whole build.
build_sanitized() {
    CC=clang CXX=clang++ cmake -S . -B "$SANITIZE_BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        -DNIMBSTARTMENU_FUZZ=ON -DBUILD_BENCHMARKS=OFF >/dev/null
    cmake --build "$SANITIZE_BUILD_DIR" -j2
}

run_unit() {
    install_missing
    build
    (cd "$BUILD_DIR" && ctest --output-on-failure -j2 --timeout 300)
}

run_sanitize() {
    install_missing
    build_sanitized
    # Full allocation stacks: system libraries have no frame pointers, and the suppressions name the
    # Qt and KDE Frameworks functions that allocate once per process. The package test links a
    # client against the instrumented library, which needs the sanitizers' runtime too.
    (cd "$SANITIZE_BUILD_DIR" &&
        ASAN_OPTIONS=detect_leaks=1:fast_unwind_on_malloc=0 \
        LSAN_OPTIONS="suppressions=$source_dir/sanitizers/lsan.supp" \
        UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        LDFLAGS="-fsanitize=address,undefined" \
        ctest --output-on-failure -j2 --timeout 300)
}

run_fuzz() {
    install_missing
    build_sanitized
    local runs="$SANITIZE_BUILD_DIR/fuzz-runs" failed=0 fuzz_targets
    mkdir -p "$runs"
    # fuzz/CMakeLists.txt lists the targets; the build writes the list down.
    mapfile -t fuzz_targets <"$SANITIZE_BUILD_DIR/fuzz-targets.txt"
    for target in "${fuzz_targets[@]}"; do
        mkdir -p "$runs/$target"
        echo "== fuzzing $target for ${FUZZ_SECONDS}s"
        # New inputs go to the run's own corpus folder, the first one named; the seeds stay as they
        # are. Leaks are looked for after every input; the suite checks what is left at exit.
        if ASAN_OPTIONS=detect_leaks=1:leak_check_at_exit=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
            "$SANITIZE_BUILD_DIR/bin/${target}fuzzer" -seed="$FUZZ_SEED" -max_total_time="$FUZZ_SECONDS" -timeout=10 -print_final_stats=1 \
            -artifact_prefix="$runs/$target-" "$runs/$target" "fuzz/corpus/$target" >"$runs/$target.log" 2>&1; then
            grep -E '^#[0-9]+[[:space:]]+DONE' "$runs/$target.log" | tail -n 1 || true
        else
            tail -n 40 "$runs/$target.log"
            echo "fuzz target $target failed; its input is in $runs/$target-*"
            failed=1
        fi
    done
    return $failed
}

case "${1:-}" in
demo)
    install_missing
    build
    demo_home=$(mktemp -d)
    trap 'rm -rf "$demo_home"' EXIT
    demo() { "$BUILD_DIR/bin/nimb-startmenu" --root data/demo --home "$demo_home" "$@"; }
    echo "== nimb-startmenu menu update   (the menu tree of the demo's applications, in a throw-away home)"
    demo menu update | tail -n 1
    echo "== nimb-startmenu menu show"
    demo menu show
    for query in "Abacus" "text editor" "t"; do
        echo "== nimb-startmenu search $query"
        demo search $query --limit 4
    done
    ;;
unit)
    run_unit
    ;;
sanitize)
    run_sanitize
    ;;
fuzz)
    run_fuzz
    ;;
hardening | test)
    stages=(sanitize fuzz)
    [[ $1 == test ]] && stages=(unit sanitize fuzz)
    passed=0
    failed=0
    for stage in "${stages[@]}"; do
        echo "===== stage: $stage"
        # A process of its own: inside an if, bash would not stop a stage at its first failure.
        if "$source_dir/dev.sh" "$stage"; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
            echo "===== stage $stage failed"
        fi
    done
    echo "stages: $passed passed, $failed failed"
    [[ $failed -eq 0 ]]
    ;;
*)
    echo "usage: $0 demo|unit|sanitize|fuzz|hardening|test" >&2
    exit 2
    ;;
esac
