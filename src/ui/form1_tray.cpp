// The window's side of the tray icon: the icon goes into the notification area when the desktop
// has one, and its clicks and menu items run the tray rules (TrayControl). While the icon is
// there the window's own close and minimise only hide the window; "&Exit" ends the program
// whatever state the window is in.
#include "ui/form1.h"

#include "screening/screener.h"
#include "screening/tray_control.h"
#include "ui/messages_page.h"
#include "ui/status_bar.h"
#include "ui/top_bar.h"
#include "ui/tray_icon.h"
#include "ui/ui_widgets.h"
#include "ui/wrap_grid.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

namespace kestrix {

void TForm1::createTrayIcon()
{
    if (m_tray || !QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_tray = new TTBNArea(this);
    TBNArea1 = m_tray->TBNArea1;
    PopupMenu1 = m_tray->PopupMenu1;
    connect(m_tray, &TTBNArea::leftClicked, this, &TForm1::TBNArea1LeftClick);
    connect(m_tray, &TTBNArea::menuOpening, this,
            [this] { m_tray->Hide1->setVisible(isVisible()); });
    connect(m_tray, &TTBNArea::hideChosen, this, [this] {
        if (isVisible())
            hide();
    });
    connect(m_tray, &TTBNArea::showChosen, this, &TForm1::showFromTray);
    connect(m_tray, &TTBNArea::getMessagesChosen, this, [this] {
        if (m_trayControl)
            m_trayControl->getMessagesItem();
        else
            showFromTray();
    });
    connect(m_tray, &TTBNArea::mailToolChosen, this, [this] {
        if (m_trayControl)
            m_trayControl->mailToolItem();
    });
    connect(m_tray, &TTBNArea::exitChosen, this, &TForm1::exitProgram);
    m_tray->setNewMail(!statusArea->Image3->isHidden());
    if (!statusArea->ProtectionIndicator->isHidden())
        m_tray->setProtectionTip(statusArea->ProtectionIndicator->toolTip());
    m_tray->setMailToolEnabled(topBar->SpeedButton6->isEnabled());
    m_tray->setEnabled(true);
    setTrayIconPresent(true);
}

void TForm1::TBNArea1LeftClick()
{
    if (m_trayControl)
        m_trayControl->leftClick();
    else
        showFromTray();
}

void TForm1::showFromTray()
{
    // A window minimised to the tray comes back in its normal state.
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    QCoreApplication::processEvents();
}

void TForm1::exitProgram()
{
    m_exiting = true;
    close();
}

bool TForm1::hideAfterCheck() const { return m_trayControl && m_trayControl->hideAfterCheck(); }

void TForm1::stayShownAfterCheck()
{
    if (m_trayControl)
        m_trayControl->stayShown();
}

class TForm1::TrayWindowSide : public TrayWindow {
public:
    explicit TrayWindowSide(TForm1 &form) : m_form(form) {}
    bool visible() const override { return m_form.isVisible(); }
    bool active() const override { return m_form.isVisible() && m_form.isActiveWindow(); }
    void showNormal() override { m_form.showFromTray(); }
    void hide() override { m_form.HideWindow(); }
    bool unknownBannerShown() const override { return !m_form.messagesPage->Panel3->isHidden(); }
    void restoreGridColour() override
    {
        QWidget *grid = m_form.messagesPage->stringgrid1;
        QPalette palette = grid->palette();
        palette.setColor(QPalette::Base, QApplication::palette().color(QPalette::Base));
        grid->setPalette(palette);
    }
    void notify(const std::string &text) override
    {
        if (m_form.m_tray)
            m_form.m_tray->notify(fromBytes(text));
    }

private:
    TForm1 &m_form;
};

void TForm1::attachTrayControl(Screener &screener)
{
    m_trayControl.reset();
    m_trayWindow = std::make_unique<TrayWindowSide>(*this);
    m_trayControl = std::make_unique<TrayControl>(screener, *m_trayWindow);
}

}  // namespace kestrix

