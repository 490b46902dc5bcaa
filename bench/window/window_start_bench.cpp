// Starts `kestrix --report-shown` under the offscreen platform in a fresh data folder and
// measures: wall time from the process start to the window shown (target under 0.5 s), the
// resident memory then (target under 80 MB, counter rss_mb), and the CPU time used over 10 s
// idle with all window timers running (target under 1% of one core, counter cpu_percent).
#include <benchmark/benchmark.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QThread>

#include <unistd.h>

namespace {

struct Started {
    QProcess process;
    double secondsToShown = -1;
};

// Starts the program; returns once it printed "shown" (or gave up after 20 s).
bool start(Started &run, const QString &dataDir)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KESTRIX_DIR"), dataDir);
    run.process.setProcessEnvironment(env);
    run.process.setProcessChannelMode(QProcess::SeparateChannels);
    QElapsedTimer clock;
    clock.start();
    run.process.start(QStringLiteral(KESTRIX_PROGRAM), {QStringLiteral("--report-shown")});
    QByteArray out;
    while (clock.elapsed() < 20000) {
        if (!run.process.waitForReadyRead(100) && run.process.state() == QProcess::NotRunning)
            return false;
        out += run.process.readAllStandardOutput();
        if (out.contains("shown ")) {
            run.secondsToShown = double(clock.nsecsElapsed()) / 1e9;
            return true;
        }
    }
    return false;
}

void stop(Started &run)
{
    run.process.terminate();  // by its PID: the process this benchmark started
    if (!run.process.waitForFinished(5000)) {
        run.process.kill();
        run.process.waitForFinished(5000);
    }
}

// /proc/PID/status VmRSS in megabytes.
double residentMb(qint64 pid)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').front().toDouble() / 1024.0;
    }
    return -1;
}

// User plus system CPU seconds of the process, from /proc/PID/stat.
double cpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    // Fields after the command name in parentheses; utime and stime are fields 14 and 15.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    const double ticks = double(sysconf(_SC_CLK_TCK));
    return (fields[11].toDouble() + fields[12].toDouble()) / ticks;
}

void BM_WindowStartToShown(benchmark::State &state)
{
    double rss = 0;
    for (auto _ : state) {
        QTemporaryDir data;
        Started run;
        if (!start(run, data.path())) {
            state.SkipWithError("the window did not report itself shown");
            stop(run);
            return;
        }
        state.SetIterationTime(run.secondsToShown);
        rss = residentMb(run.process.processId());
        stop(run);
    }
    state.counters["rss_mb"] = rss;
}
BENCHMARK(BM_WindowStartToShown)->UseManualTime()->Iterations(5)->Unit(benchmark::kMillisecond);

void BM_WindowIdleCpu(benchmark::State &state)
{
    double percent = 0;
    for (auto _ : state) {
        QTemporaryDir data;
        Started run;
        if (!start(run, data.path())) {
            state.SkipWithError("the window did not report itself shown");
            stop(run);
            return;
        }
        const qint64 pid = run.process.processId();
        QThread::msleep(1000);  // let the start settle before measuring
        const double before = cpuSeconds(pid);
        QElapsedTimer wall;
        wall.start();
        QThread::sleep(10);
        const double used = cpuSeconds(pid) - before;
        percent = 100.0 * used / (double(wall.nsecsElapsed()) / 1e9);
        state.SetIterationTime(double(wall.nsecsElapsed()) / 1e9);
        stop(run);
    }
    state.counters["cpu_percent"] = percent;
}
BENCHMARK(BM_WindowIdleCpu)->UseManualTime()->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
