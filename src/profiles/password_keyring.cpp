#include "profiles/password_keyring.h"

#include <QEventLoop>
#include <QString>
#include <QTimer>

#include <qt6keychain/keychain.h>

namespace kestrix {

namespace {

// The keyring entry: service "Kestrix for POP3", key = the profile name.
const QString kService = QStringLiteral("Kestrix for POP3");

QString keyOf(std::string_view profile)
{
    return QString::fromLatin1(profile.data(), qsizetype(profile.size()));
}

// Runs a job and waits for it; false when it did not finish in time.
bool runJob(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    job.setInsecureFallback(false);  // never a file instead of the keyring
    QEventLoop loop;
    bool finished = false;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    QTimer::singleShot(kKeyringTimeoutMs, &loop, &QEventLoop::quit);
    job.start();
    if (!finished)
        loop.exec();
    return finished;
}

void tell(std::string *error, const std::string &text)
{
    if (error)
        *error = text;
}

std::string failureOf(const QKeychain::Job &job)
{
    if (job.error() == QKeychain::NoBackendAvailable)
        return "No desktop keyring (Secret Service) is available";
    const std::string why = job.errorString().toStdString();
    return why.empty() ? "The desktop keyring refused the request" : "Desktop keyring: " + why;
}

}  // namespace

bool PasswordKeyring::reachable(std::string &why)
{
    // Without a session bus there is no Secret Service; asking would only start a bus of its
    // own through X11 auto-launch.
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        why = "No desktop session bus: the desktop keyring cannot be reached";
        return false;
    }
    QKeychain::ReadPasswordJob probe(kService);
    probe.setKey(QStringLiteral("kestrix-keyring-probe"));
    if (!runJob(probe)) {
        why = "The desktop keyring does not answer";
        return false;
    }
    if (probe.error() == QKeychain::NoError || probe.error() == QKeychain::EntryNotFound)
        return true;
    why = failureOf(probe);
    return false;
}

std::optional<std::string> PasswordKeyring::read(std::string_view profile, std::string *error)
{
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(keyOf(profile));
    if (!runJob(job)) {
        tell(error, "The desktop keyring does not answer");
        return std::nullopt;
    }
    if (job.error() == QKeychain::EntryNotFound)
        return std::nullopt;
    if (job.error() != QKeychain::NoError) {
        tell(error, failureOf(job));
        return std::nullopt;
    }
    // Passwords are Latin-1 bytes, as typed into the password field.
    return job.textData().toLatin1().toStdString();
}

bool PasswordKeyring::write(std::string_view profile, const std::string &password,
                            std::string *error)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(keyOf(profile));
    job.setTextData(QString::fromLatin1(password.data(), qsizetype(password.size())));
    if (!runJob(job)) {
        tell(error, "The desktop keyring does not answer");
        return false;
    }
    if (job.error() != QKeychain::NoError) {
        tell(error, failureOf(job));
        return false;
    }
    return true;
}

bool PasswordKeyring::remove(std::string_view profile, std::string *error)
{
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(keyOf(profile));
    if (!runJob(job)) {
        tell(error, "The desktop keyring does not answer");
        return false;
    }
    if (job.error() != QKeychain::NoError && job.error() != QKeychain::EntryNotFound) {
        tell(error, failureOf(job));
        return false;
    }
    return true;
}

}  // namespace kestrix
