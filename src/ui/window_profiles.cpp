#include "ui/window_profiles.h"

#include "desktop/update_check.h"
#include "profiles/profile_conf.h"
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "profiles/settings_file.h"
#include "profiles/data_folder.h"
#include "profiles/text_file.h"
#include "screening/screener.h"
#include "screening/prompter.h"
#include "screening/view.h"
#include "text/latin1.h"
#include "text/secret_text.h"
#include "ui/form1.h"
#include "ui/ui_widgets.h"
#include "ui/window_sign_in.h"
#include "ui/wrap_grid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>

namespace kestrix {

WindowProfiles::WindowProfiles(TForm1 &form, Screener &screener, QString dataDir)
    : m_form(form), m_screener(screener), m_dataDir(std::move(dataDir)), m_current(kDefaultProfile)
{
    // The list pages' commands read and write the current profile's files.
    m_form.setProfileFiles([this] { return profilePaths(m_dataDir, m_current); });
}

void WindowProfiles::start(const std::optional<std::string> &argument)
{
    // The attachment folder of the message reader; a failure here is not the start's concern.
    (void)makePrivateFolder(m_dataDir + QStringLiteral("/Attachments"));
    migrateLegacyFiles(m_dataDir);
    const std::vector<std::string> names = readProfileList(m_dataDir);
    m_form.configPage->ComboBox1->clear();
    for (const std::string &name : names)
        m_form.configPage->ComboBox1->addItem(fromBytes(name));
    const StartProfile choice = chooseStartProfile(names, argument, m_dataDir);
    m_form.configPage->ComboBox1->setCurrentIndex(choice.index);
    m_form.configPage->ComboBox1->setEditText(fromBytes(choice.name));
    m_current = choice.name;
    // The first start makes its profile as New does, with the same defaults.
    const ProfilePaths files = profilePaths(m_dataDir, m_current);
    if (!pathExists(files.settings) && !pathExists(files.conf))
        turnOnDecodeAllForNewProfile(m_current);
    load();
    m_screener.view().showPage(Control::TabSheet1);
}

// The table, its rows and the status line belong to the profile that was current.
void WindowProfiles::resetMessageState()
{
    m_screener.forgetMessages();
    m_screener.view().setStatus(std::string());
}

void WindowProfiles::load()
{
    Profile profile;
    profile.name = m_current;
    // Without a settings file every control keeps the value it has (the previous profile's).
    m_form.collectSettings(m_screener.profile.settings);
    profile.settings = m_screener.profile.settings;
    profile.blacklist = m_screener.profile.blacklist;

    // The change behaviours of the controls run at the line that changes them, in line order.
    const SettingsChangeHandler onChange = [this](int line, ProfileSettings &s) {
        if (line == SettingsLine::IncrementalDownload && !s.IncrementalDownload) {
            s.clearResumeMarks();
        } else if (line == SettingsLine::CheckInterval) {
            m_form.SpinEdit2Change(s.CheckInterval);
        }
    };

    m_screener.view().setEnabled(Control::SpeedButton6, false);
    m_screener.view().setEnabled(Control::SpeedButton2, false);
    m_screener.view().setVisible(Control::Panel3, false);
    m_screener.view().setVisible(Control::StaticText1, false);
    // The password belongs to the profile that was current; a switch restores this one's.
    m_form.topBar->Edit4->clear();
    resetMessageState();
    m_form.stayShownAfterCheck();
    m_form.messagesPage->stringgrid1->setStartColumnWidths();

    const LoadProfileResult result = LoadProfile(profile, m_dataDir, onChange);
    if (!result)
        ask().message(Prompter::Kind::Error, result.error);
    // NAME.conf; a mode this version cannot read shows no choice (and stays as written).
    const QString confFile = profilePaths(m_dataDir, m_current).conf;
    const std::string problem =
        m_screener.takeProfile(std::move(profile), ProfileConf::load(confFile), confFile, m_dataDir);
    showDecodeAll();
    // The learned score's store (NAME.tokens); a damaged one was rebuilt empty: say so once.
    if (!problem.empty())
        ask().message(Prompter::Kind::Warning, problem);
    const bool modeReadable = m_screener.profile.conf.problem(ProfileConf::kSecurityMode).empty();
    m_form.configPage->ComboBoxSecurity->setCurrentIndex(
        modeReadable ? int(m_screener.profile.conf.securityMode()) : -1);
    showSignIn(*m_form.configPage, m_screener.profile.conf);

    m_loading = true;
    m_form.showSettings(m_screener.profile.settings);
    m_form.applyGeometry(m_screener.profile.settings);
    m_loading = false;

    m_form.topBar->Label29->setText(m_form.configPage->ComboBox1->currentText());
    m_form.setWindowTitle(fromBytes(mainWindowCaption()));
    m_form.startPage->Label19->setText(QString::number(m_screener.profile.whitelist.size()));
    const QString whitelistFile = profilePaths(m_dataDir, m_current).whitelist;
    m_form.whitelistPage->Label10->setText(whitelistFile.section(QLatin1Char('/'), -1));
    const QString logFile = profilePaths(m_dataDir, m_current).log.section(QLatin1Char('/'), -1);
    m_form.configPage->CheckBox4->setText(QStringLiteral("Log file on rejected mails \"%1\"").arg(logFile));
    m_screener.view().setVisible(Control::Panel12, false);
    m_screener.view().setVisible(Control::Panel14, true);
    if (m_form.topBar->Edit4->isEnabled())
        m_form.topBar->Edit4->setFocus();
    if (afterLoad)
        afterLoad();
}

bool WindowProfiles::save()
{
    Profile profile;
    profile.name = m_current;
    m_form.collectSettings(m_screener.profile.settings);
    profile.settings = m_screener.profile.settings;
    profile.whitelist = m_screener.profile.whitelist;
    profile.blacklist = m_screener.profile.blacklist;
    profile.log = m_screener.profile.rejectedLog;
    FileResult result = SaveProfile(profile, m_dataDir);
    if (result)
        result = saveSecurityChoice();
    if (result)
        result = saveSignIn(m_screener.profile.conf, m_screener.profile.confFile);
    if (!result)
        ask().message(Prompter::Kind::Error, result.error);
    return bool(result);
}

// NAME.conf is written only when the choice differs from what the file holds: a profile whose
// security was never chosen keeps no such file. The choice is in use already (the Screener's
// conf follows the box); only the file is behind.
FileResult WindowProfiles::saveSecurityChoice()
{
    const int chosen = m_form.configPage->ComboBoxSecurity->currentIndex();
    if (chosen < 0 || m_screener.profile.confFile.isEmpty())
        return {};
    const auto mode = SecurityMode(chosen);
    ProfileConf saved = ProfileConf::load(m_screener.profile.confFile);
    if (mode == saved.securityMode() && saved.problem(ProfileConf::kSecurityMode).empty())
        return {};
    saved.setSecurityMode(mode);
    return saved.save(m_screener.profile.confFile);
}

bool WindowProfiles::saveAll()
{
    const bool saved = save();
    const FileResult list = writeProfileList(m_dataDir, profileNames());
    if (!list)
        ask().message(Prompter::Kind::Error, list.error);
    return saved && bool(list);
}

std::vector<std::string> WindowProfiles::profileNames() const
{
    std::vector<std::string> names;
    for (int i = 0; i < m_form.configPage->ComboBox1->count(); ++i)
        names.push_back(toBytes(m_form.configPage->ComboBox1->itemText(i)));
    return names;
}

// ---- switching, New, Delete --------------------------------------------------------------

Prompter &WindowProfiles::ask() const { return m_screener.prompter(); }

bool WindowProfiles::busy() const
{
    return m_form.isBusy() || m_screener.dispatcher.dispatching();
}

std::optional<int> WindowProfiles::selectedItem() const
{
    const QComboBox *box = m_form.configPage->ComboBox1;
    const int index = box->currentIndex();
    if (index < 0 || box->itemText(index) != box->currentText())
        return std::nullopt;
    return index;
}

void WindowProfiles::ComboBox1Change()
{
    if (busy() || m_form.configPage->ComboBox1->count() == 0)
        return;
    const std::optional<int> item = selectedItem();
    if (!item)
        return;
    save();
    m_current = toBytes(m_form.configPage->ComboBox1->itemText(*item));
    load();
    RestorePassword();
}

void WindowProfiles::previousProfile()
{
    if (busy())
        return;
    const int index = m_form.configPage->ComboBox1->currentIndex();
    if (index <= 0)
        return;
    m_form.configPage->ComboBox1->setCurrentIndex(index - 1);
    ComboBox1Change();
}

void WindowProfiles::nextProfile()
{
    if (busy())
        return;
    const int index = m_form.configPage->ComboBox1->currentIndex();
    if (index + 1 < m_form.configPage->ComboBox1->count()) {
        m_form.configPage->ComboBox1->setCurrentIndex(index + 1);
        ComboBox1Change();
        return;
    }
    if (ask().askYesNo(Prompter::Kind::Confirmation, "Would you like to create a new profile ?")) {
        m_form.showConfigAccounts();
        newProfile();
    }
}

void WindowProfiles::newProfile()
{
    const std::optional<std::string> typed = ask().askNewProfileName();
    if (!typed)
        return;
    const std::string name = normalizeProfileName(*typed);
    if (name.empty())
        return;
    // The name becomes a file name in the data folder: nothing that could leave it.
    if (!isUsableProfileName(name)) {
        ask().message(Prompter::Kind::Information,
                       "Profile name \"" + name + "\" can not be used !");
        return;
    }
    if (findProfile(profileNames(), name)) {
        ask().message(Prompter::Kind::Information, "Profile already exists !");
        return;
    }
    save();

    m_screener.profile.settings.DeletedCount = 0;
    m_screener.profile.whitelist.clear();
    m_screener.profile.rejectedLog = RejectedLog();

    m_form.configPage->ComboBox1->addItem(fromBytes(name));
    m_current = name;
    m_form.configPage->ComboBox1->setEditText(fromBytes(name));
    m_form.configPage->Edit1->clear();
    m_form.configPage->Edit3->clear();
    m_form.topBar->showAccount(QStringLiteral("@"));
    m_form.configPage->ComboBox1->setCurrentIndex(m_form.configPage->ComboBox1->count() - 1);

    // Files left over from an earlier profile of the same name are taken over.
    if (pathExists(profilePaths(m_dataDir, name).settings))
        load();
    // A new profile has no NAME.conf of its own; settings this version turns on for new
    // profiles are written here through ProfileConf, before the first save.
    turnOnDecodeAllForNewProfile(name);
    save();
    load();
}

void WindowProfiles::deleteProfile()
{
    // With a typed text that is no item nothing names the profile to delete: refused.
    const std::optional<int> item = selectedItem();
    if (!item) {
        ask().message(Prompter::Kind::Information, "Select the profile to delete first !");
        return;
    }
    const std::string selected = toBytes(m_form.configPage->ComboBox1->itemText(*item));
    if (equalsIgnoreCaseAZ(selected, kDefaultProfile)) {
        ask().message(Prompter::Kind::Information, "default Profile can not be deleted !");
        return;
    }
    if (!ask().askYesNo(Prompter::Kind::Confirmation, "Really Delete Profile: " + selected + "?"))
        return;
    save();
    // The files deleted are those of the profile named in the question.
    if (ask().askYesNo(Prompter::Kind::Confirmation,
                        selected + " : Delete all accepted addresses, logfile and settings  ?")) {
        const ProfilePaths paths = profilePaths(m_dataDir, selected);
        DeleteFileIfPresent(paths.log);
        DeleteFileIfPresent(paths.settings);
        DeleteFileIfPresent(paths.whitelist);
        DeleteFileIfPresent(paths.conf);
        DeleteFileIfPresent(paths.tokens);
        if (afterDelete)
            afterDelete(selected);
    }
    m_form.configPage->ComboBox1->removeItem(*item);
    int fallback = 0;
    if (const auto index = findProfile(profileNames(), kDefaultProfile))
        fallback = int(*index);
    else
        m_form.configPage->ComboBox1->insertItem(0, L1(kDefaultProfile));
    m_form.configPage->ComboBox1->setCurrentIndex(fallback);
    m_form.configPage->ComboBox1->setEditText(L1(kDefaultProfile));
    m_current = kDefaultProfile;
    load();
}

// ---- passwords ---------------------------------------------------------------------------

WindowProfiles::~WindowProfiles()
{
    for (auto &[name, password] : m_passwordMemory)
        wipeSecret(password);
}

void WindowProfiles::RememberPassword(const std::string &typed)
{
    if (typed.empty())
        return;
    for (auto &[name, password] : m_passwordMemory) {
        if (name == m_current) {
            wipeSecret(password);
            password = typed;
            return;
        }
    }
    m_passwordMemory.emplace_back(m_current, typed);
}

void WindowProfiles::RestorePassword()
{
    // load() has emptied the field, or filled it from the desktop keyring; a password typed for
    // this profile earlier in this run wins.
    for (const auto &[name, password] : m_passwordMemory) {
        if (name == m_current) {
            m_form.topBar->Edit4->setText(fromBytes(password));
            return;
        }
    }
}

}  // namespace kestrix
