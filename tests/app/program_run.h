// Starts the real program as a scheduler would: no display, its own settings
// file and lock directory. Also the one QApplication the window tests share.
#pragma once

#include <QApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

namespace zelvon::test {

struct ProgramOutcome {
    int exitCode = -1;
    QString stderrText;
};

inline ProgramOutcome RunProgram(const QString& registryFile, const QString& runtimeDir, const QStringList& args,
                                 int timeoutMs = 240'000) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("ZELVON_REGISTRY", registryFile);
    env.insert("XDG_RUNTIME_DIR", runtimeDir);
    p.setProcessEnvironment(env);
    p.start(ZELVON_BINARY, args);
    EXPECT_TRUE(p.waitForFinished(timeoutMs));
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

// Window tests run on the offscreen platform inside the test process.
inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    // Qt WebEngine, which some window tests start, wants shared contexts.
    if (!qApp) {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        new QApplication(argc, argv);
    }
    QApplication::setApplicationName("Zelvon");
}

}  // namespace zelvon::test
