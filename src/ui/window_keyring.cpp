#include "ui/window_keyring.h"

#include "profiles/password_keyring.h"
#include "profiles/profile_conf.h"
#include "screening/prompter.h"
#include "text/secret_text.h"
#include "ui/form1.h"
#include "ui/ui_widgets.h"
#include "ui/window_profiles.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>

namespace kestrix {

WindowKeyring::WindowKeyring(TForm1 &form, WindowProfiles &profiles, QString dataDir,
                             Prompter &prompter)
    : m_form(form)
    , m_prompter(prompter)
    , m_profiles(profiles)
    , m_dataDir(std::move(dataDir))
{
    m_box = new QCheckBox(QStringLiteral("Remember password in the desktop keyring"),
                          form.configPage->TabSheet8);
    m_box->setObjectName(QStringLiteral("CheckBoxKeyring"));
    if (auto *column = qobject_cast<QBoxLayout *>(form.configPage->TabSheet8->layout()))
        column->insertWidget(column->count() - 1, m_box);  // above the closing stretch
    m_reachable = PasswordKeyring::reachable(m_unreachableWhy);
    m_box->setEnabled(m_reachable);
    m_box->setToolTip(m_reachable ? QStringLiteral("Kept by the desktop's Secret Service; no file "
                                                   "of Kestrix for POP3 holds it")
                                  : fromBytes(m_unreachableWhy));
    connect(m_box, &QCheckBox::toggled, this, &WindowKeyring::toggled);
}

bool WindowKeyring::setKeyringFlag(bool on)
{
    const QString path = ProfileConf::pathFor(m_dataDir, m_profiles.currentName());
    ProfileConf conf = ProfileConf::load(path);
    conf.setKeyring(on);
    const FileResult saved = conf.save(path);
    if (!saved)
        m_form.statusArea->statustext->setText(fromBytes(saved.error));
    return bool(saved);
}

WindowKeyring::~WindowKeyring() { wipeSecret(m_stored); }

void WindowKeyring::profileLoaded()
{
    wipeSecret(m_stored);
    const ProfileConf conf =
        ProfileConf::load(ProfileConf::pathFor(m_dataDir, m_profiles.currentName()));
    {
        const QSignalBlocker quiet(m_box);
        m_box->setChecked(conf.keyring());
    }
    m_failureTold = false;
    m_form.topBar->Edit4->setPlaceholderText(QString());
    if (!conf.keyring())
        return;
    std::string error = m_unreachableWhy;
    if (m_reachable) {
        if (const auto password = PasswordKeyring::read(m_profiles.currentName(), &error)) {
            m_stored = *password;
            m_form.topBar->Edit4->setText(fromBytes(*password));
            return;
        }
        if (error.empty())
            return;  // none stored yet: the next connection stores the typed one
    }
    // The password is asked for instead: the field says so and has the focus.
    m_form.topBar->Edit4->setPlaceholderText(QStringLiteral("type the password"));
    m_form.topBar->Edit4->setFocus();
    tellOnce("The password could not be read from the desktop keyring (" + error
             + "). Please type the password.");
}

void WindowKeyring::rememberTyped(const std::string &typed)
{
    if (!m_box->isChecked())
        return;
    if (typed.empty() || typed == m_stored)
        return;
    std::string error = m_unreachableWhy;
    if (m_reachable && PasswordKeyring::write(m_profiles.currentName(), typed, &error)) {
        m_stored = typed;
        return;
    }
    // The typed password stays in use for this run; only the keyring does not keep it.
    tellOnce("The password could not be stored in the desktop keyring (" + error
             + "). It is used until the program ends.");
}

void WindowKeyring::tellOnce(const std::string &text)
{
    m_form.statusArea->statustext->setText(fromBytes(text));
    if (m_failureTold)
        return;
    m_failureTold = true;
    m_prompter.message(Prompter::Kind::Warning, text);
}

void WindowKeyring::toggled(bool on)
{
    if (!setKeyringFlag(on))
        return;
    std::string error;
    if (on) {
        wipeSecret(m_stored);
        std::string typed = toBytes(m_form.topBar->Edit4->text());
        rememberTyped(typed);
        wipeSecret(typed);
    } else {
        wipeSecret(m_stored);
        if (!PasswordKeyring::remove(m_profiles.currentName(), &error))
            m_form.statusArea->statustext->setText(fromBytes(error));
    }
}

void WindowKeyring::profileDeleted(const std::string &name)
{
    if (!m_reachable)
        return;
    std::string error;
    if (!PasswordKeyring::remove(name, &error))
        m_form.statusArea->statustext->setText(fromBytes(error));
}

}  // namespace kestrix
