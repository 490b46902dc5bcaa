#pragma once
// The text of the header details pane and the "No Text ?" notice, from a message's stored
// lines ("id:" + code, "Size: n byte", then the header lines). Pure functions: no widgets.

#include <string>
#include <vector>

namespace kestrix {

inline constexpr const char *kVirusHint = "Your provider might have detected a virus in this mail !";

struct DetailsText {
    std::vector<std::string> lines;
    bool virusHint = false;  // the pane turns warning orange
};

// stored: the record's lines (empty when there is no record). newestCode goes into the id line,
// which only the diagnostic mode keeps. verdicts: the lines saying why the row carries its
// verdicts ("Authentication-Results from mx.example.net: dmarc=fail"), shown first (after the
// virus hint).
DetailsText detailsText(const std::vector<std::string> &stored, const std::string &newestCode,
                        bool diagnosticMode, const std::vector<std::string> &verdicts = {});

// True when the message's last Content-Type header line does not name a text type, or when
// there is no such line or no record at all.
bool hasNoText(const std::vector<std::string> *stored);

}  // namespace kestrix
