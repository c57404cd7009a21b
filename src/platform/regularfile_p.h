/*
    SPDX-FileCopyrightText: 2026 libnimbstartmenu developers
    SPDX-License-Identifier: LGPL-2.1-or-later
*/

#ifndef NIMBSTARTMENU_REGULARFILE_P_H
#define NIMBSTARTMENU_REGULARFILE_P_H

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace RegularFile
{
/**
 * Reads the regular file at @p path whole, with a single read() when its size is what fstat() says.
 * Anything else is turned away: a missing or unreadable file, a folder, a FIFO (opened without
 * waiting for a writer), a device, a file larger than @p maxSize, also one that grows past it while
 * being read.
 *
 * @param buffer called as buffer(capacity, kept) for room to read into: it returns at least
 *        capacity bytes, the first kept of which are those it returned before; it is not zeroed
 * @return the number of bytes read, or nothing if the file was turned away
 */
template<typename Buffer>
std::optional<std::size_t> read(const char *path, std::size_t maxSize, Buffer buffer)
{
    // O_NONBLOCK: opening a FIFO without writer must not wait; fstat() then turns it away.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) {
        return std::nullopt;
    }
    struct stat status;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || std::size_t(status.st_size) > maxSize) {
        ::close(fd);
        return std::nullopt;
    }
    // One byte more than announced, so that a file that grew (or a /proc file announcing 0) is read to its end.
    std::size_t capacity = std::min<std::size_t>(std::size_t(status.st_size) + 1, maxSize + 1);
    char *data = buffer(capacity, std::size_t(0));
    std::size_t length = 0;
    for (;;) {
        const ssize_t count = ::read(fd, data + length, capacity - length);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return std::nullopt;
        }
        if (count == 0) {
            break;
        }
        length += std::size_t(count);
        if (length == capacity) {
            if (capacity > maxSize) {
                ::close(fd);
                return std::nullopt;
            }
            capacity = std::min(capacity * 2 + 4096, maxSize + 1);
            data = buffer(capacity, length);
        }
    }
    ::close(fd);
    return length;
}
}

#endif
