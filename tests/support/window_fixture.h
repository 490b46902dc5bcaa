#pragma once
// The real window over the real Screener, put together as the program does (WindowController)
// on a temporary data folder, or on a given one (a second run on the same files); no profile is
// started unless a test starts one. Every question goes to `prompter`, every real modal dialog
// to `dialogs`: whatever a test does not declare there fails it, with its text.

#include "screening/screener.h"
#include "support/modal_script.h"
#include "support/scripted_prompter.h"
#include "ui/form1.h"
#include "ui/window_controller.h"
#include "ui/window_view.h"

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
    WindowView &view() { return controller.view(); }

    QTemporaryDir data;  // the data folder unless another was given
    ScriptedPrompter prompter{failQtTest};
    ModalScript dialogs;
    TForm1 form;
    WindowController controller;
};

}  // namespace kestrix::test
