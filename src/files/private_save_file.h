#pragma once

#include <QSaveFile>
#include <QString>

namespace kestrix {

// A file written through a temporary beside its target and renamed over the target only when
// every byte was written: on any failure the previous file stays as it was. The files the
// program writes hold personal data (addresses, logs, captured mail), so a file made here is
// the user's alone (0600); a file that exists keeps its mode.
//
// Each step returns an empty text on success, else the system's reason.
class PrivateSaveFile
{
public:
    explicit PrivateSaveFile(const QString &path);
    ~PrivateSaveFile();

    QString open();
    QString write(const char *data, qint64 size);
    QString commit();

private:
    QSaveFile m_file;
    bool m_isNew;
};

}  // namespace kestrix
