// The profile settings as the window holds them: the controls of the configuration page, the
// window's place and size, the split of the messages page and the grid's row height.
#include "ui/form1.h"

#include "ui/config_page.h"
#include "ui/messages_page.h"
#include "ui/start_page.h"
#include "ui/status_bar.h"
#include "ui/ui_widgets.h"
#include "ui/window_place.h"
#include "ui/wrap_grid.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QSpinBox>
#include <QTimer>
#include <QAbstractButton>

#include <cmath>

namespace kestrix {

namespace {

// A column's share of the width beside column 0, in whole percent.
int columnPercent(int width, int besideNumber)
{
    const long rounded = std::lround(10000.0 * width / besideNumber);
    return int(rounded / 100);
}

}  // namespace

void TForm1::showSettings(const ProfileSettings &s)
{
    configPage->showSettings(s);
    statusArea->CheckBox2->setChecked(s.IncrementalDownload);
    messagesPage->SpinEdit3->setValue(s.RowHeight);
    startPage->Label21->setText(QString::number(s.DeletedCount));
}

void TForm1::collectSettings(ProfileSettings &s) const
{
    configPage->collectSettings(s);
    s.IncrementalDownload = statusArea->CheckBox2->isChecked();
    storeGeometry(s);
}

void TForm1::applyGeometry(const ProfileSettings &s)
{
    QRect frame(s.WindowLeft, s.WindowTop, std::max(s.WindowWidth, 1),
                std::max(s.WindowHeight, 1));
    // A place saved on a screen that is gone would leave the window out of sight: keep it on
    // a screen that is there.
    bool onScreen = false;
    for (const QScreen *screen : QGuiApplication::screens())
        onScreen = onScreen || screen->availableGeometry().intersects(frame);
    if (!onScreen && QGuiApplication::primaryScreen()) {
        const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
        frame.moveTopLeft(available.topLeft());
    }
    if (!m_windowPlace)
        m_windowPlace = new WindowPlace(*this);
    m_windowPlace->restore(frame);
    messagesPage->setSplitRatio(std::max(0.4, s.SplitRatio));
    messagesPage->SpinEdit3->setValue(s.RowHeight);
    messagesPage->stringgrid1->setDefaultRowHeight(messagesPage->SpinEdit3->value());
    fitLayout();
    Timer5->start();
}

void TForm1::storeGeometry(ProfileSettings &s) const
{
    // The frame's top left corner and the client area's size, as applyGeometry restores them.
    const QRect place = m_windowPlace ? m_windowPlace->place()
                                      : QRect(pos(), (isMaximized() || isMinimized())
                                                         ? normalGeometry().size()
                                                         : size());
    s.WindowLeft = place.left();
    s.WindowTop = place.top();
    s.WindowWidth = place.width();
    s.WindowHeight = place.height();
    s.SplitRatio = messagesPage->splitRatio();
    s.RowHeight = messagesPage->SpinEdit3->value();
    const TWrapGrid *grid = messagesPage->stringgrid1;
    const int beside = grid->viewport()->width() - grid->columnWidth(0);
    if (beside > 0) {
        s.Col1Percent = columnPercent(grid->columnWidth(1), beside);
        s.Col2Percent = columnPercent(grid->columnWidth(2), beside);
    }
}

}  // namespace kestrix
