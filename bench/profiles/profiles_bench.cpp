// Speed of the stored lists: reading a rejected-mail log of 100,000 lines (target under 300 ms)
// and the per-row lookups the classification makes against a 100,000-entry log and a
// 5,000-entry whitelist (a 10,001-row table must classify in well under 30 ms). Memory of a
// loaded 100,000-line log of 8 MB: the peak the load adds and what the log then holds (target:
// peak under 30 MB).
#include "profiles/list_files.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

using namespace kestrix;

namespace {

std::string sender(int i) { return "Sender" + std::to_string(i) + " <user" + std::to_string(i) + "@Example.org>"; }
// About 80 bytes a line, as a log of 100,000 lines in 8 MB has.
std::string longSender(int i) { return "Sender Name " + std::to_string(i) + " <user.name" + std::to_string(i) + "@mail.Example.org>"; }
std::string subject(int i) { return "Re: Offer number " + std::to_string(i) + " for you"; }

// 100,000 lines; every tenth repeats an earlier sender and is dropped, some carry encoded words.
const QString &logFile()
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("bench.log"));
    static bool written = false;
    if (!written) {
        std::string bytes;
        for (int i = 0; i < 100000; ++i) {
            const int who = (i % 10 == 9) ? i / 2 : i;
            std::string line = sender(who) + '\t' + subject(i);
            if (i % 7 == 0)
                line = "\"" + sender(who) + "\"\t=?iso-8859-1?q?Gr=FC=DFe_" + std::to_string(i) + "?=";
            bytes += line + "\r\n";
        }
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes.data(), qint64(bytes.size()));
        written = true;
    }
    return path;
}

RejectedLog bigLog()
{
    RejectedLog log;
    for (int i = 0; i < 100000; ++i)
        log.appendRow(lowerAZ(sender(i)), lowerAZ(subject(i)));
    return log;
}

void BM_LoadRejectedLog100k(benchmark::State &state)
{
    const QString &path = logFile();
    RejectedLog log;
    for (auto _ : state) {
        if (!LoadRejectedLog(path, log))
            state.SkipWithError("log not readable");
        benchmark::DoNotOptimize(log.rowCount());
    }
    state.counters["rows"] = double(log.rowCount());
}
BENCHMARK(BM_LoadRejectedLog100k)->Unit(benchmark::kMillisecond);

const QString &eightMegabyteLog()
{
    static QTemporaryDir dir;
    static const QString path = dir.filePath(QStringLiteral("8mb.log"));
    static bool written = false;
    if (!written) {
        std::string bytes;
        for (int i = 0; i < 100000; ++i)
            bytes += longSender(i) + '\t' + subject(i) + "\r\n";
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(bytes.data(), qint64(bytes.size()));
        written = true;
    }
    return path;
}

struct Memory {
    double peakMegabytes = 0;  // the peak resident set of the process
    double heldMegabytes = 0;  // heap in use after the load
};

// In a child process, so the peak is the load's own: the child's peak resident set, and the heap
// in use once the log is loaded.
Memory childLoad(const QString &path, bool load)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return {};
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeEnds[0]);
        const size_t before = mallinfo2().uordblks + mallinfo2().hblkhd;
        RejectedLog log;
        if (load)
            LoadRejectedLog(path, log);
        const double held = double(mallinfo2().uordblks + mallinfo2().hblkhd - before) / 1048576.0;
        [[maybe_unused]] const auto n = ::write(pipeEnds[1], &held, sizeof held);
        ::_exit(log.rowCount() > 0 ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    Memory memory;
    [[maybe_unused]] const auto n = ::read(pipeEnds[0], &memory.heldMegabytes, sizeof memory.heldMegabytes);
    ::close(pipeEnds[0]);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    memory.peakMegabytes = double(usage.ru_maxrss) / 1024.0;
    return memory;
}

void BM_RejectedLog8MBMemory(benchmark::State &state)
{
    const QString &path = eightMegabyteLog();
    ::malloc_trim(0);  // the file's bytes, made above, are not the children's to reuse
    Memory loaded, empty;
    for (auto _ : state) {
        empty = childLoad(path, false);
        loaded = childLoad(path, true);
    }
    state.counters["file_MB"] = double(QFile(path).size()) / 1048576.0;
    state.counters["peak_added_MB"] = loaded.peakMegabytes - empty.peakMegabytes;
    state.counters["held_MB"] = loaded.heldMegabytes;
}
BENCHMARK(BM_RejectedLog8MBMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// One table build: 10,001 rows, each asking sender and subject of the log, half of them hits.
void BM_KnownBadLookups10001Rows(benchmark::State &state)
{
    const RejectedLog log = bigLog();
    std::vector<std::string> senders, subjects;
    for (int r = 0; r < 10001; ++r) {
        senders.push_back(sender(r % 2 ? r * 7 : 200000 + r));  // mixed case as mail carries it
        subjects.push_back(subject(r % 2 ? 200000 + r : r * 3));
    }
    for (auto _ : state) {
        int hits = 0;
        for (int r = 0; r < 10001; ++r)
            hits += log.isKnownBadSender(senders[size_t(r)]) + log.isKnownBadSubject(subjects[size_t(r)]);
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_KnownBadLookups10001Rows)->Unit(benchmark::kMillisecond);

void BM_WhitelistContains10001Rows(benchmark::State &state)
{
    std::vector<std::string> entries;
    for (int i = 0; i < 5000; ++i)
        entries.push_back(sender(i * 2));
    Whitelist whitelist;
    whitelist.assign(entries);
    std::vector<std::string> probes;
    for (int r = 0; r < 10001; ++r)
        probes.push_back(lowerAZ(sender(r)));
    for (auto _ : state) {
        int hits = 0;
        for (const std::string &p : probes)
            hits += whitelist.contains(p);
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_WhitelistContains10001Rows)->Unit(benchmark::kMillisecond);

void BM_AppendRejectedTo100k(benchmark::State &state)
{
    RejectedLog log = bigLog();
    int i = 0;
    for (auto _ : state)
        log.appendRejected(sender(i++), "new subject");
}
BENCHMARK(BM_AppendRejectedTo100k);

}  // namespace

BENCHMARK_MAIN();
