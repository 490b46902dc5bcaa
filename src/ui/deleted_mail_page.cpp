// The "Deleted mail" page: its controls, the model of its list and the destination choice.
#include "ui/deleted_mail_page.h"

#include "screening/deleted_mail.h"
#include "text/display_text.h"
#include "ui/ui_widgets.h"

#include <QComboBox>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace kestrix {

bool DeletedMailModel::sync(const DeletedMail &mail)
{
    const std::uint64_t revision = mail.store() ? mail.store()->revision() : 0;
    if (m_mail == &mail && m_revision == revision && m_rowCount == mail.count())
        return false;
    beginResetModel();
    m_mail = &mail;
    m_revision = revision;
    m_rowCount = mail.count();
    endResetModel();
    return true;
}

int DeletedMailModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rowCount;
}

int DeletedMailModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DeletedMailModel::data(const QModelIndex &index, int role) const
{
    // Until the next sync the store may hold fewer copies than the model says.
    const QuarantineEntry *e = m_mail && index.isValid() ? m_mail->entryAt(index.row()) : nullptr;
    if (!e)
        return {};
    if (role == IdRole)
        return e->id;
    if (role == Qt::TextAlignmentRole && index.column() == Size)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return {};
    switch (index.column()) {
    case Date:
        return QDateTime::fromSecsSinceEpoch(e->deletedAt).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    case Sender: return displayHeaderText(e->sender);
    case Subject: return displayHeaderText(e->subject);
    case Size: return QString::number(e->size);
    case Reason: return fromBytes(deletedReasonText(*e));
    default: return {};
    }
}

QVariant DeletedMailModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    static const char *const titles[] = {"Deleted", "Sender", "Subject", "Size", "Reason"};
    return section >= 0 && section < ColumnCount ? L1(titles[section]) : QVariant();
}

DeletedMailPage::DeletedMailPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(L1("TabSheetDeletedMail"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(8, 8, 8, 8);
    PanelDeletedMail = named(new CaptionPanel(L1("Deleted mail"), this), "PanelDeletedMail");
    column->addWidget(PanelDeletedMail);

    m_model = new DeletedMailModel(this);
    GridDeletedMail = named(new QTableView(this), "GridDeletedMail");
    GridDeletedMail->setModel(m_model);
    GridDeletedMail->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridDeletedMail->setSelectionMode(QAbstractItemView::SingleSelection);
    GridDeletedMail->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridDeletedMail->setWordWrap(false);
    GridDeletedMail->verticalHeader()->hide();
    // Fixed rows: a list of 10,000 copies is laid out without measuring each one.
    GridDeletedMail->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    GridDeletedMail->verticalHeader()->setDefaultSectionSize(20);
    QHeaderView *header = GridDeletedMail->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(DeletedMailModel::Date, 110);
    header->resizeSection(DeletedMailModel::Sender, 180);
    header->resizeSection(DeletedMailModel::Subject, 220);
    header->resizeSection(DeletedMailModel::Size, 60);
    header->setStretchLastSection(true);
    column->addWidget(GridDeletedMail, 1);

    auto *buttons = new QHBoxLayout;
    const auto button = [this, buttons](const char *name, const char *caption) {
        auto *b = named(new QPushButton(L1(caption), this), name);
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    ButtonOpenDeleted = button("ButtonOpenDeleted", "Open");
    ButtonRestore = button("ButtonRestore", "Restore");
    ButtonSaveEml = button("ButtonSaveEml", "Save as .eml");
    buttons->addStretch(1);
    ButtonDeleteForGood = button("ButtonDeleteForGood", "Delete for good");
    ButtonEmptyDeleted = button("ButtonEmptyDeleted", "Empty");
    column->addLayout(buttons);

    auto *destination = new QHBoxLayout;
    RadioRestoreFolder = named(new QRadioButton(L1("Restore into"), this), "RadioRestoreFolder");
    ComboRestoreKind = named(new QComboBox(this), "ComboRestoreKind");
    ComboRestoreKind->addItems({L1("Maildir"), L1("mbox file")});
    EditRestorePath = named(new QLineEdit(this), "EditRestorePath",
                            "The Maildir folder or mbox file your mail program reads");
    ButtonRestoreBrowse = makeSpeedButton("ButtonRestoreBrowse", "...", "Choose the folder or file", this);
    RadioRestoreMailProgram = named(new QRadioButton(L1("Open with the mail program"), this),
                                    "RadioRestoreMailProgram");
    destination->addWidget(RadioRestoreFolder);
    destination->addWidget(ComboRestoreKind);
    destination->addWidget(EditRestorePath, 1);
    destination->addWidget(ButtonRestoreBrowse);
    destination->addSpacing(12);
    destination->addWidget(RadioRestoreMailProgram);
    column->addLayout(destination);
    RadioRestoreFolder->setChecked(true);

    connect(ButtonOpenDeleted, &QPushButton::clicked, this, &DeletedMailPage::openRequested);
    // Enter and a double-click on a row.
    connect(GridDeletedMail, &QTableView::activated, this, &DeletedMailPage::openRequested);
    for (QRadioButton *radio : {RadioRestoreFolder, RadioRestoreMailProgram})
        connect(radio, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                emitDestination();
        });
    connect(ComboRestoreKind, &QComboBox::currentIndexChanged, this,
            &DeletedMailPage::emitDestination);
    connect(EditRestorePath, &QLineEdit::editingFinished, this, &DeletedMailPage::emitDestination);
    connect(ButtonRestoreBrowse, &QToolButton::clicked, this, [this] {
        QString chosen;
        if (ComboRestoreKind->currentIndex() == 0)
            chosen = QFileDialog::getExistingDirectory(this, L1("Maildir"), EditRestorePath->text(),
                                                       QFileDialog::DontUseNativeDialog);
        else
            chosen = QFileDialog::getSaveFileName(this, L1("mbox file"), EditRestorePath->text(),
                                                  {}, nullptr, QFileDialog::DontUseNativeDialog
                                                                   | QFileDialog::DontConfirmOverwrite);
        if (chosen.isEmpty())
            return;
        EditRestorePath->setText(chosen);
        RadioRestoreFolder->setChecked(true);
        emitDestination();
    });
    followDestination();
}

void DeletedMailPage::sync(const DeletedMail &mail)
{
    const int id = currentId();
    if (!m_model->sync(mail))
        return;
    for (int row = 0; id != 0 && row < m_model->rowCount(); ++row) {
        const QModelIndex index = m_model->index(row, 0);
        if (index.data(DeletedMailModel::IdRole).toInt() == id) {
            GridDeletedMail->selectionModel()->setCurrentIndex(
                index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            break;
        }
    }
}

int DeletedMailPage::currentId() const
{
    const QModelIndex current = GridDeletedMail->currentIndex();
    return current.isValid() ? current.siblingAtColumn(0).data(DeletedMailModel::IdRole).toInt() : 0;
}

void DeletedMailPage::showDestination(RestoreTarget target, const QString &path)
{
    m_showing = true;
    RadioRestoreFolder->setChecked(target != RestoreTarget::MailProgram);
    RadioRestoreMailProgram->setChecked(target == RestoreTarget::MailProgram);
    ComboRestoreKind->setCurrentIndex(target == RestoreTarget::Mbox ? 1 : 0);
    EditRestorePath->setText(path);
    m_showing = false;
    followDestination();
}

void DeletedMailPage::followDestination()
{
    const bool folder = RadioRestoreFolder->isChecked();
    ComboRestoreKind->setEnabled(folder);
    EditRestorePath->setEnabled(folder);
    ButtonRestoreBrowse->setEnabled(folder);
}

void DeletedMailPage::emitDestination()
{
    followDestination();
    if (m_showing)
        return;
    const RestoreTarget target = RadioRestoreMailProgram->isChecked()
                                     ? RestoreTarget::MailProgram
                                 : ComboRestoreKind->currentIndex() == 1 ? RestoreTarget::Mbox
                                                                         : RestoreTarget::Maildir;
    emit destinationChanged(target, EditRestorePath->text().trimmed());
}

}  // namespace kestrix
