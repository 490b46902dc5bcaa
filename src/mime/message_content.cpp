#include "mime/message_content.h"

namespace kestrix {

void MessageContent::setAttachFilePath(const std::string &path)
{
    // An empty value stays empty: a lone "/" would send the parts to the root folder.
    if (path.empty() || path.back() == '/')
        attachFilePath_ = path;
    else
        attachFilePath_ = path + "/";
}

void MessageContent::split(std::vector<std::string> header, std::vector<std::string> body)
{
    TMailMessage &message = CurrentMessage;
    mime_.TransferEncoding.clear();
    mime_.PartFileName.clear();
    mime_.ExtractMode = 2;
    message.Boundary.clear();
    mime_.AttachFilePath = attachFilePath_;
    mime_.OnStatus = [this](std::uint8_t, const std::string &text) {
        if (OnStatus)
            OnStatus(text);
    };
    mime_.OnDecodeStart = OnDecodeStart;
    mime_.OnPartLine = OnPartLine;
    mime_.Reset();

    for (const std::string &line : header) {
        if (mime_.ParseHeaderLine(line, message))
            break;
    }
    mime_.EndMessageHeader();
    message.RawLines = std::move(body);
    mime_.ExtractBody(Parse);
}

}  // namespace kestrix
