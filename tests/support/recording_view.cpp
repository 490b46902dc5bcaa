#include "support/recording_view.h"

namespace kestrix::test {

namespace {

template <typename Map>
auto lookup(const Map &map, Control key) -> std::optional<typename Map::mapped_type>
{
    const auto it = map.find(key);
    if (it == map.end())
        return std::nullopt;
    return it->second;
}

}  // namespace

void RecordingView::setText(Control control, const std::string &text)
{
    texts.insert_or_assign(control, text);
}

void RecordingView::setEnabled(Control control, bool enabled)
{
    enabledStates.insert_or_assign(control, enabled);
}

void RecordingView::setVisible(Control control, bool visible)
{
    visibleStates.insert_or_assign(control, visible);
}

void RecordingView::setChecked(Control control, bool checked)
{
    checkedStates.insert_or_assign(control, checked);
}

void RecordingView::setStatus(const std::string &text)
{
    statusHistory.push_back(text);
}

void RecordingView::setProgress(int maximum, int position)
{
    progressMaximum = maximum;
    progressPosition = position;
}

void RecordingView::setBusyCursor(bool busy)
{
    busyCursor = busy;
}

void RecordingView::showPage(Control page)
{
    pagesShown.push_back(page);
}

void RecordingView::messageTableChanged()
{
    ++tableChanges;
}

void RecordingView::scrollMessageTable(int topRow, int currentRow)
{
    scrolls.emplace_back(topRow, currentRow);
}

void RecordingView::setDetails(const std::vector<std::string> &lines)
{
    details = lines;
    ++detailsCalls;
}

void RecordingView::setNewMailSign(bool newMail)
{
    newMailSign = newMail;
}

void RecordingView::beep()
{
    ++beeps;
}

std::optional<std::string> RecordingView::text(Control control) const
{
    return lookup(texts, control);
}

std::optional<bool> RecordingView::enabled(Control control) const
{
    return lookup(enabledStates, control);
}

std::optional<bool> RecordingView::visible(Control control) const
{
    return lookup(visibleStates, control);
}

std::optional<bool> RecordingView::checked(Control control) const
{
    return lookup(checkedStates, control);
}

void RecordingView::reset()
{
    const int height = clientHeight;
    *this = RecordingView();
    clientHeight = height;
}

}  // namespace kestrix::test
