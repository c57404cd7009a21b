/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// The input is the settings-applications table. The table read must be what a plain reading of the
// rules gives: one row per line of at least five comma-separated fields, the last line of a key
// winning, and one debug message for each shorter line.

#include "fuzzsupport.h"
#include "logging.h"
#include "settingsmap.h"
#include "startmenuutils.h"

#include <QLoggingCategory>
#include <QMap>
#include <QStringList>

#include <cstdint>

namespace
{
const QString tableSubpath = QStringLiteral("/usr/share/nimb-start-menu/settings-apps.csv");
const QString shortRecordMessage = QStringLiteral("settings-apps.csv contains too short record");

int shortRecordMessages = 0;

void countShortRecords(QtMsgType, const QMessageLogContext &, const QString &message)
{
    if (message.startsWith(shortRecordMessage)) {
        ++shortRecordMessages;
    }
}

QString tablePath()
{
    return FuzzSupport::scratchPath() + QStringLiteral("/root") + tableSubpath;
}

// Lines end in LF or CR LF. A carriage return elsewhere, a byte-order mark, or text that is not
// UTF-8 is the text stream's business and left to the checks that need no reference.
bool readsAsPlainUtf8(const QByteArray &input)
{
    const bool byteOrderMark = input.startsWith("\xEF\xBB\xBF") || input.startsWith("\xFF\xFE") || input.startsWith("\xFE\xFF");
    const bool strayCarriageReturn = QByteArray(input).replace("\r\n", "\n").contains('\r');
    return !byteOrderMark && !strayCarriageReturn && !input.contains('\0') && QString::fromUtf8(input).toUtf8() == input;
}

QStringList referenceLines(QByteArray input)
{
    input.replace("\r\n", "\n");
    QStringList lines = QString::fromUtf8(input).split(QLatin1Char('\n'));
    // A final line feed ends the last line; it does not begin another one.
    if (lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

struct Reference {
    QMap<QString, SettingsMapRecord> table;
    int shortLines = 0;
};

Reference referenceTable(const QStringList &lines)
{
    Reference reference;
    for (const QString &line : lines) {
        const QStringList fields = line.split(QLatin1Char(','));
        if (fields.size() < 5) {
            ++reference.shortLines;
            continue;
        }
        SettingsMapRecord record;
        record.name = fields[0].trimmed().toLower();
        bool isNumber = false;
        const uint number = fields[1].trimmed().toUInt(&isNumber, 10);
        record.number = isNumber ? number : 0;
        record.group = fields[2].trimmed() == QLatin1String("none") ? QString() : fields[2].trimmed();
        record.parent = fields[3].trimmed() == QLatin1String("root") ? QString() : fields[3].trimmed();
        record.classicSettings = fields[4].trimmed().toLower() != QLatin1String("false");
        reference.table.insert(record.name, record);
    }
    return reference;
}

bool sameRecord(const SettingsMapRecord &a, const SettingsMapRecord &b)
{
    return a.name == b.name && a.number == b.number && a.group == b.group && a.parent == b.parent && a.classicSettings == b.classicSettings;
}

QString describe(const QMap<QString, SettingsMapRecord> &table)
{
    QStringList rows;
    for (const SettingsMapRecord &record : table) {
        rows.append(QStringLiteral("[%1|%2|%3|%4|%5]").arg(record.name).arg(record.number).arg(record.group, record.parent).arg(record.classicSettings));
    }
    return rows.join(QLatin1Char('\n'));
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    StartMenuUtils::setSystemRoot(FuzzSupport::scratchPath() + QStringLiteral("/root"));
    // The debug message is built only when it is enabled; it goes to a counter, not to the terminal.
    QLoggingCategory::setFilterRules(QStringLiteral("quorvex.nimb-start-menu.debug = true"));
    qInstallMessageHandler(countShortRecords);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    FuzzSupport::writeFile(tablePath(), input);

    shortRecordMessages = 0;
    const QMap<QString, SettingsMapRecord> table = SettingsMap::loadSettingsMap();

    for (auto row = table.cbegin(); row != table.cend(); ++row) {
        FuzzSupport::check(row.key() == row->name, "a row is stored under its name");
        FuzzSupport::check(row->name == row->name.trimmed().toLower(), "a name is trimmed and lower-cased");
        FuzzSupport::check(row->group != QLatin1String("none") && row->parent != QLatin1String("root"), "\"none\" and \"root\" are stored empty");
    }
    FuzzSupport::check(table.size() + shortRecordMessages <= input.count('\n') + 1, "no more rows and messages than lines");

    if (!readsAsPlainUtf8(input)) {
        return 0;
    }
    const Reference reference = referenceTable(referenceLines(input));
    FuzzSupport::check(shortRecordMessages == reference.shortLines, "one debug message for each line of fewer than five fields", [&] {
        return QStringLiteral("%1 messages, %2 short lines").arg(shortRecordMessages).arg(reference.shortLines);
    });
    const bool sameTable = table.size() == reference.table.size() && std::equal(table.cbegin(), table.cend(), reference.table.cbegin(), sameRecord);
    FuzzSupport::check(sameTable, "the table is what the rules give", [&] {
        return QStringLiteral("read:\n%1\nexpected:\n%2").arg(describe(table), describe(reference.table));
    });
    return 0;
}
