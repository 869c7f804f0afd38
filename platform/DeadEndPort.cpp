// SPDX-License-Identifier: GPL-3.0-or-later
#include "DeadEndPort.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

quint16 take()
{
    // Bound, never listened on, never closed: the port stays this process's.
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return 0;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &size) != 0) {
        ::close(fd);
        return 0;
    }
    return ntohs(address.sin_port);
}

} // namespace

quint16 DeadEndPort::port()
{
    static const quint16 held = take();
    return held;
}
