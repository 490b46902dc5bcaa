// TForm1 as the screening logic's View and Prompter: controls found by their names, message
// boxes and the two small dialogs. Texts cross here as Latin-1.
#include "ui/form1.h"

#include "ui/control_glossary.h"
#include "ui/form3_new_profile.h"
#include "ui/form5_download_control.h"
#include "ui/grid_paint_rules.h"
#include "ui/message_details.h"
#include "ui/ui_widgets.h"
#include "ui/wrap_grid.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>

namespace kestrix {

namespace {

QMessageBox::Icon iconFor(Prompter::Kind kind)
{
    switch (kind) {
    case Prompter::Kind::Information: return QMessageBox::Information;
    case Prompter::Kind::Confirmation: return QMessageBox::Question;
    case Prompter::Kind::Warning: return QMessageBox::Warning;
    case Prompter::Kind::Error: return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QString titleFor(Prompter::Kind kind)
{
    switch (kind) {
    case Prompter::Kind::Information: return QStringLiteral("Information");
    case Prompter::Kind::Confirmation: return QStringLiteral("Confirm");
    case Prompter::Kind::Warning: return QStringLiteral("Warning");
    case Prompter::Kind::Error: return QStringLiteral("Error");
    }
    return {};
}

int runBox(QWidget *parent, Prompter::Kind kind, const std::string &text,
           QMessageBox::StandardButtons buttons, QMessageBox::StandardButton byDefault)
{
    QMessageBox box(iconFor(kind), titleFor(kind), fromBytes(text), buttons, parent);
    box.setDefaultButton(byDefault);
    return box.exec();
}

}  // namespace

// The dispatcher and the screening operations name controls on every tick; a control found once
// is kept, so the tree is searched only the first time an id is asked for.
QObject *TForm1::control(Control id) const
{
    QPointer<QObject> &known = m_controls[size_t(id)];
    if (known)
        return known.data();
    const QString objectName = QString::fromLatin1(controlName(id));
    QObject *found = centralWidget()->findChild<QWidget *>(objectName);
    if (!found)
        found = PopupMenu2->findChild<QAction *>(objectName);
    if (!found)
        found = findChild<QObject *>(objectName);
    known = found;
    return found;
}

void TForm1::setText(Control name, const std::string &text)
{
    QObject *target = control(name);
    const QString value = fromBytes(text);
    if (auto *memo = qobject_cast<QPlainTextEdit *>(target))
        memo->setPlainText(value);
    else if (auto *box = qobject_cast<QGroupBox *>(target))
        box->setTitle(value);
    else if (auto *combo = qobject_cast<QComboBox *>(target))
        combo->setEditText(value);
    else if (auto *spin = qobject_cast<QSpinBox *>(target))
        spin->setValue(value.toInt());
    else if (target)
        target->setProperty("text", value);
}

void TForm1::setEnabled(Control name, bool enabled)
{
    QObject *target = control(name);
    if (auto *widget = qobject_cast<QWidget *>(target))
        widget->setEnabled(enabled);
    else if (auto *action = qobject_cast<QAction *>(target))
        action->setEnabled(enabled);
    else if (auto *timer = qobject_cast<QTimer *>(target)) {
        // "Timer1", "Poller": switched like controls. Enabling a running timer keeps its
        // countdown, so a closed session does not put the next automatic check off again.
        if (!enabled)
            timer->stop();
        else if (!timer->isActive())
            timer->start();
    }
}

void TForm1::setVisible(Control name, bool visible)
{
    QObject *target = control(name);
    if (auto *widget = qobject_cast<QWidget *>(target))
        widget->setVisible(visible);
    else if (auto *action = qobject_cast<QAction *>(target))
        action->setVisible(visible);
}

void TForm1::setChecked(Control name, bool checked)
{
    QObject *target = control(name);
    if (auto *button = qobject_cast<QAbstractButton *>(target))
        button->setChecked(checked);
    else if (auto *action = qobject_cast<QAction *>(target))
        action->setChecked(checked);
}

void TForm1::setStatus(const std::string &text) { statustext->setText(fromBytes(text)); }

void TForm1::setProgress(int maximum, int position)
{
    ProgressBar1->setRange(0, std::max(0, maximum));
    ProgressBar1->setValue(std::clamp(position, 0, std::max(0, maximum)));
}

void TForm1::setBusyCursor(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void TForm1::showPage(Control name)
{
    auto *page = qobject_cast<QWidget *>(control(name));
    if (!page)
        return;
    if (PageControl1->indexOf(page) >= 0) {
        showPageWidget(page);
    } else if (PageControl2->indexOf(page) >= 0) {
        PageControl2->setCurrentWidget(page);
        showPageWidget(TabSheet5);
    }
}

void TForm1::messageTableChanged()
{
    stringgrid1->refresh();
    *m_detailsRow = -1;
}

void TForm1::scrollMessageTable(int topRow, int currentRow)
{
    if (topRow >= 1)
        stringgrid1->setTopRow(topRow);
    if (currentRow >= 1)
        stringgrid1->setCurrentRow(currentRow);
}

int TForm1::messageTableClientHeight() const { return stringgrid1->viewport()->height(); }

void TForm1::setDetails(const std::vector<std::string> &lines)
{
    QStringList text;
    for (const std::string &line : lines)
        text << fromBytes(line);
    Memo2->setPlainText(text.join(QLatin1Char('\n')));
    const bool virus = !lines.empty() && lines.front() == kVirusHint;
    setBackground(Memo2, virus ? colours::warningOrange : colours::cream);
    Memo2->moveCursor(QTextCursor::Start);
}

void TForm1::setNewMailSign(bool newMail) { Image3->setVisible(newMail); }

void TForm1::beep() { QApplication::beep(); }

// ---- Prompter ----------------------------------------------------------------------------

void TForm1::message(Kind kind, const std::string &text)
{
    runBox(this, kind, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool TForm1::askYesNo(Kind kind, const std::string &text)
{
    return runBox(this, kind, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

bool TForm1::askOkCancel(Kind kind, const std::string &text)
{
    return runBox(this, kind, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
           QMessageBox::Ok;
}

std::optional<std::string> TForm1::askText(const std::string &title, const std::string &prompt,
                                           const std::string &initial)
{
    bool ok = false;
    const QString answer = QInputDialog::getText(this, fromBytes(title), fromBytes(prompt),
                                                 QLineEdit::Normal, fromBytes(initial), &ok);
    if (!ok)
        return std::nullopt;
    return toBytes(answer);
}

std::optional<int> TForm1::askDownloadCount(int maximum, int value)
{
    // The dialog is a window of its own: it is centred on the main window here.
    if (isVisible())
        Form5->move(geometry().center() - QPoint(Form5->width() / 2, Form5->height() / 2));
    return Form5->ask(maximum, value);
}

std::optional<std::string> TForm1::askNewProfileName()
{
    if (isVisible())
        Form3->move(geometry().center() - QPoint(Form3->width() / 2, Form3->height() / 2));
    if (Form3->exec() != QDialog::Accepted)
        return std::nullopt;
    return toBytes(Form3->Edit1->text());
}

}  // namespace kestrix
