/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// The input is a desktop file. Besides not crashing, reading it must be stable: overriding an entry
// from an identical copy changes nothing, what saveAs() writes reads back to the same values, and
// saving that again gives the same bytes. A value set with setUnknowns() (the input's last line)
// survives the round trip, or is refused when the format cannot carry it.

#include "fuzzsupport.h"
#include "nimbdesktopentry.h"

#include <QStringList>

#include <cstdint>
#include <string>
#include <tuple>
#include <vector>

namespace
{
// Keys the library asks for by name, and translations the fuzzing locale picks from.
const char *const probedKeys[] = {"X-Categories", "X-Nimb-OriginFile", "X-SuSE-YaST-Group", "Name[de]", "Name[de_DE@euro]", "Keywords[de]", "Exec", ""};

// Where setUnknowns() puts the input's first line; saveAs() must escape it so that it reads back.
constexpr const char *setKey = "X-Nimb-OriginFile";

struct Values {
    std::vector<std::string> texts;
    std::vector<std::vector<std::string>> lists;
    std::vector<bool> flags;

    bool operator==(const Values &other) const
    {
        return std::tie(texts, lists, flags) == std::tie(other.texts, other.lists, other.flags);
    }
};

Values valuesOf(const NimbDesktopEntry &entry)
{
    Values values;
    std::string reasons[4];
    values.flags = {entry.isLoaded(),
                    entry.isValid(&reasons[0]),
                    entry.isSuitable(&reasons[1]),
                    entry.isDisplayable(&reasons[2]),
                    entry.isForNimb(&reasons[3]),
                    entry.isValid(nullptr),
                    entry.isSuitable(nullptr),
                    entry.isDisplayable(nullptr),
                    entry.isForNimb(nullptr),
                    entry.hidden(),
                    entry.noDisplay()};
    values.texts = {entry.type(),
                    entry.name(),
                    entry.localName(),
                    entry.genericName(),
                    entry.localGenericName(),
                    entry.comment(),
                    entry.localComment(),
                    entry.exec(),
                    entry.tryExec(),
                    entry.icon(),
                    entry.localIcon(),
                    entry.localIconOrFallback()};
    values.texts.insert(values.texts.end(), std::begin(reasons), std::end(reasons));
    for (const char *key : probedKeys) {
        values.texts.push_back(entry.getUnknownValue(key));
        values.texts.push_back(entry.getUnknownValue(std::string_view(key)));
    }
    values.texts.push_back(entry.getUnknownValue(static_cast<const char *>(nullptr)));
    values.lists = {entry.keywords(), entry.localKeywords(), entry.categories(), entry.onlyShowIn(), entry.notShowIn()};
    return values;
}

QString describe(const Values &values)
{
    QStringList lines;
    for (const std::string &text : values.texts) {
        lines.append(QString::fromUtf8(QByteArray::fromStdString(text).toPercentEncoding(" /=;[]")));
    }
    for (const auto &list : values.lists) {
        QStringList elements;
        for (const std::string &element : list) {
            elements.append(QString::fromUtf8(QByteArray::fromStdString(element).toPercentEncoding(" /=;[]")));
        }
        lines.append(QLatin1Char('{') + elements.join(QLatin1Char('|')) + QLatin1Char('}'));
    }
    QString flags;
    for (const bool flag : values.flags) {
        flags += flag ? QLatin1Char('1') : QLatin1Char('0');
    }
    lines.append(flags);
    return lines.join(QLatin1Char('\n'));
}

QString differences(const Values &expected, const Values &actual)
{
    return QStringLiteral("expected:\n%1\nactual:\n%2").arg(describe(expected), describe(actual));
}

// UTF-8 as RFC 3629 has it: no overlong forms, no surrogates, nothing above U+10FFFF. Written out
// plainly rather than through QString, which drops a leading byte-order mark.
bool isUtf8(const std::string &text)
{
    static constexpr std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int length = 1;
        std::uint32_t codePoint = lead;
        if (lead >= 0x80) {
            if ((lead & 0xE0) == 0xC0) {
                length = 2;
            } else if ((lead & 0xF0) == 0xE0) {
                length = 3;
            } else if ((lead & 0xF8) == 0xF0) {
                length = 4;
            } else {
                return false;
            }
            if (i + std::size_t(length) > text.size()) {
                return false;
            }
            codePoint = lead & (0x7F >> length);
            for (int k = 1; k < length; ++k) {
                const auto next = static_cast<unsigned char>(text[i + std::size_t(k)]);
                if ((next & 0xC0) != 0x80) {
                    return false;
                }
                codePoint = (codePoint << 6) | (next & 0x3F);
            }
            if (codePoint < smallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
                return false;
            }
        }
        i += std::size_t(length);
    }
    return true;
}

// Text that the desktop-entry format can carry and read back: UTF-8 without NUL, and without a
// vertical tab or form feed at either end, which reading trims and nothing escapes.
bool isStorableText(const std::string &text)
{
    const auto unescapable = [](char c) {
        return c == '\v' || c == '\f';
    };
    const bool blankEnds = !text.empty() && (unescapable(text.front()) || unescapable(text.back()));
    return text.find('\0') == std::string::npos && isUtf8(text) && !blankEnds;
}

std::string path(const QString &name)
{
    return QString(FuzzSupport::scratchPath() + QLatin1Char('/') + name).toStdString();
}
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::initialize(argc, argv);
    // Modifier, country and language all take part in choosing a translation.
    NimbDesktopEntry::setLocale("de_DE.UTF-8@euro");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const std::string inputPath = path(QStringLiteral("input.desktop"));
    FuzzSupport::writeFile(QString::fromStdString(inputPath), input);

    NimbDesktopEntry entry(inputPath);
    const Values read = valuesOf(entry);

    // Overriding from oneself is a no-op by definition; from an identical copy it must be one in effect.
    entry.overrideFrom(entry);
    FuzzSupport::check(valuesOf(entry) == read, "overriding an entry from itself changes nothing", [&] {
        return differences(read, valuesOf(entry));
    });
    const NimbDesktopEntry copy = entry;
    entry.overrideFrom(copy);
    FuzzSupport::check(valuesOf(entry) == read, "overriding an entry from an identical copy changes no value", [&] {
        return differences(read, valuesOf(entry));
    });

    // With empty values kept, a saved entry must read back to exactly what was read.
    const std::string fullPath = path(QStringLiteral("full.desktop"));
    const bool saved = entry.saveAs(fullPath, SaveEmptyFields{true});
    FuzzSupport::check(saved == entry.isLoaded(), "an entry is saved exactly when it is loaded");
    if (!saved) {
        return 0;
    }
    const NimbDesktopEntry reread(fullPath);
    FuzzSupport::check(reread.isLoaded(), "a saved entry loads", [&] {
        return QString::fromLatin1(FuzzSupport::readFile(QString::fromStdString(fullPath)).toPercentEncoding(" /=;[]\n"));
    });
    FuzzSupport::check(valuesOf(reread) == read, "a saved entry reads back to the same values", [&] {
        return differences(read, valuesOf(reread));
    });
    const std::string fullAgainPath = path(QStringLiteral("full-again.desktop"));
    FuzzSupport::check(reread.saveAs(fullAgainPath, SaveEmptyFields{true}), "a reread entry saves again");
    FuzzSupport::check(FuzzSupport::readFile(QString::fromStdString(fullPath)) == FuzzSupport::readFile(QString::fromStdString(fullAgainPath)),
                       "saving a saved entry again gives the same bytes");

    // Without empty values, as the menu saves its items: still loadable, and saving is stable.
    const std::string itemPath = path(QStringLiteral("item.desktop"));
    FuzzSupport::check(entry.saveAs(itemPath, SaveEmptyFields{false}), "an entry saves without its empty values");
    const NimbDesktopEntry item(itemPath);
    FuzzSupport::check(item.isLoaded(), "an entry saved without empty values loads");
    const std::string itemAgainPath = path(QStringLiteral("item-again.desktop"));
    FuzzSupport::check(item.saveAs(itemAgainPath, SaveEmptyFields{false}), "a reread item saves again");
    FuzzSupport::check(FuzzSupport::readFile(QString::fromStdString(itemPath)) == FuzzSupport::readFile(QString::fromStdString(itemAgainPath)),
                       "saving a saved item again gives the same bytes");

    // The menu stores a path with setUnknowns(); any clean text must survive escaping. The value is
    // the input's last line, the one after its last line feed.
    const std::string value = input.mid(input.lastIndexOf('\n') + 1).toStdString();
    NimbDesktopEntry withValue = entry;
    withValue.setUnknowns({{setKey, value}});
    if (!isStorableText(value)) {
        FuzzSupport::check(withValue.getUnknownValue(setKey) == entry.getUnknownValue(setKey), "a value that cannot be stored is not set");
        return 0;
    }
    FuzzSupport::check(withValue.getUnknownValue(setKey) == value, "a set value is read as set");
    const std::string valuePath = path(QStringLiteral("value.desktop"));
    FuzzSupport::check(withValue.saveAs(valuePath, SaveEmptyFields{false}), "an entry with a set value saves");
    const NimbDesktopEntry valueReread(valuePath);
    FuzzSupport::check(valueReread.getUnknownValue(setKey) == value, "a set value reads back after saving", [&] {
        return QStringLiteral("set: %1\nread: %2")
            .arg(QString::fromLatin1(QByteArray::fromStdString(value).toPercentEncoding()),
                 QString::fromLatin1(QByteArray::fromStdString(valueReread.getUnknownValue(setKey)).toPercentEncoding()));
    });
    return 0;
}
