#pragma once
// The pieces the header tokens are made of: the header lines unfolded into fields, addresses
// and domains, the shape of an id, and the sorted set of tokens one message gives. Shared by the
// files that read one family of headers each; not used outside the tokens.

#include <string>
#include <string_view>
#include <vector>

namespace kestrix::header_token_parts {

struct Field {
    std::string name;  // lower case
    std::string value;
};

// One field per header, continuation lines joined with a blank.
std::vector<Field> unfold(const std::vector<std::string> &lines);
// The first field of that name (lower case); nullptr when there is none.
const Field *find(const std::vector<Field> &fields, std::string_view name);

bool isWordByte(unsigned char c);
bool isBlank(char c);
// A token never holds a blank or a control byte: the store keeps one per line.
std::string clean(std::string_view text, size_t limit = 60);
// The address of a From/Reply-To/Return-Path value, lower case: inside the last <...>, else the
// word holding "@".
std::string addressOf(std::string_view value);
std::string domainOf(std::string_view address);
// The last two labels of a host name ("mail.cheap.example" -> "cheap.example").
std::string_view baseDomain(std::string_view host);
// Digits as '9', letters as 'a' or 'A', runs of one class as one: the shape of a boundary or id.
std::string shapeOf(std::string_view text);
// The value of a "name=value" parameter of a MIME header, without quotes.
std::string parameter(std::string_view value, std::string_view name);
// The headers a list server adds.
bool isListHeader(std::string_view name);
// The headers the reader's own mail system adds on delivery or in the mailbox (Status,
// X-Keywords, Delivered-To, Lines...).
bool isMailboxHeader(std::string_view name);

class Tokens {
public:
    void add(std::string_view prefix, std::string_view text);
    // Words of a display text as written and folded (A-Z only), runs of punctuation apart.
    void addWords(std::string_view prefix, std::string_view text);
    // Pairs of neighbouring words, folded: "free+viagra" says more than either word.
    void addPairs(std::string_view prefix, std::string_view text);
    // The charsets of the encoded words in a raw header text, and a sign of raw 8-bit bytes.
    void addCharsets(std::string_view prefix, std::string_view raw);
    // The distinct tokens, sorted.
    std::vector<std::string> take();

private:
    std::vector<std::string> m_tokens;
};

// The Received lines: hosts, protocols and addresses of every hop, the number of hops, and
// whether the first outside hop belongs to the From address's domain (fromDomain).
void addReceived(Tokens &tokens, const std::vector<Field> &fields, const std::string &fromDomain);

// For mail that came through a mailing list: takes the list's own lines off the fields (its
// headers, the hops after the posting reached it, its bounce address, its subject tag) and gives
// the list's base domain; for other mail gives "" and leaves the fields as they are.
std::string takeListEnvelope(std::vector<Field> &fields);

// The order of the header names: pairs of neighbours ("subject>date").
void addHeaderOrder(Tokens &tokens, const std::vector<Field> &fields);
// How far the Date line lies from the newest Received line's time stamp.
void addDateSkew(Tokens &tokens, const std::vector<Field> &fields);
// The look of a decoded subject: its length, its share of capitals, padding, its last word.
void addSubjectShape(Tokens &tokens, std::string_view subject);

}  // namespace kestrix::header_token_parts
