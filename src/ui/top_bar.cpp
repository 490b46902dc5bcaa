// The top bar (Panel8): row 1 the page buttons, row 2 the password field, the main button,
// the profile controls and the exit button.
#include "ui/top_bar.h"

#include "ui/app_icon.h"
#include "ui/ui_widgets.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace kestrix {

namespace {

QFrame *separator(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::VLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

// The account label: however long the account, the label never asks for more width than a
// few letters (the window's minimum width does not depend on it); a text that does not fit is
// shown shortened with an ellipsis, and the tooltip holds all of it.
class ElidedLabel : public ClickLabel {
public:
    using ClickLabel::ClickLabel;
    QSize minimumSizeHint() const override
    {
        const QSize hint = ClickLabel::minimumSizeHint();
        return {fontMetrics().horizontalAdvance(QStringLiteral("W\u2026")), hint.height()};
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        const QRect area = contentsRect();
        painter.setFont(font());
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(area, int(alignment()),
                         fontMetrics().elidedText(text(), Qt::ElideRight, area.width()));
    }
};

}  // namespace

void TopBar::showAccount(const QString &account)
{
    Label30->setText(account);
    Label30->setToolTip(account);
}

TopBar::TopBar(QWidget *parent) : QFrame(parent)
{
    setObjectName(L1("Panel8"));
    setFrameShape(QFrame::NoFrame);
    setShadedBackground(this, QColor(236, 240, 248), QColor(200, 208, 224));

    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(4, 2, 4, 2);
    rows->setSpacing(1);

    auto *row1 = new QHBoxLayout;
    row1->setSpacing(0);
    const auto pageButton = [this, row1](const char *name, const char *caption, const char *hint) {
        QToolButton *b = makeSpeedButton(name, caption, hint, this);
        b->setFixedWidth(62);
        row1->addWidget(b);
        return b;
    };
    SpeedButton3 = pageButton("SpeedButton3", "Start", "Go to Start Page");
    SpeedButton4 = pageButton("SpeedButton4", "Messages", "Read Message Headers");
    row1->addWidget(separator(this));
    SpeedButton17 = pageButton("SpeedButton17", "Configure", "Configure Profiles and Accounts");
    SpeedButton18 = pageButton("SpeedButton18", "Whitelist", "Whitelist of accepted Addresses");
    SpeedButton19 = pageButton("SpeedButton19", "Logfile", "Logfile on rejected Addresses");
    SpeedButton7 = pageButton("SpeedButton7", "Blacklist", "Logfile on rejected Addresses");
    SpeedButtonDeletedMail = pageButton("SpeedButtonDeletedMail", "Deleted mail",
                                        "Deleted messages, kept to be restored");
    SpeedButtonDeletedMail->setFixedWidth(76);
    row1->addWidget(separator(this));
    SpeedButton6 = pageButton("SpeedButton6", "Mail Tool", "Your regular Mail Tool");
    SpeedButton13 = pageButton("SpeedButton13", "Hide", "Hide the Program (Restart at Taskbar Icon)");
    row1->addWidget(separator(this));
    SpeedButton20 = pageButton("SpeedButton20", "Updates", "Goto to Program Homepage");
    SpeedButton21 = pageButton("SpeedButton21", "Help", "Start Help here !");
    row1->addStretch(1);
    // A mail tool only becomes usable once a mail program file is configured (Part of the
    // mail-tool settings); until then the button stays off.
    SpeedButton6->setEnabled(false);

    auto *row2 = new QHBoxLayout;
    row2->setSpacing(4);
    Label4 = named(new QLabel(L1("Password:"), this), "Label4");
    Edit4 = named(new QLineEdit(this), "Edit4", "Enter password here !");
    Edit4->setEchoMode(QLineEdit::Password);
    Edit4->setFixedWidth(110);
    Button1 = named(new QPushButton(L1("Configure"), this), "Button1",
                    "Get new E-MAIL Headers from Server");
    Button1->setFixedWidth(169);
    SpeedButton30 = makeSpeedButton("SpeedButton30", "/ All", "Get all E-Mail Headers from Server",
                                    this);
    SpeedButton12 = makeArrowButton("SpeedButton12", Qt::LeftArrow, "Previous Profile", this);
    SpeedButton15 = makeArrowButton("SpeedButton15", Qt::RightArrow, "Next Profile", this);
    Label28 = named(new ClickLabel(L1("Profile:"), this), "Label28");
    Label29 = named(new ClickLabel(L1("default"), this), "Label29", "Current Profile");
    Label32 = named(new ClickLabel(L1("Account:"), this), "Label32");
    Label30 = named(new ElidedLabel(L1("user@server"), this), "Label30", "Current account");
    QFont bold = Label29->font();
    bold.setBold(true);
    Label29->setFont(bold);
    Label30->setFont(bold);
    SpeedButton1 = makeSpeedButton("SpeedButton1", "", "Program Exit", this);
    SpeedButton1->setIcon(exitIcon());
    SpeedButton1->setToolButtonStyle(Qt::ToolButtonIconOnly);

    row2->addWidget(Label4);
    row2->addWidget(Edit4);
    row2->addWidget(Button1);
    row2->addWidget(SpeedButton30);
    row2->addSpacing(8);
    row2->addWidget(SpeedButton12);
    row2->addWidget(SpeedButton15);
    row2->addWidget(Label28);
    row2->addWidget(Label29);
    row2->addSpacing(8);
    row2->addWidget(Label32);
    row2->addWidget(Label30, 1);
    row2->addWidget(SpeedButton1);

    rows->addLayout(row1);
    rows->addLayout(row2);
}

}  // namespace kestrix
