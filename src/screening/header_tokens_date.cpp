// How far the Date line the sender wrote lies from the time the mail arrived (the newest
// Received line's time stamp): bulk senders often write a date days off, or none that reads.
#include "screening/header_token_parts.h"

#include "text/latin1.h"

#include <algorithm>
#include <optional>

namespace kestrix::header_token_parts {

namespace {

// Days from 1970-01-01 to the date (proleptic Gregorian).
long long daysFromCivil(long long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + long(doe) - 719468;
}

// "+0100", "-0500" or a North American / universal zone name, in minutes east of UTC.
std::optional<long long> zoneMinutes(std::string_view zone)
{
    if (zone.size() == 5 && (zone[0] == '+' || zone[0] == '-')) {
        const auto value = parseDecimal(zone.substr(1));
        if (!value)
            return std::nullopt;
        const long long minutes = *value / 100 * 60 + *value % 100;
        return zone[0] == '-' ? -minutes : minutes;
    }
    static constexpr struct {
        std::string_view name;
        int hours;
    } names[] = {{"gmt", 0}, {"ut", 0},   {"utc", 0},  {"z", 0},    {"edt", -4},
                 {"est", -5}, {"cdt", -5}, {"cst", -6}, {"mdt", -6}, {"mst", -7},
                 {"pdt", -7}, {"pst", -8}};
    const std::string lower = lowerAZ(zone);
    for (const auto &known : names) {
        if (lower == known.name)
            return known.hours * 60;
    }
    return std::nullopt;
}

std::vector<std::string_view> wordsOf(std::string_view text)
{
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && (isBlank(text[i]) || text[i] == ','))
            ++i;
        size_t j = i;
        while (j < text.size() && !isBlank(text[j]) && text[j] != ',')
            ++j;
        if (j > i)
            words.push_back(text.substr(i, j - i));
        i = j;
    }
    return words;
}

// "H:MM" or "HH:MM:SS" as seconds of the day.
std::optional<long long> clockSeconds(std::string_view clock)
{
    long long seconds = 0;
    int parts = 0;
    while (!clock.empty() && parts < 3) {
        const size_t colon = clock.find(':');
        const auto value = parseDecimal(clock.substr(0, colon));
        if (!value || *value < 0 || *value > 60)
            return std::nullopt;
        seconds = seconds * 60 + *value;
        ++parts;
        clock = colon == std::string_view::npos ? std::string_view() : clock.substr(colon + 1);
    }
    if (parts < 2 || !clock.empty())
        return std::nullopt;
    return parts == 2 ? seconds * 60 : seconds;
}

// Seconds since 1970 of "[Day,] D Mon YYYY H:MM[:SS] [ZONE]"; nullopt when it does not read.
std::optional<long long> readDate(std::string_view text)
{
    static constexpr std::string_view months[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                                  "jul", "aug", "sep", "oct", "nov", "dec"};
    const std::vector<std::string_view> words = wordsOf(text);
    for (size_t k = 0; k + 3 < words.size(); ++k) {
        const std::string name = lowerAZ(words[k + 1].substr(0, 3));
        const auto month = std::find(std::begin(months), std::end(months), name);
        const auto day = parseDecimal(words[k]);
        const auto year = parseDecimal(words[k + 2]);
        // Years past 9999 do not read: the day count would overflow.
        if (month == std::end(months) || !day || !year || *day < 1 || *day > 31 || *year < 0
            || *year > 9999)
            continue;
        const long long fullYear = *year < 50 ? *year + 2000 : *year < 1000 ? *year + 1900 : *year;
        const auto clock = clockSeconds(words[k + 3]);
        // No zone written reads as UTC; one that does not read makes the date unreadable.
        const auto zone = k + 4 < words.size() ? zoneMinutes(words[k + 4]) : std::optional<long long>(0);
        if (!clock || !zone)
            return std::nullopt;
        const auto monthNumber = unsigned(month - std::begin(months) + 1);
        return daysFromCivil(fullYear, monthNumber, unsigned(*day)) * 86400 + *clock - *zone * 60;
    }
    return std::nullopt;
}

// How long the mail took by the two clocks, in steps; "ahead-": the Date is later than the stamp.
const char *skewStep(long long seconds)
{
    return seconds < -86400 ? "ahead-days"    : seconds < -3600 ? "ahead-hours"
         : seconds < -300   ? "ahead-minutes" : seconds < 0     ? "ahead-seconds"
         : seconds < 300    ? "under-5m"      : seconds < 3600  ? "under-1h"
         : seconds < 21600  ? "under-6h"      : seconds < 86400 ? "under-1d"
         : seconds < 604800 ? "under-1w"      : "older";
}

std::optional<long long> stampOf(const Field &received)
{
    const size_t semicolon = received.value.rfind(';');
    if (semicolon == std::string::npos)
        return std::nullopt;
    return readDate(std::string_view(received.value).substr(semicolon + 1));
}

}  // namespace

void addDateSkew(Tokens &tokens, const std::vector<Field> &fields)
{
    const Field *date = find(fields, "date");
    const Field *received = find(fields, "received");
    if (!date || !received)
        return;
    const auto sent = readDate(date->value);
    const auto arrived = stampOf(*received);
    if (!arrived)
        return;
    if (!sent) {
        tokens.add("date-skew:", "unreadable");
        return;
    }
    tokens.add("date-skew:", skewStep(*arrived - *sent));
    // The oldest stamp is the sender's own server's: bulk software writes a Date its own server
    // contradicts.
    std::optional<long long> origin;
    for (auto field = fields.rbegin(); field != fields.rend() && !origin; ++field) {
        if (field->name == "received" && &*field != received)
            origin = stampOf(*field);
    }
    if (origin)
        tokens.add("date-skew-origin:", skewStep(*origin - *sent));
}

}  // namespace kestrix::header_token_parts
