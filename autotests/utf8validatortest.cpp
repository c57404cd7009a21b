/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// The vector checks handle sixteen or thirty-two bytes at a time and carry the state of a sequence
// from one block to the next, so every case is tried at every position across two blocks of each,
// after ASCII and after two-byte letters, by every method this processor supports.

#include "utf8validator_p.h"

#include <QTest>

#include <string>

Q_DECLARE_METATYPE(std::string)

using Utf8Validator::Method;

class Utf8ValidatorTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void sequences_data();
    void sequences();

private:
    QList<Method> m_methods;
};

void Utf8ValidatorTest::initTestCase()
{
    for (Method method : {Method::Scalar, Method::Ssse3, Method::Avx2}) {
        if (Utf8Validator::isSupported(method)) {
            m_methods.append(method);
        }
    }
    QVERIFY(m_methods.contains(Method::Scalar));
    qInfo("%d of 3 methods supported here", int(m_methods.size()));
}

void Utf8ValidatorTest::sequences_data()
{
    QTest::addColumn<std::string>("sequence");
    QTest::addColumn<bool>("valid");

    QTest::addRow("nothing") << std::string() << true;
    QTest::addRow("ASCII") << std::string("Name=x") << true;
    QTest::addRow("two bytes") << std::string("\xC3\xA9") << true;
    QTest::addRow("three bytes") << std::string("\xE2\x82\xAC") << true;
    QTest::addRow("four bytes") << std::string("\xF0\x9F\x98\x80") << true;
    QTest::addRow("last before surrogates") << std::string("\xED\x9F\xBF") << true;
    QTest::addRow("first after surrogates") << std::string("\xEE\x80\x80") << true;
    QTest::addRow("U+FFFF") << std::string("\xEF\xBF\xBF") << true;
    QTest::addRow("U+10FFFF") << std::string("\xF4\x8F\xBF\xBF") << true;
    QTest::addRow("smallest three bytes") << std::string("\xE0\xA0\x80") << true;
    QTest::addRow("smallest four bytes") << std::string("\xF0\x90\x80\x80") << true;

    QTest::addRow("NUL") << std::string(1, '\0') << false;
    QTest::addRow("lone continuation") << std::string("\x80") << false;
    QTest::addRow("continuation after two bytes") << std::string("\xC3\xA9\xA9") << false;
    QTest::addRow("lead then ASCII") << std::string(
        "\xC3"
        "a") << false;
    QTest::addRow("three bytes cut short") << std::string("\xE2\x82") << false;
    QTest::addRow("four bytes cut short") << std::string("\xF0\x9F\x98") << false;
    QTest::addRow("lead then lead") << std::string("\xE2\xC3\xA9") << false;
    QTest::addRow("overlong two bytes") << std::string("\xC1\xBF") << false;
    QTest::addRow("overlong NUL") << std::string("\xC0\x80") << false;
    QTest::addRow("overlong three bytes") << std::string("\xE0\x9F\xBF") << false;
    QTest::addRow("overlong four bytes") << std::string("\xF0\x8F\xBF\xBF") << false;
    QTest::addRow("surrogate") << std::string("\xED\xA0\x80") << false;
    QTest::addRow("last surrogate") << std::string("\xED\xBF\xBF") << false;
    QTest::addRow("above U+10FFFF") << std::string("\xF4\x90\x80\x80") << false;
    QTest::addRow("F5") << std::string("\xF5\x80\x80\x80") << false;
    QTest::addRow("FF") << std::string("\xFF") << false;
    QTest::addRow("five bytes") << std::string("\xF8\x88\x80\x80\x80") << false;
}

void Utf8ValidatorTest::sequences()
{
    QFETCH(std::string, sequence);
    QFETCH(bool, valid);

    for (const std::string &filler : {std::string("a"), std::string("\xC3\xA9")}) {
        for (std::size_t offset = 0; offset <= 70; ++offset) {
            std::string before;
            while (before.size() + filler.size() <= offset) {
                before += filler;
            }
            before.append(offset - before.size(), 'b');
            for (const std::string &after : {std::string(), std::string("z"), std::string(40, 'z'), std::string("\xC3\xBC\xC3\xBC")}) {
                const std::string text = before + sequence + after;
                for (Method method : std::as_const(m_methods)) {
                    QVERIFY2(Utf8Validator::isValid(text, method) == valid,
                             qPrintable(QStringLiteral("method %1, %2 bytes before, %3 after").arg(int(method)).arg(offset).arg(after.size())));
                }
            }
        }
    }
}

QTEST_GUILESS_MAIN(Utf8ValidatorTest)

#include "utf8validatortest.moc"
