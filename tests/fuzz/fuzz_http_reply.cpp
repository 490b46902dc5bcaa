// The HTTP client's reply reader fed arbitrary server bytes through an in-memory stream behind
// the stream seam: the status line, the header (redirects, cookies, lengths) and the body of a
// Get of the release page, with every redirect to the same test address followed.
// The first input byte sets the largest piece one receive hands out (0: all at once); the rest
// is the server's side, cut into turns at each byte 0x01 (see scripted_stream.h): the reply to a
// request comes in the turns that follow its lines.
#include "fuzz/scripted_stream.h"
#include "transport/http_client.h"

#include <cstdint>
#include <memory>
#include <string>

using namespace kestrix;
using kestrix::fuzz::ScriptedStream;

namespace {

// A redirect elsewhere would look the name up in the system's resolver: the fuzzer stays on the
// one address its stream stands for.
bool staysOnTheTestAddress(const std::string &location)
{
    if (location.find('/') == std::string::npos)
        return true;  // a bare name is taken from the current server
    for (const char *prefix : {"http://127.0.0.1/", "http://127.0.0.1:"}) {
        if (location.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t piece = data[0];
    const std::string script(reinterpret_cast<const char *>(data + 1), size - 1);
    TNMHTTP http(std::make_unique<ScriptedStream>(script, piece));
    http.OnRedirect = [&http](bool &handled) { handled = !staysOnTheTestAddress(http.Location()); };
    try {
        http.Get("http://127.0.0.1:8080/pop3/release.txt");
    } catch (...) {
    }
    return 0;
}
