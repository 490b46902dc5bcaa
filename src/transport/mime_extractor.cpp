#include "transport/mime_extractor.h"

#include "text/latin1.h"
#include "transport/attachment_folder.h"
#include "transport/exceptions.h"
#include "transport/uu_processor.h"

#include <unistd.h>

namespace kestrix {

std::int64_t TempCounter = 0;

namespace {

constexpr std::size_t kFieldLimit = 256;
constexpr std::size_t kWriteBlock = 64 * 1024;

// Up to 256 characters from the 0-based position on ("" when the line is shorter).
std::string fieldFrom(const std::string &line, std::size_t position)
{
    return line.size() > position ? line.substr(position, kFieldLimit) : std::string();
}

// The boundary parameter's value: between its double quotes, or (unquoted) up to the next
// parameter or blank, which no boundary may hold.
std::string boundaryValue(const std::string &line, std::size_t position)
{
    const std::string value = fieldFrom(line, position);
    if (!value.empty() && value[0] == '"') {
        const std::size_t closing = value.find('"', 1);
        return value.substr(1, closing == std::string::npos ? std::string::npos : closing - 1);
    }
    return value.substr(0, value.find_first_of("; \t"));
}

// The text between the first and the second double quote ("" without a quote).
std::string quotedText(const std::string &line)
{
    const std::size_t first = line.find('"');
    if (first == std::string::npos)
        return {};
    const std::size_t second = line.find('"', first + 1);
    return line.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

std::vector<std::string> linesOfFile(const AttachmentFolder &folder, const std::string &name)
{
    FileDescriptor fd(folder.openForReading(name));
    std::string bytes;
    char block[kWriteBlock];
    for (;;) {
        const ssize_t n = ::read(fd.get(), block, sizeof block);
        if (n < 0)
            throw Exception("Cannot read " + folder.path(name));
        if (n == 0)
            break;
        bytes.append(block, std::size_t(n));
    }
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        const std::size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos)
            end = bytes.size();
        if (end > start && bytes[end - 1] == '\r' && end < bytes.size())
            --end;
        lines.push_back(bytes.substr(start, end - start));
        start = next;
    }
    return lines;
}

}  // namespace

TMimeExtractor::TMimeExtractor(TMailMessage &message, TNMUUProcessor &coder)
    : message_(message), coder_(coder)
{
}

void TMimeExtractor::Reset()
{
    TransferEncoding.clear();
    PartFileName.clear();
    ExtractMode = 2;
    LineIndex = 0;
    message_.Boundary.clear();
    message_.Head.Clear();
    message_.Body.clear();
    message_.RawLines.clear();
    message_.Attachments.clear();
    message_.Subject.clear();
    message_.ContentType.clear();
}

void TMimeExtractor::report(const std::string &text)
{
    if (OnStatus)
        OnStatus(1, text);
}

bool TMimeExtractor::containsBoundary(const std::string &line) const
{
    // No boundary is in no line (an empty one would be in every line).
    return !message_.Boundary.empty() && line.find(message_.Boundary) != std::string::npos;
}

bool TMimeExtractor::ParseHeaderLine(const std::string &line, TMailMessage &target)
{
    if (ExtractMode == 2)
        message_.Head.Add(line);
    if (line.empty())
        return true;
    const std::string upper = upperAZ(line);
    const std::string word = upper.substr(0, upper.find(' '));
    // The fields of the message are written also by part headers: the last line seen wins.
    if (word == "SUBJECT:")
        message_.Subject = fieldFrom(line, 8);
    else if (word == "FROM:")
        message_.From = fieldFrom(line, 6);
    else if (word == "CONTENT-TYPE:")
        message_.ContentType = fieldFrom(line, 14);
    else if (word == "MESSAGE-ID:")
        message_.MessageId = fieldFrom(line, 12);
    if (const std::size_t at = upper.find("BOUNDARY="); at != std::string::npos)
        target.Boundary = boundaryValue(line, at + 9);
    if (upper.find("CONTENT-TRANSFER-ENCODING") != std::string::npos)
        TransferEncoding = fieldFrom(line, 27);
    if (upper.find("NAME") != std::string::npos)
        PartFileName = quotedText(line);
    return false;
}

void TMimeExtractor::EndMessageHeader()
{
    if (ExtractMode == 2)
        ExtractMode = 1;
}

void TMimeExtractor::ParseHeader(TMailMessage &target)
{
    const bool messageHeader = ExtractMode == 2;
    while (LineIndex < message_.RawLines.size()) {
        if (ParseHeaderLine(message_.RawLines[LineIndex++], target))
            break;
    }
    if (messageHeader)
        EndMessageHeader();
}

void TMimeExtractor::ExtractBody(bool parse)
{
    if (lowerAZ(message_.ContentType).find("multipart") != std::string::npos) {
        ExtractParts();
    } else if (!parse) {
        message_.Body = message_.RawLines;
    } else if (upperAZ(TransferEncoding).find("BASE64") != std::string::npos) {
        ExtractMode = 0;
        ExtractPart();
        if (message_.Attachments.empty())
            throw Exception("The message has no content to decode");
        message_.Body = linesOfFile(AttachmentFolder(AttachFilePath), message_.Attachments[0]);
    } else {
        ExtractMode = 1;
        ExtractPart();
    }
}

void TMimeExtractor::ExtractParts()
{
    // Boundaries of nested parts are recorded here and not used.
    TMailMessage nested;
    bool found = false;
    while (!found && LineIndex < message_.RawLines.size())
        found = containsBoundary(message_.RawLines[LineIndex++]);
    if (!found)
        throw Exception(message_.Boundary.empty()
                            ? "Multipart message without a boundary"
                            : "Multipart message without its boundary line \"" + message_.Boundary + "\"");
    bool done = false;
    do {
        ParseHeader(nested);
        done = ExtractPart();
    } while (LineIndex < message_.RawLines.size() && !done);
}

bool TMimeExtractor::ExtractPart()
{
    const AttachmentFolder folder(AttachFilePath);
    const bool toFile = ExtractMode == 0;
    std::string tempName;
    FileDescriptor temp;
    if (toFile) {
        ++TempCounter;
        tempName = "Temp" + std::to_string(TempCounter) + ".mme";
        temp = FileDescriptor(folder.createReplacing(tempName));
    }
    report("Extracting file");

    std::string pending;  // bytes for the temporary file not yet written
    std::size_t written = 0;
    TFdStream tempStream(temp.get());
    auto flush = [&] {
        tempStream.Write(pending.data(), pending.size());
        written += pending.size();
        pending.clear();
    };

    const std::vector<std::string> &lines = message_.RawLines;
    const std::string *line = LineIndex < lines.size() ? &lines[LineIndex++] : nullptr;
    while (line && !containsBoundary(*line)) {
        if (toFile) {
            pending += *line;
            pending += "\r\n";
            if (pending.size() >= kWriteBlock)
                flush();
        } else {
            message_.Body.push_back(*line);
        }
        if (OnPartLine)
            OnPartLine();
        line = LineIndex < lines.size() ? &lines[LineIndex++] : nullptr;
    }

    if (toFile) {
        flush();
        temp.close();
        if (written > 0)
            storePart(tempName);
    }
    const bool done = line && line->size() >= 2
                      && line->substr(line->size() < 4 ? 0 : line->size() - 4).find("--")
                             != std::string::npos;
    ExtractMode = 0;
    return done;
}

std::string TMimeExtractor::placeFile(const std::string &fromName, std::string name)
{
    const AttachmentFolder folder(AttachFilePath);
    const std::string base = name;
    int k = 1;
    // The name was free a moment ago; should something have taken it since, the next one.
    while (!folder.moveNoReplace(fromName, name)) {
        do
            name = collisionName(base, k++);
        while (folder.exists(name));
    }
    return name;
}

void TMimeExtractor::storePart(const std::string &tempName)
{
    const AttachmentFolder folder(AttachFilePath);
    const std::string wanted = safeAttachmentName(PartFileName.empty() ? "text.tmp" : PartFileName);
    std::string name = wanted;
    for (int k = 1; folder.exists(name); ++k)
        name = collisionName(wanted, k);
    if (OnDecodeStart) {
        OnDecodeStart(name);
        name = safeAttachmentName(name);
    }

    const bool base64 = lowerAZ(TransferEncoding).find("base64") != std::string::npos;
    const bool uuencoded = TransferEncoding.find("X-UUENCODE") != std::string::npos;
    std::string stored;
    if (base64 || uuencoded) {
        FileDescriptor input(folder.openForReading(tempName));
        std::string decodedName;
        FileDescriptor output(folder.createTemporary(decodedName));
        try {
            coder_.Method = uuencoded ? UUMethods::uuCode : UUMethods::uuMime;
            report("Decoding file");
            TFdStream in(input.get());
            TFdStream out(output.get());
            coder_.InputStream = &in;
            coder_.OutputStream = &out;
            coder_.Decode();
            coder_.InputStream = nullptr;
            coder_.OutputStream = nullptr;
            output.close();
            stored = placeFile(decodedName, name);
        } catch (...) {
            coder_.InputStream = nullptr;
            coder_.OutputStream = nullptr;
            folder.remove(decodedName);
            throw;
        }
        // The temporary file of a decoded part stays in the folder.
    } else {
        stored = placeFile(tempName, name);
    }
    message_.Body.push_back("\r\nFile \"" + stored + "\" extracted");
    message_.Attachments.push_back(stored);
}

}  // namespace kestrix
