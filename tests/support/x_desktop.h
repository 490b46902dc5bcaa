#pragma once
// A throw-away X desktop for tests of the real tray: Xvfb on a display it picks itself
// (-displayfd), optionally a window manager (openbox) and a tray host (trayer). Helpers run the
// X tools (xdotool, xwininfo) on that display. Everything is stopped by its PID at the end.
//
//   std::string why;
//   if (!XDesktop::available(why)) skip(why);
//   XDesktop desktop({.windowManager = true, .tray = true});
//   qputenv("DISPLAY", desktop.display().toLocal8Bit());

#include <QProcessEnvironment>
#include <QRect>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QProcess;

namespace kestrix::test {

class XDesktop {
public:
    struct Parts {
        bool windowManager = true;
        bool tray = true;
    };

    // True when Xvfb, openbox, trayer, xdotool and xwininfo are installed; else says what lacks.
    static bool available(std::string &why);

    explicit XDesktop(Parts parts);  // throws std::runtime_error when the desktop does not start
    ~XDesktop();
    XDesktop(const XDesktop &) = delete;
    XDesktop &operator=(const XDesktop &) = delete;

    QString display() const { return m_display; }
    // The environment for programs on this desktop (DISPLAY set).
    QProcessEnvironment environment() const;

    // Runs an X tool on this display and returns its standard output ("" on failure).
    QString run(const QString &program, const QStringList &arguments) const;
    // "IsViewable", "IsUnMapped", ... of a window, by xwininfo.
    QString mapState(unsigned long window) const;
    // Where the window manager drew a window's frame: the client area as the X server has it,
    // widened by the frame the manager announces (_NET_FRAME_EXTENTS). Empty while the window
    // is not mapped or not framed.
    QRect frameOf(unsigned long window) const;

private:
    QProcess *startPart(const QString &program, const QStringList &arguments);
    bool waitFor(const std::function<bool()> &condition, int limitMs) const;

    QString m_display;
    std::vector<std::unique_ptr<QProcess>> m_parts;  // Xvfb first
};

}  // namespace kestrix::test
