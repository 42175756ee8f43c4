#include "gui/app/QtDialogs.h"

#include "gui/reports/ReportPreview.h"
#include "gui/widgets/FileDialogs.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QImageReader>
#include <QMessageBox>
#include <QProgressDialog>

void QtDialogs::information(const QString &text)
{
    QMessageBox::information(owner, QStringLiteral("Information"), text);
}

void QtDialogs::message(const QString &text)
{
    QMessageBox::information(owner, QStringLiteral("MX840"), text);
}

void QtDialogs::error(const QString &text)
{
    QMessageBox::critical(owner, QStringLiteral("Error"), text);
}

bool QtDialogs::confirm(const QString &text)
{
    return QMessageBox::question(owner, QStringLiteral("Confirm"), text) == QMessageBox::Yes;
}

// Bitmaps only, asking before overwriting; Qt's own dialog so that it behaves
// the same everywhere.
QString QtDialogs::savePictureFile()
{
    QFileDialog dialog(owner, QString(), QString(), QStringLiteral("Bitmaps (*.bmp)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("bmp"));
    PrepareFileDialog(dialog);
    dialog.setOption(QFileDialog::ReadOnly, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

QString QtDialogs::saveTableFile(bool forgetLastName)
{
    if (forgetLastName)
        lastSavedTableFile.clear();
    QFileDialog dialog(owner, QString(), QString(), QStringLiteral("Excel File(*.xls);;XML(*.xml);;Txt File(*.txt)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("xls"));
    PrepareFileDialog(dialog);
    if (!lastSavedTableFile.isEmpty())
        dialog.selectFile(lastSavedTableFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    lastSavedTableFile = dialog.selectedFiles().first();
    return lastSavedTableFile;
}

// The chosen file need not exist: opening a missing one is reported by the open.
QString QtDialogs::openTableFile()
{
    QFileDialog dialog(owner, QString(), QString(), QStringLiteral("Excel File(*.xls);;XML (*.xml);;Txt File(*.txt)"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::AnyFile);
    PrepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

SlicedJob::Status QtDialogs::runJob(const QString &label, SlicedJob &job)
{
    QProgressDialog progress(label, QStringLiteral("Cancel"), 0, 1000, owner);
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(300);
    while (job.step() == SlicedJob::Status::Running) {
        const qint64 total = std::max<qint64>(job.progressTotal(), 1);
        progress.setValue(int(std::min<qint64>(999, job.progress() * 1000 / total)));
        QCoreApplication::processEvents();
        if (progress.wasCanceled())
            job.cancel();
    }
    return job.status();
}

// Every image format Qt reads (the chart's saved bitmap among them), from the
// user's home folder.
QString QtDialogs::openPictureFile()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    QFileDialog dialog(owner, QString(), QDir::homePath(),
                       QStringLiteral("Pictures (%1);;All files (*)").arg(patterns.join(u' ')));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    PrepareFileDialog(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void QtDialogs::previewReport(const ReportRenderer &report)
{
    ReportPreview preview(report, *this, owner);
    preview.exec();
}
