#include "support/dovecot_server.h"

#include "support/fake_pop3_server.h"

#include <QTemporaryDir>

#include <chrono>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix::test {

namespace {

using namespace server_files;

const char *const dovecotBinary = "/usr/sbin/dovecot";
constexpr auto startLimit = std::chrono::seconds(20);

std::string userName(uid_t uid)
{
    const passwd *entry = ::getpwuid(uid);
    return entry ? entry->pw_name : std::to_string(uid);
}

}  // namespace

bool DovecotServer::available()
{
    return ::access(dovecotBinary, X_OK) == 0;
}

DovecotServer::DovecotServer(const std::vector<std::string> &messages)
    : DovecotServer(messages, Options())
{
}

DovecotServer::DovecotServer(const std::vector<std::string> &messages, const Options &options)
    : options_(options)
{
    if (!available())
        throw std::runtime_error("dovecot is not installed (apt-get install dovecot-pop3d)");
    dir_ = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/kestrix-dovecot-XXXXXX"));
    if (!dir_->isValid())
        throw std::runtime_error("cannot create a temp folder");
    root_ = dir_->path().toStdString();
    if (::geteuid() == 0) {
        // Mail processes may not run as root: they run as nobody.
        const passwd *nobody = ::getpwnam("nobody");
        mailUid_ = nobody ? nobody->pw_uid : 65534;
        mailGid_ = nobody ? nobody->pw_gid : 65534;
    } else {
        mailUid_ = ::geteuid();
        mailGid_ = ::getegid();
    }
    // The dovecot user must reach the passwd file, or every PASS fails with a temporary error.
    ::chmod(root_.c_str(), 0755);
    makeFolder(root_ + "/home", 0755, mailUid_, mailGid_);
    makeMaildir(maildir(), mailUid_, mailGid_);
    writeFile(root_ + "/passwd", options_.user + ":{PLAIN}" + options_.password + "\n", 0644);
    for (const std::string &message : messages)
        addMessage(message);

    std::string why;
    for (int attempt = 0; attempt < 3; ++attempt) {
        port_ = unusedLoopbackPort();
        if (!options_.tlsCertificate.empty()) {
            do
                tlsPort_ = unusedLoopbackPort();
            while (tlsPort_ == port_);
        }
        writeConfig();
        process_.start({dovecotBinary, "-F", "-c", root_ + "/dovecot.conf"}, root_ + "/stderr.log");
        if (process_.waitUntilGreeting(port_, startLimit, why))
            return;
        stop();  // another program may have taken the port meanwhile: try a new one
    }
    throw std::runtime_error("dovecot did not start: " + why + "\n" + logText());
}

DovecotServer::~DovecotServer()
{
    stop();
}

std::string DovecotServer::folder() const
{
    return root_;
}

std::string DovecotServer::logText() const
{
    return readFile(root_ + "/dovecot.log") + readFile(root_ + "/stderr.log");
}

std::string DovecotServer::tlsSettings() const
{
    if (options_.tlsCertificate.empty())
        return "ssl = no\n";
    return "ssl = yes\n"
           "ssl_cert = <" + options_.tlsCertificate + "\n"
           "ssl_key = <" + options_.tlsKey + "\n"
           "ssl_min_protocol = TLSv1.2\n";
}

std::string DovecotServer::oauth2Settings() const
{
    if (options_.oauth2IntrospectionUrl.empty())
        return "auth_mechanisms = plain\n";
    writeFile(root_ + "/oauth2.conf",
              "introspection_url = " + options_.oauth2IntrospectionUrl + "\n"
              "introspection_mode = get\n"
              "username_attribute = username\n"
              "active_attribute = active\n"
              "active_value = true\n",
              0644);
    return "auth_mechanisms = plain xoauth2 oauthbearer\n"
           "passdb {\n"
           "  driver = oauth2\n"
           "  mechanisms = xoauth2 oauthbearer\n"
           "  args = " + root_ + "/oauth2.conf\n"
           "}\n";
}

void DovecotServer::writeConfig()
{
    const std::string uid = std::to_string(mailUid_);
    const std::string gid = std::to_string(mailGid_);
    const bool root = ::geteuid() == 0;
    const std::string loginUser = root ? "dovenull" : userName(::geteuid());
    const std::string internalUser = root ? "dovecot" : userName(::geteuid());
    std::string config =
        "base_dir = " + root_ + "/run\n"
        "state_dir = " + root_ + "/state\n"
        "log_path = " + root_ + "/dovecot.log\n"
        "protocols = pop3\n"
        "listen = 127.0.0.1\n"
        + tlsSettings() +
        "disable_plaintext_auth = no\n"
        + oauth2Settings() +
        // Refused logins answer at once (the default waits two seconds).
        "auth_failure_delay = 0\n"
        "default_login_user = " + loginUser + "\n"
        "default_internal_user = " + internalUser + "\n"
        "first_valid_uid = " + uid + "\n"
        "last_valid_uid = " + uid + "\n"
        "first_valid_gid = " + gid + "\n"
        "last_valid_gid = " + gid + "\n"
        "mail_location = maildir:" + root_ + "/mail\n"
        "passdb {\n"
        "  driver = passwd-file\n"
        "  args = scheme=PLAIN username_format=%u " + root_ + "/passwd\n"
        "}\n"
        "userdb {\n"
        "  driver = static\n"
        "  args = uid=" + uid + " gid=" + gid + " home=" + root_ + "/home\n"
        "}\n"
        "service pop3-login {\n"
        "  inet_listener pop3 {\n"
        "    address = 127.0.0.1\n"
        "    port = " + std::to_string(port_) + "\n"
        "  }\n"
        "  inet_listener pop3s {\n"
        "    address = 127.0.0.1\n"
        "    port = " + std::to_string(tlsPort_) + "\n"
        "  }\n"
        "}\n";
    if (!root)
        config += "service anvil {\n  chroot =\n}\nservice pop3-login {\n  chroot =\n}\n";
    writeFile(root_ + "/dovecot.conf", config, 0644);
}

void DovecotServer::stop()
{
    process_.stop();
}

void DovecotServer::addMessage(const std::string &raw)
{
    deliver(maildir(), std::to_string(nextTime_) + ".M1P1.kestrix", raw, mailUid_, mailGid_);
    ++nextTime_;
}

void DovecotServer::removeMessage(int number)
{
    const std::vector<std::string> files = maildirFiles(maildir());
    if (number < 1 || std::size_t(number) > files.size())
        throw std::out_of_range("no message " + std::to_string(number));
    if (::unlink(files[std::size_t(number - 1)].c_str()) != 0)
        throw std::runtime_error("cannot remove message " + std::to_string(number));
}

std::vector<std::string> DovecotServer::messages() const
{
    std::vector<std::string> contents;
    for (const std::string &file : maildirFiles(maildir()))
        contents.push_back(readFile(file));
    return contents;
}

std::vector<std::string> DovecotServer::senders() const
{
    std::vector<std::string> out;
    for (const std::string &raw : messages()) {
        const size_t from = raw.find("From: ");
        std::string line = raw.substr(from + 6, raw.find('\n', from) - from - 6);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        out.push_back(line);
    }
    return out;
}

std::string DovecotServer::makeMessage(const std::string &from, const std::string &subject,
                                       const std::string &body)
{
    return "From: " + from + "\r\n"
           "To: kestrix@example.org\r\n"
           "Subject: " + subject + "\r\n"
           "Date: Mon, 1 Jan 2024 10:00:00 +0000\r\n"
           "Message-ID: <" + std::to_string(std::hash<std::string>{}(from + subject)) + "@example.org>\r\n"
           "\r\n" + body;
}

std::string NumberedMailbox::sender(int k)
{
    return "Sender" + std::to_string(k) + " <s" + std::to_string(k) + "@example.org>";
}

std::string NumberedMailbox::subject(int k) { return "Subject " + std::to_string(k); }

std::vector<std::string> NumberedMailbox::numberedMessages(int count)
{
    std::vector<std::string> messages;
    for (int k = 1; k <= count; ++k)
        messages.push_back(DovecotServer::makeMessage(sender(k), subject(k)));
    return messages;
}

}  // namespace kestrix::test
