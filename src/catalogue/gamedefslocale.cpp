#include "catalogue/gamedefslocale.h"

#include <algorithm>

namespace kvn {

using archives::TFolderEntry;

QStringList LocaleFolders(const archives::IGameFileSource &Files)
{
    std::vector<TFolderEntry> entries;
    QStringList folders;
    if (!Files.ListFolder("locale", entries))
        return folders;
    for (const TFolderEntry &entry : entries) {
        if (entry.IsFolder && !entry.Name.empty() && entry.Name.find('/') == std::string::npos && entry.Name != "." &&
            entry.Name != "..")
            folders.append(QString::fromStdString(entry.Name));
    }
    folders.sort();
    return folders;
}

QString LocaleFolderForLanguage(const QStringList &Folders, const QString &LanguageCode)
{
    const QString code = LanguageCode.trimmed().toLower();
    if (code.isEmpty())
        return {};
    for (const QString &folder : Folders) {
        if (folder.toLower() == code)
            return folder;
    }
    for (const QString &folder : Folders) {
        if (folder.toLower().startsWith(code + u'_'))
            return folder;
    }
    return {};
}

QHash<QString, QString> LocaleNamesFromUnits(const std::vector<TDefUnit> &Units)
{
    QHash<QString, QString> names;
    for (const TDefUnit &unit : Units) {
        if (unit.Class != QStringLiteral("localization_db"))
            continue;
        const QStringList keys = unit.Array(QStringLiteral("key"));
        const QStringList values = unit.Array(QStringLiteral("val"));
        // A key without its value is left out rather than paired with the wrong one.
        const qsizetype count = std::min(keys.size(), values.size());
        for (qsizetype i = 0; i < count; ++i) {
            if (!keys[i].isEmpty())
                names.insert(keys[i], values[i]);
        }
    }
    return names;
}

QHash<QString, QString> ReadLocaleNames(const archives::IGameFileSource &Files, const QString &Folder,
                                        std::vector<TDefProblem> *Problems)
{
    if (Folder.isEmpty() || Folder.contains(u'/') || Folder == QStringLiteral("..") || Folder == QStringLiteral("."))
        return {};
    const std::string folder = "locale/" + Folder.toStdString();
    std::vector<TFolderEntry> entries;
    if (!Files.ListFolder(folder, entries))
        return {};
    std::vector<std::string> files;
    for (const TFolderEntry &entry : entries) {
        const std::string &name = entry.Name;
        if (!entry.IsFolder && name.starts_with("local") && name.ends_with(".sii") &&
            name.find('/') == std::string::npos)
            files.push_back(name);
    }
    std::sort(files.begin(), files.end(), [](const std::string &A, const std::string &B) {
        // The base file first: the others add to it and override it.
        if ((A == "local.sii") != (B == "local.sii"))
            return A == "local.sii";
        return A < B;
    });
    TDefinitionReader reader(Files);
    std::vector<TDefUnit> units;
    for (const std::string &name : files)
        reader.ReadFile(folder + '/' + name, units);
    if (Problems)
        Problems->insert(Problems->end(), reader.Problems().begin(), reader.Problems().end());
    return LocaleNamesFromUnits(units);
}

QString ResolveLocalised(const QString &Text, const QHash<QString, QString> &Names)
{
    const QString marker = QStringLiteral("@@");
    QString out;
    qsizetype from = 0;
    while (true) {
        const qsizetype open = Text.indexOf(marker, from);
        const qsizetype close = open < 0 ? -1 : Text.indexOf(marker, open + 2);
        if (close < 0)
            break;
        const QString key = Text.mid(open + 2, close - open - 2);
        const auto name = Names.constFind(key);
        out += QStringView(Text).mid(from, open - from);
        if (name != Names.constEnd())
            out += *name;
        else
            out += QStringView(Text).mid(open, close + 2 - open);
        from = close + 2;
    }
    out += QStringView(Text).mid(from);
    return out;
}

} // namespace kvn
