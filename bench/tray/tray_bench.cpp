// What sitting in the tray costs. BM_AutoCheckUnchanged: one automatic new-mail check (the
// poller's command run by the dispatcher: connect, STAT, UIDL of the newest message, QUIT) on
// the loopback Dovecot with 1,000 unchanged messages; counter cpu_s is the process CPU time per
// check (target under 0.2 s). BM_TrayIdleCpu: the program on an X desktop with a tray host,
// with its tray icon, every window timer and the poller (1 minute) running, CPU use over 30 s
// (target under 1% of one core, counter cpu_percent).
#include "pop3_bench_support.h"
#include "profiles/profile_settings.h"
#include "profiles/settings_file.h"
#include "screening/pending_command.h"
#include "screening/pop3_requests.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "support/recording_view.h"
#include "support/x_desktop.h"
#include "transport/pop3_client.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <ctime>
#include <unistd.h>

namespace {

using namespace kestrix;

// The check asks nothing; any question would be a fault, and is answered No.
class SilentPrompter : public Prompter {
public:
    void message(Kind, const std::string &) override { ++asked; }
    bool askYesNo(Kind, const std::string &) override { return ++asked, false; }
    bool askOkCancel(Kind, const std::string &) override { return ++asked, false; }
    std::optional<std::string> askText(const std::string &, const std::string &,
                                       const std::string &) override
    {
        ++asked;
        return std::nullopt;
    }
    std::optional<int> askDownloadCount(int, int) override { return ++asked, std::nullopt; }
    std::optional<std::string> askNewProfileName() override { return ++asked, std::nullopt; }
    int asked = 0;
};

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void BM_AutoCheckUnchanged(benchmark::State &state)
{
    test::DovecotServer &dovecot = bench::benchmarkDovecot();
    test::RecordingView view;
    SilentPrompter prompter;
    Screener screener(view, prompter);
    TNMPOP3 client;
    const Pop3Attachment attached = screener.attachPop3(client);
    screener.profile.settings.Host = dovecot.host();
    screener.profile.settings.Port = std::to_string(dovecot.port());
    screener.profile.settings.UserId = dovecot.user();
    screener.session.password = dovecot.password();
    // As after a download: the newest message is known.
    if (!screener.connectSession()) {
        state.SkipWithError("no session with the Dovecot");
        return;
    }
    screener.messages.newestCode = codeOfMessage(client, client.MessageCount());
    screener.closeSession();
    view.newMailSign.reset();
    int signs = 0;
    double cpu = 0;
    for (auto _ : state) {
        const double before = processCpuSeconds();
        screener.dispatcher.pendingCommand = cmdCheckNewMail;
        screener.dispatcher.Timer2Timer();
        cpu += processCpuSeconds() - before;
        signs += view.newMailSign.value_or(false) ? 1 : 0;
    }
    if (signs != 0 || prompter.asked != 0 || screener.dispatcher.pendingCommand != cmdIdle)
        state.SkipWithError("the check of an unchanged mailbox saw new mail or asked");
    state.counters["cpu_s"] = cpu / double(state.iterations());
}
BENCHMARK(BM_AutoCheckUnchanged)->Iterations(20)->Unit(benchmark::kMillisecond);

// User plus system CPU seconds of a process, from /proc/PID/stat.
double cpuSecondsOf(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (fields[11].toDouble() + fields[12].toDouble()) / ticks;
}

void BM_TrayIdleCpu(benchmark::State &state)
{
    std::string why;
    if (!test::XDesktop::available(why)) {
        state.SkipWithError(why.c_str());
        return;
    }
    test::DovecotServer &dovecot = bench::benchmarkDovecot();
    double percent = 0;
    for (auto _ : state) {
        test::XDesktop desktop({true, true});
        QTemporaryDir data;
        // A profile with the account and a check every minute.
        ProfileSettings settings;
        settings.Host = dovecot.host();
        settings.Port = std::to_string(dovecot.port());
        settings.UserId = dovecot.user();
        settings.CheckInterval = 1;
        QFile ini(data.filePath(QStringLiteral("default.ini")));
        ini.open(QIODevice::WriteOnly);
        for (const std::string &line : settingsLines(settings))
            ini.write(QByteArray::fromStdString(line + "\r\n"));
        ini.close();

        QProcess program;
        QProcessEnvironment env = desktop.environment();
        env.insert(QStringLiteral("KESTRIX_DIR"), data.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        program.setProcessEnvironment(env);
        program.start(QStringLiteral(KESTRIX_PROGRAM), {QStringLiteral("--report-shown")});
        if (!program.waitForReadyRead(20000)) {
            state.SkipWithError("the window did not report itself shown");
            return;
        }
        QThread::sleep(2);  // let the start and the tray docking settle before measuring
        const double before = cpuSecondsOf(program.processId());
        QElapsedTimer wall;
        wall.start();
        QThread::sleep(30);
        const double used = cpuSecondsOf(program.processId()) - before;
        percent = 100.0 * used / (double(wall.nsecsElapsed()) / 1e9);
        state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
        program.terminate();  // by its PID: the process this benchmark started
        if (!program.waitForFinished(5000)) {
            program.kill();
            program.waitForFinished(5000);
        }
    }
    state.counters["cpu_percent"] = percent;
}
BENCHMARK(BM_TrayIdleCpu)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
