// The record navigator below the dialog's tabs: First, Prior, Next, Last,
// Insert, Delete, Post and Cancel, each with its hint; it only reports which
// button was pressed, the dialog does the work.
#pragma once

#include <QWidget>

#include <array>

class QToolButton;

namespace zelvon::editor {

class RecordNavigator : public QWidget {
    Q_OBJECT
public:
    enum Button { First, Prior, Next, Last, Insert, Delete, Post, Cancel };
    static constexpr int kButtons = 8;

    explicit RecordNavigator(QWidget* parent = nullptr);
    QToolButton* button(Button which) const { return buttons_[size_t(which)]; }

signals:
    void clicked(zelvon::editor::RecordNavigator::Button which);

private:
    std::array<QToolButton*, kButtons> buttons_{};
};

}  // namespace zelvon::editor
