#pragma once
// The main() of a window test on its own X desktop (Xvfb, openbox, trayer). The desktop must
// exist before the application connects to it; without the X tools the test is skipped (exit
// code 77) and says why.

#include "support/x_desktop.h"

#include <QApplication>

#include <cstdio>
#include <exception>
#include <functional>
#include <memory>
#include <string>

namespace kestrix::test {

// Starts the desktop, points `shared` at it for the test's helpers, and runs `exec` (which
// runs the test class) inside a QApplication on that display.
inline int runOnXDesktop(int argc, char **argv, XDesktop *&shared,
                         const std::function<int()> &exec)
{
    std::string why;
    if (!XDesktop::available(why)) {
        std::printf("SKIP: %s\n", why.c_str());
        return 77;
    }
    std::unique_ptr<XDesktop> desktop;
    try {
        desktop = std::make_unique<XDesktop>(XDesktop::Parts{true, true});
    } catch (const std::exception &error) {
        std::printf("FAIL: %s\n", error.what());
        return 1;
    }
    shared = desktop.get();
    qputenv("DISPLAY", desktop->display().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    return exec();
}

}  // namespace kestrix::test
