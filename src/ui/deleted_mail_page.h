#pragma once
// The "Deleted mail" page (beside the rejected-mail log): the copies kept of deleted messages,
// newest first, with the buttons that open, restore, save and delete them and the choice of
// where a restored message goes. What the buttons run is the window's (window_deleted_mail.h).

#include "profiles/quarantine_restore.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <cstdint>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QToolButton;

namespace kestrix {

class CaptionPanel;
class DeletedMail;

// The copies as rows, newest first, read from the store (nothing copied): the store's
// revision tells a sync whether the rows changed.
class DeletedMailModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Date, Sender, Subject, Size, Reason, ColumnCount };
    static constexpr int IdRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;
    bool sync(const DeletedMail &mail);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const DeletedMail *m_mail = nullptr;
    std::uint64_t m_revision = 0;
    int m_rowCount = 0;
};

class DeletedMailPage : public QWidget {
    Q_OBJECT
public:
    explicit DeletedMailPage(QWidget *parent);
    // Shows the copies as they are now; the current copy stays current while it is there.
    void sync(const DeletedMail &mail);
    // The id of the current copy; 0 for none.
    int currentId() const;
    // The destination as NAME.conf holds it, into the controls (no change signal).
    void showDestination(RestoreTarget target, const QString &path);

    CaptionPanel *PanelDeletedMail = nullptr;  // the count, or why nothing is kept
    QTableView *GridDeletedMail = nullptr;
    QPushButton *ButtonOpenDeleted = nullptr, *ButtonRestore = nullptr,
                *ButtonSaveEml = nullptr, *ButtonDeleteForGood = nullptr,
                *ButtonEmptyDeleted = nullptr;
    // Where "Restore" puts a message: a Maildir or mbox file, or the mail program.
    QRadioButton *RadioRestoreFolder = nullptr, *RadioRestoreMailProgram = nullptr;
    QComboBox *ComboRestoreKind = nullptr;  // "Maildir", "mbox file"
    QLineEdit *EditRestorePath = nullptr;
    QToolButton *ButtonRestoreBrowse = nullptr;

signals:
    void openRequested();
    // The user changed the destination.
    void destinationChanged(RestoreTarget target, const QString &path);

private:
    void emitDestination();
    void followDestination();

    DeletedMailModel *m_model = nullptr;
    bool m_showing = false;
};

}  // namespace kestrix
