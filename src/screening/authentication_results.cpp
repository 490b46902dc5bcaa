#include "screening/authentication_results.h"

#include "text/latin1.h"

#include <algorithm>

namespace kestrix {

namespace {

// A cursor over a field's value; every read stops at the end of the text.
class Cursor {
public:
    explicit Cursor(std::string_view text) : m_text(text) {}

    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return atEnd() ? '\0' : m_text[m_pos]; }
    size_t position() const { return m_pos; }
    void rewind(size_t pos) { m_pos = pos; }
    void skip() { ++m_pos; }
    std::string_view from(size_t start) const { return m_text.substr(start, m_pos - start); }

    // Blanks, line ends and comments; a comment nests and may hold quoted pairs. An unclosed
    // comment runs to the end.
    void skipCfws()
    {
        while (!atEnd()) {
            const char c = m_text[m_pos];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') {
                ++m_pos;
            } else if (c == '(') {
                int depth = 0;
                while (!atEnd()) {
                    const char d = m_text[m_pos++];
                    if (d == '\\') {
                        ++m_pos;
                    } else if (d == '(') {
                        ++depth;
                    } else if (d == ')' && --depth == 0) {
                        break;
                    }
                }
            } else {
                return;
            }
        }
        m_pos = std::min(m_pos, m_text.size());
    }

    // A keyword or token: letters, digits and the punctuation a token may hold.
    std::string_view token()
    {
        const size_t start = m_pos;
        while (!atEnd() && isTokenChar(m_text[m_pos]))
            ++m_pos;
        return from(start);
    }

    // A quoted string without its quotes (quoted pairs kept as written), or a token.
    std::string_view value()
    {
        if (peek() != '"')
            return token();
        skip();
        const size_t start = m_pos;
        while (!atEnd() && m_text[m_pos] != '"')
            m_pos += m_text[m_pos] == '\\' ? 2 : 1;
        m_pos = std::min(m_pos, m_text.size());
        const std::string_view inside = from(start);
        if (!atEnd())
            skip();  // the closing quote
        return inside;
    }

    // A property value: a quoted string, or anything up to a blank, ';' or comment (an address
    // such as "@example.com" or "x@evil.example" included).
    std::string_view propertyValue()
    {
        if (peek() == '"')
            return value();
        const size_t start = m_pos;
        while (!atEnd()) {
            const char c = m_text[m_pos];
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';' || c == '(')
                break;
            ++m_pos;
        }
        return from(start);
    }

    // Up to the next ';' outside comments and quoted strings (or to the end).
    void skipToSemicolon()
    {
        while (!atEnd()) {
            skipCfws();
            const char c = peek();
            if (c == ';' || atEnd())
                return;
            if (c == '"')
                value();
            else
                skip();
        }
    }

private:
    static bool isTokenChar(char c)
    {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b == 0x7F)
            return false;
        switch (c) {
        case '(': case ')': case '<': case '>': case '@': case ',': case ';': case ':':
        case '\\': case '"': case '/': case '[': case ']': case '?': case '=':
            return false;
        default:
            return true;
        }
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

// The authserv-id at the cursor, or empty (cursor left where it was) when the value starts
// with a result ("spf=fail ...").
std::string_view readAuthservId(Cursor &in)
{
    in.skipCfws();
    const size_t start = in.position();
    const std::string_view id = in.value();
    in.skipCfws();
    if (in.peek() == '=' || in.peek() == '/' || id.empty()) {
        in.rewind(start);
        return {};
    }
    return id;
}

// The properties after a result: name[.name] = value, until ';' or the end. Calls
// f(ptype, property, value) for each; stops at anything else.
template <class F>
void readProperties(Cursor &in, F &&f)
{
    for (;;) {
        in.skipCfws();
        if (in.atEnd() || in.peek() == ';')
            return;
        const std::string_view ptype = in.token();
        std::string_view property;
        in.skipCfws();
        if (in.peek() == '.') {
            in.skip();
            in.skipCfws();
            property = in.token();
            in.skipCfws();
        }
        if (ptype.empty() || in.peek() != '=') {
            in.skipToSemicolon();
            return;
        }
        in.skip();
        in.skipCfws();
        if (f(ptype, property, in.propertyValue()))
            return;
    }
}

// One resinfo after its ';' (or at the start of an id-less field): method[/version]=result,
// then the reason and properties.
void readResult(Cursor &in, std::vector<AuthResult> *results)
{
    in.skipCfws();
    AuthResult r;
    r.method = in.token();
    in.skipCfws();
    if (in.peek() == '/') {  // a method version
        in.skip();
        in.skipCfws();
        in.token();
        in.skipCfws();
    }
    if (r.method.empty() || in.peek() != '=') {
        in.skipToSemicolon();  // "none", or something this reader does not know
        return;
    }
    in.skip();
    in.skipCfws();
    r.result = in.token();
    const size_t restStart = in.position();
    in.skipToSemicolon();
    r.rest = in.from(restStart);
    if (!r.result.empty() && results)
        results->push_back(r);
}

}  // namespace

bool AuthResult::is(std::string_view m, std::string_view r) const
{
    return equalsIgnoreCaseAZ(method, m) && equalsIgnoreCaseAZ(result, r);
}

std::string_view AuthResult::property(std::string_view name) const
{
    // A token may hold dots, so "header.from" usually arrives whole; blanks or comments
    // around the dot split it in two.
    const size_t dot = name.find('.');
    const std::string_view wantedType = name.substr(0, dot);
    const std::string_view wantedProperty =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    std::string_view found;
    Cursor in(rest);
    readProperties(in, [&](std::string_view ptype, std::string_view property, std::string_view value) {
        const bool match = property.empty()
                               ? equalsIgnoreCaseAZ(ptype, name)
                               : equalsIgnoreCaseAZ(ptype, wantedType)
                                     && equalsIgnoreCaseAZ(property, wantedProperty);
        if (match)
            found = value;
        return match;
    });
    return found;
}

std::string_view parseAuthenticationResults(std::string_view value, std::vector<AuthResult> *results)
{
    if (results)
        results->clear();
    Cursor in(value);
    const std::string_view id = readAuthservId(in);
    if (!results)
        return id;
    if (id.empty())
        readResult(in, results);  // the first result has no ';' before it
    while (!in.atEnd()) {
        in.skipToSemicolon();
        if (in.atEnd())
            break;
        in.skip();  // the ';'
        readResult(in, results);
    }
    return id;
}

bool fieldValue(std::string_view line, std::string_view name, std::string_view &value)
{
    if (line.size() <= name.size() || line[name.size()] != ':')
        return false;
    for (size_t i = 0; i < name.size(); ++i) {
        if (lowerAZ(line[i]) != name[i])
            return false;
    }
    value = line.substr(name.size() + 1);
    return true;
}

}  // namespace kestrix
