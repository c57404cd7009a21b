/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

// The input is any bytes. Every UTF-8 check this processor supports must agree with a plain decoder
// written from RFC 3629, which takes one sequence at a time.

#include "fuzzsupport.h"
#include "utf8validator_p.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace
{
bool isValidByDecoding(const std::uint8_t *bytes, std::size_t size)
{
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t lead = bytes[i];
        if (lead == 0) {
            return false;
        }
        int length;
        std::uint32_t codePoint;
        if (lead < 0x80) {
            length = 1;
            codePoint = lead;
        } else if (lead >= 0xC0 && lead < 0xE0) {
            length = 2;
            codePoint = lead & 0x1F;
        } else if (lead >= 0xE0 && lead < 0xF0) {
            length = 3;
            codePoint = lead & 0x0F;
        } else if (lead >= 0xF0 && lead < 0xF8) {
            length = 4;
            codePoint = lead & 0x07;
        } else {
            return false;
        }
        if (size - i < std::size_t(length)) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            if ((bytes[i + k] & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (bytes[i + k] & 0x3F);
        }
        const std::uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (codePoint < smallest[length] || codePoint > 0x10FFFF || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += std::size_t(length);
    }
    return true;
}
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const bool expected = isValidByDecoding(data, size);
    using Utf8Validator::Method;
    for (Method method : {Method::Scalar, Method::Ssse3, Method::Avx2}) {
        if (Utf8Validator::isSupported(method)) {
            FuzzSupport::check(Utf8Validator::isValid(text, method) == expected, "a UTF-8 check disagrees with the decoder", [&] {
                return QStringLiteral("method %1 says %2 for %3 bytes").arg(int(method)).arg(!expected).arg(size);
            });
        }
    }
    return 0;
}
