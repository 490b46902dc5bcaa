#include "support/dovecot_server.h"

#include "support/fake_pop3_server.h"

#include <QTemporaryDir>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <sstream>
#include <stdexcept>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace kestrix::test {

namespace {

const char *const dovecotBinary = "/usr/sbin/dovecot";
constexpr auto startLimit = std::chrono::seconds(20);
constexpr auto stopLimit = std::chrono::seconds(10);
constexpr auto probeInterval = std::chrono::milliseconds(10);

void writeFile(const std::string &path, const std::string &content, mode_t mode)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path);
    ::chmod(path.c_str(), mode);
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void makeFolder(const std::string &path, mode_t mode, uid_t uid, gid_t gid)
{
    if (::mkdir(path.c_str(), mode) != 0 && errno != EEXIST)
        throw std::runtime_error("cannot create " + path);
    ::chmod(path.c_str(), mode);
    if (::geteuid() == 0 && ::chown(path.c_str(), uid, gid) != 0)
        throw std::runtime_error("cannot hand " + path + " to the mail user");
}

// Maildir keeps LF line ends; the server sends CR LF.
std::string toMaildirText(const std::string &raw)
{
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n')
            continue;
        out += raw[i];
    }
    return out;
}

std::string userName(uid_t uid)
{
    const passwd *entry = ::getpwuid(uid);
    return entry ? entry->pw_name : std::to_string(uid);
}

// Connects to 127.0.0.1:port and reads the greeting; true when it starts with "+OK".
bool greets(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(std::uint16_t(port));
    bool ok = false;
    if (::connect(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0) {
        pollfd entry{fd, POLLIN, 0};
        char buffer[64] = {};
        if (::poll(&entry, 1, 5000) > 0 && ::recv(fd, buffer, sizeof buffer - 1, 0) >= 3)
            ok = std::string(buffer).rfind("+OK", 0) == 0;
    }
    ::close(fd);
    return ok;
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
    makeFolder(root_ + "/mail", 0700, mailUid_, mailGid_);
    for (const char *sub : {"/mail/cur", "/mail/new", "/mail/tmp"})
        makeFolder(root_ + sub, 0700, mailUid_, mailGid_);
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
        startProcess();
        if (waitUntilListening(why))
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
        "auth_mechanisms = plain\n"
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

void DovecotServer::startProcess()
{
    const std::string config = root_ + "/dovecot.conf";
    const std::string errors = root_ + "/stderr.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    std::vector<std::string> args = {dovecotBinary, "-F", "-c", config};
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    // The server starts with no blocked signals and default handlers, whatever the caller
    // has set up (a caller that waits for SIGTERM blocks it).
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    const int result = ::posix_spawn(&pid_, dovecotBinary, &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        pid_ = -1;
        throw std::runtime_error("cannot start dovecot");
    }
}

bool DovecotServer::waitUntilListening(std::string &why)
{
    const auto deadline = std::chrono::steady_clock::now() + startLimit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            why = "it exited at start";
            return false;
        }
        if (greets(port_))
            return true;
        std::this_thread::sleep_for(probeInterval);
    }
    why = "it did not greet within the start limit";
    return false;
}

void DovecotServer::stop()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + stopLimit;
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(probeInterval);
    }
    pid_ = -1;
}

void DovecotServer::addMessage(const std::string &raw)
{
    const std::string name = std::to_string(nextTime_) + ".M1P1.kestrix";
    ++nextTime_;
    const std::string temp = root_ + "/mail/tmp/" + name;
    writeFile(temp, toMaildirText(raw), 0600);
    if (::geteuid() == 0 && ::chown(temp.c_str(), mailUid_, mailGid_) != 0)
        throw std::runtime_error("cannot hand a message to the mail user");
    // Delivered by rename, as maildir wants: the server never sees a half-written message.
    const std::string target = root_ + "/mail/cur/" + name + ":2,";
    if (::rename(temp.c_str(), target.c_str()) != 0)
        throw std::runtime_error("cannot deliver a message");
}

std::vector<std::string> DovecotServer::messageFiles() const
{
    std::vector<std::string> files;
    for (const char *sub : {"/mail/new", "/mail/cur"}) {
        const std::string folder = root_ + sub;
        DIR *dir = ::opendir(folder.c_str());
        if (!dir)
            continue;
        while (const dirent *entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.')
                files.push_back(folder + "/" + entry->d_name);
        }
        ::closedir(dir);
    }
    // Server order is the order of the time part at the start of each name.
    std::sort(files.begin(), files.end(), [](const std::string &a, const std::string &b) {
        return a.substr(a.rfind('/') + 1) < b.substr(b.rfind('/') + 1);
    });
    return files;
}

void DovecotServer::removeMessage(int number)
{
    const std::vector<std::string> files = messageFiles();
    if (number < 1 || std::size_t(number) > files.size())
        throw std::out_of_range("no message " + std::to_string(number));
    if (::unlink(files[std::size_t(number - 1)].c_str()) != 0)
        throw std::runtime_error("cannot remove message " + std::to_string(number));
}

std::vector<std::string> DovecotServer::messages() const
{
    std::vector<std::string> contents;
    for (const std::string &file : messageFiles())
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
