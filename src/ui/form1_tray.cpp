// The tray icon: put into the notification area when the desktop has one. While it is there
// the window's own close only hides the window; "&Exit" ends the program. A left click shows
// the window again.
#include "ui/form1.h"

#include "ui/app_icon.h"
#include "ui/ui_widgets.h"

#include <QAction>
#include <QMenu>
#include <QSystemTrayIcon>

namespace kestrix {

void TForm1::createTrayIcon()
{
    if (TBNArea1 || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(L1("PopupMenu1"));
    QAction *hideItem = PopupMenu1->addAction(L1("&Hide"));
    hideItem->setObjectName(L1("Hide1"));
    QAction *showItem = PopupMenu1->addAction(L1("&Show"));
    showItem->setObjectName(L1("Show1"));
    PopupMenu1->addSeparator();
    QAction *exitItem = PopupMenu1->addAction(L1("&Exit"));
    exitItem->setObjectName(L1("Exit1"));
    connect(hideItem, &QAction::triggered, this, [this] {
        if (isVisible())
            hide();
    });
    const auto showWindow = [this] {
        showNormal();
        raise();
        activateWindow();
    };
    connect(showItem, &QAction::triggered, this, showWindow);
    // "&Exit" always ends the program, busy or not.
    connect(exitItem, &QAction::triggered, this, [this] {
        m_exiting = true;
        close();
    });
    connect(PopupMenu1, &QMenu::aboutToShow, this,
            [this, hideItem] { hideItem->setVisible(isVisible()); });

    TBNArea1 = new QSystemTrayIcon(appIcon(), this);
    TBNArea1->setObjectName(L1("TBNArea1"));
    TBNArea1->setToolTip(L1("Kestrix for POP3"));
    TBNArea1->setContextMenu(PopupMenu1);
    connect(TBNArea1, &QSystemTrayIcon::activated, this,
            [showWindow](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
                    showWindow();
            });
    TBNArea1->show();
    setTrayIconPresent(true);
}

}  // namespace kestrix
