#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
# SPDX-License-Identifier: LGPL-2.1-or-later
#
# Sets up a fresh Debian 12 machine, builds, and runs the demo or the whole test suite.
#   ./dev.sh demo   install what is missing, build, run the command-line tool on the bundled demo data
#   ./dev.sh test   install what is missing, build, run every test through CTest
# BUILD_DIR (default: build) picks the build folder.
set -euo pipefail
cd "$(dirname "$0")"

packages=(
    cmake g++ make ccache pkg-config
    extra-cmake-modules
    qtbase5-dev qtdeclarative5-dev
    libkf5runner-dev libkf5coreaddons-dev libkf5config-dev libkf5i18n-dev
    dbus baloo-kf5 qml-module-qtqml
    libglib2.0-dev libkf5service-bin
)

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

BUILD_DIR=${BUILD_DIR:-build}
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
test)
    install_missing
    build
    cd "$BUILD_DIR"
    ctest --output-on-failure -j2 --timeout 300
    ;;
*)
    echo "usage: $0 demo|test" >&2
    exit 2
    ;;
esac
