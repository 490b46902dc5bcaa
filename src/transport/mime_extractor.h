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

#include "transport/mail_message.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kestrix {

class TNMUUProcessor;

// Temporary part files made since the program started ("Temp" + N + ".mme"); never reset, so
// temporary names do not repeat within a run.
extern std::int64_t TempCounter;

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
    // lines as received (parse false) or the single part decoded (parse true).
    void ExtractBody(bool parse);
    void ExtractParts();
    bool ExtractPart();

private:
    bool containsBoundary(const std::string &line) const;
    void report(const std::string &text);
    // Stores the finished temporary file under the part's name; decodes it when asked.
    void storePart(const std::string &tempName);
    std::string placeFile(const std::string &fromName, std::string name);

    TMailMessage &message_;
    TNMUUProcessor &coder_;
};

}  // namespace kestrix
