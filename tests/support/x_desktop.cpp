#include "support/x_desktop.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>

#include <cstdio>
#include <stdexcept>

namespace kestrix::test {

bool XDesktop::available(std::string &why)
{
    for (const char *tool : {"Xvfb", "openbox", "trayer", "xdotool", "xwininfo"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
            why = std::string(tool) + " is not installed (Debian packages xvfb, openbox, trayer, "
                                      "xdotool, x11-utils)";
            return false;
        }
    }
    return true;
}

XDesktop::XDesktop(Parts parts)
{
    // Xvfb picks a free display itself and writes its number to standard output.
    QProcess *server = startPart(QStringLiteral("Xvfb"),
                                 {QStringLiteral("-displayfd"), QStringLiteral("1"),
                                  QStringLiteral("-screen"), QStringLiteral("0"),
                                  QStringLiteral("1024x768x24"), QStringLiteral("-nolisten"),
                                  QStringLiteral("tcp")});
    QByteArray number;
    waitFor([&] {
        server->waitForReadyRead(50);
        number += server->readAllStandardOutput();
        return number.contains('\n') || server->state() == QProcess::NotRunning;
    }, 20000);
    number = number.trimmed();
    if (number.isEmpty())
        throw std::runtime_error("Xvfb did not start: " +
                                 server->readAllStandardError().toStdString());
    m_display = QLatin1Char(':') + QString::fromLatin1(number);

    if (parts.windowManager) {
        // Openbox announces itself on the root window once it manages the screen. On a busy
        // machine it has been seen to end before that: it gets a second start.
        QByteArray why;
        bool managing = false;
        for (int attempt = 0; attempt < 2 && !managing; ++attempt) {
            QProcess *manager = startPart(QStringLiteral("openbox"), {});
            managing = waitFor([this, manager] {
                return manager->state() == QProcess::NotRunning ||
                       run(QStringLiteral("xprop"),
                           {QStringLiteral("-root"), QStringLiteral("_NET_SUPPORTING_WM_CHECK")})
                           .contains(QStringLiteral("window id"));
            }, 20000) && manager->state() != QProcess::NotRunning;
            why = manager->readAllStandardError();
            if (!managing && manager->state() != QProcess::NotRunning) {
                manager->kill();
                manager->waitForFinished(5000);
            }
        }
        if (!managing)
            throw std::runtime_error("openbox did not start: " + why.toStdString());
    }
    if (parts.tray) {
        startPart(QStringLiteral("trayer"),
                  {QStringLiteral("--edge"), QStringLiteral("bottom"), QStringLiteral("--align"),
                   QStringLiteral("right"), QStringLiteral("--widthtype"), QStringLiteral("pixel"),
                   QStringLiteral("--width"), QStringLiteral("120"), QStringLiteral("--height"),
                   QStringLiteral("24"), QStringLiteral("--transparent"), QStringLiteral("false")});
        if (!waitFor([this] {
                return !run(QStringLiteral("xdotool"),
                            {QStringLiteral("search"), QStringLiteral("--classname"),
                             QStringLiteral("panel")})
                            .trimmed()
                            .isEmpty();
            }, 20000))
            throw std::runtime_error("trayer did not start");
    }
}

XDesktop::~XDesktop()
{
    // The tray host and the window manager go before the server they talk to.
    for (auto it = m_parts.rbegin(); it != m_parts.rend(); ++it) {
        QProcess &part = **it;
        if (part.state() == QProcess::NotRunning)
            continue;
        part.terminate();
        if (!part.waitForFinished(5000)) {
            part.kill();
            part.waitForFinished(5000);
        }
    }
}

QProcessEnvironment XDesktop::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!m_display.isEmpty())
        env.insert(QStringLiteral("DISPLAY"), m_display);
    return env;
}

QProcess *XDesktop::startPart(const QString &program, const QStringList &arguments)
{
    auto part = std::make_unique<QProcess>();
    part->setProcessEnvironment(environment());
    part->setStandardInputFile(QProcess::nullDevice());
    if (program != QStringLiteral("Xvfb"))
        part->setStandardOutputFile(QProcess::nullDevice());
    part->start(program, arguments);
    if (!part->waitForStarted(10000))
        throw std::runtime_error("cannot start " + program.toStdString());
    m_parts.push_back(std::move(part));
    return m_parts.back().get();
}

QString XDesktop::run(const QString &program, const QStringList &arguments) const
{
    QProcess tool;
    tool.setProcessEnvironment(environment());
    tool.start(program, arguments);
    if (!tool.waitForFinished(10000)) {
        tool.kill();
        tool.waitForFinished(1000);
        return {};
    }
    return QString::fromLocal8Bit(tool.readAllStandardOutput());
}

QString XDesktop::mapState(unsigned long window) const
{
    const QString info =
        run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), QString::number(window)});
    const qsizetype at = info.indexOf(QStringLiteral("Map State:"));
    return at < 0 ? QString() : info.mid(at + 10).section(QLatin1Char('\n'), 0, 0).trimmed();
}

QRect XDesktop::frameOf(unsigned long window) const
{
    if (mapState(window) != QStringLiteral("IsViewable"))
        return {};
    const QString id = QString::number(window);
    // "_NET_FRAME_EXTENTS(CARDINAL) = left, right, top, bottom"
    const QStringList extents = run(QStringLiteral("xprop"), {QStringLiteral("-id"), id,
                                                              QStringLiteral("_NET_FRAME_EXTENTS")})
                                    .section(QLatin1Char('='), 1)
                                    .split(QLatin1Char(','));
    if (extents.size() != 4)
        return {};
    const QString info = run(QStringLiteral("xwininfo"), {QStringLiteral("-id"), id});
    const auto field = [&info](const char *name) {
        const QString label = QLatin1String(name) + QLatin1Char(':');
        const qsizetype at = info.indexOf(label);
        if (at < 0)
            return 0;
        return info.mid(at + label.size()).section(QLatin1Char('\n'), 0, 0).trimmed().toInt();
    };
    const QRect client(field("Absolute upper-left X"), field("Absolute upper-left Y"),
                       field("Width"), field("Height"));
    return client.adjusted(-extents[0].trimmed().toInt(), -extents[2].trimmed().toInt(),
                           extents[1].trimmed().toInt(), extents[3].trimmed().toInt());
}

bool XDesktop::waitFor(const std::function<bool()> &condition, int limitMs) const
{
    QDeadlineTimer deadline(limitMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

}  // namespace kestrix::test
