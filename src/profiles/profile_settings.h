#pragma once
// The settings record of the current profile: one field per line of NAME.ini, in line order.

#include <string>

namespace kestrix {

struct ProfileSettings {
    int DeletedCount = 0;                // line 0
    std::string Host;                    // line 1
    std::string Port = "110";            // line 2
    std::string UserId;                  // line 3
    int NotifyLimit = 20;                // line 4, 1..10000
    std::string MailToolPath;            // line 5
    std::string resumeCode = "-1";       // line 6
    //                                      line 7: always "126", never read
    bool IncrementalDownload = true;     // line 8
    bool HideOnMailTool = false;         // line 9
    std::string resumeFallbackCode = "-1"; // line 10
    std::string spareCode1 = "-1";       // line 11
    std::string spareCode2 = "-1";       // line 12
    std::string MailToolParams;          // line 13
    int Col1Percent = 33;                // line 14
    int Col2Percent = 33;                // line 15
    int TrayAction = 1;                  // line 16, 0 or 1
    std::string resumeCodeCopy = "-1";   // line 17
    int CheckInterval = 2;               // line 18, minutes 0..60
    bool LogRejected = true;             // line 19
    bool CheckAfterDownload = true;      // line 20
    bool DailyUpdateCheck = false;       // line 21
    std::string LastUpdateCheck;         // line 22
    int WindowLeft = 0;                  // line 23
    int WindowTop = 0;                   // line 24
    int WindowWidth = 200;               // line 25
    int WindowHeight = 200;              // line 26
    double SplitRatio = 0.4;             // line 27, never below 0.4
    int RowHeight = 20;                  // line 28, 5..50

    // The five saved resume marks back to "-1" (none): the next download starts at message 1.
    void clearResumeMarks()
    {
        for (std::string *mark :
             {&resumeCode, &resumeFallbackCode, &spareCode1, &spareCode2, &resumeCodeCopy})
            *mark = "-1";
    }
};

}  // namespace kestrix
