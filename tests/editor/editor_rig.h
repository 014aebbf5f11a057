// What the security editor's tests share: a main window on a fresh copy of
// the demo data, answers for the message and input boxes the dialog opens,
// a second process that holds a table locked, and the two independent
// readers of the result (pxlib and `pxtool check`).
#pragma once

#include "app/http_get_form.h"
#include "editor/firmeneingabe.h"
#include "platform/dialogs.h"
#include "tests/lock_holder.h"
#include "tools/demodata/demo_directory.h"

#include <gtest/gtest.h>
extern "C" {
#include <paradox.h>
}

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace zelvon::test {

// The widget tests run on the offscreen platform inside the test process.
inline void EnsureApplication() {
    static int argc = 1;
    static char name[] = "editor_tests";
    static char* argv[] = {name, nullptr};
    if (!qApp) new QApplication(argc, argv);
    QApplication::setApplicationName("Zelvon");
}

// One record as pxlib reads it: whole numbers and texts by field name (memos are not read).
using PxRow = std::map<std::string, std::string>;

inline std::vector<PxRow> PxlibRows(const QString& path) {
    std::vector<PxRow> rows;
    pxdoc_t* doc = PX_new();
    EXPECT_EQ(PX_open_file(doc, path.toLocal8Bit().constData()), 0) << path.toStdString();
    pxfield_t* fields = PX_get_fields(doc);
    for (int r = 0; r < PX_get_num_records(doc); ++r) {
        pxval_t** values = PX_retrieve_record(doc, r);
        if (!values) {
            ADD_FAILURE() << "pxlib cannot read record " << r << " of " << path.toStdString();
            break;
        }
        PxRow row;
        for (int f = 0; f < PX_get_num_fields(doc); ++f) {
            const pxval_t* v = values[f];
            if (fields[f].px_ftype == pxfLong && !v->isnull) row[fields[f].px_fname] = std::to_string(v->value.lval);
            if (fields[f].px_ftype == pxfLogical) row[fields[f].px_fname] = v->isnull ? "" : std::to_string(v->value.lval);
            if (fields[f].px_ftype == pxfAlpha)
                row[fields[f].px_fname] = v->isnull ? "" : QString::fromLatin1(v->value.str.val, v->value.str.len).toStdString();
            FREE_PXVAL(doc, values[f]);
        }
        doc->free(doc, values);
        rows.push_back(row);
    }
    PX_close(doc);
    PX_delete(doc);
    return rows;
}

inline const PxRow* RowOf(const std::vector<PxRow>& rows, int firma) {
    for (const PxRow& row : rows)
        if (row.count("Firma") && row.at("Firma") == std::to_string(firma)) return &row;
    return nullptr;
}

// `pxtool check` on a table: empty when it finds no fault.
inline QString PxtoolFaults(const QString& path) {
    QProcess tool;
    tool.start(PXTOOL_BINARY, {QStringLiteral("check"), path});
    EXPECT_TRUE(tool.waitForFinished(60'000));
    if (tool.exitCode() == 0) return QString();
    return QString::fromUtf8(tool.readAllStandardOutput() + tool.readAllStandardError());
}

// Answers the boxes the dialog opens, in order, and notes what each said.
class BoxAnswers : public QObject {
public:
    using Answer = std::function<void(QWidget*)>;

    explicit BoxAnswers(QWidget* dialog) : dialog_(dialog) {
        connect(&poll_, &QTimer::timeout, this, [this] { AnswerOpenBox(); });
        poll_.start(5);
    }
    void Push(Answer answer) { answers_.push_back(std::move(answer)); }
    void Button(QMessageBox::StandardButton button) {
        Push([button](QWidget* w) {
            if (auto* box = qobject_cast<QMessageBox*>(w)) box->button(button)->click();
        });
    }
    void Input(const QString& text) {
        Push([text](QWidget* w) {
            if (auto* input = qobject_cast<QInputDialog*>(w)) {
                input->setTextValue(text);
                input->accept();
            }
        });
    }
    void CancelInput() {
        Push([](QWidget* w) {
            if (auto* input = qobject_cast<QInputDialog*>(w)) input->reject();
        });
    }
    bool AllAnswered() const { return answers_.empty(); }
    // Title and text of every box answered so far, "title|text" each.
    const QStringList& seen() const { return seen_; }

private:
    void AnswerOpenBox() {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w == dialog_ || !w->isVisible()) return;
        if (auto* box = qobject_cast<QMessageBox*>(w))
            seen_ << box->windowTitle() + "|" + box->text();
        else if (auto* input = qobject_cast<QInputDialog*>(w))
            seen_ << input->windowTitle() + "|" + input->labelText();
        else
            return;
        if (answers_.empty()) {
            ADD_FAILURE() << "unexpected box: " << seen_.last().toStdString();
            w->close();
            return;
        }
        Answer answer = std::move(answers_.front());
        answers_.pop_front();
        answer(w);
    }

    QWidget* dialog_;
    QTimer poll_;
    std::deque<Answer> answers_;
    QStringList seen_;
};

class EditorTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        EnsureApplication();
        // A display is there: the tests answer the boxes themselves.
        dialogs::SetStartedBySwitches(false, true);
    }
    void SetUp() override {
        data_ = dir_.filePath("Daten/");
        QDir().mkpath(data_);
        const auto kit = demodata::CreateDemoDataDirectory(data_.toStdString(), demodata::DemoOptions{});
        ASSERT_TRUE(kit.ok()) << kit.message();
    }
    // Starts the main window on the copy; extra settings values in .reg syntax.
    void StartMainWindow(const QByteArray& values) {
        const QString reg = dir_.filePath("Quarvinta.reg");
        QFile f(reg);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Selvaran\\Quarvinta]\r\n"
                "\"Datenpath\"=\"" + data_.toUtf8() + "\"\r\n" + values);
        f.close();
        form_ = std::make_unique<THttpGetForm>();
        form_->SetRegistry(RegistryFile::Load(reg));
        form_->Initial();
    }
    TFirmeneingabe& OpenEditor() {
        answers_.reset();
        dialog_ = form_->CreateSecurityEditor();
        dialog_->show();
        QApplication::processEvents();
        answers_ = std::make_unique<BoxAnswers>(dialog_.get());
        return *dialog_;
    }
    QString Table(const char* name) const { return data_ + name; }
    void ExpectTablesWhole() {
        for (const char* name : {"Firma.db", "Watch.db", "Watch2.db", "Watch3.db", "Watch4.db"})
            EXPECT_EQ(PxtoolFaults(Table(name)), QString()) << name;
    }

    QTemporaryDir dir_;
    QString data_;
    std::unique_ptr<THttpGetForm> form_;
    std::unique_ptr<TFirmeneingabe> dialog_;
    std::unique_ptr<BoxAnswers> answers_;
};

}  // namespace zelvon::test
