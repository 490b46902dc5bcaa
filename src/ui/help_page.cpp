#include "ui/help_page.h"

#include "ui/browser.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#ifndef KESTRIX_HELP_PAGE_RELATIVE
#define KESTRIX_HELP_PAGE_RELATIVE "../share/doc/kestrix/kestrix-help.html"
#endif
#ifndef KESTRIX_HELP_PAGE_INSTALLED
#define KESTRIX_HELP_PAGE_INSTALLED "/usr/share/doc/kestrix/kestrix-help.html"
#endif

namespace kestrix {

QString helpPagePath()
{
    const QDir programDir(QCoreApplication::applicationDirPath());
    const QString candidates[] = {
        programDir.filePath(QStringLiteral("kestrix-help.html")),
        QDir::cleanPath(programDir.filePath(QStringLiteral(KESTRIX_HELP_PAGE_RELATIVE))),
        QStringLiteral(KESTRIX_HELP_PAGE_INSTALLED),
    };
    for (const QString &path : candidates) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

bool openHelpPage()
{
    const QString path = helpPagePath();
    return !path.isEmpty() && openInBrowser(QUrl::fromLocalFile(path));
}

}  // namespace kestrix
