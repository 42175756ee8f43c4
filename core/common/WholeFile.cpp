#include "core/common/WholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

bool WholeFile::writtenInPlace(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.exists() && !info.isFile() && !info.isDir();
}

bool WholeFile::open()
{
    if (writtenInPlace(name))
        file = std::make_unique<QFile>(name);
    else
        file = std::make_unique<QSaveFile>(name);
    return file->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool WholeFile::commit()
{
    if (auto *saveFile = qobject_cast<QSaveFile *>(file.get()))
        return saveFile->commit();
    file->close();
    return file->error() == QFileDevice::NoError;
}

void WholeFile::discard()
{
    if (!file || !file->isOpen())
        return;
    if (auto *saveFile = qobject_cast<QSaveFile *>(file.get()))
        saveFile->cancelWriting();
    else
        file->close();
}

bool WholeFile::write(QByteArrayView bytes)
{
    errno = 0;
    if (file->write(bytes.data(), bytes.size()) == bytes.size())
        return true;
    writeError = errno ? errno : EIO;
    return false;
}

QString WholeFile::errorString() const
{
    if (writeError)
        return qt_error_string(writeError);
    return file ? file->errorString() : QString();
}
