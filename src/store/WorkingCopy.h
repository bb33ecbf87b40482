#pragma once

#include <QByteArray>
#include <QString>

// The plaintext working copy of one store operation (pstmp.dat). It exists on disk only while its
// owner lives: the destructor removes it on every path, errors included. An empty path keeps the
// plaintext in memory only.
class WorkingCopy {
public:
    explicit WorkingCopy(QString path);
    ~WorkingCopy();
    WorkingCopy(const WorkingCopy&) = delete;
    WorkingCopy& operator=(const WorkingCopy&) = delete;

    // Replaces any earlier file of that name by a new one that is readable by its owner only from
    // its creation on. False when it could not be written completely; nothing is left behind then.
    bool write(const QByteArray& plain);
    void remove();

    static void removeFile(const QString& path);

private:
    QString m_path;
};
