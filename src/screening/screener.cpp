#include "screening/screener.h"

#include "screening/view.h"

namespace kestrix {

Screener::Screener(View &view, Prompter &prompter)
    : m_view(view)
    , m_prompter(prompter)
{
}

Screener::~Screener() = default;

std::vector<std::string> Screener::column(std::string DownloadedRow::*field) const
{
    std::vector<std::string> texts;
    texts.reserve(rows.size());
    for (const DownloadedRow &row : rows)
        texts.push_back(row.*field);
    return texts;
}

void Screener::clearTrustedLists()
{
    trustedNumbers.clear();
    trustedSenders.clear();
    trustedSubjects.clear();
    trustedSizes.clear();
}

void Screener::setAllowDeleteAccepted(bool checked)
{
    allowDeleteAccepted = checked;
    m_view.setChecked(Control::CheckBox1, checked);
}

void Screener::setButton1Caption(const std::string &caption)
{
    button1Caption = caption;
    m_view.setText(Control::Button1, caption);
}

}  // namespace kestrix
