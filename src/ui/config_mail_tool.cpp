// The "&E-Mail Client" sub-page: the mail program's path (Edit5) with its file search and the
// desktop's default, its parameter text (Edit6), the test start, and the enabling of "Mail Tool"
// and the tray's "Mailtool" by whether the path names an executable file.
#include "ui/config_page.h"

#include "desktop/mail_tool.h"
#include "ui/ui_widgets.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

namespace kestrix {

void ConfigPage::connectMailTool()
{
    connect(Edit5, &QLineEdit::editingFinished, this, &ConfigPage::updateMailToolButtons);
    connect(SpeedButton5, &QToolButton::clicked, this, &ConfigPage::SpeedButton5Click);
    connect(SpeedButton22, &QToolButton::clicked, this, &ConfigPage::SpeedButton22Click);
    connect(SpeedButton23, &QToolButton::clicked, this, &ConfigPage::SpeedButton23Click);
    // Choosing the sub-page by its tab with no mail program set looks for the default one.
    connect(PageControl2, &QTabWidget::tabBarClicked, this, [this](int index) {
        if (PageControl2->widget(index) == TabSheet10 && Edit5->text().isEmpty())
            SpeedButton22Click();
    });
}

void ConfigPage::updateMailToolButtons()
{
    const bool present = isExecutableFile(toBytes(Edit5->text()));
    emit mailToolChanged(present);
}

void ConfigPage::SpeedButton5Click()
{
    // Programs are files with the execute permission; the name says nothing about it here.
    QFileDialog dialog(this, QStringLiteral("File Search"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setFilter(QDir::AllDirs | QDir::Files | QDir::Executable | QDir::NoDotAndDotDot);
    dialog.setNameFilter(QStringLiteral("Programs (*)"));
    if (!Edit5->text().isEmpty())
        dialog.selectFile(Edit5->text());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    Edit5->setText(dialog.selectedFiles().first());
    updateMailToolButtons();
}

void ConfigPage::SpeedButton22Click()
{
    Edit5->setText(fromBytes(FindDefaultMailTool()));
    updateMailToolButtons();
}

void ConfigPage::SpeedButton23Click()
{
    // Started at once, not through the dispatcher; the window stays. Unlike the start from
    // "Mail Tool", a failure is told, so the user learns why the settings do not work.
    const std::string failure = startMailTool(toBytes(Edit5->text()), toBytes(Edit6->text()));
    if (!failure.empty())
        emit statusText(fromBytes(failure));
}

}  // namespace kestrix
