// Every reader of the data folder's files on arbitrary content: the settings file, the
// whitelist, the blacklist words and the rejected-mail log, through the profile load and through
// each list reader alone; then the profile is saved and read back. The learned score's store
// too: a file it reads as sound is saved and read back the same.
#include "profiles/list_files.h"
#include "profiles/profile_store.h"
#include "profiles/token_store.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

using namespace kestrix;

namespace {

void writeFile(const QString &path, const std::uint8_t *data, std::size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        std::abort();
    file.write(reinterpret_cast<const char *>(data), qint64(size));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    // /dev/shm keeps the many small writes off the disk where it exists.
    static const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                           : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/kestrix-fuzz-XXXXXX"));
    if (!dir.isValid())
        std::abort();
    const QString folder = dir.path();
    const ProfilePaths paths = profilePaths(folder, "fuzz");
    for (const QString &path : {paths.settings, paths.whitelist, paths.log, blacklistPath(folder)})
        writeFile(path, data, size);

    Profile profile;
    profile.name = "fuzz";
    (void)LoadProfile(profile, folder);
    RejectedLog log;
    (void)LoadRejectedLog(paths.log, log);
    Whitelist whitelist;
    (void)loadWhitelistFile(paths.whitelist, whitelist, WhitelistDecoding::AsStored);
    BlacklistWords words;
    (void)loadBlacklistFile(blacklistPath(folder), words);

    profile.log = log;
    if (!SaveProfile(profile, folder))
        std::abort();  // the folder is ours and writable: a save must succeed
    Profile again;
    again.name = "fuzz";
    if (!LoadProfile(again, folder))
        std::abort();

    writeFile(paths.tokens, data, size);
    std::string problem;
    const TokenStore store = TokenStore::load(paths.tokens, problem);
    if (problem.empty()) {
        if (!store.save(paths.tokens))
            std::abort();
        const TokenStore reread = TokenStore::load(paths.tokens, problem);
        if (!problem.empty() || reread.tokenCount() != store.tokenCount()
            || reread.spamMessages() != store.spamMessages()
            || reread.goodMessages() != store.goodMessages())
            std::abort();  // what was read as sound must survive a save
    }
    return 0;
}
