// The split of a retrieved message into its text and stored parts on arbitrary messages: the
// header read line by line as the POP3 client hands it over, then the body through ExtractBody,
// with the parts written into a real folder. What a message may never do, whatever it says:
// put a file outside the attachment folder, leave a link, a folder or a working file in it, list
// a stored part that is not there, or make a file operation fail in a folder that is ours and
// writable.
// The first input byte chooses the Parse path (bit 0); the rest is the message, its lines cut
// at LF with a CR before it dropped, as the client delivers them.
#include "mime/mime_extractor.h"
#include "mime/uu_processor.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace kestrix;

namespace {

// Failures that can only come from the folder itself; a message is allowed to be malformed,
// but not to make our own files misbehave.
bool isFileFailure(const std::string &what)
{
    for (const char *prefix : {"Cannot create", "Cannot open", "Cannot move", "Cannot replace",
                               "Cannot read", "Write error"}) {
        if (what.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

std::vector<std::string> entryNames(const std::string &path)
{
    std::vector<std::string> names;
    DIR *dir = ::opendir(path.c_str());
    if (!dir)
        std::abort();
    while (const dirent *entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool isPlainFile(const std::string &path)
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    // /dev/shm keeps the many small files off the disk where it exists.
    static const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm")
                                                                           : QDir::tempPath();
    static QTemporaryDir root(base + QStringLiteral("/kestrix-fuzz-XXXXXX"));
    static const bool made = root.isValid() && QDir(root.path()).mkpath(QStringLiteral("Attachments"));
    if (!made)
        std::abort();
    const QString folder = root.path() + QStringLiteral("/Attachments");

    const bool parse = data[0] & 1;
    const std::string raw(reinterpret_cast<const char *>(data + 1), size - 1);
    TMailMessage message;
    TNMUUProcessor coder;
    TMimeExtractor mime(message, coder);
    mime.AttachFilePath = folder.toStdString() + "/";
    mime.Reset();
    bool inHeader = true;
    for (std::size_t start = 0; start < raw.size();) {
        std::size_t end = raw.find('\n', start);
        if (end == std::string::npos)
            end = raw.size();
        std::string line = raw.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        start = end + 1;
        if (inHeader)
            inHeader = !mime.ParseHeaderLine(line, message);
        else
            message.RawLines.push_back(std::move(line));
    }
    mime.EndMessageHeader();
    try {
        mime.ExtractBody(parse);
    } catch (const std::exception &error) {
        if (isFileFailure(error.what()))
            std::abort();
    }

    // Nothing beside the attachment folder; in it only plain files; every stored part there.
    // Names are bytes from the message: checked and removed through the byte interface.
    const std::string rootPath = root.path().toStdString();
    const std::string folderPath = folder.toStdString();
    if (entryNames(rootPath) != std::vector<std::string>{"Attachments"})
        std::abort();
    const std::vector<std::string> names = entryNames(folderPath);
    for (const std::string &name : names) {
        if (!isPlainFile(folderPath + "/" + name))
            std::abort();
    }
    for (const std::string &name : message.Attachments) {
        if (name.empty() || name.find('/') != std::string::npos
            || !isPlainFile(folderPath + "/" + name))
            std::abort();
    }
    // The folder started empty: whatever is in it now is a stored part.
    if (names.size() != message.Attachments.size())
        std::abort();
    // A fresh folder for the next input: the "_k" series would otherwise grow without end.
    for (const std::string &name : names)
        ::unlink((folderPath + "/" + name).c_str());
    return 0;
}
