#pragma once
// A throw-away GNU Mailutils pop3d on 127.0.0.1: the second real POP3 server of the integration
// tests, used as DovecotServer is (the same constructor, account and port accessors).
//
//   kestrix::test::MailutilsServer server({message1, message2});   // starts, or throws
//
// Everything lives in a temp folder: its own config file (the site-wide one is never read), a
// virtual-domain password file for the one account (user "kestrix@example.org": this server
// wants user names with a domain part), the maildir and the log. It listens on 127.0.0.1 on a
// free port in the foreground; with a TLS certificate and key in the options that port also
// offers STLS and a second one (tlsPort()) speaks implicit TLS; plain logins stay allowed. The
// messages keep the order given. The destructor stops the server by its PID and removes the
// folder.
//
// The server switches to the group "mail" at start, which only root (or a member of that group
// running with it as its group) may do: available() is false otherwise, and tests skip.

#include "support/server_process.h"

#include <memory>
#include <string>
#include <vector>

class QTemporaryDir;

namespace kestrix::test {

class MailutilsServer {
public:
    struct Options {
        std::string user = "kestrix@example.org";
        std::string password = "secret";
        std::string tlsCertificate;  // PEM files; both empty: no TLS at all
        std::string tlsKey;
    };

    explicit MailutilsServer(const std::vector<std::string> &messages = {});
    MailutilsServer(const std::vector<std::string> &messages, const Options &options);
    ~MailutilsServer();
    MailutilsServer(const MailutilsServer &) = delete;
    MailutilsServer &operator=(const MailutilsServer &) = delete;

    // True when /usr/sbin/pop3d is installed and may run here; whyUnavailable() says why not.
    static bool available();
    static std::string whyUnavailable();

    std::string host() const { return "127.0.0.1"; }
    int port() const { return port_; }
    int tlsPort() const { return tlsPort_; }  // 0 without TLS
    const std::string &user() const { return options_.user; }
    const std::string &password() const { return options_.password; }
    std::string logText() const;

    void stop() { process_.stop(); }

private:
    void writeAccount();
    void writeConfig();
    std::string maildir() const { return root_ + "/home/INBOX"; }

    Options options_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::string root_;
    int port_ = 0;
    int tlsPort_ = 0;
    ServerProcess process_;
};

}  // namespace kestrix::test
