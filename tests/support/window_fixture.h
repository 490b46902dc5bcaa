#pragma once
// The real window over the real Screener, put together as the program does (WindowController)
// on a temporary data folder, or on a given one (a second run on the same files); no profile is
// started unless a test starts one. Every question goes to `prompter`, every real modal dialog
// to `dialogs`: whatever a test does not declare there fails it, with its text.

#include "screening/pending_command.h"
#include "screening/screener.h"
#include "support/modal_script.h"
#include "support/scripted_prompter.h"
#include "ui/form1.h"
#include "ui/ui_widgets.h"
#include "ui/window_controller.h"
#include "ui/window_view.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

namespace kestrix::test {

inline void failQtTest(const std::string &why) { QTest::qFail(why.c_str(), __FILE__, __LINE__); }

struct WindowFixture {
    explicit WindowFixture(const QString &dataDir = {})
        : controller(form, dataDir.isEmpty() ? data.path() : dataDir, &prompter)
    {
    }
    ~WindowFixture() { form.hide(); }

    Screener &screener() { return controller.screener(); }

    // Starts the first profile, shows the window and types a server's account and password as
    // a user would (interval: automatic checks every so many minutes, 0 for none).
    template <class Server>
    void signIn(const Server &server, int interval = 0)
    {
        controller.start(std::nullopt);
        form.show();
        type(form.configPage->Edit1, QString::fromStdString(server.host()));
        type(form.configPage->Edit2, QString::number(server.port()));
        type(form.configPage->Edit3, QString::fromStdString(server.user()));
        form.configPage->SpinEdit2->setValue(interval);
        QTRY_VERIFY(form.topBar->Edit4->isEnabled());
        type(form.topBar->Edit4, QString::fromStdString(server.password()));
    }

    // The main button, then waits until the command it started has ended.
    void checkMail()
    {
        QTRY_VERIFY(form.topBar->Button1->isEnabled());
        QTest::mouseClick(form.topBar->Button1, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(screener().dispatcher.pendingCommand == cmdIdle && !screener().dispatcher.dispatching(),
                                 20000);
    }

    static void type(QLineEdit *edit, const QString &text)
    {
        edit->clear();
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
    WindowView &view() { return controller.view(); }

    QTemporaryDir data;  // the data folder unless another was given
    ScriptedPrompter prompter{failQtTest};
    ModalScript dialogs;
    TForm1 form;
    WindowController controller;
};

}  // namespace kestrix::test
