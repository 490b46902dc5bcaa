#include "support/mailutils_server.h"

#include "support/fake_pop3_server.h"

#include <QTemporaryDir>

#include <chrono>
#include <crypt.h>
#include <grp.h>
#include <stdexcept>
#include <unistd.h>

namespace kestrix::test {

namespace {

using namespace server_files;

const char *const pop3dBinary = "/usr/sbin/pop3d";
constexpr auto startLimit = std::chrono::seconds(20);

// The group pop3d switches to at start; it may do that as root, or when it is its group already.
bool mayTakeMailGroup()
{
    const group *mail = ::getgrnam("mail");
    return ::geteuid() == 0 || (mail && ::getegid() == mail->gr_gid);
}

}  // namespace

bool MailutilsServer::available()
{
    return whyUnavailable().empty();
}

std::string MailutilsServer::whyUnavailable()
{
    if (::access(pop3dBinary, X_OK) != 0)
        return "GNU Mailutils pop3d is not installed (apt-get install mailutils-pop3d)";
    if (!mayTakeMailGroup())
        return "GNU Mailutils pop3d switches to the group mail: run as root or with that group";
    return {};
}

MailutilsServer::MailutilsServer(const std::vector<std::string> &messages)
    : MailutilsServer(messages, Options())
{
}

MailutilsServer::MailutilsServer(const std::vector<std::string> &messages, const Options &options)
    : options_(options)
{
    if (!available())
        throw std::runtime_error(whyUnavailable());
    dir_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/kestrix-mailutils-XXXXXX"));
    if (!dir_->isValid())
        throw std::runtime_error("cannot create a temp folder");
    root_ = dir_->path().toStdString();
    // Everything belongs to the user running the tests; the account maps to that user too.
    makeFolder(root_ + "/home", 0700, ::geteuid(), ::getegid());
    makeMaildir(maildir(), ::geteuid(), ::getegid());
    long time = 1000000001;
    for (const std::string &message : messages)
        deliver(maildir(), std::to_string(time++) + ".M1P1.kestrix", message, ::geteuid(), ::getegid());
    writeAccount();

    std::string why;
    for (int attempt = 0; attempt < 3; ++attempt) {
        port_ = unusedLoopbackPort();
        if (!options_.tlsCertificate.empty()) {
            do
                tlsPort_ = unusedLoopbackPort();
            while (tlsPort_ == port_);
        }
        writeConfig();
        process_.start({pop3dBinary, "--config-file=" + root_ + "/pop3d.conf", "--daemon",
                        "--foreground"},
                       root_ + "/pop3d.log");
        if (process_.waitUntilGreeting(port_, startLimit, why))
            return;
        stop();  // another program may have taken the port meanwhile: try a new one
    }
    throw std::runtime_error("pop3d did not start: " + why + "\n" + logText());
}

MailutilsServer::~MailutilsServer()
{
    stop();
}

std::string MailutilsServer::logText() const
{
    return readFile(root_ + "/pop3d.log");
}

void MailutilsServer::writeAccount()
{
    // A virtual domain's password file has the passwd(5) form with a crypt(3) password; the
    // user's home holds the maildir INBOX.
    const std::size_t at = options_.user.find('@');
    if (at == std::string::npos)
        throw std::runtime_error("the user needs a domain part: " + options_.user);
    const char *hash = ::crypt(options_.password.c_str(), "$6$kestrix$");
    if (!hash || hash[0] == '*')
        throw std::runtime_error("crypt(3) cannot hash the password");
    makeFolder(root_ + "/domains", 0700, ::geteuid(), ::getegid());
    writeFile(root_ + "/domains/" + options_.user.substr(at + 1),
              options_.user.substr(0, at) + ":" + hash + ":" + std::to_string(::geteuid()) + ":"
                  + std::to_string(::getegid()) + ":Kestrix:" + root_ + "/home:/dev/null\n",
              0600);
}

void MailutilsServer::writeConfig()
{
    std::string config =
        "logging { syslog no; }\n"
        "tcp-wrappers { enable no; }\n"
        "auth { authorization virtdomain; authentication generic; }\n"
        "virtdomain { passwd-dir " + root_ + "/domains; }\n"
        // The lock folder under /var/lock is not the tests'; the tests never share a mailbox.
        "mandatory-locking { enable no; }\n";
    const std::string address = "server 127.0.0.1:";
    if (options_.tlsCertificate.empty()) {
        config += address + std::to_string(port_) + " { tls-mode false; }\n";
    } else {
        config += "tls-file-checks { key-file none; cert-file none; ca-file none; }\n"
                  "tls { ssl-certificate-file " + options_.tlsCertificate + "; ssl-key-file "
                  + options_.tlsKey + "; }\n"
                  + address + std::to_string(port_) + " { tls-mode stls; }\n"
                  + address + std::to_string(tlsPort_) + " { tls-mode connection; }\n";
    }
    writeFile(root_ + "/pop3d.conf", config, 0600);
}

}  // namespace kestrix::test
