#include "mime/part_store.h"

#include "mime/coder_streams.h"

namespace kestrix {

namespace {

constexpr std::size_t kWriteBlock = 64 * 1024;
constexpr std::uint64_t kMegabyte = 1024 * 1024;

std::string bytesText(std::uint64_t bytes)
{
    if (bytes >= kMegabyte && bytes % kMegabyte == 0)
        return std::to_string(bytes / kMegabyte) + " MB";
    return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

}  // namespace

PartStore::~PartStore()
{
    removeWorkingFile();
}

void PartStore::reset(const std::string &folder, std::size_t maxParts, std::uint64_t maxBytes)
{
    removeWorkingFile();
    folder_ = AttachmentFolder(folder);
    maxParts_ = maxParts;
    maxBytes_ = maxBytes;
    lastSuffix_.clear();
    storedParts_ = 0;
    storedBytes_ = 0;
    leftOutParts_ = 0;
    leftOutBytes_ = 0;
}

void PartStore::beginPart()
{
    removeWorkingFile();
    pending_.clear();
    partBytes_ = 0;
    leftOut_ = storedParts_ >= maxParts_;
}

void PartStore::addLine(const std::string &line)
{
    partBytes_ += line.size() + 2;
    if (leftOut_)
        return;
    if (storedBytes_ + partBytes_ > maxBytes_) {
        // Half a file would be worse than none: what was written goes again.
        leftOut_ = true;
        pending_.clear();
        removeWorkingFile();
        return;
    }
    if (workingName_.empty())
        working_ = FileDescriptor(folder_.createTemporary(workingName_));
    pending_ += line;
    pending_ += "\r\n";
    if (pending_.size() >= kWriteBlock)
        flush();
}

void PartStore::flush()
{
    TFdStream(working_.get()).Write(pending_.data(), pending_.size());
    pending_.clear();
}

std::string PartStore::endPart()
{
    if (partBytes_ == 0)
        return {};
    if (leftOut_) {
        ++leftOutParts_;
        leftOutBytes_ += partBytes_;
        return {};
    }
    flush();
    working_.close();
    ++storedParts_;
    storedBytes_ += partBytes_;
    return workingName_;
}

void PartStore::removeWorkingFile()
{
    working_ = FileDescriptor();
    if (!workingName_.empty()) {
        folder_.remove(workingName_);
        workingName_.clear();
    }
}

std::string PartStore::freeName(const std::string &wanted)
{
    // The search goes on at the name it found last (taken now, most likely): a name found taken
    // stays taken while this message is stored, so each is probed about once.
    int &k = lastSuffix_[wanted];
    std::string name = k == 0 ? wanted : collisionName(wanted, k);
    while (folder_.exists(name))
        name = collisionName(wanted, ++k);
    return name;
}

std::string PartStore::place(const std::string &from, const std::string &name)
{
    // The name was free a moment ago; should something have taken it since, the next one.
    std::string target = name;
    while (!folder_.moveNoReplace(from, target))
        target = freeName(name);
    return target;
}

std::string PartStore::leftOutText() const
{
    if (leftOutParts_ == 0)
        return {};
    return std::to_string(leftOutParts_) + (leftOutParts_ == 1 ? " part" : " parts") + " ("
           + bytesText(leftOutBytes_) + ") not stored: a message stores at most "
           + std::to_string(maxParts_) + " parts and " + bytesText(maxBytes_);
}

}  // namespace kestrix
