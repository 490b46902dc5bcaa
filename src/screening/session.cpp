// Opening and closing the POP3 session around each server operation, and the handlers of the
// POP3 client's events: the status line and the questions the client may ask while it works.
// A server's refusal never acts through the status line: it reaches the code that sent the
// command as an EPop3Refusal, and that code (or the dispatcher's trap) decides.
#include "screening/prompter.h"
#include "screening/refusal_text.h"
#include "screening/screener.h"
#include "screening/view.h"
#include "text/latin1.h"
#include "text/line_end.h"
#include "transport/pop3_client.h"
#include "transport/scope_exit.h"
#include "transport/tls_certificate.h"

namespace kestrix {

namespace {

constexpr int kTimeOutMs = 20000;
constexpr int kReportLevel = 2;  // every server reply reaches the status event

Pop3Security pop3Security(SecurityMode mode)
{
    switch (mode) {
    case SecurityMode::Tls: return Pop3Security::Tls;
    case SecurityMode::StartTls: return Pop3Security::StartTls;
    case SecurityMode::None: return Pop3Security::None;
    case SecurityMode::Auto: break;
    }
    return Pop3Security::Auto;
}

}  // namespace

Pop3Attachment &Pop3Attachment::operator=(Pop3Attachment &&other) noexcept
{
    if (this != &other) {
        reset();
        m_screener = std::exchange(other.m_screener, nullptr);
        m_client = std::exchange(other.m_client, nullptr);
    }
    return *this;
}

void Pop3Attachment::reset()
{
    if (!m_client)
        return;
    TNMPOP3 &client = *m_client;
    client.OnConnect = nullptr;
    client.OnPlainLogin = nullptr;
    client.OnDisconnect = nullptr;
    client.OnStatus = nullptr;
    client.OnConnectionFailed = nullptr;
    client.OnConnectionRequired = nullptr;
    client.OnFailure = nullptr;
    client.OnHostResolved = nullptr;
    client.OnInvalidHost = nullptr;
    client.OnSuccess = nullptr;
    client.OnTokenRefused = nullptr;
    client.OnRetrieveStart = nullptr;
    if (m_screener && m_screener->session.NMPOP31 == m_client)
        m_screener->session.NMPOP31 = nullptr;
    m_client = nullptr;
    m_screener = nullptr;
}

Pop3Attachment Screener::attachPop3(TNMPOP3 &client)
{
    session.NMPOP31 = &client;
    // After the login: the status line names the protection in use.
    client.OnConnect = [this](TPowersock *) {
        const std::string protection = session.NMPOP31->Protection();
        m_view.setStatus(protection.empty() ? std::string("Connected (no encryption)")
                                            : "Connected (" + protection + ")");
        showProtection();
    };
    client.OnPlainLogin = [this](TPowersock *) {
        m_view.setStatus("Password sent without encryption");
    };
    client.OnDisconnect = [this](TPowersock *) { m_view.setStatus("Disconnected"); };
    client.OnStatus = [this](TPowersock *, const std::string &text) { NMPOP31Status(text); };
    client.OnConnectionFailed = [this](TPowersock *) {
        m_prompter.message(Prompter::Kind::Information, "Connection Failed");
    };
    client.OnConnectionRequired = [this](bool &handled) {
        if (!m_prompter.askOkCancel(Prompter::Kind::Warning, "Connection Required. Connect?"))
            return;
        handled = true;
        session.NMPOP31->Connect();
    };
    // The box comes with the reason, once the command that failed has ended (tellRefusal or
    // the dispatcher's trap).
    client.OnFailure = [this](TPowersock *) { session.operationFailed = true; };
    client.OnHostResolved = [this](TPowersock *) { m_view.setStatus("Host Resolved"); };
    client.OnInvalidHost = [this](bool &handled) {
        const auto host
            = m_prompter.askText("Invalid Host!", "Specify a new host:", session.NMPOP31->Host);
        if (!host)
            return;
        session.NMPOP31->Host = *host;
        handled = true;
    };
    client.OnSuccess = [this](TPowersock *) { m_view.setStatus("Operation successful"); };
    client.OnRetrieveStart = [this](TPowersock *) { m_view.setBusyCursor(true); };
    return Pop3Attachment(*this, client);
}

void Screener::showProtection()
{
    const ConnectionProtection &protection = session.NMPOP31->LastProtection();
    // A connection that ended before it was protected or the password went out was no session.
    if (protection.encrypted || protection.credentialsSent)
        m_view.showProtection(protection);
    else
        m_view.setVisible(Control::ProtectionIndicator, false);
}

bool Screener::connectSession(std::vector<std::string> commandsAfterLogin)
{
    session.sessionError.clear();
    session.lastRefusal.reset();
    session.commandFailure.clear();
    session.operationFailed = false;
    m_window->connectionStarting(session.password);
    m_view.setVisible(Control::shape1, true);
    m_view.setBusyCursor(true);
    m_view.setText(Control::Label8, std::string());
    if (session.isOpen())
        return true;
    // What a previous attempt left in the status line must not stand beside this one's questions.
    m_view.setStatus("Connecting to " + profile.settings.Host);

    auto fail = [this](const std::string &why) {
        session.sessionError = why;
        session.commandFailure = why;
        m_view.setBusyCursor(false);
        m_view.setVisible(Control::shape1, false);
        return false;
    };
    if (!session.NMPOP31)
        return fail("No POP3 client");

    // A port that is no port would only fail deep inside the socket code: refuse it here, with
    // the reason, before anything is sent.
    const auto port = parseDecimal(profile.settings.Port);
    if (!port || *port < 1 || *port > 65535) {
        const std::string why = "Invalid port \"" + profile.settings.Port
            + "\": the port must be a number from 1 to 65535";
        m_view.setStatus(why);
        m_prompter.message(Prompter::Kind::Error, why);
        return fail(why);
    }

    // A security setting this version cannot read never turns into another one.
    if (const std::string why = profile.conf.securityError(); !why.empty()) {
        m_view.setStatus(why);
        m_prompter.message(Prompter::Kind::Error, why);
        return fail(why);
    }

    session.NMPOP31->Security = pop3Security(profile.conf.securityMode());
    if (const std::string why = prepareSignIn(); !why.empty()) {
        m_view.setStatus(why);
        m_prompter.message(Prompter::Kind::Error, why);
        return fail(why);
    }
    session.NMPOP31->PinnedSha256 = profile.conf.pinnedSha256();
    session.NMPOP31->TlsSpokenBefore = profile.conf.strongestProtection() != SecurityMode::None;
    session.NMPOP31->PipeliningRemembered = profile.conf.pipelining();
    session.NMPOP31->DeleteOnRead = false;
    session.NMPOP31->ReportLevel = kReportLevel;
    session.NMPOP31->TimeOut = kTimeOutMs;
    session.NMPOP31->Host = profile.settings.Host;
    session.NMPOP31->Port = std::int32_t(*port);
    session.NMPOP31->UserID = profile.settings.UserId;
    session.NMPOP31->Password = session.password;
    // A login that passed keeps what its CAPA said; one that failed only forgets (a server that
    // stopped pipelining may leave the pipelined login to time out), so a wrong password
    // changes no file.
    bool loggedIn = false;
    session.NMPOP31->CommandsAfterLogin = std::move(commandsAfterLogin);
    ScopeExit rememberCapa([&] {
        // Only this login carries them, not a reconnection later in the session.
        session.NMPOP31->CommandsAfterLogin.clear();
        rememberPipelining(loggedIn);
    });
    // A refused certificate that the user trusts is pinned, and the same check goes on with it.
    for (bool trustAsked = false;;) {
        try {
            session.NMPOP31->Connect();
            break;
        } catch (const ECertificateError &error) {
            m_view.setStatus(error.what());
            if (!session.offerCertificateTrust) {
                showProtection();
                return fail(error.what());
            }
            if (trustAsked || !offerToTrust(error.certificate())) {
                showProtection();
                const std::string why = "The certificate of " + profile.settings.Host
                                        + " was not trusted: the password was not sent";
                m_view.setStatus(why);
                return fail(why);
            }
            trustAsked = true;
            session.NMPOP31->PinnedSha256 = profile.conf.pinnedSha256();
        } catch (const EPop3Refusal &refusal) {
            if (refusal.reason() == Pop3RefusalReason::TokenRefused)
                session.forgetAccessToken();  // the next check asks the command again
            showProtection();
            fail(refusalText(refusal));
            tellRefusal(refusal);
            return false;
        } catch (const EProtectionMissing &error) {
            // Nothing secret went out; the user must decide (the text says how).
            showProtection();
            m_view.setStatus(error.what());
            fail(error.what());
            m_prompter.message(Prompter::Kind::Error, error.what());
            return false;
        } catch (const EHostNotFound &) {
            return fail("The host \"" + session.NMPOP31->Host
                        + "\" could not be found: check the host name");
        } catch (const std::exception &error) {
            showProtection();
            return fail(error.what());
        }
    }
    session.quitConfirmed = false;
    rememberProtection();
    loggedIn = true;
    return true;
}

void Screener::rememberPipelining(bool loggedIn)
{
    const std::optional<bool> listed = session.NMPOP31->PipeliningListed();
    // A failed login may forget but never learns.
    if (!listed || (*listed && !loggedIn) || !profile.conf.rememberPipelining(*listed)
        || profile.confFile.isEmpty())
        return;
    ProfileConf updated = ProfileConf::load(profile.confFile);
    updated.rememberPipelining(*listed);
    if (const FileResult saved = updated.save(profile.confFile); !saved)
        m_view.setStatus("What the server offers could not be remembered: " + saved.error);
}

void Screener::rememberProtection()
{
    if (!session.NMPOP31->Encrypted())
        return;
    const bool implicit = session.NMPOP31->Security == Pop3Security::Tls
        || (session.NMPOP31->Security == Pop3Security::Auto && session.NMPOP31->Port == 995);
    const SecurityMode given = implicit ? SecurityMode::Tls : SecurityMode::StartTls;
    if (!profile.conf.rememberProtection(given) || profile.confFile.isEmpty())
        return;
    // Only this key is raised in the file; the settings in use (which may not be saved) stay.
    ProfileConf updated = ProfileConf::load(profile.confFile);
    updated.rememberProtection(given);
    if (const FileResult saved = updated.save(profile.confFile); !saved)
        m_view.setStatus("The protection of this server could not be remembered: " + saved.error);
}

std::string Screener::tellRefusal(const EPop3Refusal &refusal)
{
    session.lastRefusal = refusal;
    const std::string text = refusalText(refusal);
    const bool operationFailed = std::exchange(session.operationFailed, false);
    if (!refusalNeedsMessage(refusal) && !operationFailed)
        return text;  // the status line says it, as every reply
    m_prompter.message(Prompter::Kind::Error, operationFailed ? "Operation failed. " + text : text);
    if (refusal.reason() == Pop3RefusalReason::TlsRequired)
        offerToSwitchSecurity();
    return text;
}

void Screener::offerToSwitchSecurity()
{
    // Only "None" has a better choice at hand: "Automatic" upgrades with STLS when the server
    // lists it. Under the other modes the message already says to choose "TLS".
    if (!session.offerSecuritySwitch || profile.conf.securityMode() != SecurityMode::None
        || profile.confFile.isEmpty())
        return;
    if (!m_prompter.askYesNo(Prompter::Kind::Confirmation,
                             "Switch Security to \"Automatic\" for this profile?"))
        return;
    ProfileConf updated = ProfileConf::load(profile.confFile);
    updated.setSecurityMode(SecurityMode::Auto);
    if (const FileResult saved = updated.save(profile.confFile); !saved) {
        m_prompter.message(Prompter::Kind::Error, saved.error);
        return;
    }
    profile.conf.setSecurityMode(SecurityMode::Auto);
    m_window->securityModeShown(SecurityMode::Auto);
    m_view.setStatus("Security is now \"Automatic\"; check again to log in with it");
}

bool Screener::offerToTrust(const TlsCertificate &certificate)
{
    if (!certificate.present)
        return false;
    const std::string question = "The certificate of " + profile.settings.Host + " is not trusted ("
        + certificate.problem
        + ").\n\n"
          "Subject: "
        + certificate.subject
        + "\n"
          "Issuer: "
        + certificate.issuer
        + "\n"
          "Valid from "
        + certificate.notBefore + " to " + certificate.notAfter
        + "\n"
          "SHA-256: "
        + colonFingerprint(certificate.sha256)
        + "\n\n"
          "Trust this certificate for this profile?";
    if (!m_prompter.askYesNo(Prompter::Kind::Warning, question))
        return false;
    // Pinned for this run whatever the file says; the file keeps it for the next ones. Only the
    // pin is written: a Security changed on screen and not saved stays unsaved.
    profile.conf.setPinnedSha256(certificate.sha256);
    ProfileConf updated = ProfileConf::load(profile.confFile);
    updated.setPinnedSha256(certificate.sha256);
    if (const FileResult saved = updated.save(profile.confFile); !saved)
        m_prompter.message(Prompter::Kind::Error, saved.error);
    m_view.setStatus("Certificate of " + profile.settings.Host
                     + " pinned for this profile (SHA-256 " + colonFingerprint(certificate.sha256)
                     + "): checking again");
    return true;
}

void Screener::closeSession()
{
    session.closingSession = true;
    if (profile.settings.CheckInterval > 2)
        dispatcher.startPolling();
    // QUIT makes the server carry out the deletions; a failed QUIT is tried twice more while
    // the connection is still up. Failures are of no further interest here.
    for (int attempt = 0; attempt < 3 && session.isOpen(); ++attempt) {
        try {
            session.NMPOP31->Disconnect();
            session.quitConfirmed = true;
        } catch (...) {
        }
    }
    m_view.setVisible(Control::shape1, false);
    m_view.setBusyCursor(false);
    session.closingSession = false;
    settleDeletions();
}

void Screener::endSession()
{
    closeSession();
    if (session.commandFailure.empty())
        return;
    m_view.setVisible(Control::Panel12, false);
    m_view.setStatus(session.commandFailure);
}

void Screener::NMPOP31Status(const std::string &text)
{
    // Only the user reads it: a refusal reaches the command that was refused, which decides.
    // A reply comes with its line end, which the one-line status cannot show.
    m_view.setStatus(withoutLineEnd(text));
}

}  // namespace kestrix
