#pragma once
// The content of one message read whole: the lines the POP3 client retrieved, split into the
// text shown and the parts stored as files in the attachment folder (mime_extractor.h). This is
// the only side that writes a message to disk; the reader and kestrix-cli read show what it
// holds: CurrentMessage's Body, its Attachments and the text's charset.
//
//   MessageContent content;
//   content.setAttachFilePath("/data/Attachments");
//   TNMPOP3::RetrievedMessage raw = pop.FetchMessage(n);
//   content.split(std::move(raw.header), std::move(raw.body));

#include "mime/mail_message.h"
#include "mime/mime_extractor.h"
#include "mime/uu_processor.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace kestrix {

class MessageContent {
public:
    bool Parse = false;  // decode a single-part message instead of showing it as received

    // Folder for the stored parts; a value without a trailing "/" gets one.
    const std::string &AttachFilePath() const { return attachFilePath_; }
    void setAttachFilePath(const std::string &path);

    // The host's hooks (any may be empty): the status texts "Extracting file" and "Decoding
    // file"; a part's name before it is stored (may change it); once per line copied into a part.
    std::function<void(const std::string &text)> OnStatus;
    std::function<void(std::string &fileName)> OnDecodeStart;
    std::function<void()> OnPartLine;

    TMailMessage CurrentMessage;
    TNMUUProcessor UUProcessor;
    // TransferEncoding, PartFileName and ExtractMode of the last split.
    TMimeExtractor &Mime() { return mime_; }

    // A new message from its header lines (with the empty line that ends them, when the message
    // has one) and body lines, all without line ends: Head, From, Subject..., then Body,
    // Attachments and the files. Raises Exception when a part cannot be stored.
    void split(std::vector<std::string> header, std::vector<std::string> body);

private:
    std::string attachFilePath_;
    TMimeExtractor mime_{CurrentMessage, UUProcessor};
};

}  // namespace kestrix
