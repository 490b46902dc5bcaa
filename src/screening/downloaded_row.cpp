#include "screening/downloaded_row.h"

#include "text/latin1.h"

#include <cstdint>

namespace kestrix {

std::string DownloadedRow::sizeContentText() const
{
    return headerLines.empty() ? std::string("N.A.") : kestrix::sizeContentText(headerLines);
}

const DownloadedRow *findRow(const std::vector<DownloadedRow> &rows, int number)
{
    if (number < 1)
        return nullptr;
    for (const DownloadedRow &row : rows) {
        if (!row.headerLines.empty() && row.number == number)
            return &row;
    }
    return nullptr;
}

int numberOfRow(const std::vector<DownloadedRow> &rows, int tableRow)
{
    return tableRow >= 1 && std::size_t(tableRow) <= rows.size() ? rows[std::size_t(tableRow) - 1].number : 0;
}

std::string sizeContentText(const std::vector<std::string> &lines)
{
    // entry 1 + "/" + content, built in one string: this runs for every row of every rebuild.
    std::string result = lines.size() > 1 ? lines[1] : std::string();
    result += '/';
    const size_t contentAt = result.size();
    bool found = false;
    for (size_t i = lines.size(); i-- > 2;) {
        const size_t pos = findLowerAZ(lines[i], "content-type");
        if (pos != std::string::npos) {
            // The lower-cased line without the name and the character after it.
            const std::string &line = lines[i];
            result.append(line, 0, pos);
            if (pos + 13 < line.size())
                result.append(line, pos + 13);
            for (size_t k = contentAt; k < result.size(); ++k)
                result[k] = lowerAZ(result[k]);
            found = true;
            break;
        }
    }
    if (!found)
        result += "N.A.";
    if (result.compare(0, 6, "Size: ") == 0)
        result.erase(0, 6);
    const size_t byte = result.find("byte");
    if (byte != std::string::npos)
        result.erase(byte, 4);
    return result;
}

}  // namespace kestrix
