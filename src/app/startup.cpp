#include "app/startup.h"

#include "lang/languages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace kvn {

QString ProgramFolderPath()
{
    QString folder = QDir::fromNativeSeparators(QCoreApplication::applicationDirPath());
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder;
}

QString UserFilesFolderFor(const QString &ProgramFolder)
{
    if (QFileInfo(ProgramFolder).isWritable())
        return ProgramFolder;
    QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (data.isEmpty() || !QDir().mkpath(data))
        return ProgramFolder;
    if (!data.endsWith(u'/'))
        data += u'/';
    return data;
}

bool CheckDecrypterPresent(const QString &ProgramFolder, const TLanguageTexts &Texts, const TShowError &ShowError)
{
    const QFileInfo decrypter(QDir(ProgramFolder).filePath(kDecrypterFileName));
    if (decrypter.isFile())
        return true;
    ShowError(Texts.Format(TLangText::MsgDecrypterNotFound, {kDecrypterFileName}), Texts.Text(TLangText::CaptionError));
    return false;
}

} // namespace kvn
