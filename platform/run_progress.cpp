#include "platform/run_progress.h"

#include <cstdio>

namespace zelvon {

ConsoleProgress::ConsoleProgress(std::chrono::milliseconds minGap) : minGap_(minGap) {}

void ConsoleProgress::SetCaption(const QString& caption) { caption_ = caption; }

void ConsoleProgress::Show() {
    visible_ = true;
    if (!shown_ && !caption_.isEmpty()) Print(caption_, true);
    shown_ = true;
}

void ConsoleProgress::Hide() { shown_ = false; }

void ConsoleProgress::SetMessage(const QString& text, bool alert) {
    if (text.isEmpty()) return;
    QString line = maximum_ > 0 ? QStringLiteral("[%1/%2] %3").arg(position_).arg(maximum_).arg(text) : text;
    if (alert) line.prepend(QStringLiteral("!! "));
    Print(line, alert);
}

void ConsoleProgress::ShowProgress(int maximum) {
    maximum_ = maximum;
    position_ = 0;
}

void ConsoleProgress::StepProgress() {
    if (position_ < maximum_) ++position_;
}

// Transfer counters change many times a second; they are not worth a log line.
void ConsoleProgress::SetPanel(int, const QString&) {}

void ConsoleProgress::SetTempName(const QString& fileName) { Print(QStringLiteral("Meldung: ") + fileName, false); }

void ConsoleProgress::Print(const QString& line, bool always) {
    const auto now = std::chrono::steady_clock::now();
    if (!always && lastLine_ != std::chrono::steady_clock::time_point{} && now - lastLine_ < minGap_) return;
    lastLine_ = now;
    const QByteArray bytes = line.toLocal8Bit();
    std::fprintf(stderr, "%s\n", bytes.constData());
    std::fflush(stderr);
}

}  // namespace zelvon
