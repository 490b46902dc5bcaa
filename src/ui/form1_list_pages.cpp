// The page shells of the whitelist (TabSheet4), the rejected-mail log (TabSheet6) and the
// blacklist (TabSheet7), with the count captions the window sets when they are shown. Their
// lists and buttons are added by the whitelist, log and blacklist code.
#include "ui/form1.h"

#include "ui/ui_widgets.h"

#include <QLabel>
#include <QVBoxLayout>

namespace kestrix {

void TForm1::buildListPages()
{
    {
        auto *column = new QVBoxLayout(TabSheet4);
        column->setContentsMargins(8, 8, 8, 8);
        auto *header = named(new QFrame(TabSheet4), "Image10");
        header->setStyleSheet(QStringLiteral(
            "QFrame#Image10 { background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
            " stop:0 rgb(228,232,240), stop:1 rgb(204,210,222)); }"));
        auto *headerRow = new QHBoxLayout(header);
        Label25 = named(new QLabel(L1("0 trusted addresses"), header), "Label25");
        Label13 = named(new QLabel(L1("0 trusted addresses"), header), "Label13");
        Label10 = named(new QLabel(header), "Label10");
        QFont bold = Label25->font();
        bold.setBold(true);
        Label25->setFont(bold);
        headerRow->addWidget(Label25);
        headerRow->addStretch(1);
        headerRow->addWidget(Label10);
        headerRow->addWidget(Label13);
        column->addWidget(header);
        column->addStretch(1);
    }
    {
        auto *column = new QVBoxLayout(TabSheet6);
        column->setContentsMargins(8, 8, 8, 8);
        Panel13 = named(new CaptionPanel(L1("Logfile of deleted e-mails"), TabSheet6), "Panel13");
        column->addWidget(Panel13);
        column->addStretch(1);
    }
    {
        auto *column = new QVBoxLayout(TabSheet7);
        column->setContentsMargins(8, 8, 8, 8);
        auto *intro = named(new QLabel(L1("An e-mail header will be highlighted as blacklisted "
                                          "for unknown senders, if one of the words in the list "
                                          "is part of subject or address"), TabSheet7),
                            "Label49");
        intro->setWordWrap(true);
        column->addWidget(intro);
        column->addStretch(1);
    }
}

}  // namespace kestrix
