#include "platform/session/RuntimeFolder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstdlib>

#include <sys/stat.h>
#include <unistd.h>

void UsePrivateRuntimeFolder()
{
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        return;
    const QByteArray folder = QFile::encodeName(QDir::tempPath()) + "/runtime-" + QByteArray::number(::getuid());
    if (::mkdir(folder.constData(), 0700) != 0 && errno != EEXIST)
        return;
    struct stat status = {};
    if (::lstat(folder.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::getuid() ||
        (status.st_mode & 0777) != 0700)
        return;
    ::setenv("XDG_RUNTIME_DIR", folder.constData(), 1);
}
