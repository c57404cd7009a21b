/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// The input is what "balooctl status" printed. Whatever it says, the progress is a percentage, and
// a report that names neither count means "nothing known", 100.

#include "balooctl.h"
#include "fuzzsupport.h"

#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString report = QString::fromUtf8(reinterpret_cast<const char *>(data), int(size));
    const int progress = BalooCtl::progressFromStatus(report);
    FuzzSupport::check(progress >= 0 && progress <= 100, "the progress is between 0 and 100", [&] {
        return QStringLiteral("%1 for:\n%2").arg(progress).arg(report);
    });
    if (!report.contains(QLatin1String("indexed:")) || !report.contains(QLatin1String("indexing:"))) {
        FuzzSupport::check(progress == 100, "a report without both counts gives 100");
    }
    FuzzSupport::check(BalooCtl::progressFromStatus(report) == progress, "the same report gives the same progress");
    return 0;
}
