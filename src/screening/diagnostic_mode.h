#pragma once
// The diagnostic mode: while the account's user id is this built-in value, the window shows the
// message codes, the message reader button and the test button that fills the table from the
// log, and the new-mail check notes the newest id.

#include "text/latin1.h"

#include <string_view>

namespace kestrix {

inline bool isDiagnosticUser(std::string_view userId) { return lowerAZ(userId) == "vellick"; }

}  // namespace kestrix
