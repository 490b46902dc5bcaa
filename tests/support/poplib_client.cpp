#include "support/poplib_client.h"

#include <QFile>
#include <QProcess>
#include <QStringList>

#include <stdexcept>

namespace kestrix::test {

namespace {

const char *const uidlScript =
    "import poplib, sys\n"
    "pop = poplib.POP3(sys.argv[1], int(sys.argv[2]), timeout=20)\n"
    "pop.user(sys.argv[3])\n"
    "pop.pass_(sys.argv[4])\n"
    "for line in pop.uidl()[1]:\n"
    "    print(line.decode('latin-1').split(' ', 1)[1])\n"
    "pop.quit()\n";

}  // namespace

std::vector<std::string> uidlsByPoplib(const std::string &host, int port, const std::string &user,
                                       const std::string &password)
{
    // Debian's own Python when it is there: a version manager's shim in PATH costs a start-up.
    const QString program = QFile::exists(QStringLiteral("/usr/bin/python3"))
                                ? QStringLiteral("/usr/bin/python3")
                                : QStringLiteral("python3");
    QProcess python;
    python.start(program,
                 {QStringLiteral("-c"), QString::fromLatin1(uidlScript), QString::fromStdString(host),
                  QString::number(port), QString::fromStdString(user),
                  QString::fromStdString(password)});
    if (!python.waitForFinished(60000) || python.exitStatus() != QProcess::NormalExit
        || python.exitCode() != 0) {
        throw std::runtime_error("poplib could not read the unique ids: "
                                 + python.readAllStandardError().toStdString());
    }
    std::vector<std::string> uids;
    for (const QByteArray &line : python.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            uids.push_back(line.toStdString());
    }
    return uids;
}

}  // namespace kestrix::test
