#pragma once
// TNMURL: the form encoding of a text (a blank becomes "+", letters and digits stay, every other
// byte becomes "%" and two lower-case hexadecimal digits). Only form posts would need it.

#include <functional>
#include <string>

namespace kestrix {

class TNMURL {
public:
    // Sender, the error's title ("Error during encode") and the failure's message.
    using TErrorEvent =
        std::function<void(TNMURL *sender, const std::string &title, const std::string &message)>;

    std::string InputString;
    TErrorEvent OnError;

    // InputString in the form encoding; on a failure InputString unchanged, after OnError.
    std::string Encode();
};

// The form encoding itself.
std::string formEncode(const std::string &text);

}  // namespace kestrix
