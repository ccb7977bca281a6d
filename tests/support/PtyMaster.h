#pragma once
// The master side of a pseudo-terminal held by the test: the port under test opens
// the slave, the test writes what the far end says and takes what the port wrote.

#include <QByteArray>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

namespace neva::testsupport {

class PtyMaster {
public:
    PtyMaster() {
        fd_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ >= 0 && grantpt(fd_) == 0 && unlockpt(fd_) == 0) slave_ = ptsname(fd_);
    }
    ~PtyMaster() { close_master(); }
    PtyMaster(const PtyMaster&) = delete;
    PtyMaster& operator=(const PtyMaster&) = delete;
    bool ok() const { return fd_ >= 0 && !slave_.isEmpty(); }
    QByteArray slave() const { return slave_; }
    void send(const QByteArray& bytes) { ASSERT_EQ(::write(fd_, bytes.constData(), bytes.size()), bytes.size()); }
    // Takes what the port wrote, without blocking.
    QByteArray take() {
        QByteArray out;
        char buf[256];
        for (ssize_t n; (n = ::read(fd_, buf, sizeof buf)) > 0;) out.append(buf, static_cast<int>(n));
        return out;
    }
    void close_master() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
    QByteArray slave_;
};

}  // namespace neva::testsupport
