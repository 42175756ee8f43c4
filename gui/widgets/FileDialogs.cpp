#include "gui/widgets/FileDialogs.h"

#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>

namespace {

class NameOnlyIconProvider : public QFileIconProvider
{
public:
    QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
    QIcon icon(const QFileInfo &info) const override { return icon(info.isDir() ? Folder : File); }
    QString type(const QFileInfo &info) const override
    {
        if (info.isDir())
            return QStringLiteral("Folder");
        if (!info.isFile())
            return QStringLiteral("Special file");
        return mimeTypes.mimeTypeForFile(info.fileName(), QMimeDatabase::MatchExtension).comment();
    }

private:
    QMimeDatabase mimeTypes;
};

} // namespace

void PrepareFileDialog(QFileDialog &dialog)
{
    static NameOnlyIconProvider provider;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setIconProvider(&provider);
}
