/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#include "utf8validator_p.h"

#include <array>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#elif defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace
{
// The check is most of the cost of reading a file, so it avoids branches: ASCII is skipped sixteen or
// eight bytes at a time, the rest runs through a finite automaton whose transitions for one byte are
// packed into one 64-bit row, six bits a state (a "shift DFA"). Its states follow the well-formed
// byte sequences of RFC 3629: no overlong forms, no surrogates, nothing above U+10FFFF.
namespace Utf8Automaton
{
enum State : int { Accept, Reject, Need1, Need2, Need3, AfterE0, AfterED, AfterF0, AfterF4, StateCount };
constexpr int stateBits = 6;

constexpr int nextState(int state, int byte)
{
    const auto inRange = [byte](int low, int high) {
        return byte >= low && byte <= high;
    };
    switch (state) {
    case Accept:
        return byte == 0   ? Reject
            : byte < 0x80  ? Accept
            : byte < 0xC2  ? Reject
            : byte < 0xE0  ? Need1
            : byte == 0xE0 ? AfterE0
            : byte == 0xED ? AfterED
            : byte < 0xF0  ? Need2
            : byte == 0xF0 ? AfterF0
            : byte < 0xF4  ? Need3
            : byte == 0xF4 ? AfterF4
                           : Reject;
    case Need1:
        return inRange(0x80, 0xBF) ? Accept : Reject;
    case Need2:
        return inRange(0x80, 0xBF) ? Need1 : Reject;
    case Need3:
        return inRange(0x80, 0xBF) ? Need2 : Reject;
    case AfterE0:
        return inRange(0xA0, 0xBF) ? Need1 : Reject;
    case AfterED:
        return inRange(0x80, 0x9F) ? Need1 : Reject;
    case AfterF0:
        return inRange(0x90, 0xBF) ? Need2 : Reject;
    case AfterF4:
        return inRange(0x80, 0x8F) ? Need2 : Reject;
    default:
        return Reject;
    }
}

constexpr std::array<std::uint64_t, 256> rows()
{
    std::array<std::uint64_t, 256> table{};
    for (int byte = 0; byte < 256; ++byte) {
        for (int state = 0; state < StateCount; ++state) {
            table[std::size_t(byte)] |= std::uint64_t(nextState(state, byte) * stateBits) << (state * stateBits);
        }
    }
    return table;
}
}

bool isValidScalar(std::string_view text)
{
    static constexpr auto rows = Utf8Automaton::rows();
    constexpr std::uint64_t accept = Utf8Automaton::Accept * Utf8Automaton::stateBits;
    constexpr std::uint64_t reject = Utf8Automaton::Reject * Utf8Automaton::stateBits;
    constexpr std::uint64_t stateMask = (1 << Utf8Automaton::stateBits) - 1;
    constexpr std::uint64_t highBits = 0x8080808080808080ULL;
    constexpr std::uint64_t lowBits = 0x0101010101010101ULL;

    auto p = reinterpret_cast<const unsigned char *>(text.data());
    const auto end = p + text.size();
    std::uint64_t state = accept;
    while (p < end) {
        if (state == accept) {
#ifdef __SSE2__
            const __m128i zero = _mm_setzero_si128();
            while (end - p >= 16) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
                if (_mm_movemask_epi8(_mm_or_si128(bytes, _mm_cmpeq_epi8(bytes, zero))) != 0) {
                    break;
                }
                p += 16;
            }
#endif
            while (end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, sizeof word);
                if ((word & highBits) || ((word - lowBits) & ~word & highBits)) {
                    break;
                }
                p += 8;
            }
        }
        // Rejection is final, so it is enough to look for it after a stretch of bytes.
        for (const auto stop = end - p > 32 ? p + 32 : end; p < stop; ++p) {
            state = (rows[*p] >> state) & stateMask;
        }
        if (state == reject) {
            return false;
        }
    }
    return state == accept;
}

#if defined(__x86_64__) || defined(__i386__)
// Translated text makes the automaton walk most of a file byte by byte. With SSSE3, sixteen bytes are
// checked at once by table lookups on the high and low halves of each byte and of the byte before
// it (the lookup algorithm of Keiser and Lemire, "Validating UTF-8 in less than one instruction per
// byte", 2021); it accepts and rejects exactly what the automaton does.
namespace Utf8Lookup
{
constexpr std::uint8_t tooShort = 1 << 0; // a lead byte or ASCII followed by a lead byte or ASCII
constexpr std::uint8_t tooLong = 1 << 1; // ASCII followed by a continuation byte
constexpr std::uint8_t overlong3 = 1 << 2; // E0 followed by 80..9F
constexpr std::uint8_t tooLarge = 1 << 3; // F4 followed by 90..BF, or F5..FF followed by 90..BF
constexpr std::uint8_t surrogate = 1 << 4; // ED followed by A0..BF
constexpr std::uint8_t overlong2 = 1 << 5; // C0 or C1 followed by a continuation byte
constexpr std::uint8_t tooLarge1000 = 1 << 6; // F5..FF followed by 80..8F
constexpr std::uint8_t overlong4 = 1 << 6; // F0 followed by 80..8F
constexpr std::uint8_t twoContinuations = 1 << 7; // a continuation byte followed by another
constexpr std::uint8_t carry = tooShort | tooLong | twoContinuations; // errors decided by the high halves alone
constexpr std::uint8_t large = carry | tooLarge | tooLarge1000;
constexpr std::uint8_t continuation = tooLong | overlong2 | twoContinuations;

// The errors a pair of bytes may make, by the high half of the byte before, by its low half, and by
// the high half of the byte itself; a pair is wrong when all three agree on an error.
alignas(16) constexpr std::uint8_t firstHigh[16] = {tooLong,
                                                    tooLong,
                                                    tooLong,
                                                    tooLong,
                                                    tooLong,
                                                    tooLong,
                                                    tooLong,
                                                    tooLong,
                                                    twoContinuations,
                                                    twoContinuations,
                                                    twoContinuations,
                                                    twoContinuations,
                                                    tooShort | overlong2,
                                                    tooShort,
                                                    tooShort | overlong3 | surrogate,
                                                    tooShort | tooLarge | tooLarge1000 | overlong4};
alignas(16) constexpr std::uint8_t firstLow[16] = {carry | overlong3 | overlong2 | overlong4,
                                                   carry | overlong2,
                                                   carry,
                                                   carry,
                                                   carry | tooLarge,
                                                   large,
                                                   large,
                                                   large,
                                                   large,
                                                   large,
                                                   large,
                                                   large,
                                                   large,
                                                   large | surrogate,
                                                   large,
                                                   large};
alignas(16) constexpr std::uint8_t secondHigh[16] = {tooShort,
                                                     tooShort,
                                                     tooShort,
                                                     tooShort,
                                                     tooShort,
                                                     tooShort,
                                                     tooShort,
                                                     tooShort,
                                                     continuation | overlong3 | tooLarge1000 | overlong4,
                                                     continuation | overlong3 | tooLarge,
                                                     continuation | surrogate | tooLarge,
                                                     continuation | surrogate | tooLarge,
                                                     tooShort,
                                                     tooShort,
                                                     tooShort,
                                                     tooShort};
// A block ending in bytes above these is cut short unless the next block goes on with the sequence.
// The last sixteen serve the narrow blocks.
alignas(32) constexpr std::uint8_t incompleteAbove[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,     0xFF,     0xFF,    0xFF,
                                                          0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,     0xFF,     0xFF,    0xFF,
                                                          0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0 - 1, 0xE0 - 1, 0xC0 - 1};

struct Checker {
    __m128i error;
    __m128i previous;
    __m128i previousIncomplete;
    // The tables, loaded once for the whole text.
    __m128i firstHighTable = load(firstHigh);
    __m128i firstLowTable = load(firstLow);
    __m128i secondHighTable = load(secondHigh);
    __m128i incompleteTable = load(incompleteAbove + 16);

    __attribute__((target("ssse3"))) static __m128i load(const std::uint8_t *table)
    {
        return _mm_load_si128(reinterpret_cast<const __m128i *>(table));
    }

    __attribute__((target("ssse3"))) void check(__m128i input)
    {
        const __m128i lowNibble = _mm_set1_epi8(0x0F);
        const __m128i zero = _mm_setzero_si128();

        error = _mm_or_si128(error, _mm_cmpeq_epi8(input, zero));
        if (_mm_movemask_epi8(input) == 0) {
            error = _mm_or_si128(error, previousIncomplete);
            previousIncomplete = zero;
        } else {
            const __m128i previous1 = _mm_alignr_epi8(input, previous, 15);
            const __m128i special = _mm_and_si128(_mm_and_si128(_mm_shuffle_epi8(firstHighTable, _mm_and_si128(_mm_srli_epi16(previous1, 4), lowNibble)),
                                                                _mm_shuffle_epi8(firstLowTable, _mm_and_si128(previous1, lowNibble))),
                                                  _mm_shuffle_epi8(secondHighTable, _mm_and_si128(_mm_srli_epi16(input, 4), lowNibble)));
            // Third and fourth bytes of a sequence must be continuation bytes, and only they may follow one.
            const __m128i third = _mm_subs_epu8(_mm_alignr_epi8(input, previous, 14), _mm_set1_epi8(char(0xE0 - 0x80)));
            const __m128i fourth = _mm_subs_epu8(_mm_alignr_epi8(input, previous, 13), _mm_set1_epi8(char(0xF0 - 0x80)));
            const __m128i mustContinue = _mm_and_si128(_mm_or_si128(third, fourth), _mm_set1_epi8(char(0x80)));
            error = _mm_or_si128(error, _mm_xor_si128(mustContinue, special));
            previousIncomplete = _mm_subs_epu8(input, incompleteTable);
        }
        previous = input;
    }
};

// The same, thirty-two bytes at a time. AVX2 looks up within each half of a register, so the
// tables are repeated in both halves.
struct WideChecker {
    __m256i error;
    __m256i previous;
    __m256i previousIncomplete;
    __m256i firstHighTable = load(firstHigh);
    __m256i firstLowTable = load(firstLow);
    __m256i secondHighTable = load(secondHigh);
    __m256i incompleteTable = _mm256_load_si256(reinterpret_cast<const __m256i *>(incompleteAbove));

    __attribute__((target("avx2"))) static __m256i load(const std::uint8_t *table)
    {
        return _mm256_broadcastsi128_si256(_mm_load_si128(reinterpret_cast<const __m128i *>(table)));
    }

    __attribute__((target("avx2"))) void check(__m256i input)
    {
        const __m256i lowNibble = _mm256_set1_epi8(0x0F);
        const __m256i zero = _mm256_setzero_si256();

        error = _mm256_or_si256(error, _mm256_cmpeq_epi8(input, zero));
        if (_mm256_movemask_epi8(input) == 0) {
            error = _mm256_or_si256(error, previousIncomplete);
            previousIncomplete = zero;
        } else {
            // The bytes before each byte, across the two halves: the last half of the previous block
            // comes before the first half of this one.
            const __m256i before = _mm256_permute2x128_si256(previous, input, 0x21);
            const __m256i previous1 = _mm256_alignr_epi8(input, before, 15);
            const __m256i special =
                _mm256_and_si256(_mm256_and_si256(_mm256_shuffle_epi8(firstHighTable, _mm256_and_si256(_mm256_srli_epi16(previous1, 4), lowNibble)),
                                                  _mm256_shuffle_epi8(firstLowTable, _mm256_and_si256(previous1, lowNibble))),
                                 _mm256_shuffle_epi8(secondHighTable, _mm256_and_si256(_mm256_srli_epi16(input, 4), lowNibble)));
            const __m256i third = _mm256_subs_epu8(_mm256_alignr_epi8(input, before, 14), _mm256_set1_epi8(char(0xE0 - 0x80)));
            const __m256i fourth = _mm256_subs_epu8(_mm256_alignr_epi8(input, before, 13), _mm256_set1_epi8(char(0xF0 - 0x80)));
            const __m256i mustContinue = _mm256_and_si256(_mm256_or_si256(third, fourth), _mm256_set1_epi8(char(0x80)));
            error = _mm256_or_si256(error, _mm256_xor_si256(mustContinue, special));
            previousIncomplete = _mm256_subs_epu8(input, incompleteTable);
        }
        previous = input;
    }
};

__attribute__((target("ssse3"))) bool isValidSsse3(std::string_view text)
{
    Checker checker{_mm_setzero_si128(), _mm_setzero_si128(), _mm_setzero_si128()};
    const char *p = text.data();
    const std::size_t size = text.size();
    std::size_t done = 0;
    for (; done + 16 <= size; done += 16) {
        checker.check(_mm_loadu_si128(reinterpret_cast<const __m128i *>(p + done)));
    }
    if (done < size) {
        // Blanks after the end: a sequence cut by the end of the text is then cut by ASCII.
        alignas(16) char tail[16];
        std::memset(tail, ' ', sizeof tail);
        std::memcpy(tail, p + done, size - done);
        checker.check(_mm_load_si128(reinterpret_cast<const __m128i *>(tail)));
    }
    const __m128i error = _mm_or_si128(checker.error, checker.previousIncomplete);
    return _mm_movemask_epi8(_mm_cmpeq_epi8(error, _mm_setzero_si128())) == 0xFFFF;
}

__attribute__((target("avx2"))) bool isValidAvx2(std::string_view text)
{
    WideChecker checker{_mm256_setzero_si256(), _mm256_setzero_si256(), _mm256_setzero_si256()};
    const char *p = text.data();
    const std::size_t size = text.size();
    std::size_t done = 0;
    for (; done + 32 <= size; done += 32) {
        checker.check(_mm256_loadu_si256(reinterpret_cast<const __m256i *>(p + done)));
    }
    if (done < size) {
        alignas(32) char tail[32];
        std::memset(tail, ' ', sizeof tail);
        std::memcpy(tail, p + done, size - done);
        checker.check(_mm256_load_si256(reinterpret_cast<const __m256i *>(tail)));
    }
    const __m256i error = _mm256_or_si256(checker.error, checker.previousIncomplete);
    return _mm256_testz_si256(error, error);
}
}
#endif
}

namespace Utf8Validator
{
bool isSupported(Method method)
{
    switch (method) {
    case Method::Scalar:
        return true;
#if defined(__x86_64__) || defined(__i386__)
    case Method::Ssse3:
        return __builtin_cpu_supports("ssse3");
    case Method::Avx2:
        return __builtin_cpu_supports("avx2");
#else
    default:
        return false;
#endif
    }
    return false;
}

bool isValid(std::string_view text, Method method)
{
    switch (method) {
#if defined(__x86_64__) || defined(__i386__)
    case Method::Avx2:
        return Utf8Lookup::isValidAvx2(text);
    case Method::Ssse3:
        return Utf8Lookup::isValidSsse3(text);
#endif
    default:
        return isValidScalar(text);
    }
}

bool isValid(std::string_view text)
{
    static const Method fastest = isSupported(Method::Avx2) ? Method::Avx2 : isSupported(Method::Ssse3) ? Method::Ssse3 : Method::Scalar;
    return isValid(text, fastest);
}
}
