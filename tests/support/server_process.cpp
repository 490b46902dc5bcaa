#include "support/server_process.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <netinet/in.h>
#include <poll.h>
#include <sstream>
#include <spawn.h>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char **environ;

namespace kestrix::test {

namespace server_files {

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

void makeMaildir(const std::string &maildir, uid_t uid, gid_t gid)
{
    makeFolder(maildir, 0700, uid, gid);
    for (const char *sub : {"/cur", "/new", "/tmp"})
        makeFolder(maildir + sub, 0700, uid, gid);
}

namespace {

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

}  // namespace

void deliver(const std::string &maildir, const std::string &name, const std::string &raw,
             uid_t uid, gid_t gid)
{
    const std::string temp = maildir + "/tmp/" + name;
    writeFile(temp, toMaildirText(raw), 0600);
    if (::geteuid() == 0 && ::chown(temp.c_str(), uid, gid) != 0)
        throw std::runtime_error("cannot hand a message to the mail user");
    const std::string target = maildir + "/cur/" + name + ":2,";
    if (::rename(temp.c_str(), target.c_str()) != 0)
        throw std::runtime_error("cannot deliver a message");
}

std::vector<std::string> maildirFiles(const std::string &maildir)
{
    std::vector<std::string> files;
    for (const char *sub : {"/new", "/cur"}) {
        const std::string folder = maildir + sub;
        DIR *dir = ::opendir(folder.c_str());
        if (!dir)
            continue;
        while (const dirent *entry = ::readdir(dir)) {
            if (entry->d_name[0] != '.')
                files.push_back(folder + "/" + entry->d_name);
        }
        ::closedir(dir);
    }
    std::sort(files.begin(), files.end(), [](const std::string &a, const std::string &b) {
        return a.substr(a.rfind('/') + 1) < b.substr(b.rfind('/') + 1);
    });
    return files;
}

}  // namespace server_files

namespace {

constexpr auto stopLimit = std::chrono::seconds(10);
constexpr auto probeInterval = std::chrono::milliseconds(10);

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

void ServerProcess::start(const std::vector<std::string> &args, const std::string &logFile)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    std::vector<std::string> copies = args;
    std::vector<char *> argv;
    for (std::string &arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
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
    const int result = ::posix_spawn(&m_pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        m_pid = -1;
        throw std::runtime_error("cannot start " + args.at(0));
    }
}

bool ServerProcess::waitUntilGreeting(int port, std::chrono::seconds limit, std::string &why)
{
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        int status = 0;
        if (::waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            why = "it exited at start";
            return false;
        }
        if (greets(port))
            return true;
        std::this_thread::sleep_for(probeInterval);
    }
    why = "it did not greet within the start limit";
    return false;
}

void ServerProcess::stop()
{
    if (m_pid <= 0)
        return;
    ::kill(m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + stopLimit;
    int status = 0;
    while (::waitpid(m_pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(m_pid, SIGKILL);
            ::waitpid(m_pid, &status, 0);
            break;
        }
        std::this_thread::sleep_for(probeInterval);
    }
    m_pid = -1;
}

}  // namespace kestrix::test
