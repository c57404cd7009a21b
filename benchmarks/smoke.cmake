# SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
# SPDX-License-Identifier: LGPL-2.1-or-later

# Every job of the benchmark once, on a small generated corpus: it must run and find the files,
# items, records and matches the generator wrote. Times are printed, never judged.
if(BUILD_TESTING)
    add_test(NAME startmenu-benchmark-smoke
        COMMAND startmenubench --generate 50 --rounds 1 --check)
    set_tests_properties(startmenu-benchmark-smoke PROPERTIES LABELS "benchmark")
endif()
