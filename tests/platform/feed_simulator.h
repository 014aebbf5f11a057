// Starts the real feed simulator zelvon-ddefeed for one service in a socket
// directory of the test, with its feed file, and stops it at the end.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

namespace zelvon::test {

class FeedSimulator {
public:
    FeedSimulator(const QString& socketDir, const QString& service, const QByteArray& values,
                  const QStringList& options = {})
        : file_(socketDir + "/" + service + ".txt"), log_(socketDir + "/" + service + ".log"),
          socket_(socketDir + "/" + service)
    {
        setValues(values);
        process_.setStandardErrorFile(log_);
        process_.start(ZELVON_DDEFEED_BINARY, QStringList{"--service", service, "--file", file_, "--socket", socket_} + options);
        EXPECT_TRUE(process_.waitForStarted());
        for (int i = 0; i < 200 && !Accepts(socket_); ++i)
            QThread::msleep(10);
        EXPECT_TRUE(Accepts(socket_)) << log().toStdString();
    }
    ~FeedSimulator()
    {
        process_.terminate();
        process_.waitForFinished(5000);
    }

    // A new file put in place at once, as a user's editor saves it.
    void setValues(const QByteArray& values)
    {
        QFile next(file_ + ".neu");
        ASSERT_TRUE(next.open(QIODevice::WriteOnly));
        next.write(values);
        next.close();
        ASSERT_EQ(::rename(QFile::encodeName(next.fileName()).constData(), QFile::encodeName(file_).constData()), 0);
    }
    // What the simulator wrote on stderr so far.
    QString log() const
    {
        QFile f(log_);
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    int requests(const QString& text) const { return int(log().count(text)); }

private:
    static bool Accepts(const QString& path)
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray encoded = QFile::encodeName(path);
        std::memcpy(address.sun_path, encoded.constData(), size_t(encoded.size()));
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const bool ok = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
        ::close(fd);
        return ok;
    }

    QString file_, log_, socket_;
    QProcess process_;
};

}  // namespace zelvon::test
