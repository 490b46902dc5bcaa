// The profile settings as the window holds them: the controls of the configuration page, the
// window's place and size, the split of the messages page and the grid's row height.
#include "ui/form1.h"

#include "ui/ui_widgets.h"
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
    Edit1->setText(fromBytes(s.Host));
    Edit2->setText(fromBytes(s.Port));
    m_acceptedPort = Edit2->text();
    Edit3->setText(fromBytes(s.UserId));
    SpinEdit1->setValue(s.NotifyLimit);
    Edit5->setText(fromBytes(s.MailToolPath));
    CheckBox2->setChecked(s.IncrementalDownload);
    CheckBox3->setChecked(s.HideOnMailTool);
    Edit6->setText(fromBytes(s.MailToolParams));
    updateMailToolButtons();
    if (QAbstractButton *item = RadioGroup1Items->button(s.TrayAction == 0 ? 0 : 1))
        item->setChecked(true);
    SpinEdit2->setValue(s.CheckInterval);
    CheckBox4->setChecked(s.LogRejected);
    CheckBox7->setChecked(s.CheckAfterDownload);
    CheckBox6->setChecked(s.DailyUpdateCheck);
    SpinEdit3->setValue(s.RowHeight);
    Label21->setText(QString::number(s.DeletedCount));
}

void TForm1::collectSettings(ProfileSettings &s) const
{
    s.Host = toBytes(Edit1->text());
    s.Port = toBytes(Edit2->text());
    s.UserId = toBytes(Edit3->text());
    s.NotifyLimit = SpinEdit1->value();
    s.MailToolPath = toBytes(Edit5->text());
    s.IncrementalDownload = CheckBox2->isChecked();
    s.HideOnMailTool = CheckBox3->isChecked();
    s.MailToolParams = toBytes(Edit6->text());
    s.TrayAction = RadioGroup1Items->checkedId() == 0 ? 0 : 1;
    s.CheckInterval = SpinEdit2->value();
    s.LogRejected = CheckBox4->isChecked();
    s.CheckAfterDownload = CheckBox7->isChecked();
    s.DailyUpdateCheck = CheckBox6->isChecked();
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
    move(frame.topLeft());
    resize(frame.size());
    m_splitRatio = std::max(0.4, s.SplitRatio);
    SpinEdit3->setValue(s.RowHeight);
    stringgrid1->setDefaultRowHeight(SpinEdit3->value());
    fitLayout();
    Timer5->start();
}

void TForm1::storeGeometry(ProfileSettings &s) const
{
    const QRect frame = (isMaximized() || isMinimized()) ? normalGeometry() : geometry();
    s.WindowLeft = pos().x();
    s.WindowTop = pos().y();
    s.WindowWidth = frame.width();
    s.WindowHeight = frame.height();
    s.SplitRatio = m_splitRatio;
    s.RowHeight = SpinEdit3->value();
    const int beside = stringgrid1->viewport()->width() - stringgrid1->columnWidth(0);
    if (beside > 0) {
        s.Col1Percent = columnPercent(stringgrid1->columnWidth(1), beside);
        s.Col2Percent = columnPercent(stringgrid1->columnWidth(2), beside);
    }
}

}  // namespace kestrix
