#include "ui/form4_message_reader.h"

#include "mime/attachment_scan.h"
#include "text/body_text.h"
#include "text/display_text.h"
#include "ui/ui_widgets.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTextDocument>
#include <QVBoxLayout>

namespace kestrix {

namespace {

const QColor kSilver(192, 192, 192);
const QColor kGreen(0, 128, 0);
const QColor kMaroon(128, 0, 0);

void paint(QWidget *widget, const QColor &background, const QColor &text = Qt::black)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, background);
    palette.setColor(QPalette::WindowText, text);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

// A one-line value on white, clipped when it is longer than the room it has.
QLabel *valueLabel(const char *name, QWidget *parent)
{
    auto *label = named(new QLabel(parent), name);
    paint(label, Qt::white);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A header text as people read it (encoded words and UTF-8 decoded), as one line for the
// labels (a header value could carry line breaks).
QString oneLine(const std::string &text)
{
    QString line = displayHeaderText(text);
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return line;
}

}  // namespace

TForm4::TForm4(QWidget *parent)
    // A window of its own that stays above its parent, the main window.
    : QWidget(parent, Qt::Window),
      Panel1(named(new QWidget(this), "Panel1")),
      Label4(valueLabel("Label4", Panel1)),
      Label5(valueLabel("Label5", Panel1)),
      Label6(named(new QLabel(Panel1), "Label6")),
      BitBtn1(named(new QPushButton(L1("&Close"), Panel1), "BitBtn1")),
      Splitter1(named(new QSplitter(Qt::Vertical, this), "Splitter1")),
      Splitter2(named(new QSplitter(Qt::Horizontal), "Splitter2")),
      Button1(named(new QPushButton(L1("Delete")), "Button1")),
      FileListBox1(named(new QListWidget, "FileListBox1")),
      Memo1(named(new QPlainTextEdit, "Memo1"))
{
    setObjectName(L1("TForm4"));
    setWindowTitle(L1("Message Reader"));
    setGeometry(196, 127, 497, 430);
    beep = [] { QApplication::beep(); };

    // Top panel: sender, subject, the attached names and the close button.
    paint(Panel1, kSilver);
    Panel1->setFixedHeight(70);
    auto *top = new QGridLayout(Panel1);
    top->setContentsMargins(6, 4, 6, 4);
    top->setVerticalSpacing(2);
    top->addWidget(named(new QLabel(L1("FROM:"), Panel1), "Label2"), 0, 0);
    top->addWidget(Label4, 0, 1);
    top->addWidget(named(new QLabel(L1("SUBJECT:"), Panel1), "Label3"), 1, 0);
    top->addWidget(Label5, 1, 1);
    top->addWidget(named(new QLabel(L1("Attached:"), Panel1), "Label7"), 2, 0);
    QFont bold = Label6->font();
    bold.setBold(true);
    Label6->setFont(bold);
    Label6->setTextFormat(Qt::PlainText);
    Label6->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setNamesColour(false);
    Label6->hide();
    top->addWidget(Label6, 2, 1);
    top->addWidget(BitBtn1, 0, 2, 3, 1, Qt::AlignVCenter);
    top->setColumnStretch(1, 1);
    connect(BitBtn1, &QPushButton::clicked, this, &QWidget::close);

    // Left: the header with "ATTACHMENTS" and "Delete", the file list below it.
    auto *panel2 = named(new QWidget, "Panel2");
    auto *panel4 = named(new QWidget(panel2), "Panel4");
    auto *header = new QHBoxLayout(panel4);
    header->setContentsMargins(2, 2, 2, 2);
    header->addWidget(named(new QLabel(L1("ATTACHMENTS"), panel4), "Label1"));
    header->addStretch();
    header->addWidget(Button1);
    auto *left = new QVBoxLayout(panel2);
    left->setContentsMargins(0, 0, 0, 0);
    left->setSpacing(0);
    left->addWidget(panel4);
    left->addWidget(FileListBox1);
    FileListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    FileListBox1->installEventFilter(this);
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });

    // Right: the text.
    auto *panel3 = named(new QWidget, "Panel3");
    auto *right = new QVBoxLayout(panel3);
    right->setContentsMargins(0, 0, 0, 0);
    right->addWidget(Memo1);
    Memo1->setReadOnly(true);

    Splitter2->addWidget(panel2);
    Splitter2->addWidget(panel3);
    Splitter2->setStretchFactor(1, 1);
    Splitter2->setSizes({160, 337});
    Splitter1->addWidget(Panel1);
    Splitter1->addWidget(Splitter2);
    Splitter1->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Splitter1);
}

void TForm4::showFolder(const QString &folder)
{
    m_folder = folder;
    refreshFileList();
}

void TForm4::fill(const std::string &from, const std::string &subject,
                  const std::vector<std::string> &body, const std::string &charset,
                  const std::vector<std::string> &attachments)
{
    m_attachments = attachments;
    Label4->setText(oneLine(from));
    Label5->setText(oneLine(subject));
    // A stored part's entry starts with its own line break: the memo shows it as two lines.
    std::string text = bodyLines(body);
    if (!text.empty())
        text.pop_back();  // the last line's LF
    Memo1->setPlainText(bodyText(text, charset));
    refreshFileList();
}

void TForm4::refreshFileList()
{
    FileListBox1->clear();
    if (m_folder.isEmpty())
        return;
    // Every file, also a link whose target is gone, so that it can be deleted here.
    FileListBox1->addItems(QDir(m_folder).entryList(QDir::Files | QDir::System | QDir::Hidden, QDir::Name));
}

void TForm4::showReader()
{
    if (isVisible())
        scanAttachments();
    show();
    raise();
    activateWindow();
}

void TForm4::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    scanAttachments();
}

void TForm4::setNamesColour(bool dangerous)
{
    paint(Label6, dangerous ? kMaroon : kGreen, Qt::white);
}

void TForm4::scanAttachments()
{
    Label6->hide();
    setNamesColour(false);
    std::string names;
    for (const std::string &name : m_attachments) {
        if (!names.empty())
            names += ", ";
        names += name;
        Label6->show();
    }
    Label6->setText(fromBytes(names));
    if (hasDangerousExtension(names)) {
        setNamesColour(true);
        for (int i = 0; i < 3; ++i)
            beep();
    }
}

void TForm4::Button1Click()
{
    const QList<QListWidgetItem *> selected = FileListBox1->selectedItems();
    const QString question =
        L1("Really delete selected ") + QString::number(selected.size()) + L1(" messages ?");
    if (QMessageBox::question(this, L1("Confirm"), question, QMessageBox::Yes | QMessageBox::No)
        == QMessageBox::Yes) {
        for (const QListWidgetItem *item : selected) {
            // The name itself goes, never what a link points to; a vanished file is skipped.
            const QString path = m_folder + QLatin1Char('/') + item->text();
            if (QFileInfo(path).exists() || QFileInfo(path).isSymLink())
                QFile::remove(path);
        }
    }
    refreshFileList();
}

bool TForm4::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == FileListBox1 && event->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(event)->key() == Qt::Key_F5) {
        refreshFileList();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace kestrix
