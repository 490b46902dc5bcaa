#include "ui/form3_new_profile.h"

#include "ui/ui_widgets.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace kestrix {

TForm3::TForm3(QWidget *parent)
    // A fixed tool dialog: a title and a close button, nothing to minimise or maximise.
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      Edit1(named(new QLineEdit(this), "Edit1")),
      BitBtn1(named(new QPushButton(L1("Cancel"), this), "BitBtn1")),
      BitBtn2(named(new QPushButton(L1("OK"), this), "BitBtn2"))
{
    setObjectName(L1("TForm3"));
    setWindowTitle(L1("New Profile"));
    setModal(true);
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 10, 12, 10);
    grid->addWidget(named(new QLabel(L1("Enter new profile name :"), this), "Label1"), 0, 0, 1, 2);
    grid->addWidget(Edit1, 1, 0, 1, 2);
    grid->addWidget(BitBtn1, 2, 0);
    grid->addWidget(BitBtn2, 2, 1);
    BitBtn2->setDefault(true);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(sizeHint().expandedTo(QSize(217, 87)));
}

void TForm3::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    Edit1->setFocus();
}

}  // namespace kestrix
