#include "ui/form2_update.h"

#include "text/body_text.h"

#include "ui/ui_widgets.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

namespace kestrix {

namespace {

QLabel *boldLabel(const char *name, const char *text, QWidget *parent)
{
    QLabel *label = named(new QLabel(L1(text), parent), name);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}

}  // namespace

TForm2::TForm2(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      Label4(named(new QLabel(L1("Installed Version"), this), "Label4")),
      Label5(named(new QLabel(this), "Label5")),
      Label3(boldLabel("Label3", "What's new ?", this)),
      Label2(boldLabel("Label2", "", this)),
      Memo1(named(new QPlainTextEdit(this), "Memo1")),
      Label1(boldLabel("Label1", "Open Web-Browser for Update ?", this)),
      BitBtn2(named(new QPushButton(L1("&Yes"), this), "BitBtn2")),
      BitBtn1(named(new QPushButton(L1("&No"), this), "BitBtn1")),
      CheckBox1(named(new QCheckBox(L1("Don't automatically check for updates  !"), this),
                      "CheckBox1"))
{
    setObjectName(L1("TForm2"));
    setWindowTitle(L1("Check for Updates"));
    setModal(true);
    setSizeGripEnabled(true);

    auto *installed = named(new QGroupBox(this), "GroupBox1");
    auto *installedColumn = new QVBoxLayout(installed);
    installedColumn->addWidget(Label4);
    installedColumn->addWidget(Label5);

    auto *news = named(new QGroupBox(this), "GroupBox2");
    auto *newsColumn = new QVBoxLayout(news);
    Label2->setAlignment(Qt::AlignHCenter);
    QPalette navy = Label2->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    Label2->setPalette(navy);
    Memo1->setReadOnly(true);
    newsColumn->addWidget(Label3);
    newsColumn->addWidget(Label2);
    newsColumn->addWidget(Memo1, 1);
    newsColumn->addWidget(Label1);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(BitBtn2);
    buttons->addWidget(BitBtn1);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    column->addWidget(installed);
    column->addWidget(news, 1);
    column->addLayout(buttons);
    column->addWidget(CheckBox1);

    // The dialog keeps its designed size even where the fonts make the texts wider; the user
    // may size it.
    column->setSizeConstraint(QLayout::SetNoConstraint);
    Label2->setWordWrap(true);

    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn1, &QPushButton::clicked, this, &QDialog::reject);
    resize(std::max(262, CheckBox1->sizeHint().width() + 16), 328);
}

void TForm2::showTexts(const UpdateDialogTexts &texts)
{
    Label5->setText(fromBytes(texts.installedVersion));
    Label2->setText(fromBytes(texts.newVersion));
    // The page names no charset the client keeps: UTF-8 when the notes are valid UTF-8.
    std::string notes;
    for (std::size_t i = 0; i < texts.notes.size(); ++i) {
        if (i > 0)
            notes += '\n';
        notes += texts.notes[i];
    }
    Memo1->setPlainText(bodyText(notes, {}));
    CheckBox1->setChecked(texts.dontCheck);
}

bool TForm2::ask(UpdateDialogTexts &texts)
{
    showTexts(texts);
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    const bool yes = exec() == QDialog::Accepted;
    texts.dontCheck = CheckBox1->isChecked();
    return yes;
}

}  // namespace kestrix
