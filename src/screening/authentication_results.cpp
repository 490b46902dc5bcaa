#include "screening/authentication_results.h"

#include "text/latin1.h"

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
    }

    // A keyword or token: letters, digits and the punctuation a token may hold.
    std::string_view token()
    {
        const size_t start = m_pos;
        while (!atEnd() && isTokenChar(m_text[m_pos]))
            ++m_pos;
        return m_text.substr(start, m_pos - start);
    }

    // A quoted string (quotes removed, quoted pairs undone) or a token.
    std::string value()
    {
        if (peek() != '"')
            return std::string(token());
        skip();
        std::string out;
        while (!atEnd()) {
            char c = m_text[m_pos++];
            if (c == '"')
                break;
            if (c == '\\' && !atEnd())
                c = m_text[m_pos++];
            out += c;
        }
        return out;
    }

    // A property value: a quoted string, or anything up to a blank, ';' or comment (an address
    // such as "@example.com" or "x@evil.example" included).
    std::string propertyValue()
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
        return std::string(m_text.substr(start, m_pos - start));
    }

    // Past the next ';' outside comments and quoted strings (or to the end).
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
std::string readAuthservId(Cursor &in)
{
    in.skipCfws();
    const size_t start = in.position();
    std::string id = in.value();
    in.skipCfws();
    if (in.peek() == '=' || in.peek() == '/' || id.empty()) {
        in.rewind(start);
        return {};
    }
    return id;
}

// One resinfo after its ';': method[/version]=result, an optional reason, properties.
void readResult(Cursor &in, std::vector<AuthResult> &results)
{
    in.skipCfws();
    AuthResult r;
    r.method = lowerAZ(in.token());
    in.skipCfws();
    if (in.peek() == '/') {  // method version
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
    r.result = lowerAZ(in.token());
    if (r.result.empty()) {
        in.skipToSemicolon();
        return;
    }
    for (;;) {
        in.skipCfws();
        if (in.atEnd() || in.peek() == ';')
            break;
        std::string name = lowerAZ(in.token());
        in.skipCfws();
        if (in.peek() == '.') {
            in.skip();
            in.skipCfws();
            name += '.';
            name += lowerAZ(in.token());
            in.skipCfws();
        }
        if (name.empty() || in.peek() != '=') {
            in.skipToSemicolon();
            break;
        }
        in.skip();
        in.skipCfws();
        r.properties.emplace_back(std::move(name), in.propertyValue());
    }
    results.push_back(std::move(r));
}

}  // namespace

std::string_view AuthResult::property(std::string_view name) const
{
    for (const auto &[key, value] : properties) {
        if (key == name)
            return value;
    }
    return {};
}

AuthenticationResults parseAuthenticationResults(std::string_view value)
{
    AuthenticationResults out;
    Cursor in(value);
    out.authservId = readAuthservId(in);
    if (out.authservId.empty()) {
        readResult(in, out.results);  // the first result has no ';' before it
    } else {
        in.skipCfws();
        in.token();  // an authres-version, when there is one
    }
    while (!in.atEnd()) {
        in.skipToSemicolon();
        if (in.atEnd())
            break;
        in.skip();  // the ';'
        readResult(in, out.results);
    }
    return out;
}

std::string authservIdOf(std::string_view value)
{
    Cursor in(value);
    return readAuthservId(in);
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
