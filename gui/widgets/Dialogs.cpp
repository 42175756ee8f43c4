#include "gui/widgets/Dialogs.h"

#include "core/common/Messages.h"
#include "core/common/WholeFile.h"

bool Dialogs::refusesSpecialFile(const QString &file)
{
    if (!WholeFile::writtenInPlace(file))
        return false;
    error(Messages::NotARegularFile(file));
    return true;
}
