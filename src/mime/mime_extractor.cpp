#include "mime/mime_extractor.h"

#include "mime/attachment_folder.h"
#include "mime/uu_processor.h"
#include "text/latin1.h"
#include "transport/exceptions.h"

#include <unistd.h>

namespace kestrix {

namespace {

constexpr std::size_t kFieldLimit = 256;
constexpr std::size_t kReadBlock = 64 * 1024;

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

// The value of a charset parameter that starts at position: quoted or up to the next
// parameter or blank.
std::string charsetValue(const std::string &line, std::size_t position)
{
    std::string value = fieldFrom(line, position);
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
    char block[kReadBlock];
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
    message_.BodyCharset.clear();
    inContentType_ = false;
}

void TMimeExtractor::report(const std::string &text)
{
    if (OnStatus)
        OnStatus(1, text);
}

TMimeExtractor::Delimiter TMimeExtractor::delimiterOf(const std::string &line) const
{
    // "--" + boundary at the start of the line, then "--" for the last one; blanks and tabs may
    // follow. Anything else is content, also a line that merely holds the boundary somewhere,
    // which a boundary of one or two characters would otherwise find in almost every line.
    const std::string &boundary = message_.Boundary;
    if (boundary.empty() || line.size() < boundary.size() + 2 || line[0] != '-' || line[1] != '-'
        || line.compare(2, boundary.size(), boundary) != 0)
        return Delimiter::None;
    std::string_view rest(line);
    rest.remove_prefix(boundary.size() + 2);
    while (!rest.empty() && (rest.back() == ' ' || rest.back() == '\t'))
        rest.remove_suffix(1);
    if (rest.empty())
        return Delimiter::Part;
    return rest == "--" ? Delimiter::Close : Delimiter::None;
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
    // The charset of the text shown: from the header whose text goes to Body (the message's, or
    // the first part's), on the Content-Type line or one of its continuation lines.
    const bool continuation = line[0] == ' ' || line[0] == '\t';
    inContentType_ = continuation ? inContentType_ : upper.rfind("CONTENT-TYPE:", 0) == 0;
    if (inContentType_ && ExtractMode >= 1) {
        if (const std::size_t at = upper.find("CHARSET="); at != std::string::npos)
            message_.BodyCharset = charsetValue(line, at + 8);
    }
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
    store_.reset(AttachFilePath, MaxStoredParts, MaxStoredBytes);
    extractBodyParts(parse);
    if (const std::string leftOut = store_.leftOutText(); !leftOut.empty())
        message_.Body.push_back("\r\n" + leftOut);
}

void TMimeExtractor::extractBodyParts(bool parse)
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
        message_.Body = linesOfFile(store_.folder(), message_.Attachments[0]);
    } else {
        ExtractMode = 1;
        ExtractPart();
    }
}

void TMimeExtractor::ExtractParts()
{
    // Boundaries of nested parts are recorded here and not used.
    TMailMessage nested;
    Delimiter first = Delimiter::None;
    while (first == Delimiter::None && LineIndex < message_.RawLines.size())
        first = delimiterOf(message_.RawLines[LineIndex++]);
    if (first == Delimiter::Close)
        return;  // the last delimiter before any part: no parts
    if (first == Delimiter::None)
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
    const bool toFile = ExtractMode == 0;
    if (toFile)
        store_.beginPart();
    report("Extracting file");

    const std::vector<std::string> &lines = message_.RawLines;
    const std::string *line = LineIndex < lines.size() ? &lines[LineIndex++] : nullptr;
    Delimiter delimiter = Delimiter::None;
    try {
        while (line && (delimiter = delimiterOf(*line)) == Delimiter::None) {
            if (toFile)
                store_.addLine(*line);
            else
                message_.Body.push_back(*line);
            if (OnPartLine)
                OnPartLine();
            line = LineIndex < lines.size() ? &lines[LineIndex++] : nullptr;
        }
        if (toFile) {
            const std::string working = store_.endPart();
            if (!working.empty())
                storePart(working);
            store_.removeWorkingFile();
        }
    } catch (...) {
        store_.removeWorkingFile();
        throw;
    }
    ExtractMode = 0;
    return delimiter == Delimiter::Close;
}

void TMimeExtractor::storePart(const std::string &working)
{
    const AttachmentFolder &folder = store_.folder();
    std::string name = store_.freeName(safeAttachmentName(PartFileName.empty() ? "text.tmp" : PartFileName));
    if (OnDecodeStart) {
        OnDecodeStart(name);
        name = safeAttachmentName(name);
    }

    const bool base64 = lowerAZ(TransferEncoding).find("base64") != std::string::npos;
    const bool uuencoded = TransferEncoding.find("X-UUENCODE") != std::string::npos;
    std::string stored;
    if (base64 || uuencoded) {
        FileDescriptor input(folder.openForReading(working));
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
            stored = store_.place(decodedName, name);
        } catch (...) {
            coder_.InputStream = nullptr;
            coder_.OutputStream = nullptr;
            folder.remove(decodedName);
            throw;
        }
    } else {
        stored = store_.place(working, name);
    }
    message_.Body.push_back("\r\nFile \"" + stored + "\" extracted");
    message_.Attachments.push_back(stored);
}

}  // namespace kestrix
