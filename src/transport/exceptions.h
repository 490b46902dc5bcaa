#pragma once
// The transport's failures. The general class carries a plain message (for POP3 refusals the
// server's reply line, CR LF included); ESockError is a socket or look-up failure and
// EAbortError an operation ended by Cancel, Abort or the time-out.

#include <stdexcept>
#include <string>

namespace kestrix {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string &message) : std::runtime_error(message) {}
};

class ESockError : public Exception {
public:
    using Exception::Exception;
};

class EAbortError : public ESockError {
public:
    using ESockError::ESockError;
};

// A text that should have been a number ("'abc' is not a valid integer value").
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

}  // namespace kestrix
