#include "ui/browser.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>

namespace kestrix {

namespace {

bool browserFound(const QUrl &url)
{
    if (!qEnvironmentVariableIsEmpty("BROWSER"))
        return true;
    for (const char *command : {"x-www-browser", "www-browser", "firefox",
                                "firefox-esr", "chromium", "google-chrome", "epiphany-browser",
                                "konqueror", "falkon"}) {
        if (!QStandardPaths::findExecutable(QString::fromLatin1(command)).isEmpty())
            return true;
    }
    const QString type = url.isLocalFile() ? QStringLiteral("text/html")
                                           : QStringLiteral("x-scheme-handler/") + url.scheme();
    QProcess query;
    query.start(QStringLiteral("xdg-mime"), {QStringLiteral("query"), QStringLiteral("default"), type});
    if (!query.waitForFinished(3000))
        return false;
    return !query.readAllStandardOutput().trimmed().isEmpty();
}

}  // namespace

bool openInBrowser(const QUrl &url)
{
    return browserFound(url) && QDesktopServices::openUrl(url);
}

}  // namespace kestrix
