// The thin progress bar and the status bar (Panel9): new-mail picture, status text,
// "Empty Server", "Allow delete of accepted", the update notice and the connection indicator.
#include "ui/status_bar.h"

#include "ui/app_icon.h"
#include "ui/grid_paint_rules.h"
#include "ui/ui_widgets.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace kestrix {

StatusBar::StatusBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(L1("StatusArea"));
    ProgressBar1 = named(new QProgressBar(this), "ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedHeight(8);

    Panel9 = named(new QFrame(this), "Panel9");
    Panel9->setFrameShape(QFrame::StyledPanel);
    Panel9->setFrameShadow(QFrame::Sunken);
    auto *row = new QHBoxLayout(Panel9);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(6);

    Image3 = named(new QLabel(Panel9), "Image3");
    Image3->setPixmap(newMailPicture(16));
    Image3->hide();
    statustext = named(new QLabel(Panel9), "statustext");
    statustext->setMinimumWidth(80);
    statustext->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    SpeedButton2 = makeSpeedButton("SpeedButton2", "Empty Server",
                                   "Delete ALL mail(s) at your POP3 server", Panel9);
    SpeedButton2->setEnabled(false);
    Label46 = named(new QLabel(L1("Allow delete of accepted"), Panel9), "Label46");
    CheckBox1 = named(new QCheckBox(Panel9), "CheckBox1", "Enable delete");
    StaticText2 = named(new ClickLabel(L1("Update Info available !"), Panel9), "StaticText2");
    StaticText2->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StaticText2->setAlignment(Qt::AlignCenter);
    StaticText2->setContentsMargins(6, 0, 6, 0);  // the text clear of its frame and the bar's edge
    StaticText2->hide();
    shape1 = named(new QFrame(Panel9), "shape1", "Connection to POP3 server");
    shape1->setFrameShape(QFrame::Panel);
    shape1->setFrameShadow(QFrame::Sunken);
    shape1->setFixedSize(14, 12);
    setBackground(shape1, colours::silver);
    shape1->hide();
    ProtectionIndicator = named(new QToolButton(Panel9), "ProtectionIndicator");
    ProtectionIndicator->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ProtectionIndicator->setAutoRaise(true);
    ProtectionIndicator->setFocusPolicy(Qt::NoFocus);
    ProtectionIndicator->hide();
    CheckBox2 = named(new QCheckBox(Panel9), "CheckBox2");
    CheckBox2->setChecked(true);
    CheckBox2->hide();

    row->addWidget(Image3);
    row->addWidget(statustext, 1);
    row->addWidget(SpeedButton2);
    row->addWidget(Label46);
    row->addWidget(CheckBox1);
    row->addWidget(StaticText2);
    row->addWidget(ProtectionIndicator);
    row->addWidget(shape1);
    row->addWidget(CheckBox2);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(ProgressBar1);
    column->addWidget(Panel9);
    shape1->installEventFilter(this);
}

void StatusBar::showProtection(bool encrypted, const QString &caption, const QString &tip)
{
    ProtectionIndicator->setIcon(QIcon(lockPicture(16, encrypted)));
    ProtectionIndicator->setText(caption);
    ProtectionIndicator->setToolTip(tip);
    QPalette palette = ProtectionIndicator->palette();
    palette.setColor(QPalette::ButtonText, encrypted ? Panel9->palette().color(QPalette::WindowText)
                                                     : colours::warningOrange);
    ProtectionIndicator->setPalette(palette);
    ProtectionIndicator->show();
}

bool StatusBar::eventFilter(QObject *watched, QEvent *event)
{
    // The indicator starts silver; once a connection has ended it is green, so the next
    // connection's blinking starts from green.
    if (watched == shape1 && event->type() == QEvent::Hide)
        setBackground(shape1, colours::green);
    return QWidget::eventFilter(watched, event);
}

}  // namespace kestrix
