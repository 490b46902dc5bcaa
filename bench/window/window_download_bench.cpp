// The window's header download at scale: "/ All" in the real window (offscreen) over a loopback
// Dovecot with 10,000 messages, beside `kestrix-cli list --all` of the same mailbox. Counters:
// window_cpu_s (this process's CPU during the window's download), cli_cpu_s (the CPU of the
// kestrix-cli process) and ratio (target at most 1.5).
#include "profiles/profile_list.h"
#include "profiles/profile_store.h"
#include "screening/pending_command.h"
#include "screening/prompter.h"
#include "screening/screener.h"
#include "support/dovecot_server.h"
#include "ui/form1.h"
#include "ui/status_bar.h"
#include "ui/window_controller.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QToolButton>

#include <sys/resource.h>

#include <ctime>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace kestrix;

constexpr int kMessages = 10000;

// Nothing is asked during a download of every message; any question is answered No.
class SilentPrompter : public Prompter {
public:
    void message(Kind, const std::string &) override {}
    bool askYesNo(Kind, const std::string &) override { return false; }
    bool askOkCancel(Kind, const std::string &) override { return false; }
    std::optional<std::string> askText(const std::string &, const std::string &,
                                       const std::string &) override
    {
        return std::nullopt;
    }
    std::optional<int> askDownloadCount(int, int value) override { return value; }
    std::optional<std::string> askNewProfileName() override { return std::nullopt; }
};

test::DovecotServer &dovecot()
{
    static std::unique_ptr<test::DovecotServer> server = [] {
        std::vector<std::string> messages;
        messages.reserve(kMessages);
        for (int n = 1; n <= kMessages; ++n)
            messages.push_back(test::DovecotServer::makeMessage(
                "Sender " + std::to_string(n) + " <s" + std::to_string(n) + "@example.org>",
                "Benchmark message " + std::to_string(n)));
        return std::make_unique<test::DovecotServer>(messages);
    }();
    return *server;
}

// A data folder whose "default" profile points at the server and asks before no download.
std::unique_ptr<QTemporaryDir> dataFolder()
{
    auto dir = std::make_unique<QTemporaryDir>();
    Profile profile;
    profile.settings.Host = dovecot().host();
    profile.settings.Port = std::to_string(dovecot().port());
    profile.settings.UserId = dovecot().user();
    profile.settings.NotifyLimit = kMessages;
    if (!SaveProfile(profile, dir->path()) || !writeProfileList(dir->path(), {"default"}))
        throw std::runtime_error("cannot write the profile");
    return dir;
}

double processCpuSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval &t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// CPU seconds of `kestrix-cli list --all`, from start to exit.
double cliListCpu(const QString &dir)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("KESTRIX_PASSWORD"), QString::fromStdString(dovecot().password()));
    process.setProcessEnvironment(env);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    const double before = childrenCpuSeconds();
    process.start(QStringLiteral(KESTRIX_CLI_PATH),
                  {QStringLiteral("--dir"), dir, QStringLiteral("list"), QStringLiteral("--all")});
    if (!process.waitForFinished(600000) || process.exitCode() != 0)
        throw std::runtime_error("kestrix-cli list failed");
    return childrenCpuSeconds() - before;
}

// CPU seconds of this process while the window downloads every header ("/ All").
double windowDownloadCpu(const QString &dir)
{
    SilentPrompter prompter;
    TForm1 form;
    WindowController controller(form, dir, &prompter);
    controller.start(std::nullopt);
    form.show();
    form.topBar->Edit4->setText(QString::fromStdString(dovecot().password()));
    form.refreshTick();  // the enabling rules: "/ All" waits for a password
    QApplication::processEvents();
    Screener &screener = controller.screener();
    const double before = processCpuSeconds();
    form.topBar->SpeedButton30->click();
    QElapsedTimer limit;
    limit.start();
    while (!(screener.dispatcher.pendingCommand == cmdIdle && !screener.dispatcher.dispatching()
             && int(screener.messages.rows.size()) == kMessages)) {
        if (limit.elapsed() > 300000)
            throw std::runtime_error("the window's download did not end: "
                                     + std::to_string(screener.messages.rows.size()) + " rows, status \""
                                     + form.statusArea->statustext->text().toStdString() + "\"");
        QApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    const double used = processCpuSeconds() - before;
    form.ProgramExit();
    return used;
}

void BM_WindowDownload10000(benchmark::State &state)
{
    const auto dir = dataFolder();
    cliListCpu(dir->path());  // warm up: the server builds its index on the first login
    double window = 0;
    double cli = 0;
    for (auto _ : state) {
        const double ours = windowDownloadCpu(dir->path());
        const double theirs = cliListCpu(dir->path());
        state.SetIterationTime(ours);
        window += ours;
        cli += theirs;
    }
    const double runs = double(state.iterations());
    state.counters["window_cpu_s"] = window / runs;
    state.counters["cli_cpu_s"] = cli / runs;
    state.counters["ratio"] = window / cli;
}
BENCHMARK(BM_WindowDownload10000)->Iterations(2)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
