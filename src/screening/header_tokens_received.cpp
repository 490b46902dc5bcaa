// The Received lines of a message: which hosts passed it on, how, from which addresses.
#include "screening/header_token_parts.h"

#include "text/latin1.h"

#include <algorithm>

namespace kestrix::header_token_parts {

void addReceived(Tokens &tokens, const std::vector<Field> &fields)
{
    int hops = 0;
    for (const Field &field : fields) {
        if (field.name != "received")
            continue;
        ++hops;
        const std::string lower = lowerAZ(field.value);
        auto hostAfter = [&](std::string_view word) {
            const size_t at = lower.find(word);
            if (at == std::string::npos || (at > 0 && !isBlank(lower[at - 1])))
                return std::string();
            const size_t begin = at + word.size();
            const size_t end = lower.find_first_of(" \t;()[]", begin);
            return lower.substr(begin, end == std::string::npos ? end : end - begin);
        };
        const std::string from = hostAfter("from ");
        const std::string by = hostAfter("by ");
        tokens.add("rcvd-from:", from);
        if (from.find('.') != std::string::npos)
            tokens.add("rcvd-from:@", baseDomain(from));
        tokens.add("rcvd-by:", by);
        tokens.add("rcvd-with:", hostAfter("with "));
        // The /24 of every bracketed address.
        for (size_t open = lower.find('['); open != std::string::npos; open = lower.find('[', open + 1)) {
            const size_t close = lower.find(']', open);
            if (close == std::string::npos)
                break;
            const std::string_view ip = std::string_view(lower).substr(open + 1, close - open - 1);
            const size_t lastDot = ip.rfind('.');
            if (lastDot != std::string_view::npos && std::count(ip.begin(), ip.end(), '.') == 3)
                tokens.add("rcvd-ip:", ip.substr(0, lastDot));
        }
    }
    tokens.add("rcvd-hops:", std::to_string(std::min(hops, 12)));
}

}  // namespace kestrix::header_token_parts
