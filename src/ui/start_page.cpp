// The start page (TabSheet1): title, addresses, counts and a short description.
#include "ui/start_page.h"

#include "ui/ui_widgets.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QEvent>
#include <QVBoxLayout>

namespace kestrix {

namespace {

const char *const kDescription =
    "Kestrix for POP3 reads the message headers of your mailbox on the POP3 server before "
    "your mail program fetches the mail.\n"
    "\n"
    "A list of accepted addresses (the whitelist) separates the messages of trusted senders "
    "from suspicious ones. Senders and subjects of mail you deleted before are recognised as "
    "known bad, and a list of blacklist words marks suspicious content.\n"
    "\n"
    "Suspicious mail can be removed from the server, so that it never reaches your computer.\n"
    "\n"
    "Program Calling Parameter : ProfileName";

}  // namespace

StartPage::StartPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(L1("TabSheet1"));
    auto *page = this;
    auto *column = new QVBoxLayout(page);
    column->setContentsMargins(16, 12, 16, 12);
    column->setSpacing(10);

    Label5 = named(new QLabel(L1("KESTRIX for POP3"), page), "Label5");
    Label5->setAlignment(Qt::AlignCenter);
    QFont title = Label5->font();
    title.setPointSize(title.pointSize() + 10);
    title.setBold(true);
    Label5->setFont(title);
    setTextColour(Label5, QColor(0, 0, 128));
    column->addWidget(Label5);

    auto *facts = new QGridLayout;
    facts->setHorizontalSpacing(12);
    Label15 = named(new QLabel(page), "Label15");
    Label17 = named(new QLabel(page), "Label17");
    Label19 = named(new QLabel(L1("0"), page), "Label19");
    Label21 = named(new ClickLabel(L1("0"), page), "Label21");
    dataFolderLabel = named(new QLabel(page), "dataFolderLabel");
    dataFolderLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    int row = 0;
    const auto fact = [&](const char *caption, QLabel *value) {
        facts->addWidget(new QLabel(L1(caption), page), row, 0, Qt::AlignRight);
        facts->addWidget(value, row, 1, Qt::AlignLeft);
        QFont bold = value->font();
        bold.setBold(true);
        value->setFont(bold);
        ++row;
    };
    fact("Your IP is:", Label15);
    fact("Server IP:", Label17);
    fact("Count of trusted E-MAIL Addresses: ", Label19);
    fact("Count of deleted SPAM - Mails:", Label21);
    fact("Data folder:", dataFolderLabel);
    facts->setColumnStretch(0, 1);
    facts->setColumnStretch(1, 1);
    column->addLayout(facts);

    // The description box is placed by hand: it stays centred in its panel on every resize.
    Panel10 = named(new QFrame(page), "Panel10");
    Panel10->setFrameShape(QFrame::NoFrame);
    Panel10->setMinimumHeight(140);
    Memo1 = named(new QPlainTextEdit(Panel10), "Memo1");
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setPlainText(L1(kDescription));
    Memo1->document()->setDocumentMargin(12);
    Memo1->resize(460, 200);
    QPalette plain = Memo1->palette();
    plain.setColor(QPalette::Base, QColor(250, 250, 246));
    Memo1->setPalette(plain);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    column->addWidget(Panel10, 1);
    Panel10->installEventFilter(this);
}

void StartPage::showDataFolder(const QString &text)
{
    dataFolderLabel->setText(text);
    dataFolderLabel->setToolTip(text);
}

void StartPage::setLocalIp(const std::string &ip) { m_localIp = ip; }

void StartPage::showLocalIp() { Label15->setText(fromBytes(m_localIp)); }

bool StartPage::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Panel10 && event->type() == QEvent::Resize)
        centreDescription();
    return QWidget::eventFilter(watched, event);
}

void StartPage::centreDescription()
{
    Memo1->resize(std::min(460, std::max(100, Panel10->width() - 16)),
                  std::min(200, std::max(60, Panel10->height() - 16)));
    Memo1->move(Panel10->width() / 2 - Memo1->width() / 2,
                Panel10->height() / 2 - Memo1->height() / 2);
}

}  // namespace kestrix
