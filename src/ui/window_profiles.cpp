#include "ui/window_profiles.h"

#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "screening/screener.h"
#include "ui/form1.h"
#include "ui/ui_widgets.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>

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
    QDir(m_dataDir).mkpath(QStringLiteral("Attachments"));
    migrateLegacyFiles(m_dataDir);
    const std::vector<std::string> names = readProfileList(m_dataDir);
    m_form.ComboBox1->clear();
    for (const std::string &name : names)
        m_form.ComboBox1->addItem(QString::fromLatin1(name.data(), qsizetype(name.size())));
    const StartProfile choice = chooseStartProfile(names, argument, m_dataDir);
    m_form.ComboBox1->setCurrentIndex(choice.index);
    m_form.ComboBox1->setEditText(QString::fromLatin1(choice.name.data(),
                                                      qsizetype(choice.name.size())));
    m_current = choice.name;
    load();
    m_form.showPage("TabSheet1");
}

void WindowProfiles::load()
{
    Profile profile;
    profile.name = m_current;
    profile.blacklist = m_screener.blacklist;
    const LoadProfileResult result = LoadProfile(profile, m_dataDir);
    if (!result)
        m_form.message(Prompter::Kind::Error, result.error);
    m_screener.settings = profile.settings;
    m_screener.whitelist = profile.whitelist;
    m_screener.blacklist = profile.blacklist;
    m_screener.rejectedLog = profile.log;
    m_form.showSettings(m_screener.settings);
    m_form.applyGeometry(m_screener.settings);
    m_form.Label29->setText(m_form.ComboBox1->currentText());
    m_form.setWindowTitle(L1("Kestrix for POP3 - Version 3.0.2 - October 2003"));
    m_form.Label19->setText(QString::number(m_screener.whitelist.size()));
}

bool WindowProfiles::save()
{
    Profile profile;
    profile.name = m_current;
    m_form.collectSettings(m_screener.settings);
    profile.settings = m_screener.settings;
    profile.whitelist = m_screener.whitelist;
    profile.blacklist = m_screener.blacklist;
    profile.log = m_screener.rejectedLog;
    const FileResult result = SaveProfile(profile, m_dataDir);
    if (!result)
        m_form.message(Prompter::Kind::Error, result.error);
    return bool(result);
}

bool WindowProfiles::saveAll()
{
    const bool saved = save();
    const FileResult list = writeProfileList(m_dataDir, profileNames());
    if (!list)
        m_form.message(Prompter::Kind::Error, list.error);
    return saved && bool(list);
}

std::vector<std::string> WindowProfiles::profileNames() const
{
    std::vector<std::string> names;
    for (int i = 0; i < m_form.ComboBox1->count(); ++i)
        names.push_back(m_form.ComboBox1->itemText(i).toLatin1().toStdString());
    return names;
}

}  // namespace kestrix
