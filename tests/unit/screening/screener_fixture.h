#pragma once
// A Screener on a recording view and a scripted prompter, with helpers that fill the rows
// and the header store as a download would.

#include "screening/screener.h"
#include "support/recording_view.h"
#include "support/scripted_prompter.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrix::test {

class ScreenerTest : public ::testing::Test {
protected:
    // Appends one downloaded message: number, sender, subject and code, with a stored header
    // whose size is `size` and whose content line is `contentType` (none when empty).
    void addMessage(int number, const std::string &sender, const std::string &subject,
                    const std::string &code = {}, int size = 1000,
                    const std::string &contentType = "text/plain")
    {
        const std::string c = code.empty() ? "code" + std::to_string(number) : code;
        s.startCode = "0";
        s.rows.push_back({std::to_string(number), sender, subject, c});
        HeaderRecord &record = s.headerStore.at(s.headerStore.append(number));
        record.lines = {"id:" + c, "Size: " + std::to_string(size) + " byte", "From: " + sender,
                        "Subject: " + subject};
        if (!contentType.empty())
            record.lines.push_back("Content-Type: " + contentType);
    }

    CellMarker senderMarker(int row) const { return s.messageTable.marker(MessageTable::ColSender, row); }
    CellMarker subjectMarker(int row) const { return s.messageTable.marker(MessageTable::ColSubject, row); }

    RecordingView view;
    ScriptedPrompter prompter;
    Screener s{view, prompter};
};

}  // namespace kestrix::test
