#pragma once
// The splitting of a retrieved message into the text shown and the parts stored as files:
// ParseHeader (message and part headers), ExtractParts (a multipart body), ExtractPart (one
// part to Body or to a file, decoded when it is base64 or X-UUENCODE). The POP3 client feeds
// it the header lines as they arrive and the body as RawLines; it works the same on a message
// held in memory, which is how the tests and the fuzz target drive it.
//
//   TMimeExtractor mime(message, coder);
//   mime.AttachFilePath = "/data/Attachments/";
//   for (const std::string &line : headerLines)   // line ends removed
//       if (mime.ParseHeaderLine(line, message)) break;
//   mime.EndMessageHeader();
//   message.RawLines = bodyLines;
//   mime.ExtractBody(false);                      // Body, Attachments, files

#include "mime/mail_message.h"
#include "mime/part_store.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kestrix {

class TNMUUProcessor;

class TMimeExtractor {
public:
    TMimeExtractor(TMailMessage &message, TNMUUProcessor &coder);

    // Retrieval state. ExtractMode: 2 = the message header goes to Head, 1 = part text goes to
    // Body, 0 = parts go to files.
    std::string AttachFilePath;  // ends with "/" (or empty)
    std::string TransferEncoding;
    std::string PartFileName;
    int ExtractMode = 2;
    std::size_t LineIndex = 0;  // next RawLines line to consume
    // Bounds of what one message stores; the parts beyond them are named in the text.
    std::size_t MaxStoredParts = kMaxStoredParts;
    std::uint64_t MaxStoredBytes = kMaxStoredBytes;

    // The host's hooks (any may be empty).
    std::function<void(std::uint8_t level, const std::string &text)> OnStatus;
    std::function<void(std::string &fileName)> OnDecodeStart;  // may change the name
    std::function<void()> OnPartLine;  // once per body line copied into a part

    // Clears the retrieval state and the message's per-retrieval fields (From and MessageId
    // keep their values until a new line overwrites them).
    void Reset();
    // One header line (line end removed); true when it is the empty line that ends the header.
    bool ParseHeaderLine(const std::string &line, TMailMessage &target);
    // After the message header: part text goes to Body from now on.
    void EndMessageHeader();
    // A header read from RawLines at LineIndex.
    void ParseHeader(TMailMessage &target);
    // Body, Attachments and files from RawLines: the split of a multipart message, else the
    // lines as received (parse false) or the single part decoded (parse true). A last Body
    // entry says which parts the bounds left out, if any.
    void ExtractBody(bool parse);
    // Parts up to the last delimiter line ("--" + Boundary + "--").
    void ExtractParts();
    // One part, up to the next delimiter line; true when that is the last one.
    bool ExtractPart();

private:
    // A delimiter line is "--" + Boundary (a part follows) or that + "--" (the last one),
    // optionally followed by blanks.
    enum class Delimiter { None, Part, Close };
    Delimiter delimiterOf(const std::string &line) const;
    void extractBodyParts(bool parse);
    void report(const std::string &text);
    // Stores the part in its working file under the part's name; decodes it when asked.
    void storePart(const std::string &working);

    TMailMessage &message_;
    TNMUUProcessor &coder_;
    PartStore store_;
    bool inContentType_ = false;  // the header line before was Content-Type or continued it
};

}  // namespace kestrix
