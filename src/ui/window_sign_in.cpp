#include "ui/window_sign_in.h"

#include "profiles/profile_conf.h"
#include "ui/config_page.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

namespace kestrix {

namespace {

constexpr int kPasswordItem = 0;
constexpr int kTokenItem = 1;

std::string bytes(const QString &text) { return text.toLatin1().toStdString(); }

}  // namespace

void showSignIn(ConfigPage &page, const ProfileConf &conf)
{
    const QSignalBlocker comboQuiet(page.ComboBoxSignIn);
    const QSignalBlocker editQuiet(page.EditTokenCommand);
    const bool readable = conf.problem(ProfileConf::kAuthMethod).empty();
    // A method this version cannot read shows no choice (and stays as written).
    page.ComboBoxSignIn->setCurrentIndex(!readable ? -1
                                         : conf.signsInWithToken() ? kTokenItem
                                                                   : kPasswordItem);
    page.EditTokenCommand->setText(QString::fromLatin1(conf.tokenCommand()));
    page.EditTokenCommand->setEnabled(page.ComboBoxSignIn->currentIndex() == kTokenItem);
}

void followSignIn(ConfigPage &page, ProfileConf &conf)
{
    QObject::connect(page.ComboBoxSignIn, &QComboBox::currentIndexChanged, &page,
                     [&page, &conf](int index) {
        page.EditTokenCommand->setEnabled(index == kTokenItem);
        if (index == kPasswordItem) {
            conf.setSignInMethod(SignInMethod::Password);
        } else if (index == kTokenItem) {
            // A mechanism named in the file stays; otherwise the server's SASL line chooses.
            const SignInMethod method = conf.signInMethod();
            if (method != SignInMethod::XOAuth2 && method != SignInMethod::OAuthBearer)
                conf.setSignInMethod(SignInMethod::Auto);
            page.EditTokenCommand->setFocus();
        }
    });
    QObject::connect(page.EditTokenCommand, &QLineEdit::textEdited, &page,
                     [&conf](const QString &text) { conf.setTokenCommand(bytes(text)); });
}

FileResult saveSignIn(const ProfileConf &inUse, const QString &confFile)
{
    if (confFile.isEmpty() || !inUse.problem(ProfileConf::kAuthMethod).empty())
        return {};
    ProfileConf saved = ProfileConf::load(confFile);
    if (saved.signInMethod() == inUse.signInMethod()
        && saved.tokenCommand() == inUse.tokenCommand()
        && saved.problem(ProfileConf::kAuthMethod).empty())
        return {};
    saved.setSignInMethod(inUse.signInMethod());
    saved.setTokenCommand(inUse.tokenCommand());
    return saved.save(confFile);
}

}  // namespace kestrix
