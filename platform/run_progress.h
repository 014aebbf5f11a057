// What a long run (news, fundamentals, master, filter and archive updates)
// tells its progress display, and how it learns that the user wants it to
// stop. The status window implements it on screen; ConsoleProgress writes a
// scheduler's log line per item on stderr when there is no display.
#pragma once

#include <QString>

#include <chrono>

namespace zelvon {

class RunProgress {
public:
    virtual ~RunProgress() = default;

    virtual void SetCaption(const QString& caption) = 0;
    // Shown without being modal; hidden at the end of the run.
    virtual void Show() = 0;
    virtual void Hide() = 0;
    // The message line; an alert shows it in red. A new message starts a new item.
    virtual void SetMessage(const QString& text, bool alert = false) = 0;
    virtual void ShowProgress(int maximum) = 0;
    virtual void StepProgress() = 0;
    virtual void SetPanel(int panel, const QString& text) = 0;
    // Makes the latest texts visible while the run keeps the thread busy.
    virtual void Refresh() = 0;
    // False once the user closed the display: stop after the current item.
    virtual bool StillVisible() const = 0;
    // The news text last saved, offered for reading now.
    virtual void SetTempName(const QString& fileName) = 0;
    // Client size of the display, where a run wants a different one.
    virtual void Resize(int width, int height) {}
    // The system's default beep, for an alert.
    virtual void Beep() {}
};

// Progress of an unattended run: one line per item on stderr (its message,
// what the caption and the saved file became while it ran). A scheduler's log
// stays readable: after a first burst of lines, one line per minGap at most;
// lines that come too soon are counted and the count is reported with the
// next line. A short run is logged whole. The last item's line is written by Hide.
class ConsoleProgress : public RunProgress {
public:
    explicit ConsoleProgress(std::chrono::milliseconds minGap = std::chrono::milliseconds(250), int burst = 8);

    void SetCaption(const QString& caption) override;
    void Show() override;
    void Hide() override;
    void SetMessage(const QString& text, bool alert = false) override;
    void ShowProgress(int maximum) override;
    void StepProgress() override;
    void SetPanel(int panel, const QString& text) override;
    void Refresh() override {}
    bool StillVisible() const override { return visible_; }
    void SetTempName(const QString& fileName) override;

    // A stop request from outside (a signal handler's flag, a test).
    void RequestStop() { visible_ = false; }
    int Position() const { return position_; }
    int Maximum() const { return maximum_; }

protected:
    // One finished line; writes it to stderr.
    virtual void WriteLine(const QString& line);

private:
    void FinishItem(bool always);
    void Print(const QString& line, bool always);

    bool TakeLine();

    std::chrono::milliseconds minGap_;
    double burst_;
    double lines_;  // lines that may be written now
    std::chrono::steady_clock::time_point refilled_;
    QString caption_;
    QString message_;  // the item being worked on
    QString item_;     // its line so far
    bool itemAlert_ = false;
    int skipped_ = 0;
    bool visible_ = true;
    bool shown_ = false;
    int maximum_ = 0;
    int position_ = 0;
};

}  // namespace zelvon
