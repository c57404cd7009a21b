/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_UTF8VALIDATOR_P_H
#define NIMBSTARTMENU_UTF8VALIDATOR_P_H

#include "nimbstartmenu_export.h"

#include <string_view>

// Desktop files are text: a NUL byte or a byte sequence that is not UTF-8 means the file is not one.
// Exported for the tests and the fuzz target, which check every method; the header is not installed.
namespace Utf8Validator
{
/// The checks there are. All accept and reject exactly the same texts; they differ in speed.
enum class Method {
    Scalar,
    Ssse3, ///< sixteen bytes at a time
    Avx2, ///< thirty-two bytes at a time
};

/// Whether this processor can run @p method.
NIMBSTARTMENU_EXPORT bool isSupported(Method method);

/// Whether @p text is well-formed UTF-8 (RFC 3629) without NUL bytes, checked by the fastest method
/// the processor supports.
NIMBSTARTMENU_EXPORT bool isValid(std::string_view text);

/// The same, by @p method, which must be supported.
NIMBSTARTMENU_EXPORT bool isValid(std::string_view text, Method method);
}

#endif
