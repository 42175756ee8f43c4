#include "core/common/WholeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>

class WholeFile::CheckedDevice : public QIODevice
{
public:
    explicit CheckedDevice(WholeFile &target) : file(target) {}

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 length) override
    {
        return file.write(QByteArrayView(data, length)) ? length : -1;
    }

private:
    WholeFile &file;
};

WholeFile::WholeFile(const QString &fileName) : name(fileName)
{}

WholeFile::~WholeFile()
{
    discard();
}

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
    checked = std::make_unique<CheckedDevice>(*this);
    checked->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return file->open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

bool WholeFile::commit()
{
    if (failed()) {
        discard();
        return false;
    }
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
