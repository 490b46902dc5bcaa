#pragma once
// Storing the parts of one message in the attachment folder. A part is written to a working file
// of a unique hidden name (made with O_EXCL, so never another file), then moved, or decoded into
// a second such file and that one moved, to a free name by a move that never replaces anything;
// the working files go again. So the program removes only files it made itself in this run, and
// a part a sender calls "Temp1.mme" is as safe as any other.
//
// Names cost one probe per part: the search for a free "name_k" goes on where the last search for
// the same name stopped. The parts and bytes stored per message are bounded; what was left out is
// counted for the reader's text.

#include "mime/attachment_folder.h"

#include <cstdint>
#include <string>
#include <unordered_map>

namespace kestrix {

inline constexpr std::size_t kMaxStoredParts = 1000;
inline constexpr std::uint64_t kMaxStoredBytes = 128u * 1024 * 1024;

class PartStore {
public:
    PartStore() = default;
    ~PartStore();
    PartStore(const PartStore &) = delete;
    PartStore &operator=(const PartStore &) = delete;

    // A new message stored in folder (ends with "/" or is empty), with its bounds: the parts
    // stored and the bytes of their content as received.
    void reset(const std::string &folder, std::size_t maxParts = kMaxStoredParts,
               std::uint64_t maxBytes = kMaxStoredBytes);
    const AttachmentFolder &folder() const { return folder_; }

    // One part's content, line by line (line end removed; written with CR LF). The working file
    // is made at the first line, so an empty part makes none. A part beyond the bounds is left
    // out: nothing of it is kept.
    void beginPart();
    void addLine(const std::string &line);
    // The working file's name when the part is to be stored; "" when it was empty or left out.
    std::string endPart();
    // Removes the part's working file (after storing it, or when storing failed).
    void removeWorkingFile();

    // A free name for wanted: wanted itself, else collisionName(wanted, k) for the next k.
    std::string freeName(const std::string &wanted);
    // Moves from to name, or to the next free name in name's series; returns the name used.
    std::string place(const std::string &from, const std::string &name);

    // "" when every part was stored, else one line that says what was left out and why.
    std::string leftOutText() const;

private:
    void flush();

    AttachmentFolder folder_{std::string()};
    std::size_t maxParts_ = kMaxStoredParts;
    std::uint64_t maxBytes_ = kMaxStoredBytes;
    std::unordered_map<std::string, int> lastSuffix_;  // wanted name -> last k tried

    FileDescriptor working_;
    std::string workingName_;
    std::string pending_;  // bytes for the working file not yet written
    std::uint64_t partBytes_ = 0;
    bool leftOut_ = false;

    std::size_t storedParts_ = 0;
    std::uint64_t storedBytes_ = 0;
    std::size_t leftOutParts_ = 0;
    std::uint64_t leftOutBytes_ = 0;
};

}  // namespace kestrix
