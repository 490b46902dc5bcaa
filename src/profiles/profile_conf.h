#pragma once
// NAME.conf beside NAME.ini: the per-profile settings that the 29 positional lines of NAME.ini
// have no room for, as a QSettings INI file with named keys. An absent file or key means the
// default, so profiles made before this file existed work unchanged. A key with a value this
// version cannot read is kept as a problem (with a message naming the file and the key) and
// written back untouched on save, so a typo never silently turns into another setting.

#include "profiles/quarantine_restore.h"
#include "profiles/quarantine_store.h"
#include "profiles/text_file.h"

#include <QString>
#include <QVariant>

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace kestrix {

// How the POP3 connection is protected: "auto", "tls", "starttls" or "none" in the file.
enum class SecurityMode { Auto, Tls, StartTls, None };

std::string_view securityModeName(SecurityMode mode);
std::optional<SecurityMode> securityModeFromName(std::string_view name);  // any case, blanks trimmed

// How the profile signs in: "password" (USER/PASS), "xoauth2" or "oauthbearer" (SASL with an
// access token that the token command prints), or "auto": the token mechanism the server lists
// when a token command is set, else the password. "auto" in the file when absent.
enum class SignInMethod { Password, XOAuth2, OAuthBearer, Auto };

std::string_view signInMethodName(SignInMethod method);
std::optional<SignInMethod> signInMethodFromName(std::string_view name);  // any case, trimmed

// A SHA-256 fingerprint as users paste it: 64 hex digits in any case, colons allowed anywhere.
// Gives the 64 lower-case digits without colons, or nothing when the text is not such a value.
std::optional<std::string> normalizeSha256(std::string_view text);

class ProfileConf {
public:
    // The keys, as QSettings names them ("section/key").
    static constexpr char kSecurityMode[] = "security/mode";
    static constexpr char kPinnedSha256[] = "security/pinnedSha256";
    static constexpr char kStrongest[] = "security/strongest";
    static constexpr char kKeyring[] = "password/keyring";
    // The server listed PIPELINING at the last login that asked.
    static constexpr char kPipelining[] = "server/pipelining";
    static constexpr char kDecodeAll[] = "headers/decodeAll";
    static constexpr char kAuthMethod[] = "auth/method";
    static constexpr char kTokenCommand[] = "auth/tokenCommand";
    // The learned score: good below hamCutoff, spam above spamCutoff, unsure between; rows
    // scored spam join "Select Known Bad" while selectSpam is on.
    static constexpr char kHamCutoff[] = "learning/hamCutoff";
    static constexpr char kSpamCutoff[] = "learning/spamCutoff";
    static constexpr char kSelectSpam[] = "learning/selectSpam";
    static constexpr char kTrustedAuthservId[] = "screening/trustedAuthservId";
    static constexpr char kTrustSpamFlag[] = "screening/trustSpamFlag";
    static constexpr char kForgedIsBad[] = "screening/forgedIsBad";
    // The copy of each message kept before it is deleted on the server.
    static constexpr char kQuarantineEnabled[] = "quarantine/enabled";
    static constexpr char kKeepDays[] = "quarantine/keepDays";
    static constexpr char kMaxMessageBytes[] = "quarantine/maxMessageBytes";
    static constexpr char kMaxTotalMB[] = "quarantine/maxTotalMB";
    // Where the "Deleted mail" page restores a copy: a Maildir or mbox file named once, or the
    // mail program.
    static constexpr char kRestoreTo[] = "quarantine/restoreTo";
    static constexpr char kRestorePath[] = "quarantine/restorePath";

    // dataDir + "/NAME.conf".
    static QString pathFor(const QString &dataDir, std::string_view profileName);

    // Reads the file at path. A missing file gives every default and no problem; an unreadable
    // one gives the defaults and fileError(). Unreadable values of single keys keep the key's
    // default here and are listed as problems.
    static ProfileConf load(const QString &path);

    // Writes the file at path atomically (a private 0600 file): every key of this version, the
    // raw text of keys that were unreadable and not set since, and any keys a newer version
    // wrote. Refuses when the file could not be read (it would lose what is in it).
    FileResult save(const QString &path) const;

    SecurityMode securityMode() const { return m_mode; }
    void setSecurityMode(SecurityMode mode);
    // 64 lower-case hex digits, or empty when no certificate is pinned.
    const std::string &pinnedSha256() const { return m_pin; }
    // Takes any form normalizeSha256 reads, or an empty text to remove the pin; false (and no
    // change) for anything else.
    bool setPinnedSha256(std::string_view text);
    // The strongest protection the server has given this profile at a login: "starttls" or
    // "tls" in the file (None until the first protected login, so profiles made before keep
    // logging in as they did). Once set, the automatic security never logs in without TLS.
    SecurityMode strongestProtection() const { return m_strongest; }
    // Raises the remembered protection to mode (TLS above STARTTLS above None); true when it
    // rose, false when the profile had seen as much already.
    bool rememberProtection(SecurityMode mode);
    // The server listed PIPELINING at the last login that asked: the next login sends USER,
    // PASS and STAT with the CAPA ("true" in the file; absent until first seen).
    bool pipelining() const { return m_pipelining; }
    // Keeps what the last CAPA said; true when that changed the remembered value.
    bool rememberPipelining(bool listed);
    bool keyring() const { return m_keyring; }
    void setKeyring(bool on);
    SignInMethod signInMethod() const { return m_signIn; }
    void setSignInMethod(SignInMethod method);
    // The command that prints a current access token (split into words, no shell); empty: none.
    const std::string &tokenCommand() const { return m_tokenCommand; }
    void setTokenCommand(std::string_view command);
    // The profile signs in with a token from its command rather than with the password.
    bool signsInWithToken() const;
    bool decodeAll() const { return m_decodeAll; }
    void setDecodeAll(bool on);
    double hamCutoff() const { return m_hamCutoff; }
    double spamCutoff() const { return m_spamCutoff; }
    bool selectSpam() const { return m_selectSpam; }
    void setSelectSpam(bool on);
    // The sender checks: the authserv-id whose Authentication-Results are trusted (empty: learnt
    // from the downloaded messages), whether the provider's X-Spam-Flag counts (default on),
    // and whether the rows with a verdict join the known-bad selection (default on).
    const std::string &trustedAuthservId() const { return m_trustedAuthservId; }
    void setTrustedAuthservId(std::string_view id);
    bool trustSpamFlag() const { return m_trustSpamFlag; }
    void setTrustSpamFlag(bool on);
    bool forgedIsBad() const { return m_forgedIsBad; }
    void setForgedIsBad(bool on);
    const QuarantineLimits &quarantine() const { return m_quarantine; }
    void setQuarantineEnabled(bool on);
    RestoreTarget restoreTarget() const { return m_restoreTarget; }
    const QString &restorePath() const { return m_restorePath; }
    void setRestoreDestination(RestoreTarget target, const QString &path);

    // The message of the first [security] or [auth] problem (a value that is not a mode, a
    // malformed pin, a sign-in method this version does not know, or the file unreadable); empty when the security keys are sound. A connection must
    // not be made while this is set.
    std::string securityError() const;
    // The message of the first problem of any key or of the file; empty when there is none.
    std::string error() const;
    // Message for a key this version could not read, or empty.
    std::string problem(std::string_view key) const;
    const std::string &fileError() const { return m_fileError; }

private:
    struct Invalid {
        QVariant raw;         // the value as the file holds it, written back on save
        std::string message;  // names the file, the key and what was expected
    };
    void markSet(const char *key) { m_invalid.erase(key); }

    SecurityMode m_mode = SecurityMode::Auto;
    std::string m_pin;
    SecurityMode m_strongest = SecurityMode::None;
    bool m_pipelining = false;
    bool m_keyring = false;
    SignInMethod m_signIn = SignInMethod::Auto;
    std::string m_tokenCommand;
    bool m_decodeAll = false;
    double m_hamCutoff = 0.20;
    double m_spamCutoff = 0.90;
    bool m_selectSpam = true;
    std::string m_trustedAuthservId;
    bool m_trustSpamFlag = true;
    bool m_forgedIsBad = true;
    QuarantineLimits m_quarantine;
    RestoreTarget m_restoreTarget = RestoreTarget::Maildir;
    QString m_restorePath;
    std::map<std::string, Invalid, std::less<>> m_invalid;
    std::string m_fileError;
};

}  // namespace kestrix
