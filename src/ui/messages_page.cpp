// The messages page (this): the banners, the button row, the message grid with its status
// line, the splitter and the header details pane; and the grid's context menu.
#include "ui/messages_page.h"

#include "ui/app_icon.h"
#include "ui/grid_paint_rules.h"
#include "ui/ui_widgets.h"
#include "ui/wrap_grid.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace kestrix {

MessagesPage::MessagesPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(L1("TabSheet3"));
    build();
    connectControls();
}

void MessagesPage::build()
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    buildBanners();
    column->addWidget(Panel4);

    Splitter1 = named(new QSplitter(Qt::Vertical, this), "Splitter1");
    Splitter1->setChildrenCollapsible(false);
    column->addWidget(Splitter1, 1);

    Panel14 = named(new QFrame(Splitter1), "Panel14");
    auto *list = new QVBoxLayout(Panel14);
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(0);

    buildButtonRow();
    list->addWidget(Panel1);

    stringgrid1 = named(new TWrapGrid(Panel14), "stringgrid1");
    list->addWidget(stringgrid1, 1);

    buildStatusLine();
    list->addWidget(Panel2);

    buildDetailsPane();

    Splitter1->addWidget(Panel14);
    Splitter1->addWidget(Memo2);
    Splitter1->setStretchFactor(0, 0);
    Splitter1->setStretchFactor(1, 1);

    buildContextMenu();
}

// Banner area: one of the two banners shows after a download or reclassify run.
void MessagesPage::buildBanners()
{
    Panel4 = named(new QFrame(this), "Panel4");
    Panel4->setFixedHeight(23);
    auto *banners = new QHBoxLayout(Panel4);
    banners->setContentsMargins(0, 0, 0, 0);
    banners->setSpacing(0);
    Panel3 = named(new CaptionPanel(
        L1("E-mails from unknown senders (possible SPAM-Mails/ Virus-Mails):"), Panel4), "Panel3");
    setBackground(Panel3, colours::yellow);
    {
        auto *row = static_cast<QHBoxLayout *>(Panel3->layout());
        shape5 = named(new QLabel(Panel3), "shape5");
        shape4 = named(new QLabel(Panel3), "shape4");
        shape5->setPixmap(bannerPicture(16));
        shape4->setPixmap(bannerPicture(16));
        row->insertWidget(0, shape5);
        row->addWidget(shape4);
        QFont bold = Panel3->captionLabel()->font();
        bold.setBold(true);
        Panel3->captionLabel()->setFont(bold);
    }
    Panel3->hide();
    Panel12 = named(new CaptionPanel(QString(), Panel4), "Panel12");
    setBackground(Panel12, QColor(200, 240, 200));
    Label24 = named(Panel12->captionLabel(), "Label24");
    Panel12->hide();
    banners->addWidget(Panel3);
    banners->addWidget(Panel12);
}

// The button row above the grid.
void MessagesPage::buildButtonRow()
{
    Panel1 = named(new QFrame(Panel14), "Panel1");
    Panel1->setFixedHeight(40);
    setShadedBackground(Panel1, QColor(228, 232, 240), QColor(204, 210, 222));
    auto *buttons = new QHBoxLayout(Panel1);
    buttons->setContentsMargins(6, 4, 6, 4);
    buttons->setSpacing(4);
    button7 = named(new QPushButton(L1("Add to whitelist"), Panel1), "button7",
                    "Accept selected mail(s)");
    SpeedButton24 = makeSpeedButton("SpeedButton24", "&M", "Read selected Message", Panel1);
    button10 = named(new QPushButton(L1("Delete selected unknown"), Panel1), "button10",
                     "Delete selected mail(s) at POP3 server");
    ButtonRead = named(new QPushButton(L1("Read message"), Panel1), "ButtonRead",
                       "Read the selected message (it stays on the server)");
    SpeedButton27 = makeSpeedButton("SpeedButton27", "Select known bad or blacklisted ",
                                    "Delete mail(s) with known bad subject or known bad address "
                                    "or blacklist content", Panel1);
    Button66 = named(new QPushButton(L1("Select all unknown"), Panel1), "Button66",
                     "Select multiple mails");
    SpeedButton31 = makeSpeedButton("SpeedButton31", "Remove from whitelist",
                                    "Accept selected mail(s)", Panel1);
    SpeedButton32 = makeArrowButton("SpeedButton32", Qt::UpArrow, "previous unknown sender", Panel1);
    SpeedButton33 = makeArrowButton("SpeedButton33", Qt::DownArrow, "next unknown sender", Panel1);
    SpeedButton32->setAutoRaise(false);
    SpeedButton33->setAutoRaise(false);
    for (QWidget *w : std::initializer_list<QWidget *>{button7, button10, ButtonRead, SpeedButton27, Button66,
                                                       SpeedButton31, SpeedButton32,
                                                       SpeedButton33})
        w->setEnabled(false);
    SpeedButton24->hide();
    SpeedButton27->setAutoRaise(false);
    SpeedButton31->setAutoRaise(false);
    buttons->addWidget(button7);
    buttons->addWidget(SpeedButton24);
    buttons->addWidget(button10);
    buttons->addWidget(ButtonRead);
    buttons->addWidget(SpeedButton27);
    buttons->addWidget(Button66);
    buttons->addWidget(SpeedButton31);
    buttons->addStretch(1);
    buttons->addWidget(SpeedButton32);
    buttons->addWidget(SpeedButton33);
}

// The grid's status line.
void MessagesPage::buildStatusLine()
{
    Panel2 = named(new QFrame(Panel14), "Panel2");
    Panel2->setFixedHeight(24);
    Panel2->setFrameShape(QFrame::StyledPanel);
    auto *status = new QHBoxLayout(Panel2);
    status->setContentsMargins(4, 1, 3, 1);
    status->setSpacing(6);
    Label7 = named(new QLabel(L1("Messages"), Panel2), "Label7");
    Label8 = named(new QLabel(Panel2), "Label8");
    Label51 = named(new QLabel(L1("Selection:"), Panel2), "Label51");
    Label6 = named(new QLabel(Panel2), "Label6");
    Label6->setMinimumWidth(50);
    Shape3 = named(new QFrame(Panel2), "Shape3");
    Shape3->setFixedSize(190, 18);
    Shape3->setStyleSheet(QStringLiteral(
        "QFrame#Shape3 { background: rgb(160,160,160); border-radius: 8px; }"));
    Shape2 = named(new QFrame(Shape3), "Shape2");
    Shape2->setGeometry(3, 2, 184, 14);
    Label52 = named(new QLabel(Shape2), "Label52");
    Label52->setAlignment(Qt::AlignCenter);
    Label52->setGeometry(0, 0, 184, 14);
    Shape2->hide();
    Label48 = named(new QLabel(L1("Row Height"), Panel2), "Label48");
    SpinEdit3 = named(new QSpinBox(Panel2), "SpinEdit3");
    SpinEdit3->setRange(5, 50);
    SpinEdit3->setValue(20);
    Label53 = named(new QLabel(Panel2), "Label53", "Mail Count");
    StaticText1 = named(new QLabel(L1("No Text ?"), Panel2), "StaticText1");
    StaticText1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    StaticText1->hide();
    status->addWidget(Label7);
    status->addWidget(Label8);
    status->addSpacing(8);
    status->addWidget(Label51);
    status->addWidget(Label6);
    status->addWidget(Shape3);
    status->addStretch(1);
    status->addWidget(Label48);
    status->addWidget(SpinEdit3);
    status->addWidget(Label53);
    status->addWidget(StaticText1);
}

// The header details pane under the grid.
void MessagesPage::buildDetailsPane()
{
    Memo2 = named(new QPlainTextEdit(Splitter1), "Memo2", "Detailed message headers");
    Memo2->setReadOnly(true);
    Memo2->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo2->setFrameShape(QFrame::NoFrame);
    Memo2->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixed(QStringLiteral("Monospace"), 9);
    fixed.setStyleHint(QFont::TypeWriter);
    Memo2->setFont(fixed);
    setBackground(Memo2, colours::cream);
}

// The grid's context menu.
void MessagesPage::buildContextMenu()
{
    PopupMenu2 = named(new QMenu(this), "PopupMenu2");
    RemoveFromWhitelist1 = named(PopupMenu2->addAction(L1("&Remove from whitelist")),
                                 "RemoveFromWhitelist1");
    AddToWhitelist1 = named(PopupMenu2->addAction(L1("&Add to whitelist")), "AddToWhitelist1");
    MarkAsSpam1 = named(PopupMenu2->addAction(L1("Mark as spam")), "MarkAsSpam1");
    MarkAsGood1 = named(PopupMenu2->addAction(L1("Mark as good")), "MarkAsGood1");
    PopupMenu2->addSeparator();
    SelectKnownBad1 = named(PopupMenu2->addAction(L1("Select &Known Bad or blacklisted")),
                            "SelectKnownBad1");
    SelectAllUnknown1 = named(PopupMenu2->addAction(L1("Select all unknown")),
                              "SelectAllUnknown1");
    PopupMenu2->addSeparator();
    ReadMessage1 = named(PopupMenu2->addAction(L1("Read message")), "ReadMessage1");
    Deleteselectedmails1 = named(PopupMenu2->addAction(L1("Delete selected mail")),
                                 "Deleteselectedmails1");
    for (QAction *a : {RemoveFromWhitelist1, AddToWhitelist1, SelectKnownBad1, SelectAllUnknown1})
        a->setEnabled(false);
    // Three of the menu's items are the command bar's buttons again: they are usable exactly
    // when their button is.
    followEnabled(SpeedButton27, SelectKnownBad1);
    followEnabled(Button66, SelectAllUnknown1);
    followEnabled(button10, Deleteselectedmails1);
    // Reading needs one selected row, as "&M" does in the diagnostic mode.
    followEnabled(SpeedButton24, ButtonRead);
}

}  // namespace kestrix
