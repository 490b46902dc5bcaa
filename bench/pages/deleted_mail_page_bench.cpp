// The "Deleted mail" page with 10,000 copies (target: open under 200 ms): the quarantine opened
// as a profile load does it, then the page synced, laid out and painted once; and the refresh
// tick's check of an unchanged list while the page is shown.
#include "../screening/silent_screener.h"
#include "screening/deleted_mail.h"
#include "screening/screener.h"
#include "ui/deleted_mail_page.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>
#include <QTemporaryDir>

#include <string>

using namespace kestrix;

namespace {

QString makeQuarantine(const QTemporaryDir &dir, int copies)
{
    const QString folder = dir.path() + QStringLiteral("/default.quarantine");
    QuarantineStore store(folder, {});
    store.open();
    for (int i = 0; i < copies; ++i)
        store.store("uid" + std::to_string(i),
                    "Sender " + std::to_string(i) + " <s" + std::to_string(i) + "@spam.example>",
                    "=?UTF-8?Q?Offer_number_" + std::to_string(i) + "?=",
                    DeletionReason::KnownBadSender, "Subject: s\n\nx\n", 1'800'000'000 + i);
    store.saveIndex();
    return folder;
}

void OpenDeletedMailPage(benchmark::State &state)
{
    QTemporaryDir dir;
    const QString folder = makeQuarantine(dir, int(state.range(0)));
    bench::SilentView view;
    bench::SilentPrompter prompter;
    Screener screener(view, prompter);
    for (auto _ : state) {
        screener.profile.quarantine.emplace(folder, QuarantineLimits{});
        benchmark::DoNotOptimize(screener.profile.quarantine->open());
        DeletedMail mail(screener, {});
        DeletedMailPage page(nullptr);
        page.resize(760, 420);
        page.sync(mail);
        benchmark::DoNotOptimize(page.grab());  // laid out and painted
    }
}
BENCHMARK(OpenDeletedMailPage)->Arg(10000)->Unit(benchmark::kMillisecond)->Iterations(5);

void DeletedMailSyncUnchanged(benchmark::State &state)
{
    QTemporaryDir dir;
    bench::SilentView view;
    bench::SilentPrompter prompter;
    Screener screener(view, prompter);
    screener.profile.quarantine.emplace(makeQuarantine(dir, int(state.range(0))), QuarantineLimits{});
    screener.profile.quarantine->open();
    DeletedMail mail(screener, {});
    DeletedMailPage page(nullptr);
    page.sync(mail);
    for (auto _ : state)
        page.sync(mail);
}
BENCHMARK(DeletedMailSyncUnchanged)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
