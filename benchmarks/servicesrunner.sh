#!/bin/bash
# SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
# SPDX-License-Identifier: LGPL-2.1-or-later
#
# Times plasma-workspace's services runner (the KRunner plugin krunner_services) on the queries of
# startmenubench, beside ServiceFinder, when the plugin is installed. Without it, startmenubench
# compares with the runner's published figures, and says so.
#
# What it runs: startmenubench --jobs query,services-runner on the corpus given (by default a
# generated one of 1,426 files, the size of the published figures). For the runner, the benchmark
# builds KService's database of the corpus with kbuildsycoca5 --noincremental in a scratch XDG
# environment (HOME, XDG_DATA_DIRS, XDG_CACHE_HOME below its work folder), then, in a child process
# that sees only that environment, loads krunner_services.so with KPluginFactory and times
# AbstractRunner::match() on a fresh RunnerContext for every query, as it times ServiceFinder::match().
# The goals table then uses the measured figures instead of the published ones.
#
# Usage: benchmarks/servicesrunner.sh [path/to/startmenubench] [startmenubench options...]
# Exit status 77: the plugin is not installed, nothing was measured.
set -euo pipefail

bench=build/bin/startmenubench
if [[ $# -gt 0 && $1 != -* ]]; then
    bench=$1
    shift
fi
if [[ $# -eq 0 ]]; then
    set -- --generate 1426
fi

plugin=$(find /usr/lib /usr/lib64 /usr/local/lib -path '*/plugins/kf5/krunner/krunner_services.so' 2>/dev/null | head -n 1 || true)
if [[ -z $plugin ]]; then
    echo "servicesrunner.sh: krunner_services.so (Debian package plasma-workspace) is not installed;" >&2
    echo "install it and run this script again to time the services runner beside ServiceFinder." >&2
    exit 77
fi
if ! command -v kbuildsycoca5 >/dev/null; then
    echo "servicesrunner.sh: the services runner reads KService's database: kbuildsycoca5 is needed" >&2
    exit 77
fi

exec "$bench" --jobs query,services-runner "$@"
