// The retrieval tests need a Qt application for timers, pumped waits and the
// browser engine; they always run without a display and, in CI, as root.
#include <QApplication>

#include <gtest/gtest.h>

namespace {

void DefaultEnvironment(const char* name, const char* value)
{
    if (qEnvironmentVariableIsEmpty(name))
        qputenv(name, value);
}

}  // namespace

int main(int argc, char** argv)
{
    DefaultEnvironment("QT_QPA_PLATFORM", "offscreen");
    DefaultEnvironment("QTWEBENGINE_DISABLE_SANDBOX", "1");
    DefaultEnvironment("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu --disable-dev-shm-usage");
    ::testing::InitGoogleTest(&argc, argv);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
