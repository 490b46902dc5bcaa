#include "ui/form5_download_control.h"

#include "ui/ui_widgets.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace kestrix {

TForm5::TForm5(QWidget *parent)
    // A fixed dialog: a title and a close button, nothing to minimise or maximise.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      SpinEdit1(named(new QSpinBox(this), "SpinEdit1")),
      BitBtn1(named(new QPushButton(L1("&Yes"), this), "BitBtn1")),
      BitBtn2(named(new QPushButton(L1("&Cancel"), this), "BitBtn2"))
{
    setObjectName(L1("TForm5"));
    setWindowTitle(L1("Download Control"));
    setModal(true);
    SpinEdit1->setMinimum(0);
    SpinEdit1->setMaximum(10000);
    SpinEdit1->setKeyboardTracking(true);

    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(12, 10, 12, 10);
    grid->addWidget(named(new QLabel(L1("Download last "), this), "Label1"), 0, 0);
    grid->addWidget(SpinEdit1, 0, 1);
    grid->addWidget(named(new QLabel(L1("messages ?"), this), "Label2"), 0, 2);
    grid->addWidget(BitBtn1, 1, 0, 1, 2);
    grid->addWidget(BitBtn2, 1, 2);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    // The spin field's line edit gets the keys; Enter there answers Yes with the typed value.
    SpinEdit1->installEventFilter(this);
    setFixedSize(sizeHint().expandedTo(QSize(230, 81)));
}

std::optional<int> TForm5::ask(int maximum, int value)
{
    SpinEdit1->setMaximum(std::max(0, maximum));
    SpinEdit1->setValue(value);
    SpinEdit1->selectAll();
    SpinEdit1->setFocus();
    if (exec() != QDialog::Accepted)
        return std::nullopt;
    return SpinEdit1->value();
}

bool TForm5::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == SpinEdit1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SpinEdit1->interpretText();
            accept();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace kestrix
