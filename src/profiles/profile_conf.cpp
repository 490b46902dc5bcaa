#include "profiles/profile_conf.h"

#include "profiles/data_folder.h"
#include "text/latin1.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QTemporaryFile>

#include <array>
#include <functional>
#include <optional>
#include <type_traits>
#include <cstdio>

namespace kestrix {

namespace {

constexpr std::array<std::pair<SecurityMode, std::string_view>, 4> kModeNames{{
    {SecurityMode::Auto, "auto"},
    {SecurityMode::Tls, "tls"},
    {SecurityMode::StartTls, "starttls"},
    {SecurityMode::None, "none"},
}};

constexpr std::array<std::pair<SignInMethod, std::string_view>, 4> kSignInNames{{
    {SignInMethod::Password, "password"},
    {SignInMethod::XOAuth2, "xoauth2"},
    {SignInMethod::OAuthBearer, "oauthbearer"},
    {SignInMethod::Auto, "auto"},
}};

std::string bytes(const QString &text) { return text.toLatin1().toStdString(); }

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// QSettings reads a value with a comma as a list; the problem message shows it as written.
std::string valueText(const QVariant &value)
{
    if (value.metaType().id() == QMetaType::QStringList)
        return bytes(value.toStringList().join(QLatin1Char(',')));
    return bytes(value.toString());
}

std::optional<bool> readBool(std::string_view text)
{
    const std::string lower = lowerAZ(trimmed(text));
    if (lower == "true" || lower == "1" || lower == "yes" || lower == "on")
        return true;
    if (lower == "false" || lower == "0" || lower == "no" || lower == "off")
        return false;
    return std::nullopt;
}

std::string problemText(const QString &path, std::string_view key, const std::string &value,
                        std::string_view expected)
{
    const size_t slash = key.find('/');
    return "Invalid value \"" + value + "\" for [" + std::string(key.substr(0, slash)) + "] "
           + std::string(key.substr(slash + 1)) + " in \"" + bytes(path) + "\" (expected "
           + std::string(expected) + ")";
}

QString qkey(const char *key) { return QString::fromLatin1(key); }

// The keys of one NAME.conf as the fields want them. A value that cannot be used is handed to
// invalid with what was expected, and its field keeps what it held.
class ConfFileReader {
public:
    using Invalid = std::function<void(const char *, const QVariant &, std::string_view)>;
    ConfFileReader(QSettings &file, Invalid invalid) : m_file(file), m_invalid(std::move(invalid)) {}

    // The raw value; invalid when the key is missing.
    QVariant raw(const char *key) const { return m_file.value(qkey(key)); }
    void invalid(const char *key, const QVariant &raw, std::string_view expected) const
    {
        m_invalid(key, raw, expected);
    }

    // A name one of the parse function's choices, as parse reads it.
    template <typename Field, typename Parse>
    void choice(const char *key, Field &field, Parse parse, std::string_view expected) const
    {
        const QVariant value = raw(key);
        if (!value.isValid())
            return;
        if (const auto parsed = parse(valueText(value)))
            field = *parsed;
        else
            invalid(key, value, expected);
    }
    // Free text, trimmed.
    void text(const char *key, std::string &field) const
    {
        if (const QVariant value = raw(key); value.isValid())
            field = std::string(trimmed(valueText(value)));
    }
    void flag(const char *key, bool &field) const
    {
        choice(key, field, [](const std::string &text) { return readBool(text); }, "true or false");
    }
    void cutoff(const char *key, double &field) const
    {
        choice(key, field, [](const std::string &text) -> std::optional<double> {
            bool ok = false;
            const double number = QByteArray::fromStdString(std::string(trimmed(text))).toDouble(&ok);
            return ok && number >= 0.0 && number <= 1.0 ? std::optional(number) : std::nullopt;
        }, "a number from 0 to 1");
    }
    template <typename Field>
    void count(const char *key, Field &field) const
    {
        choice(key, field, [](const std::string &text) -> std::optional<Field> {
            bool ok = false;
            const qlonglong number
                = QByteArray::fromStdString(std::string(trimmed(text))).toLongLong(&ok);
            return ok && number > 0 && number <= 1000000000000LL ? std::optional(Field(number))
                                                                 : std::nullopt;
        }, "a whole number above 0");
    }

private:
    QSettings &m_file;
    Invalid m_invalid;
};

}  // namespace

std::string_view securityModeName(SecurityMode mode)
{
    for (const auto &[m, name] : kModeNames) {
        if (m == mode)
            return name;
    }
    return "auto";
}

std::optional<SecurityMode> securityModeFromName(std::string_view name)
{
    const std::string lower = lowerAZ(trimmed(name));
    for (const auto &[mode, text] : kModeNames) {
        if (lower == text)
            return mode;
    }
    return std::nullopt;
}

std::string_view signInMethodName(SignInMethod method)
{
    for (const auto &[m, name] : kSignInNames) {
        if (m == method)
            return name;
    }
    return "auto";
}

std::optional<SignInMethod> signInMethodFromName(std::string_view name)
{
    const std::string lower = lowerAZ(trimmed(name));
    for (const auto &[method, text] : kSignInNames) {
        if (lower == text)
            return method;
    }
    return std::nullopt;
}

std::optional<std::string> normalizeSha256(std::string_view text)
{
    std::string digits;
    for (char c : trimmed(text)) {
        if (c == ':')
            continue;
        if (c >= 'A' && c <= 'F')
            c = char(c - 'A' + 'a');
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return std::nullopt;
        digits += c;
        if (digits.size() > 64)
            return std::nullopt;
    }
    if (digits.size() != 64)
        return std::nullopt;
    return digits;
}

QString ProfileConf::pathFor(const QString &dataDir, std::string_view profileName)
{
    return dataFilePath(dataDir, std::string(profileName) + ".conf");
}

ProfileConf ProfileConf::load(const QString &path)
{
    ProfileConf conf;
    const QFileInfo info(path);
    if (!info.exists())
        return conf;
    if (info.isDir() || !info.isReadable()) {
        conf.m_fileError = "Cannot read file \"" + bytes(path) + "\"";
        return conf;
    }
    QSettings file(path, QSettings::IniFormat);
    if (file.status() != QSettings::NoError) {
        conf.m_fileError = "Cannot read file \"" + bytes(path) + "\": not a settings file";
        return conf;
    }

    const ConfFileReader read(file, [&](const char *key, const QVariant &raw,
                                        std::string_view expected) {
        conf.m_invalid[key] = Invalid{raw, problemText(path, key, valueText(raw), expected)};
    });
    read.choice(kSecurityMode, conf.m_mode, securityModeFromName, "auto, tls, starttls or none");
    if (const QVariant raw = read.raw(kPinnedSha256); raw.isValid()) {
        const std::string text = valueText(raw);
        if (trimmed(text).empty())
            ;  // an empty value pins nothing
        else if (const auto pin = normalizeSha256(text))
            conf.m_pin = *pin;
        else
            read.invalid(kPinnedSha256, raw, "64 hex digits, colons allowed");
    }
    read.choice(kStrongest, conf.m_strongest,
                [](const std::string &name) {
                    // "auto" is no protection a server gave.
                    const auto mode = securityModeFromName(name);
                    return mode == SecurityMode::Auto ? std::nullopt : mode;
                },
                "tls, starttls or none");
    read.choice(kAuthMethod, conf.m_signIn, signInMethodFromName,
                "password, xoauth2, oauthbearer or auto");
    read.text(kTokenCommand, conf.m_tokenCommand);
    read.flag(kKeyring, conf.m_keyring);
    read.flag(kPipelining, conf.m_pipelining);
    read.flag(kDecodeAll, conf.m_decodeAll);
    read.flag(kSelectSpam, conf.m_selectSpam);
    read.cutoff(kHamCutoff, conf.m_hamCutoff);
    read.cutoff(kSpamCutoff, conf.m_spamCutoff);
    if (conf.m_hamCutoff > conf.m_spamCutoff) {
        // Crossed cutoffs would score one message both ways: both keep their defaults.
        const char *key = file.contains(qkey(kSpamCutoff)) ? kSpamCutoff : kHamCutoff;
        read.invalid(key, read.raw(key), "cutoffs with hamCutoff not above spamCutoff");
        conf.m_hamCutoff = 0.20;
        conf.m_spamCutoff = 0.90;
    }
    read.text(kTrustedAuthservId, conf.m_trustedAuthservId);
    read.flag(kTrustSpamFlag, conf.m_trustSpamFlag);
    read.flag(kForgedIsBad, conf.m_forgedIsBad);
    read.flag(kQuarantineEnabled, conf.m_quarantine.enabled);
    read.count(kKeepDays, conf.m_quarantine.keepDays);
    read.count(kMaxMessageBytes, conf.m_quarantine.maxMessageBytes);
    read.count(kMaxTotalMB, conf.m_quarantine.maxTotalMB);
    read.choice(kRestoreTo, conf.m_restoreTarget, restoreTargetFromName,
                "maildir, mbox or mailProgram");
    if (const QVariant raw = read.raw(kRestorePath); raw.isValid())
        conf.m_restorePath = raw.toString().trimmed();
    return conf;
}

FileResult ProfileConf::save(const QString &path) const
{
    if (!m_fileError.empty())
        return FileResult::failure(m_fileError);
    if (QFileInfo(path).isDir())
        return FileResult::failure("Cannot create file \"" + bytes(path) + "\": Is a directory");

    // The new content goes into a private temporary file beside the target, which then replaces
    // the target in one rename: an interrupted save leaves the previous file whole.
    QTemporaryFile temp(path + QStringLiteral(".XXXXXX"));
    if (!temp.open())
        return FileResult::failure("Cannot create file \"" + bytes(path) + "\": "
                                   + bytes(temp.errorString()));
    temp.close();
    {
        QSettings out(temp.fileName(), QSettings::IniFormat);
        if (QFileInfo::exists(path)) {
            // Keys a newer version wrote stay as they are.
            const QSettings old(path, QSettings::IniFormat);
            for (const QString &key : old.allKeys())
                out.setValue(key, old.value(key));
        }
        auto put = [&](const char *key, const QVariant &value) {
            const auto bad = m_invalid.find(std::string_view(key));
            out.setValue(qkey(key), bad != m_invalid.end() ? bad->second.raw : value);
        };
        put(kSecurityMode, QString::fromLatin1(securityModeName(m_mode)));
        if (m_pin.empty() && !m_invalid.count(std::string_view(kPinnedSha256)))
            out.remove(qkey(kPinnedSha256));
        else
            put(kPinnedSha256, QString::fromLatin1(m_pin));
        if (m_strongest == SecurityMode::None && !m_invalid.count(std::string_view(kStrongest)))
            out.remove(qkey(kStrongest));
        else
            put(kStrongest, QString::fromLatin1(securityModeName(m_strongest)));
        if (!m_pipelining && !m_invalid.count(std::string_view(kPipelining)))
            out.remove(qkey(kPipelining));
        else
            put(kPipelining, m_pipelining);
        put(kKeyring, m_keyring);
        put(kDecodeAll, m_decodeAll);
        put(kHamCutoff, m_hamCutoff);
        put(kSpamCutoff, m_spamCutoff);
        put(kSelectSpam, m_selectSpam);
        // The sender checks are written once they differ from their defaults (or the file
        // already names them), so a profile that never touched them keeps a short file.
        auto putUnlessDefault = [&](const char *key, const QVariant &value, bool isDefault) {
            if (!isDefault || out.contains(qkey(key)) || m_invalid.count(std::string_view(key)))
                put(key, value);
        };
        putUnlessDefault(kAuthMethod, QString::fromLatin1(signInMethodName(m_signIn)),
                         m_signIn == SignInMethod::Auto);
        putUnlessDefault(kTokenCommand, QString::fromLatin1(m_tokenCommand),
                         m_tokenCommand.empty());
        putUnlessDefault(kTrustedAuthservId, QString::fromLatin1(m_trustedAuthservId),
                         m_trustedAuthservId.empty());
        putUnlessDefault(kTrustSpamFlag, m_trustSpamFlag, m_trustSpamFlag);
        putUnlessDefault(kForgedIsBad, m_forgedIsBad, m_forgedIsBad);
        const QuarantineLimits defaults;
        putUnlessDefault(kQuarantineEnabled, m_quarantine.enabled, m_quarantine.enabled);
        putUnlessDefault(kKeepDays, m_quarantine.keepDays,
                         m_quarantine.keepDays == defaults.keepDays);
        putUnlessDefault(kMaxMessageBytes, qlonglong(m_quarantine.maxMessageBytes),
                         m_quarantine.maxMessageBytes == defaults.maxMessageBytes);
        putUnlessDefault(kMaxTotalMB, qlonglong(m_quarantine.maxTotalMB),
                         m_quarantine.maxTotalMB == defaults.maxTotalMB);
        putUnlessDefault(kRestoreTo, QString::fromLatin1(restoreTargetName(m_restoreTarget)),
                         m_restoreTarget == RestoreTarget::Maildir);
        putUnlessDefault(kRestorePath, m_restorePath, m_restorePath.isEmpty());
        out.sync();
        if (out.status() != QSettings::NoError)
            return FileResult::failure("Cannot write file \"" + bytes(path) + "\"");
    }
    // QSettings replaced the temporary file while syncing; the target is private all the same.
    QFile::setPermissions(temp.fileName(), QFile::ReadOwner | QFile::WriteOwner);
    if (std::rename(QFile::encodeName(temp.fileName()).constData(),
                    QFile::encodeName(path).constData())
        != 0)
        return FileResult::failure("Cannot write file \"" + bytes(path) + "\"");
    temp.setAutoRemove(false);
    return {};
}

void ProfileConf::setSecurityMode(SecurityMode mode)
{
    m_mode = mode;
    markSet(kSecurityMode);
}

bool ProfileConf::setPinnedSha256(std::string_view text)
{
    if (trimmed(text).empty()) {
        m_pin.clear();
    } else {
        const auto pin = normalizeSha256(text);
        if (!pin)
            return false;
        m_pin = *pin;
    }
    markSet(kPinnedSha256);
    return true;
}

bool ProfileConf::rememberProtection(SecurityMode mode)
{
    auto rank = [](SecurityMode m) {
        return m == SecurityMode::Tls ? 2 : m == SecurityMode::StartTls ? 1 : 0;
    };
    if (rank(mode) <= rank(m_strongest) && problem(kStrongest).empty())
        return false;
    m_strongest = rank(mode) > rank(m_strongest) ? mode : m_strongest;
    markSet(kStrongest);
    return true;
}

bool ProfileConf::rememberPipelining(bool listed)
{
    if (listed == m_pipelining && problem(kPipelining).empty())
        return false;
    m_pipelining = listed;
    markSet(kPipelining);
    return true;
}

void ProfileConf::setKeyring(bool on)
{
    m_keyring = on;
    markSet(kKeyring);
}

void ProfileConf::setSignInMethod(SignInMethod method)
{
    m_signIn = method;
    markSet(kAuthMethod);
}

void ProfileConf::setTokenCommand(std::string_view command)
{
    m_tokenCommand = std::string(trimmed(command));
    markSet(kTokenCommand);
}

bool ProfileConf::signsInWithToken() const
{
    return m_signIn == SignInMethod::XOAuth2 || m_signIn == SignInMethod::OAuthBearer
           || (m_signIn == SignInMethod::Auto && !m_tokenCommand.empty());
}

void ProfileConf::setDecodeAll(bool on)
{
    m_decodeAll = on;
    markSet(kDecodeAll);
}

void ProfileConf::setSelectSpam(bool on)
{
    m_selectSpam = on;
    markSet(kSelectSpam);
}

void ProfileConf::setTrustedAuthservId(std::string_view id)
{
    m_trustedAuthservId = std::string(trimmed(id));
    markSet(kTrustedAuthservId);
}

void ProfileConf::setTrustSpamFlag(bool on)
{
    m_trustSpamFlag = on;
    markSet(kTrustSpamFlag);
}

void ProfileConf::setForgedIsBad(bool on)
{
    m_forgedIsBad = on;
    markSet(kForgedIsBad);
}

std::string ProfileConf::securityError() const
{
    if (!m_fileError.empty())
        return m_fileError;
    for (const char *key : {kSecurityMode, kPinnedSha256, kStrongest, kAuthMethod}) {
        if (std::string message = problem(key); !message.empty())
            return message;
    }
    return {};
}

std::string ProfileConf::error() const
{
    if (!m_fileError.empty())
        return m_fileError;
    for (const char *key : {kSecurityMode, kPinnedSha256, kStrongest, kAuthMethod, kKeyring,
                            kPipelining, kDecodeAll,
                            kHamCutoff, kSpamCutoff, kSelectSpam, kTrustSpamFlag, kForgedIsBad,
                            kQuarantineEnabled, kKeepDays, kMaxMessageBytes, kMaxTotalMB,
                            kRestoreTo}) {
        if (std::string message = problem(key); !message.empty())
            return message;
    }
    return {};
}

void ProfileConf::setRestoreDestination(RestoreTarget target, const QString &path)
{
    m_restoreTarget = target;
    m_restorePath = path.trimmed();
    markSet(kRestoreTo);
    markSet(kRestorePath);
}

void ProfileConf::setQuarantineEnabled(bool on)
{
    m_quarantine.enabled = on;
    markSet(kQuarantineEnabled);
}

std::string ProfileConf::problem(std::string_view key) const
{
    const auto found = m_invalid.find(key);
    return found == m_invalid.end() ? std::string() : found->second.message;
}

}  // namespace kestrix
