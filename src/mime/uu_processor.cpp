#include "mime/uu_processor.h"

#include "transport/exceptions.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace kestrix {

namespace {

constexpr char kMimeAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
// Value 0 is the grave accent, values 1 to 63 the characters 33 to 95.
constexpr char kUUAlphabet[] = "`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_";

constexpr std::size_t kReadBlock = 64 * 1024;
constexpr std::size_t kFlushAt = 64 * 1024;

// Character -> value in the base64 alphabet, -1 for any other character.
constexpr std::array<signed char, 256> mimeValues()
{
    std::array<signed char, 256> values{};
    for (auto &value : values)
        value = -1;
    for (int i = 0; i < 64; ++i)
        values[static_cast<unsigned char>(kMimeAlphabet[i])] = static_cast<signed char>(i);
    return values;
}
constexpr std::array<signed char, 256> kMimeValues = mimeValues();

int uuValue(char c)
{
    return (static_cast<unsigned char>(c) - 32) & 63;
}

void fire(const TNMUUProcessor::TNotifyEvent &event, TNMUUProcessor *sender)
{
    if (event)
        event(sender);
}

void flushIfFull(std::string &out, TStream &output)
{
    if (out.size() >= kFlushAt) {
        output.Write(out.data(), out.size());
        out.clear();
    }
}

}  // namespace

// ---- line reading ---------------------------------------------------------------------------

CoderLineReader::CoderLineReader(TStream &input) : input_(input), buffer_(kReadBlock) {}

void CoderLineReader::fill(std::size_t wanted)
{
    if (end_ - begin_ >= wanted || atEnd_)
        return;
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
    while (end_ < wanted) {
        const std::size_t got = input_.Read(buffer_.data() + end_, buffer_.size() - end_);
        if (got == 0) {
            atEnd_ = true;
            return;
        }
        end_ += got;
    }
}

bool CoderLineReader::next(std::string_view &line)
{
    fill(kLookAhead);
    const std::size_t waiting = end_ - begin_;
    if (waiting == 0)
        return false;
    const char *start = buffer_.data() + begin_;
    const std::size_t looked = std::min(waiting, kLookAhead);
    if (const void *lf = std::memchr(start, '\n', looked)) {
        std::size_t length = std::size_t(static_cast<const char *>(lf) - start);
        begin_ += length + 1;
        if (length > 0 && start[length - 1] == '\r')
            --length;
        line = std::string_view(start, length);
        return true;
    }
    line = std::string_view(start, looked);
    // A last piece without a line end is taken whole; only a line too long to be a line of
    // either format is read again from 61 bytes on.
    begin_ += looked < kLookAhead ? looked : kLongLineStep;
    return true;
}

// ---- decoding -------------------------------------------------------------------------------

std::string_view TNMUUProcessor::Alphabet(UUMethods method)
{
    return method == UUMethods::uuMime ? std::string_view(kMimeAlphabet, 64)
                                       : std::string_view(kUUAlphabet, 64);
}

void TNMUUProcessor::Decode()
{
    if (!InputStream || !OutputStream)
        throw Exception("Coder streams not set");
    fire(OnBeginDecode, this);
    CoderLineReader lines(*InputStream);
    std::string out;
    out.reserve(kFlushAt + 256);
    if (Method == UUMethods::uuMime)
        decodeMime(lines, out);
    else
        decodeUU(lines, out);
    OutputStream->Write(out.data(), out.size());
    fire(OnEndDecode, this);
}

void TNMUUProcessor::decodeMime(CoderLineReader &lines, std::string &out)
{
    std::string_view line;
    while (lines.next(line)) {
        const std::size_t length = line.size();
        if (length <= 2 || line.substr(0, 4) == "====")
            continue;
        std::size_t i = 0;
        while (i < length && kMimeValues[static_cast<unsigned char>(line[i])] < 0) {
            const char c = line[i];
            if (c == '\r' || c == '\n' || c == '=')
                return;  // a padding or line end before any data: the data has ended
            ++i;
        }
        if (i + 1 >= length)
            continue;

        bool padded = false;
        // Whole groups of four alphabet characters, the bulk of every line, in one pass.
        char decoded[CoderLineReader::kLookAhead];
        std::size_t made = 0;
        while (i + 4 <= length) {
            const int a = kMimeValues[static_cast<unsigned char>(line[i])];
            const int b = kMimeValues[static_cast<unsigned char>(line[i + 1])];
            const int c = kMimeValues[static_cast<unsigned char>(line[i + 2])];
            const int d = kMimeValues[static_cast<unsigned char>(line[i + 3])];
            if ((a | b | c | d) < 0)
                break;
            decoded[made] = char((a << 2) | (b >> 4));
            decoded[made + 1] = char(((b & 15) << 4) | (c >> 2));
            decoded[made + 2] = char(((c & 3) << 6) | d);
            made += 3;
            i += 4;
        }
        out.append(decoded, made);
        while (i < length) {
            const int v1 = kMimeValues[static_cast<unsigned char>(line[i])];
            if (v1 < 0) {
                ++i;
                continue;
            }
            // The group: this character and the three after it (fewer at the end of the line).
            const std::size_t have = std::min<std::size_t>(4, length - i);
            const char c2 = have > 1 ? line[i + 1] : '=';
            const char c3 = have > 2 ? line[i + 2] : '=';
            const char c4 = have > 3 ? line[i + 3] : '=';
            i += have;
            const int v2 = kMimeValues[static_cast<unsigned char>(c2)];
            if (v2 < 0) {
                padded = true;  // one character carries no whole byte
                break;
            }
            out.push_back(char((v1 << 2) | (v2 >> 4)));
            const int v3 = kMimeValues[static_cast<unsigned char>(c3)];
            if (v3 < 0) {
                padded = true;
                break;
            }
            out.push_back(char(((v2 & 15) << 4) | (v3 >> 2)));
            const int v4 = kMimeValues[static_cast<unsigned char>(c4)];
            if (v4 < 0) {
                padded = true;
                break;
            }
            out.push_back(char(((v3 & 3) << 6) | v4));
        }
        flushIfFull(out, *OutputStream);
        if (padded)
            return;
    }
}

void TNMUUProcessor::decodeUU(CoderLineReader &lines, std::string &out)
{
    std::string_view line;
    while (lines.next(line)) {
        if (line.substr(0, 6) == "begin ")
            continue;
        // The zero-length line ("`", or a blank in older encoders) and the "end" line close
        // the data; neither is data.
        if (!line.empty() && (line[0] == '`' || line[0] == ' '))
            return;
        if (line.substr(0, 3) == "end" && line.find_first_not_of(" \t", 3) == std::string_view::npos)
            return;
        if (line.size() <= 2)
            continue;
        int count = uuValue(line[0]);
        std::size_t i = 1;
        while (count > 0 && i < line.size()) {
            // Characters missing at the end of the line (stripped blanks) are worth 0.
            int v[4] = {0, 0, 0, 0};
            for (int k = 0; k < 4 && i < line.size(); ++k, ++i)
                v[k] = uuValue(line[i]);
            const char bytes[3] = {char((v[0] << 2) | (v[1] >> 4)), char((v[1] << 4) | (v[2] >> 2)),
                                   char((v[2] << 6) | v[3])};
            out.append(bytes, std::size_t(std::min(count, 3)));
            count -= 3;
        }
        flushIfFull(out, *OutputStream);
    }
}

// ---- encoding -------------------------------------------------------------------------------

void TNMUUProcessor::Encode()
{
    if (!InputStream || !OutputStream)
        throw Exception("Coder streams not set");
    fire(OnBeginEncode, this);
    const std::string_view alphabet = Alphabet(Method);
    const bool mime = Method == UUMethods::uuMime;
    InputStream->Seek(0);
    std::string out;
    std::array<char, 45> block{};
    for (;;) {
        std::size_t got = 0;
        while (got < block.size()) {
            const std::size_t n = InputStream->Read(block.data() + got, block.size() - got);
            if (n == 0)
                break;
            got += n;
        }
        if (got == 0)
            break;
        if (!mime)
            out.push_back(alphabet[got]);
        for (std::size_t i = 0; i < got; i += 3) {
            const auto b0 = static_cast<unsigned char>(block[i]);
            const auto b1 = i + 1 < got ? static_cast<unsigned char>(block[i + 1]) : 0;
            const auto b2 = i + 2 < got ? static_cast<unsigned char>(block[i + 2]) : 0;
            out.push_back(alphabet[b0 >> 2]);
            out.push_back(alphabet[((b0 & 3) << 4) | (b1 >> 4)]);
            if (i + 1 < got)
                out.push_back(alphabet[((b1 & 15) << 2) | (b2 >> 6)]);
            else if (mime)
                out += "==";
            if (i + 2 < got)
                out.push_back(alphabet[b2 & 63]);
            else if (mime && i + 1 < got)
                out.push_back('=');
        }
        out += "\r\n";
        flushIfFull(out, *OutputStream);
        if (got < block.size())
            break;
    }
    if (!mime) {
        out.push_back(alphabet[0]);
        out += "\r\n";
    }
    OutputStream->Write(out.data(), out.size());
    OutputStream->Seek(0);
    fire(OnEndEncode, this);
}

}  // namespace kestrix
