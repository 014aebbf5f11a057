// Program entry: single instance, command line, main window, start routine, event loop.
#include "app/command_help.h"
#include "app/http_get_form.h"
#include "app/proxy_init.h"
#include "app/status_window.h"
#include "platform/dialogs.h"
#include "platform/single_instance.h"

#include <QApplication>

#include <cstdio>

#include <unistd.h>

using namespace zelvon;

namespace {

QStringList RawArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

bool DisplayPresent() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

}  // namespace

int main(int argc, char** argv) {
    if (const InformationRequest request = FindInformationRequest(RawArguments(argc, argv));
        request != InformationRequest::None) {
        const QString text = request == InformationRequest::Help ? HelpText() : VersionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return kExitRanToEnd;
    }
    const bool display = DisplayPresent();
    // A scheduler starts the program without a display; it must run all the same.
    if (!display && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    // The embedded browser's sandbox refuses to run as root.
    if (geteuid() == 0 && qEnvironmentVariableIsEmpty("QTWEBENGINE_DISABLE_SANDBOX")) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    const SingleInstance mutex(QStringLiteral("Zelvon"));
    if (!mutex.acquired()) return kExitRanToEnd;

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelvon"));
    QApplication::setApplicationVersion(ProgramVersion());

    const ParsedCommandLine parsed = ParseCommandLine(QApplication::arguments(), formats::Today());
    dialogs::SetStartedBySwitches(parsed.flags.AnyRun(), display);
    if (!parsed.error.isEmpty()) {
        dialogs::ShowError(nullptr, QStringLiteral("Zelvon"), parsed.error);
        return kExitBadArguments;
    }

    THttpGetForm form;
    TProxyInit proxyInit(&form);
    TStatusfenster status(&form);
    QApplication::setWindowIcon(form.windowIcon());
    form.SetRunFlags(parsed.flags);
    form.SetStatusWindow(&status);
    if (!display) form.UseConsoleProgress();

    try {
        form.SetRegistry(RegistryFile::Load(SettingsPathFor(parsed.flags)));
        form.Initial();
    } catch (const Error& e) {
        dialogs::ShowError(&form, QStringLiteral("Zelvon"), e.message());
        return kExitRunFailed;
    }
    if (form.closeRequested()) {
        QApplication::processEvents();
        return form.exitCode();
    }
    if (parsed.flags.Mini && !parsed.flags.KursInfo && !parsed.flags.InterInfo) {
        form.showMinimized();
    } else {
        form.show();
    }
    QApplication::exec();
    return form.exitCode();
}
