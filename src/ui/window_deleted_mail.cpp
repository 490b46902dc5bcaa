#include "ui/window_deleted_mail.h"

#include "desktop/mail_tool.h"
#include "mime/mail_message.h"
#include "screening/screener.h"
#include "ui/deleted_mail_page.h"
#include "ui/form1.h"
#include "ui/form4_message_reader.h"
#include "ui/ui_widgets.h"

#include <QDir>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QToolButton>

namespace kestrix {

WindowDeletedMail::WindowDeletedMail(TForm1 &form, TForm4 &reader, Screener &screener,
                                     std::function<QString()> whitelistFile)
    : QObject(&form)
    , m_form(form)
    , m_reader(reader)
    , m_screener(screener)
    , m_whitelistFile(std::move(whitelistFile))
    , m_mail(screener, [](const std::string &path, const std::string &params) {
        return startMailTool(path, params);
    })
{
    askSaveFile = [this](const QString &suggested) {
        return QFileDialog::getSaveFileName(&m_form, QStringLiteral("Save as .eml"), suggested,
                                            QStringLiteral("Mail files (*.eml)"), nullptr,
                                            QFileDialog::DontUseNativeDialog);
    };
    DeletedMailPage &page = *m_form.deletedMailPage;
    connect(m_form.topBar->SpeedButtonDeletedMail, &QToolButton::clicked, this,
            [this] { m_form.showPageWidget(m_form.deletedMailPage); });
    connect(&m_form, &TForm1::pageShown, this, [this](const QString &name) {
        if (name == m_form.deletedMailPage->objectName())
            sync();
    });
    // Deletions and purges change the store behind the page while it is shown.
    connect(m_form.Timer3, &QTimer::timeout, this, [this] {
        if (m_form.activePage() == m_form.deletedMailPage)
            sync();
    });
    connect(page.GridDeletedMail->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &WindowDeletedMail::followCurrent);
    connect(&page, &DeletedMailPage::openRequested, this, &WindowDeletedMail::openCurrent);
    connect(page.ButtonRestore, &QPushButton::clicked, this, &WindowDeletedMail::restoreCurrent);
    connect(page.ButtonSaveEml, &QPushButton::clicked, this, &WindowDeletedMail::saveCurrent);
    connect(page.ButtonDeleteForGood, &QPushButton::clicked, this,
            &WindowDeletedMail::deleteCurrent);
    connect(page.ButtonEmptyDeleted, &QPushButton::clicked, this, &WindowDeletedMail::emptyAll);
    connect(&page, &DeletedMailPage::destinationChanged, this,
            [this](RestoreTarget target, const QString &path) {
                const ProfileConf &conf = m_screener.profile.conf;
                if (target != conf.restoreTarget() || path != conf.restorePath())
                    m_mail.setDestination(target, path);
            });
}

void WindowDeletedMail::profileLoaded()
{
    m_form.deletedMailPage->showDestination(m_screener.profile.conf.restoreTarget(),
                                            m_screener.profile.conf.restorePath());
    sync();
}

void WindowDeletedMail::sync()
{
    DeletedMailPage &page = *m_form.deletedMailPage;
    page.sync(m_mail);
    page.PanelDeletedMail->setText(fromBytes(m_mail.caption()));
    followCurrent();
}

// The buttons that act on one copy work while a copy is current.
void WindowDeletedMail::followCurrent()
{
    DeletedMailPage &page = *m_form.deletedMailPage;
    const bool any = m_mail.count() > 0;
    for (QPushButton *button : {page.ButtonOpenDeleted, page.ButtonRestore, page.ButtonSaveEml,
                                page.ButtonDeleteForGood})
        button->setEnabled(any && page.currentId() != 0);
    page.ButtonEmptyDeleted->setEnabled(any);
}

void WindowDeletedMail::openCurrent()
{
    const int id = m_form.deletedMailPage->currentId();
    if (id == 0 || !m_mail.open(id))
        return;
    const TMailMessage &message = m_mail.message();
    m_reader.showFolder(fromBytes(m_screener.attachmentsFolder));
    m_reader.fill(message.From, message.Subject, message.Body, message.BodyCharset,
                  message.Attachments);
    m_reader.showReader();
}

void WindowDeletedMail::restoreCurrent()
{
    const int id = m_form.deletedMailPage->currentId();
    if (id == 0)
        return;
    m_mail.restore(id, m_whitelistFile());
    m_form.syncListPages();
    sync();
}

void WindowDeletedMail::saveCurrent()
{
    const int id = m_form.deletedMailPage->currentId();
    if (id == 0)
        return;
    const QString file =
        askSaveFile(QDir::home().filePath(QStringLiteral("deleted-message-%1.eml").arg(id)));
    if (!file.isEmpty())
        m_mail.saveAs(id, file);
}

void WindowDeletedMail::deleteCurrent()
{
    const int id = m_form.deletedMailPage->currentId();
    if (id != 0 && m_mail.deleteForGood(id))
        sync();
}

void WindowDeletedMail::emptyAll()
{
    if (m_mail.emptyAll())
        sync();
}

}  // namespace kestrix
