#include "platform/run_progress.h"

#include <algorithm>
#include <cstdio>

namespace zelvon {

ConsoleProgress::ConsoleProgress(std::chrono::milliseconds minGap, int burst)
    : minGap_(minGap), burst_(burst), lines_(burst), refilled_(std::chrono::steady_clock::now()) {}

void ConsoleProgress::SetCaption(const QString& caption) {
    caption_ = caption;
    if (!item_.isEmpty()) item_ += QStringLiteral(" | ") + caption;
}

void ConsoleProgress::Show() {
    visible_ = true;
    if (!shown_ && !caption_.isEmpty()) Print(caption_, true);
    shown_ = true;
}

void ConsoleProgress::Hide() {
    FinishItem(true);
    shown_ = false;
}

void ConsoleProgress::SetMessage(const QString& text, bool alert) {
    if (text.isEmpty()) return;
    // An alert on the message of the item at hand only changes its colour.
    if (!alert || text != message_ || item_.isEmpty()) {
        FinishItem(false);
        message_ = text;
        item_ = maximum_ > 0 ? QStringLiteral("[%1/%2] %3").arg(position_).arg(maximum_).arg(text) : text;
    }
    itemAlert_ = itemAlert_ || alert;
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

void ConsoleProgress::SetTempName(const QString& fileName) {
    if (!item_.isEmpty()) item_ += QStringLiteral(" -> ") + fileName;
}

void ConsoleProgress::FinishItem(bool always) {
    if (item_.isEmpty()) return;
    Print(itemAlert_ ? QStringLiteral("!! ") + item_ : item_, always);
    item_.clear();
    message_.clear();
    itemAlert_ = false;
}

// One more line allowed per minGap, never more than the burst in hand.
bool ConsoleProgress::TakeLine() {
    const auto now = std::chrono::steady_clock::now();
    if (minGap_.count() <= 0) return true;
    const std::chrono::duration<double> elapsed = now - refilled_;
    const std::chrono::duration<double> gap = minGap_;
    lines_ = std::min(burst_, lines_ + elapsed / gap);
    refilled_ = now;
    if (lines_ < 1) return false;
    lines_ -= 1;
    return true;
}

void ConsoleProgress::Print(const QString& line, bool always) {
    if (!TakeLine() && !always) {
        ++skipped_;
        return;
    }
    QString text = line;
    if (skipped_ > 0) text += QStringLiteral(" (+%1 weitere)").arg(skipped_);
    skipped_ = 0;
    WriteLine(text);
}

void ConsoleProgress::WriteLine(const QString& line) {
    const QByteArray bytes = line.toLocal8Bit();
    std::fprintf(stderr, "%s\n", bytes.constData());
    std::fflush(stderr);
}

}  // namespace zelvon
