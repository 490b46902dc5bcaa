#include "mime/attachment_folder.h"

#include "transport/exceptions.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kestrix {

namespace {

constexpr std::size_t kMaxExtension = 16;

Exception fileError(const std::string &what, const std::string &path)
{
    return Exception(what + " " + path + ": " + std::strerror(errno));
}

}  // namespace

std::string safeAttachmentName(std::string_view name)
{
    const std::size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos)
        name.remove_prefix(slash + 1);
    std::string safe(name);
    for (char &c : safe) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f)
            c = '_';
    }
    if (safe.empty() || safe == "." || safe == "..")
        return "text.tmp";
    if (safe.size() > kMaxAttachmentName) {
        const std::size_t dot = safe.rfind('.');
        std::string extension;
        if (dot != std::string::npos && dot > 0 && safe.size() - dot <= kMaxExtension + 1)
            extension = safe.substr(dot);
        safe = safe.substr(0, kMaxAttachmentName - extension.size()) + extension;
    }
    return safe;
}

std::string collisionName(const std::string &name, int k)
{
    const std::size_t dot = name.rfind('.');
    const std::string base = dot == std::string::npos ? std::string() : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? name.substr(name.empty() ? 0 : 1)
                                                           : name.substr(dot + 1);
    return base + "_" + std::to_string(k) + "." + extension;
}

bool AttachmentFolder::exists(const std::string &name) const
{
    struct stat info {};
    return ::lstat(path(name).c_str(), &info) == 0;
}

int AttachmentFolder::createTemporary(std::string &name) const
{
    std::string pattern = path(".kestrix-part-XXXXXX");
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0)
        throw fileError("Cannot create", pattern);
    name = pattern.substr(folder_.size());
    return fd;
}

int AttachmentFolder::openForReading(const std::string &name) const
{
    const std::string file = path(name);
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        throw fileError("Cannot open", file);
    return fd;
}

bool AttachmentFolder::moveNoReplace(const std::string &from, const std::string &to) const
{
    const std::string source = path(from);
    const std::string target = path(to);
    if (::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EEXIST)
        return false;
    if (errno != EINVAL && errno != ENOSYS)
        throw fileError("Cannot move " + source + " to", target);
    // A file system without the no-replace move: a hard link never replaces either.
    if (::link(source.c_str(), target.c_str()) != 0) {
        if (errno == EEXIST)
            return false;
        throw fileError("Cannot move " + source + " to", target);
    }
    ::unlink(source.c_str());
    return true;
}

void AttachmentFolder::remove(const std::string &name) const
{
    ::unlink(path(name).c_str());
}

FileDescriptor::~FileDescriptor()
{
    if (fd_ >= 0)
        ::close(fd_);
}

FileDescriptor &FileDescriptor::operator=(FileDescriptor &&other) noexcept
{
    if (this != &other) {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void FileDescriptor::close()
{
    if (fd_ < 0)
        return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 && errno != EINTR)
        throw Exception(std::string("Write error: ") + std::strerror(errno));
}

}  // namespace kestrix
