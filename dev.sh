#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
# SPDX-License-Identifier: LGPL-2.1-or-later
#
# Sets up a fresh Debian 12 machine, builds, and runs the demo or the tests.
#   ./dev.sh demo      install what is missing, build the command-line tool, run it on the bundled demo
#                      data (one line a stage; the package and build output go to BUILD_DIR/demo.log)
#   ./dev.sh unit      install what is missing, build, run the test suite through CTest (the quick check)
#   ./dev.sh sanitize  the test suite built with clang, under AddressSanitizer, UndefinedBehaviorSanitizer
#                      and LeakSanitizer (the build also holds the fuzz targets, whose seeds it replays)
#   ./dev.sh fuzz      run every fuzz target for FUZZ_SECONDS (default 30), two at a time, from its seed corpus
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
FUZZ_SECONDS=${FUZZ_SECONDS:-30}
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

# One fuzz target for FUZZ_SECONDS. New inputs go to the run's own corpus folder, the first one
# named; the seeds stay as they are. Leaks are looked for after every input; the suite checks what
# is left at exit.
fuzz_target() {
    local target=$1 runs=$2
    mkdir -p "$runs/$target"
    ASAN_OPTIONS=detect_leaks=1:leak_check_at_exit=0 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        "$SANITIZE_BUILD_DIR/bin/${target}fuzzer" -seed="$FUZZ_SEED" -max_total_time="$FUZZ_SECONDS" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$runs/$target-" "$runs/$target" "fuzz/corpus/$target" >"$runs/$target.log" 2>&1
}

run_fuzz() {
    install_missing
    build_sanitized
    local runs="$SANITIZE_BUILD_DIR/fuzz-runs" failed=0 fuzz_targets i
    mkdir -p "$runs"
    # fuzz/CMakeLists.txt lists the targets; the build writes the list down.
    mapfile -t fuzz_targets <"$SANITIZE_BUILD_DIR/fuzz-targets.txt"
    # Two targets at a time, one a core; each reports in the order of the list.
    for ((i = 0; i < ${#fuzz_targets[@]}; i += 2)); do
        local batch=("${fuzz_targets[@]:i:2}") pids=() target j
        for target in "${batch[@]}"; do
            echo "== fuzzing $target for ${FUZZ_SECONDS}s"
            fuzz_target "$target" "$runs" &
            pids+=($!)
        done
        for j in "${!batch[@]}"; do
            target=${batch[j]}
            if wait "${pids[j]}"; then
                grep -E '^#[0-9]+[[:space:]]+DONE' "$runs/$target.log" | tail -n 1 || true
            else
                tail -n 40 "$runs/$target.log"
                echo "fuzz target $target failed; its input is in $runs/$target-*"
                failed=1
            fi
        done
    done
    return $failed
}

# One line a stage on the terminal; what the stage prints goes to the demo's log. A failed stage
# shows the end of the log.
demo_stage() {
    local title=$1 start=$SECONDS elapsed
    shift
    printf '%s... ' "$title"
    if "$@" >>"$demo_log" 2>&1; then
        elapsed=$((SECONDS - start))
        printf 'done in %d:%02d, log in %s\n' $((elapsed / 60)) $((elapsed % 60)) "$BUILD_DIR/demo.log"
    else
        echo "failed; the end of $demo_log:"
        tail -n 30 "$demo_log"
        exit 1
    fi
}

# The demo needs the two tools (and the window manager tool's stand-in, which their classic-menu
# switch runs): not the tests, the benchmarks or the fuzz targets.
build_demo() {
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
    cmake --build "$BUILD_DIR" -j2 --target nimb-startmenu nimb-wmfunc nimb-startmenu-gui
}

run_demo() {
    mkdir -p "$BUILD_DIR"
    local build_dir home tool
    build_dir=$(cd "$BUILD_DIR" && pwd)
    demo_log="$build_dir/demo.log"
    : >"$demo_log"
    local missing=0 package
    for package in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed' || missing=$((missing + 1))
    done
    if [[ $missing -eq 0 ]]; then
        echo "packages: all ${#packages[@]} installed"
    else
        demo_stage "installing $missing packages" install_missing
    fi
    demo_stage "building" build_demo

    # A home of the demo's own, kept for the "try" lines below and emptied by the next demo run:
    # the menu tree and the preferences are written below it, never below the user's home.
    home="$build_dir/demo-home"
    rm -rf "$home"
    mkdir -p "$home"
    tool="$BUILD_DIR/bin/nimb-startmenu"
    demo() { PATH="$build_dir/bin:$PATH" "$tool" --root data/demo --home "$home" "$@"; }
    # A match a line: continuation lines, if the tool prints any, are left out.
    demo_search() {
        local out
        if out=$(demo search "$@"); then
            grep -v '^[[:space:]]' <<<"$out" || true
        else
            echo "  (nimb-startmenu search failed)"
        fi
    }

    echo
    echo "== The menu tree nimb-startmenu writes for the demo's applications (data/demo)"
    if ! demo menu update >>"$demo_log" 2>&1; then
        echo "nimb-startmenu menu update failed; the end of $demo_log:"
        tail -n 30 "$demo_log"
        exit 1
    fi
    local tree="$home/.nimb/startmenu2" folder file name names count=0
    for folder in "$tree"/*/; do
        names=()
        for file in "$folder"*.desktop; do
            [[ -e $file ]] || continue
            name=$(grep -m 1 '^Name=' "$file" | cut -d= -f2-)
            names+=("$name")
            count=$((count + 1))
        done
        [[ ${#names[@]} -eq 0 ]] && continue
        printf '  %-12s %s\n' "$(basename "$folder")" "$(printf '%s\n' "${names[@]}" | LC_ALL=C sort | paste -sd, - | sed 's/,/, /g')"
    done
    echo "  ($count applications, in $tree)"

    local left_out=() id
    for file in data/demo/usr/share/applications/*.desktop data/demo/usr/local/share/applications/*.desktop; do
        id=$(basename "$file" .desktop)
        compgen -G "$tree/*/$id.desktop" >/dev/null && continue
        # The tool asks the library's own classifier why the menu leaves the file out.
        left_out+=("$id ($({ demo entry "$file" || true; } | sed -n 's/^ *menu: left out: //p'))")
    done
    local joined
    joined=$(printf '%s; ' "${left_out[@]}")
    echo "  left out: ${joined%; }"

    local query
    for query in "Abacus" "text editor" "t"; do
        echo
        echo "== nimb-startmenu search $query"
        demo_search $query --limit 4
    done
    echo
    echo "== LANG=de_DE.UTF-8 nimb-startmenu search Texteditor   (the demo carries German and Russian)"
    LANG=de_DE.UTF-8 LC_ALL= LANGUAGE= demo_search Texteditor --limit 4

    # The reference start menu's first frame, drawn on a virtual X server.
    echo
    echo "== nimb-startmenu-gui, the reference start menu, with \"text editor\" typed"
    local picture="$build_dir/reference-start-menu.png"
    if ! command -v xvfb-run >/dev/null; then
        echo "  (no picture: xvfb-run is missing; the xvfb package provides it)"
    elif xvfb-run -a env QT_QUICK_BACKEND=software "$BUILD_DIR/bin/nimb-startmenu-gui" --root data/demo --home "$home" \
        --query "text editor" --screenshot "$picture" >>"$demo_log" 2>&1; then
        echo "  $picture"
    else
        echo "  (no picture: nimb-startmenu-gui failed; see $demo_log)"
    fi

    echo
    printf 'try:  %s --root data/demo --home %q\n' "$BUILD_DIR/bin/nimb-startmenu-gui" "$home"
    printf 'try:  %s --root data/demo --home %q search chess\n' "$tool" "$home"
    printf 'try:  %s --root data/demo --home %q entry data/demo/usr/share/applications/hidden-helper.desktop\n' "$tool" "$home"
}

case "${1:-}" in
demo)
    run_demo
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
