#include "ui/tray_icon.h"

#include "ui/app_icon.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QSystemTrayIcon>

namespace kestrix {

namespace {

QIcon trayIcon(bool newMail)
{
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64})
        icon.addPixmap(trayPicture(size, newMail));
    return icon;
}

}  // namespace

// Lines fall on whole pixels and the shapes are few, so the picture reads at 16 pixels.
QPixmap trayPicture(int size, bool newMail)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, size > 22);
    const int s = size;
    const int line = std::max(1, s / 16);
    // The blue tile.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(34, 78, 160));
    p.drawRoundedRect(QRect(0, 0, s, s), s / 6.0, s / 6.0);
    // The envelope: white body, dark outline and flap.
    const int left = s * 3 / 16, right = s - s * 3 / 16 - 1;
    const int top = s * 5 / 16, bottom = s - s * 4 / 16 - 1;
    p.setBrush(QColor(255, 255, 255));
    p.setPen(QPen(QColor(16, 24, 48), line, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.drawRect(QRect(left, top, right - left, bottom - top));
    p.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath flap;
    flap.moveTo(left + 0.5, top + 0.5);
    flap.lineTo((left + right) / 2.0 + 0.5, top + (bottom - top) * 0.6);
    flap.lineTo(right + 0.5, top + 0.5);
    p.setBrush(Qt::NoBrush);
    p.drawPath(flap);
    if (newMail) {
        // A red badge with a white rim in the upper right corner.
        const qreal d = s * 0.5;
        const QRectF badge(s - d, 0, d, d);
        p.setPen(QPen(QColor(255, 255, 255), std::max(1.0, s / 16.0)));
        p.setBrush(QColor(220, 30, 30));
        p.drawEllipse(badge.adjusted(0.5, 0.5, -0.5, -0.5));
    }
    return pixmap;
}

TTBNArea::TTBNArea(QObject *window) : QObject(window)
{
    setObjectName(QStringLiteral("TTBNArea"));
    PopupMenu1 = new QMenu();
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    const auto item = [this](const char *name, const char *caption) {
        QAction *action = PopupMenu1->addAction(QString::fromLatin1(caption));
        action->setObjectName(QString::fromLatin1(name));
        return action;
    };
    Hide1 = item("Hide1", "&Hide");
    Show1 = item("Show1", "&Show");
    GetMessages1 = item("GetMessages1", "&Get Messages");
    // Two items of the menu's design that are never shown.
    item("Test1", "Test")->setVisible(false);
    item("GetandCheck1", "Get and &Check")->setVisible(false);
    PopupMenu1->addSeparator();
    Mailtool1 = item("Mailtool1", "Mailtool");
    Mailtool1->setEnabled(false);
    PopupMenu1->addSeparator();
    Exit1 = item("Exit1", "&Exit");
    Exit1->setIcon(exitIcon());

    connect(Hide1, &QAction::triggered, this, &TTBNArea::hideChosen);
    connect(Show1, &QAction::triggered, this, &TTBNArea::showChosen);
    connect(GetMessages1, &QAction::triggered, this, &TTBNArea::getMessagesChosen);
    connect(Mailtool1, &QAction::triggered, this, &TTBNArea::mailToolChosen);
    connect(Exit1, &QAction::triggered, this, &TTBNArea::exitChosen);
    connect(PopupMenu1, &QMenu::aboutToShow, this, &TTBNArea::menuOpening);

    TBNArea1 = new QSystemTrayIcon(trayIcon(false), this);
    TBNArea1->setObjectName(QStringLiteral("TBNArea1"));
    TBNArea1->setToolTip(QStringLiteral("Kestrix for POP3"));
    TBNArea1->setContextMenu(PopupMenu1);
    connect(TBNArea1, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::Trigger)
                    emit leftClicked();
            });
}

TTBNArea::~TTBNArea()
{
    TBNArea1->hide();
    delete PopupMenu1;
}

void TTBNArea::setEnabled(bool enabled) { TBNArea1->setVisible(enabled); }

bool TTBNArea::enabled() const { return TBNArea1->isVisible(); }

void TTBNArea::setNewMail(bool newMail)
{
    if (newMail == m_newMail)
        return;
    m_newMail = newMail;
    TBNArea1->setIcon(trayIcon(newMail));
}

void TTBNArea::setTip(const QString &tip)
{
    // The tray keeps at most 63 characters of a tip.
    TBNArea1->setToolTip(tip.left(63));
}

void TTBNArea::setProtectionTip(const QString &protection)
{
    const QString name = QStringLiteral("Kestrix for POP3");
    TBNArea1->setToolTip(protection.isEmpty() ? name : name + QStringLiteral("\n") + protection);
}

void TTBNArea::notify(const QString &text)
{
    TBNArea1->showMessage(QStringLiteral("Kestrix for POP3"), text, trayIcon(true), 10000);
}

void TTBNArea::setMailToolEnabled(bool enabled) { Mailtool1->setEnabled(enabled); }

}  // namespace kestrix
