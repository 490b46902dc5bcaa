#pragma once
// What the screening learnt about a row beyond its class markers: the provider's verdicts read
// from the header (a forged sender, spam by the provider) and the checks of the sender text
// against the whitelist (an impostor display name, a look-alike domain). One record per table
// row, kept by the message table beside the markers and rebuilt with them, so the grid's badge,
// the details pane, the command line's verdict column and the known-bad selection all read the
// same answer. A further judgement of a row (a learned score, say) belongs in this record too.
// The texts that say why are not kept: the details pane asks for them (Screener::verdictReasons)
// when it shows a row, and a table build of thousands of rows builds none.

#include "screening/learned_score.h"

#include <cstdint>
#include <string>

namespace kestrix {

// One kind of verdict; a row may carry several. Listed from the most to the least serious:
// the grid's badge shows the first one a row carries.
enum class Verdict : std::uint8_t {
    Forged = 1u << 0,        // the provider's Authentication-Results fail the From domain
    Impostor = 1u << 1,      // the display name claims someone the address is not
    LookAlike = 1u << 2,     // the domain is confusable with a whitelisted sender's domain
    ProviderSpam = 1u << 3,  // the provider's X-Spam-Flag says YES
};
inline constexpr Verdict kAllVerdicts[] = {Verdict::Forged, Verdict::Impostor, Verdict::LookAlike,
                                           Verdict::ProviderSpam};

struct RowVerdicts {
    std::uint8_t flags = 0;  // Verdict bits
    // The row joins the known-bad selection, its count and its deletion (the profile's
    // "[screening] forgedIsBad" with any verdict). Trusted rows never do.
    bool countsAsBad = false;
    // The learned score of the row; NotTrained until the profile has learnt enough (and for a
    // row without header lines). A row scored spam counts as bad while "[learning] selectSpam"
    // is on; an unsure row never does.
    LearnedVerdict learned = LearnedVerdict::NotTrained;
    double learnedScore = 0.5;

    bool any() const { return flags != 0; }
    bool has(Verdict v) const { return (flags & std::uint8_t(v)) != 0; }
    // The most serious verdict the row carries; only meaningful when any().
    Verdict first() const;
    void add(Verdict v) { flags |= std::uint8_t(v); }
    // A forged sender or an impostor name is never trusted by the whitelist.
    bool untrustsWhitelist() const { return has(Verdict::Forged) || has(Verdict::Impostor); }
};

// "forged", "impostor", "look-alike", "provider-spam".
const char *verdictName(Verdict v);

// The verdict column of `kestrix-cli --verdicts`: the names joined by commas in the order above
// ("forged,look-alike"), then the learned score once there is one ("forged,spam 0.987",
// "good 0.020"); "-" when there is nothing.
std::string verdictColumnText(const RowVerdicts &verdicts);

}  // namespace kestrix
