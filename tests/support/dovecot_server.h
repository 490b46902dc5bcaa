#pragma once
// A throw-away Dovecot POP3 server on 127.0.0.1 for integration tests, benchmarks and demos.
//
//   kestrix::test::DovecotServer dovecot({message1, message2});   // starts, or throws
//   client.Host = dovecot.host(); client.Port = dovecot.port();
//   client.UserID = dovecot.user(); client.Password = dovecot.password();
//   ...
//   dovecot.messages();          // what is in the mailbox now, in server order
//
// Everything lives in a temp folder (config, base_dir, state_dir, passwd-file, maildir, log):
// plain-text login (USER/PASS; with an introspection URL also OAuth 2.0 tokens), only POP3, listening on 127.0.0.1 on a free port. With a TLS
// certificate and key in the options it also offers STLS on that port and implicit TLS on a
// second one (tlsPort()); plain logins stay allowed. The
// mail processes run as `nobody` (the fixture may run as root); run as another user, everything
// runs as that user. The messages keep the order given (maildir names with increasing times).
// The destructor stops the server by its PID (SIGTERM, then waits) and removes the folder.

#include "support/server_process.h"

#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

class QTemporaryDir;

namespace kestrix::test {

class DovecotServer {
public:
    struct Options {
        std::string user = "kestrix";
        std::string password = "secret";
        std::string tlsCertificate;  // PEM files; both empty: no TLS at all
        std::string tlsKey;
        // Set: the server also takes XOAUTH2 and OAUTHBEARER, checking each token with a GET of
        // this URL followed by the token ("http://127.0.0.1:PORT/introspect?token="): a JSON
        // answer {"active": true, "username": USER} accepts it (Dovecot's oauth2 passdb).
        std::string oauth2IntrospectionUrl;
    };

    explicit DovecotServer(const std::vector<std::string> &messages = {});
    DovecotServer(const std::vector<std::string> &messages, const Options &options);
    ~DovecotServer();
    DovecotServer(const DovecotServer &) = delete;
    DovecotServer &operator=(const DovecotServer &) = delete;

    // True when /usr/sbin/dovecot is installed; tests may skip without it.
    static bool available();

    std::string host() const { return "127.0.0.1"; }
    int port() const { return port_; }
    int tlsPort() const { return tlsPort_; }  // 0 without TLS
    const std::string &user() const { return options_.user; }
    const std::string &password() const { return options_.password; }
    pid_t pid() const { return process_.pid(); }
    std::string folder() const;
    std::string logText() const;

    // "By another client": adds a message as the newest one, or removes the message at 1-based
    // position number (in server order) straight from the maildir.
    void addMessage(const std::string &raw);
    void removeMessage(int number);
    // The raw messages in the mailbox now, in server order, and the text of their From lines.
    std::vector<std::string> messages() const;
    std::vector<std::string> senders() const;

    void stop();

    // A small message with the given sender and subject (CR LF line ends).
    static std::string makeMessage(const std::string &from, const std::string &subject,
                                   const std::string &body = "Hello.\r\n");

private:
    void writeConfig();
    std::string tlsSettings() const;
    std::string oauth2Settings() const;
    std::string maildir() const { return root_ + "/mail"; }

    Options options_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::string root_;
    int port_ = 0;
    int tlsPort_ = 0;
    ServerProcess process_;
    uid_t mailUid_ = 0;
    gid_t mailGid_ = 0;
    long nextTime_ = 1000000001;
};

// The mailbox of the Dovecot tests: message k comes from "Sender<k> <s<k>@example.org>" with the
// subject "Subject <k>". A fixture derives from it to name the messages by their number.
struct NumberedMailbox {
    static std::string sender(int k);
    static std::string subject(int k);
    static std::vector<std::string> numberedMessages(int count);  // messages 1..count
};

}  // namespace kestrix::test
