#pragma once
// The real window over the real Screener, put together as the program does (WindowController)
// on a temporary data folder; no profile is started unless a test starts one. The questions go
// to the window's own message boxes unless a prompter is given.

#include "screening/screener.h"
#include "ui/form1.h"
#include "ui/window_controller.h"
#include "ui/window_view.h"

#include <QTemporaryDir>

namespace kestrix::test {

struct WindowFixture {
    explicit WindowFixture(Prompter *prompter = nullptr) : controller(form, data.path(), prompter)
    {
    }
    ~WindowFixture() { form.hide(); }

    Screener &screener() { return controller.screener(); }
    WindowView &view() { return controller.view(); }

    QTemporaryDir data;
    TForm1 form;
    WindowController controller;
};

}  // namespace kestrix::test
