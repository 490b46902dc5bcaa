// Signing in with an access token: the token command runs before anything is sent, its token is
// kept in memory for the next sessions, and a token the server refuses is replaced once by a
// fresh one from the same command.
#include "screening/screener.h"
#include "screening/view.h"
#include "text/secret_text.h"
#include "transport/pop3_client.h"

namespace kestrix {

namespace {

Pop3SignIn pop3SignIn(const ProfileConf &conf)
{
    if (!conf.signsInWithToken())
        return Pop3SignIn::Password;
    switch (conf.signInMethod()) {
    case SignInMethod::XOAuth2: return Pop3SignIn::XOAuth2;
    case SignInMethod::OAuthBearer: return Pop3SignIn::OAuthBearer;
    case SignInMethod::Password:
    case SignInMethod::Auto: break;
    }
    return Pop3SignIn::Auto;
}

}  // namespace

std::string Screener::prepareSignIn()
{
    session.NMPOP31->SignIn = pop3SignIn(profile.conf);
    session.NMPOP31->OnTokenRefused = nullptr;
    if (session.NMPOP31->SignIn == Pop3SignIn::Password) {
        wipeSecret(session.NMPOP31->AccessToken);
        return {};
    }
    // Neither the command nor the server is asked when the token could only go unprotected.
    if (profile.conf.securityMode() == SecurityMode::None)
        return "Signing in with a token needs an encrypted connection: choose \"Automatic\" or "
               "\"TLS\" in Security (nothing was sent)";
    // A command changed on screen is used at once, so its token too.
    if (session.accessTokenCommand != profile.conf.tokenCommand())
        session.forgetAccessToken();
    if (session.accessToken.empty()) {
        m_view.setStatus("Asking the token command for an access token");
        TokenCommandResult got
            = runTokenCommand(profile.conf.tokenCommand(), session.tokenCommandTimeOutMs);
        if (!got.error.empty())
            return got.error + "; nothing was sent";
        session.accessToken = std::move(got.token);
        session.accessTokenCommand = profile.conf.tokenCommand();
    }
    session.NMPOP31->AccessToken = session.accessToken;
    session.NMPOP31->OnTokenRefused = [this](bool &handled) {
        session.forgetAccessToken();
        m_view.setStatus("The token was refused: asking the token command for a fresh one");
        TokenCommandResult got
            = runTokenCommand(profile.conf.tokenCommand(), session.tokenCommandTimeOutMs);
        if (!got.error.empty()) {
            m_view.setStatus(got.error);
            return;
        }
        session.accessToken = std::move(got.token);
        session.accessTokenCommand = profile.conf.tokenCommand();
        session.NMPOP31->AccessToken = session.accessToken;
        handled = true;
    };
    return {};
}

}  // namespace kestrix
