#pragma once
// Mail messages for the retrieval tests, written by the tests themselves: a single-part text,
// multipart messages with named parts in any transfer encoding, and the base64 and uuencode
// bodies of their parts. CR LF line ends, as a server stores them.

#include <QByteArray>

#include <string>
#include <vector>

namespace kestrix::test {

struct MimePart {
    std::string headers;  // the part's header lines, each ended by CR LF
    std::string body;     // the part's body, lines ended by CR LF
};

// Base64 of the bytes in lines of 76 characters (Qt's coder, not the one under test).
inline std::string base64Body(const std::string &bytes)
{
    const QByteArray coded = QByteArray(bytes.data(), qsizetype(bytes.size())).toBase64();
    std::string body;
    for (qsizetype i = 0; i < coded.size(); i += 76)
        body += coded.mid(i, 76).toStdString() + "\r\n";
    return body;
}

inline MimePart textPart(const std::string &text)
{
    return {"Content-Type: text/plain; charset=us-ascii\r\n", text};
}

inline MimePart base64Part(const std::string &name, const std::string &bytes)
{
    return {"Content-Type: application/octet-stream; name=\"" + name + "\"\r\n"
            "Content-Transfer-Encoding: base64\r\n"
            "Content-Disposition: attachment; filename=\"" + name + "\"\r\n",
            base64Body(bytes)};
}

inline MimePart encodedPart(const std::string &name, const std::string &encoding,
                            const std::string &body)
{
    return {"Content-Type: application/octet-stream\r\n"
            "Content-Transfer-Encoding: " + encoding + "\r\n"
            "Content-Disposition: attachment; filename=\"" + name + "\"\r\n",
            body};
}

inline std::string singlePartMessage(const std::string &subject, const std::string &body)
{
    return "From: Ann <ann@example.org>\r\nTo: joe@example.org\r\nSubject: " + subject
           + "\r\nMessage-ID: <1@example.org>\r\n\r\n" + body;
}

// boundaryParameter is the text after "boundary=" (quoted or not, maybe with more parameters);
// boundary the delimiter itself.
inline std::string multipartMessage(const std::string &subject, const std::string &boundary,
                                    const std::string &boundaryParameter,
                                    const std::vector<MimePart> &parts)
{
    std::string message = "From: Ann <ann@example.org>\r\nTo: joe@example.org\r\nSubject: " + subject
                          + "\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary="
                          + boundaryParameter + "\r\n\r\nThis is a multi-part message in MIME format.\r\n";
    for (const MimePart &part : parts)
        message += "--" + boundary + "\r\n" + part.headers + "\r\n" + part.body;
    message += "--" + boundary + "--\r\n";
    return message;
}

inline std::string multipartMessage(const std::string &subject, const std::vector<MimePart> &parts)
{
    return multipartMessage(subject, "=_b1", "\"=_b1\"", parts);
}

}  // namespace kestrix::test

namespace kestrix::test {

// The lines of a text with CR LF line ends, line ends removed, as RawLines holds a body.
inline std::vector<std::string> splitLines(const std::string &text)
{
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

// The message as a POP3 server sends it after "+OK": leading dots doubled, then the "." line.
inline std::string dotStuffed(const std::string &message)
{
    std::string sent;
    std::size_t start = 0;
    while (start < message.size()) {
        std::size_t end = message.find("\r\n", start);
        end = end == std::string::npos ? message.size() : end + 2;
        if (message[start] == '.')
            sent += '.';
        sent += message.substr(start, end - start);
        start = end;
    }
    return sent + ".\r\n";
}

}  // namespace kestrix::test
