#pragma once
// A network namespace of the calling thread's own, in which loopback is up
// and the kernel answers no ICMP echo: there 127.0.0.1 is an address that
// stays silent, like a device that is off, and nothing sent leaves the
// machine.  Only the calling thread enters it (threads it starts meanwhile,
// name lookups among them, follow it); it returns to its own namespace at the
// end.  skip says why there is none (Windows, no rights to make one).
#include <QFile>
#include <QString>

#ifndef _WIN32
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

namespace kvtest {

class SilentLoopback {
public:
    QString skip;

    SilentLoopback()
    {
#ifdef _WIN32
        skip = QStringLiteral("a silent address needs a Linux network namespace of the test's own");
#else
        m_home = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
        if (m_home < 0) {
            skip = QStringLiteral("no network namespace to return to: ") + reason();
            return;
        }
        if (::unshare(CLONE_NEWNET) != 0) {
            skip = QStringLiteral("no network namespace of the test's own (needs root): ") + reason();
            return;
        }
        m_entered = true;
        if (!loopbackUp())
            skip = QStringLiteral("loopback does not come up in the test's namespace: ") + reason();
        else if (!ignoreEchoes())
            skip = QStringLiteral("the test's namespace keeps answering echoes");
#endif
    }

    ~SilentLoopback()
    {
#ifndef _WIN32
        if (m_entered && ::setns(m_home, CLONE_NEWNET) != 0)
            qFatal("cannot return to the test's network namespace: %s", std::strerror(errno));
        if (m_home >= 0)
            ::close(m_home);
#endif
    }

    SilentLoopback(const SilentLoopback&) = delete;
    SilentLoopback& operator=(const SilentLoopback&) = delete;

private:
#ifndef _WIN32
    static QString reason() { return QString::fromLocal8Bit(std::strerror(errno)); }

    static bool loopbackUp()
    {
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        if (fd < 0)
            return false;
        ifreq request;
        std::memset(&request, 0, sizeof request);
        std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
        bool up = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
        if (up) {
            request.ifr_flags |= IFF_UP;
            up = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
        }
        ::close(fd);
        return up;
    }

    // The setting belongs to the namespace of the thread that opens it.
    static bool ignoreEchoes()
    {
        QFile setting(QStringLiteral("/proc/sys/net/ipv4/icmp_echo_ignore_all"));
        if (!setting.open(QIODevice::WriteOnly) || setting.write("1\n") != 2)
            return false;
        setting.close();
        if (!setting.open(QIODevice::ReadOnly))
            return false;
        return setting.readAll().trimmed() == "1";
    }

    int m_home = -1;
    bool m_entered = false;
#endif
};

} // namespace kvtest
