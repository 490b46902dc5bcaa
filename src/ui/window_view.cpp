#include "ui/window_view.h"

#include "ui/form1.h"

#include "screening/protection_text.h"
#include "ui/control_glossary.h"
#include "ui/form3_new_profile.h"
#include "ui/form5_download_control.h"
#include "ui/grid_paint_rules.h"
#include "ui/message_details.h"
#include "ui/tray_icon.h"
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
#include <QScreen>
#include <QPushButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

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
    // The box breaks any text wider than half the screen at its last space, which can leave a
    // final "?" or "!" alone on a line; a sentence that fits in 3/5 of the screen stays whole.
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
        const QFontMetrics metrics(label->font());
        int longest = 0;
        for (const QString &line : box.text().split(QLatin1Char('\n')))
            longest = std::max(longest, metrics.horizontalAdvance(line));
        const QScreen *screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
        const int cap = screen ? screen->availableGeometry().width() * 3 / 5 : 600;
        label->setMinimumWidth(std::min(longest + metrics.averageCharWidth(), cap));
    }
    return box.exec();
}

}  // namespace

WindowView::WindowView(TForm1 &form)
    : m_form(form)
    , m_form3(std::make_unique<TForm3>(nullptr))
    , m_form5(std::make_unique<TForm5>(nullptr))
{
}

WindowView::~WindowView() = default;

void WindowView::setMainButtonMode(MainButtonMode mode)
{
    m_form.topBar->Button1->setText(QString::fromLatin1(mainButtonCaption(mode)));
}

// The dispatcher and the screening operations name controls on every tick; a control found once
// is kept, so the tree is searched only the first time an id is asked for.
QObject *WindowView::control(Control id) const
{
    QPointer<QObject> &known = m_controls[size_t(id)];
    if (known)
        return known.data();
    const QString objectName = QString::fromLatin1(controlName(id));
    QObject *found = m_form.centralWidget()->findChild<QWidget *>(objectName);
    if (!found)
        found = m_form.messagesPage->PopupMenu2->findChild<QAction *>(objectName);
    if (!found)
        found = m_form.findChild<QObject *>(objectName);
    known = found;
    return found;
}

void WindowView::setText(Control name, const std::string &text)
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

void WindowView::setEnabled(Control name, bool enabled)
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

void WindowView::setVisible(Control name, bool visible)
{
    // No session to show: the tray's tip forgets the last one with the status bar.
    if (name == Control::ProtectionIndicator && !visible && m_form.trayIcon())
        m_form.trayIcon()->setProtectionTip(QString());
    QObject *target = control(name);
    if (auto *widget = qobject_cast<QWidget *>(target))
        widget->setVisible(visible);
    else if (auto *action = qobject_cast<QAction *>(target))
        action->setVisible(visible);
}

void WindowView::setChecked(Control name, bool checked)
{
    QObject *target = control(name);
    if (auto *button = qobject_cast<QAbstractButton *>(target))
        button->setChecked(checked);
    else if (auto *action = qobject_cast<QAction *>(target))
        action->setChecked(checked);
}

void WindowView::setStatus(const std::string &text) { m_form.statusArea->statustext->setText(fromBytes(text)); }

void WindowView::setProgress(int maximum, int position)
{
    QProgressBar *bar = m_form.statusArea->ProgressBar1;
    maximum = std::max(0, maximum);
    position = std::clamp(position, 0, maximum);
    // A repaint for each message would cost more than the download: the bar moves in steps of
    // a hundredth, and always to its start and its end.
    if (bar->maximum() == maximum && position != 0 && position != maximum
        && std::abs(position - bar->value()) * 100 < maximum)
        return;
    bar->setRange(0, maximum);
    bar->setValue(position);
}

void WindowView::setBusyCursor(bool busy)
{
    m_form.setBusy(busy);
}

void WindowView::showPage(Control name)
{
    auto *page = qobject_cast<QWidget *>(control(name));
    if (!page)
        return;
    if (m_form.PageControl1->indexOf(page) >= 0) {
        m_form.showPageWidget(page);
    } else if (m_form.configPage->PageControl2->indexOf(page) >= 0) {
        m_form.configPage->PageControl2->setCurrentWidget(page);
        m_form.showPageWidget(m_form.configPage);
    }
}

void WindowView::messageTableChanged()
{
    m_form.messagesPage->stringgrid1->refresh();
    m_form.messagesPage->resetDetailsRow();
}

void WindowView::messageTableGrew() { m_form.messagesPage->stringgrid1->grew(); }

void WindowView::scrollMessageTable(int topRow, int currentRow)
{
    if (topRow >= 1)
        m_form.messagesPage->stringgrid1->setTopRow(topRow);
    if (currentRow >= 1)
        m_form.messagesPage->stringgrid1->setCurrentRow(currentRow);
}

int WindowView::messageTableClientHeight() const { return m_form.messagesPage->stringgrid1->viewport()->height(); }

void WindowView::setDetails(const std::vector<std::string> &lines) { m_form.messagesPage->showDetailsText(lines); }

void WindowView::setNewMailSign(bool newMail)
{
    m_form.statusArea->Image3->setVisible(newMail);
    if (TTBNArea *tray = m_form.trayIcon())
        tray->setNewMail(newMail);
}

void WindowView::showProtection(const ConnectionProtection &protection)
{
    const QString caption = fromBytes(protectionCaption(protection));
    const QString tip =
        protection.encrypted
            ? caption + QStringLiteral("\n") + fromBytes(protectionCertificate(protection))
            : QStringLiteral("Not encrypted: the password and the mail cross the network as plain "
                             "text");
    m_form.statusArea->showProtection(protection.encrypted, caption, tip);
    if (TTBNArea *tray = m_form.trayIcon())
        tray->setProtectionTip(tip);
}

void WindowView::beep() { QApplication::beep(); }

// ---- Prompter ----------------------------------------------------------------------------

void WindowView::message(Kind kind, const std::string &text)
{
    runBox(&m_form, kind, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool WindowView::askYesNo(Kind kind, const std::string &text)
{
    return runBox(&m_form, kind, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) ==
           QMessageBox::Yes;
}

bool WindowView::askOkCancel(Kind kind, const std::string &text)
{
    return runBox(&m_form, kind, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
           QMessageBox::Ok;
}

std::optional<std::string> WindowView::askText(const std::string &title, const std::string &prompt,
                                           const std::string &initial)
{
    // A dialog of fixed size with a title and a close button: a resizable one (or one marked as
    // a tool window) gets the window manager's resize grip, a clipped strip below its buttons.
    QInputDialog dialog(&m_form, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                     Qt::WindowCloseButtonHint);
    dialog.setWindowTitle(fromBytes(title));
    dialog.setLabelText(fromBytes(prompt));
    dialog.setTextValue(fromBytes(initial));
    dialog.adjustSize();
    dialog.setFixedSize(dialog.sizeHint());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return toBytes(dialog.textValue());
}

std::optional<int> WindowView::askDownloadCount(int maximum, int value)
{
    centre(*m_form5);
    return m_form5->ask(maximum, value);
}

std::optional<std::string> WindowView::askNewProfileName()
{
    centre(*m_form3);
    if (m_form3->exec() != QDialog::Accepted)
        return std::nullopt;
    return toBytes(m_form3->Edit1->text());
}

// The dialogs are windows of their own: they are centred on the main window.
void WindowView::centre(QWidget &dialog) const
{
    if (m_form.isVisible())
        dialog.move(m_form.geometry().center() - QPoint(dialog.width() / 2, dialog.height() / 2));
}

}  // namespace kestrix
