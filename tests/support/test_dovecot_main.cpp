// kestrix-test-dovecot: starts a throw-away Dovecot with N generated messages on 127.0.0.1,
// prints how to reach it and waits until it is killed (SIGTERM, SIGINT), then removes it.
//   kestrix-test-dovecot [N] [--user NAME] [--password WORD] [--messages FOLDER]
// With --messages the mailbox holds the files of FOLDER (raw messages), in name order.
#include "support/dovecot_server.h"

#include <QDir>
#include <QFile>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    int count = 10;
    const char *folder = nullptr;
    kestrix::test::DovecotServer::Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--messages") == 0 && i + 1 < argc)
            folder = argv[++i];
        else if (std::strcmp(argv[i], "--user") == 0 && i + 1 < argc)
            options.user = argv[++i];
        else if (std::strcmp(argv[i], "--password") == 0 && i + 1 < argc)
            options.password = argv[++i];
        else
            count = std::atoi(argv[i]);
    }
    // Block the stop signals before anything starts, then wait for one of them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGHUP);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);

    std::vector<std::string> messages;
    if (folder) {
        const QDir dir(QString::fromLocal8Bit(folder));
        for (const QString &name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                messages.push_back(file.readAll().toStdString());
        }
        count = 0;
    }
    for (int n = 1; n <= count; ++n) {
        messages.push_back(kestrix::test::DovecotServer::makeMessage(
            "Sender " + std::to_string(n) + " <sender" + std::to_string(n) + "@example.org>",
            "Message number " + std::to_string(n)));
    }
    try {
        kestrix::test::DovecotServer server(messages, options);
        std::printf("host=%s\nport=%d\nuser=%s\npassword=%s\npid=%d\nfolder=%s\n",
                    server.host().c_str(), server.port(), server.user().c_str(),
                    server.password().c_str(), int(server.pid()), server.folder().c_str());
        std::fflush(stdout);
        int received = 0;
        sigwait(&stopSignals, &received);
    } catch (const std::exception &e) {
        std::fprintf(stderr, "kestrix-test-dovecot: %s\n", e.what());
        return 1;
    }
    return 0;
}
