#include "ui/window_controller.h"

#include "desktop/mail_tool.h"
#include "mime/mail_message.h"
#include "screening/tray_control.h"
#include "transport/host_lookup.h"
#include "ui/desktop_signals.h"
#include "ui/form1.h"
#include "ui/form4_message_reader.h"
#include "ui/ui_widgets.h"
#include "ui/window_deleted_mail.h"
#include "ui/window_keyring.h"
#include "ui/window_sign_in.h"
#include "ui/wrap_grid.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>

#include <unistd.h>

namespace kestrix {

WindowController::WindowController(TForm1 &form, QString dataDir, Prompter *prompter)
    : m_form(form)
    , m_view(form)
    , m_screener(m_view, prompter ? *prompter : static_cast<Prompter &>(m_view))
    , m_profiles(form, m_screener, dataDir)
{
    m_pop3Events = m_screener.attachPop3(m_pop3);
    m_screener.attachmentsFolder = toBytes(QDir(dataDir).filePath(QStringLiteral("Attachments")));
    m_keyring = std::make_unique<WindowKeyring>(form, m_profiles, dataDir, m_screener.prompter());
    m_profiles.afterLoad = [this] {
        m_keyring->profileLoaded();
        m_deletedMail->profileLoaded();
    };
    m_profiles.afterDelete = [this](const std::string &name) { m_keyring->profileDeleted(name); };
    m_form.attachScreener(m_screener);
    connectSettingsControls();
    connectProfileCommands();
    connectDispatcher();
    connectDispatcherButtons();
    connectMessageReader();
    m_deletedMail = new WindowDeletedMail(m_form, *m_form4, m_screener, [this] {
        return profilePaths(m_profiles.dataDir(), m_profiles.currentName()).whitelist;
    });
    connect(&m_form, &TForm1::aboutToExit, this, [this] {
        if (m_screener.session.isOpen())
            m_screener.closeSession();
        m_profiles.saveAll();
    });
}

WindowController::~WindowController()
{
    // The window may outlive the Screener (main() builds the window first): it must not paint
    // a freed table while it is being hidden or destroyed.
    m_form.detachScreener();
}

// Command 7 fills the reader with the message read and brings it to the front.
void WindowController::connectMessageReader()
{
    m_form4 = new TForm4(&m_form);
    m_form4->showFolder(fromBytes(m_screener.attachmentsFolder));
}

void WindowController::showReaderFolder(const std::string &folder)
{
    m_form4->showFolder(fromBytes(folder));
}

void WindowController::fillReader(const TMailMessage &message)
{
    m_form4->fill(message.From, message.Subject, message.Body, message.BodyCharset,
                  message.Attachments);
}

void WindowController::showReader() { m_form4->showReader(); }

void WindowController::start(const std::optional<std::string> &argument)
{
    m_profiles.start(argument);
}

void WindowController::showLocalIp()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0)
        return;  // no host name: the label stays empty
    const std::shared_ptr<HostLookup> lookup = HostLookup::start(name);
    // The answer is handed back through the event loop; a short check picks it up there.
    auto *watch = new QTimer(this);
    watch->setInterval(20);
    connect(watch, &QTimer::timeout, this, [this, watch, lookup] {
        const HostLookup::Answer answer = lookup->answer();
        if (!answer.done)
            return;
        watch->stop();
        watch->deleteLater();
        if (answer.error != 0)
            return;  // no address for the host name: the label stays empty
        const auto *bytes = reinterpret_cast<const unsigned char *>(&answer.address);
        m_form.setLocalIp(std::to_string(bytes[0]) + "." + std::to_string(bytes[1]) + "."
                          + std::to_string(bytes[2]) + "." + std::to_string(bytes[3]));
    });
    watch->start();
}

// The Screener reads the account and the download settings when it works; the controls that
// hold them write through at every change the user makes. While a profile's settings are put
// into the controls, the record is already right and the change behaviours have run.
void WindowController::connectSettingsControls()
{
    ProfileSettings &s = m_screener.profile.settings;
    const auto typing = [this] { return !m_profiles.loading(); };
    ConfigPage &config = *m_form.configPage;
    connect(config.Edit1, &QLineEdit::textChanged, this, [&s, typing](const QString &text) {
        if (typing())
            s.Host = toBytes(text);
    });
    connect(config.Edit2, &QLineEdit::textChanged, this, [&s, typing](const QString &text) {
        if (typing())
            s.Port = toBytes(text);
    });
    connect(config.Edit3, &QLineEdit::textChanged, this, [&s, typing](const QString &text) {
        if (typing())
            s.UserId = toBytes(text);
    });
    // The password is kept in memory only, whatever happens to the settings.
    connect(m_form.topBar->Edit4, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_screener.session.password = toBytes(text); });
    connect(config.SpinEdit1, &QSpinBox::valueChanged, this, [&s, typing](int value) {
        if (typing())
            s.NotifyLimit = value;
    });
    connect(config.SpinEdit2, &QSpinBox::valueChanged, this, [this, &s, typing](int minutes) {
        if (!typing())
            return;
        s.CheckInterval = minutes;
        m_form.SpinEdit2Change(minutes);
    });
    connect(m_form.messagesPage->SpinEdit3, &QSpinBox::valueChanged, this,
            [&s, typing](int height) {
        if (typing())
            s.RowHeight = height;
    });
    connect(m_form.statusArea->CheckBox2, &QCheckBox::toggled, this, [&s, typing](bool on) {
        if (!typing())
            return;
        s.IncrementalDownload = on;
        // Without resuming, the next download starts at message 1.
        if (!on)
            s.clearResumeMarks();
    });
    connect(config.CheckBox7, &QCheckBox::toggled, this, [&s, typing](bool on) {
        if (typing())
            s.CheckAfterDownload = on;
    });
    connect(config.CheckBox4, &QCheckBox::toggled, this, [&s, typing](bool on) {
        if (typing())
            s.LogRejected = on;
    });
    // The mail program and the tray click.
    connect(config.Edit5, &QLineEdit::textChanged, this, [&s, typing](const QString &text) {
        if (typing())
            s.MailToolPath = toBytes(text);
    });
    connect(config.Edit6, &QLineEdit::textChanged, this, [&s, typing](const QString &text) {
        if (typing())
            s.MailToolParams = toBytes(text);
    });
    connect(config.CheckBox3, &QCheckBox::toggled, this, [&s, typing](bool on) {
        if (typing())
            s.HideOnMailTool = on;
    });
    connect(config.RadioGroup1Items, &QButtonGroup::idToggled, this,
            [&s, typing](int id, bool checked) {
                if (typing() && checked)
                    s.TrayAction = id == 0 ? 0 : 1;
            });
    connect(config.CheckBoxDecodeAll, &QCheckBox::toggled, this,
            [this](bool on) { m_profiles.decodeAllChanged(on); });
    // The Security shown is the one the next connection uses, saved or not; NAME.conf gets it
    // when the profile is saved.
    followSignIn(config, m_screener.profile.conf);
    connect(config.ComboBoxSecurity, &QComboBox::currentIndexChanged, this, [this](int index) {
        ProfileConf &conf = m_screener.profile.conf;
        const bool unreadable = !conf.problem(ProfileConf::kSecurityMode).empty();
        if (index >= 0 && (SecurityMode(index) != conf.securityMode() || unreadable))
            conf.setSecurityMode(SecurityMode(index));
    });
}

void WindowController::connectProfileCommands()
{
    // A text typed into the box is never made an item: profiles come from "New".
    m_form.configPage->ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    connect(m_form.configPage->ComboBox1, &QComboBox::activated, this,
            [this] { m_profiles.ComboBox1Change(); });
    connect(&m_form, &TForm1::profileSwitchRequested, this, [this](int step) {
        if (step < 0)
            m_profiles.previousProfile();
        else
            m_profiles.nextProfile();
    });
    connect(m_form.configPage->SpeedButton16, &QToolButton::clicked, this,
            [this] { m_profiles.newProfile(); });
    connect(m_form.configPage->SpeedButton14, &QToolButton::clicked, this,
            [this] { m_profiles.deleteProfile(); });
}

void WindowController::connectDispatcherButtons()
{
    // "Empty Server" runs at once (it refuses while a command is queued or running).
    connect(m_form.statusArea->SpeedButton2, &QToolButton::clicked, this,
            [this] { m_screener.emptyServer(); });
}

void WindowController::connectionStarting(const std::string &password)
{
    m_profiles.RememberPassword(password);
    m_keyring->rememberTyped(password);
    m_updateCheck.dailyCheck();
}

void WindowController::securityModeShown(SecurityMode mode)
{
    m_form.configPage->ComboBoxSecurity->setCurrentIndex(int(mode));
}

bool WindowController::countsNewMail() const { return m_form.trayControl() != nullptr; }

void WindowController::newMailFound(int count, int unknown)
{
    if (TrayControl *tray = m_form.trayControl())
        tray->newMailFound(count, unknown);
}

void WindowController::deletionSettled()
{
    if (TrayControl *tray = m_form.trayControl())
        tray->deletionSettled();
}

void WindowController::connectDispatcher()
{
    m_screener.setWindowSide(*this);

    // Sleep and the network: a check at once after a wake-up, a running one ends when the
    // network goes.
    auto *desktop = new DesktopSignals(&m_form);
    connect(desktop, &DesktopSignals::woke, this, [this] { m_screener.dispatcher.desktopWoke(); });
    connect(desktop, &DesktopSignals::networkGone, this, [this] { m_screener.dispatcher.networkLost(); });
}

// ---- the window's side of the screening ------------------------------------------------------

bool WindowController::configurationPageShown() const
{
    return m_form.activePage() == m_form.configPage;
}

std::optional<std::pair<int, int>> WindowController::gridSelection() const
{
    const TWrapGrid *grid = m_form.messagesPage->stringgrid1;
    return std::pair<int, int>(grid->selectionTop(), grid->selectionBottom());
}

std::optional<int> WindowController::currentRow() const
{
    return m_form.messagesPage->stringgrid1->currentRow();
}

void WindowController::showDetails(int row) { m_form.messagesPage->showDetails(row); }

void WindowController::hideWindow() { m_form.HideWindow(); }

void WindowController::startMailTool(const std::string &path, const std::string &params)
{
    // A program that cannot be started is ignored: the command still ends.
    (void)kestrix::startMailTool(path, params);
}

}  // namespace kestrix
