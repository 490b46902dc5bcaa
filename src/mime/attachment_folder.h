#pragma once
// The folder the parts of a retrieved message are stored in. Part names come from the sender,
// so they are hostile input: safeAttachmentName keeps a name inside the folder, and every file
// is created fresh (never through an existing symbolic link) and reaches its final name by a
// move that never replaces anything, so a half-written file never carries a final name.

#include <string>
#include <string_view>

namespace kestrix {

// The longest name a stored part gets (bytes); the file system allows 255, and the "_k" of a
// collision and the temporary names need room.
inline constexpr std::size_t kMaxAttachmentName = 200;

// A name a user recognises that names a file in the folder: folder parts (after the last "/"
// or "\") dropped, control bytes (NUL, CR, LF, ...) replaced by "_", shortened to
// kMaxAttachmentName bytes keeping its extension; "", "." and ".." become "text.tmp".
std::string safeAttachmentName(std::string_view name);

// The k-th name tried when name is taken: the text before the last "." + "_" + k + "." + the
// text after it (for a name without a dot the text before is empty and the text after is the
// name without its first character), so a.txt gives a_1.txt, a_2.txt, ...
std::string collisionName(const std::string &name, int k);

class AttachmentFolder {
public:
    // folder ends with "/" (or is empty: the current folder).
    explicit AttachmentFolder(std::string folder) : folder_(std::move(folder)) {}

    std::string path(const std::string &name) const { return folder_ + name; }
    // True when anything (also a symbolic link, dangling or not) carries the name.
    bool exists(const std::string &name) const;
    // A new empty file with a unique hidden name for writing (".kestrix-part-" and six random
    // characters, made with O_EXCL: never another file); name receives it.
    int createTemporary(std::string &name) const;
    int openForReading(const std::string &name) const;
    // Moves from to to unless something carries the name to already (false then).
    bool moveNoReplace(const std::string &from, const std::string &to) const;
    void remove(const std::string &name) const;

private:
    std::string folder_;
};

// Closes the descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(const FileDescriptor &) = delete;
    FileDescriptor &operator=(const FileDescriptor &) = delete;
    FileDescriptor(FileDescriptor &&other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor &operator=(FileDescriptor &&other) noexcept;
    int get() const { return fd_; }
    // Closes now; raises Exception when the close reports a write error.
    void close();

private:
    int fd_;
};

}  // namespace kestrix
