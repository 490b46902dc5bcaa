#pragma once
// TNMUUProcessor: a small stream coder for base64 ("uuMime") and uuencode ("uuCode"). The
// retrieval decodes attached parts with it; Encode is the reverse (45 input bytes per line, no
// "begin"/"end" lines).
//
//   TNMUUProcessor coder;
//   coder.Method = UUMethods::uuCode;
//   TMemoryStream in("begin 644 a\r\n#86)C\r\n`\r\nend\r\n"), out;
//   coder.InputStream = &in; coder.OutputStream = &out;
//   coder.Decode();                        // out.Bytes() == "abc"
//
// Decoding reads the input line by line as CoderLineReader says, which also bounds what one
// line can be (200 bytes), so any input decodes in constant memory.

#include "mime/coder_streams.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

namespace kestrix {

enum class UUMethods { uuMime, uuCode };

// The coder's line reading: from the position up to 200 bytes are looked at; the line ends at
// the first LF among them and is handed out without its line end (the LF and a CR before it),
// the position moving just past the LF. Without an LF among 200 bytes all 200 form the line and
// the position moves on by 61 bytes only (the longest uuencode line). A last piece of the input
// without an LF is one line, and the position moves to the end.
class CoderLineReader {
public:
    static constexpr std::size_t kLookAhead = 200;
    static constexpr std::size_t kLongLineStep = 61;

    explicit CoderLineReader(TStream &input);
    // False when the input is exhausted.
    bool next(std::string_view &line);

private:
    void fill(std::size_t wanted);

    TStream &input_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    bool atEnd_ = false;
};

class TNMUUProcessor {
public:
    using TNotifyEvent = std::function<void(TNMUUProcessor *sender)>;

    UUMethods Method = UUMethods::uuMime;
    TStream *InputStream = nullptr;   // set by the caller, not owned
    TStream *OutputStream = nullptr;  // set by the caller, not owned

    TNotifyEvent OnBeginDecode;
    TNotifyEvent OnEndDecode;
    TNotifyEvent OnBeginEncode;
    TNotifyEvent OnEndEncode;

    // Reads the input from its position to its end and appends the decoded bytes to the output.
    void Decode();
    // Encodes the input from position 0; the output is left positioned at 0.
    void Encode();

    // The 64 characters of the method's alphabet, value 0 first.
    static std::string_view Alphabet(UUMethods method);

private:
    void decodeMime(CoderLineReader &lines, std::string &out);
    void decodeUU(CoderLineReader &lines, std::string &out);
};

}  // namespace kestrix
