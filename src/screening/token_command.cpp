#include "screening/token_command.h"

#include "text/argument_split.h"
#include "text/secret_text.h"

#include <QEventLoop>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTimer>

namespace kestrix {

namespace {

// What the command wrote to standard error, as one line the status bar can show.
std::string oneLine(const QByteArray &text)
{
    constexpr qsizetype kMaxShown = 300;
    std::string line;
    for (const char c : text.left(kMaxShown)) {
        const auto u = static_cast<unsigned char>(c);
        if (u == '\n' || u == '\r' || u == '\t')
            line += ' ';
        else if (u >= 0x20 && u != 0x7F)
            line += c;
    }
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

// An access token is printable ASCII without blanks (RFC 6750's b64token and what providers
// issue); anything else would break the SASL message it goes into.
bool isTokenText(const std::string &token)
{
    if (token.empty())
        return false;
    for (const char c : token) {
        if (c <= ' ' || c > '~')
            return false;
    }
    return true;
}

std::string firstLine(const QByteArray &out)
{
    qsizetype end = out.indexOf('\n');
    if (end < 0)
        end = out.size();
    std::string line = out.left(end).toStdString();
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.pop_back();
    std::size_t begin = 0;
    while (begin < line.size() && (line[begin] == ' ' || line[begin] == '\t'))
        ++begin;
    return line.substr(begin);
}

}  // namespace

TokenCommandResult runTokenCommand(const std::string &command, int timeOutMs)
{
    TokenCommandResult result;
    const QStringList words =
        splitArguments(QString::fromLatin1(command.data(), qsizetype(command.size())));
    if (words.isEmpty()) {
        result.error = "No token command is set: enter the command that prints an access token";
        return result;
    }
    const std::string program = words.front().toLatin1().toStdString();

    QProcess process;
    process.setProgram(words.front());
    process.setArguments(words.mid(1));
    // The password given to us for the command line is ours, not the command's.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("KESTRIX_PASSWORD"));
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart)
            loop.quit();
    });
    deadline.start(timeOutMs);
    process.start();
    if (process.state() != QProcess::NotRunning || process.error() != QProcess::FailedToStart)
        loop.exec();

    if (process.error() == QProcess::FailedToStart) {
        result.error = "The token command \"" + program + "\" could not be started ("
                       + process.errorString().toStdString() + ")";
        return result;
    }
    if (timedOut) {
        process.kill();
        process.waitForFinished(1000);
        result.error = "The token command \"" + program + "\" gave no token within "
                       + std::to_string(timeOutMs / 1000) + " seconds and was stopped";
        return result;
    }
    QByteArray out = process.readAllStandardOutput();
    const std::string errors = oneLine(process.readAllStandardError());
    const bool failed =
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0;
    std::string token = firstLine(out);
    out.fill('\0');
    if (failed) {
        wipeSecret(token);
        result.error = "The token command \"" + program + "\" failed"
                       + (process.exitStatus() == QProcess::NormalExit
                              ? " (exit code " + std::to_string(process.exitCode()) + ")"
                              : std::string(" (it crashed)"))
                       + (errors.empty() ? std::string() : ": " + errors);
        return result;
    }
    if (!isTokenText(token)) {
        const bool none = token.empty();
        wipeSecret(token);
        result.error = "The token command \"" + program + "\" printed "
                       + (none ? "no token" : "no valid token (blanks or control characters)")
                       + (errors.empty() ? std::string() : ": " + errors);
        return result;
    }
    result.token = std::move(token);
    return result;
}

}  // namespace kestrix
