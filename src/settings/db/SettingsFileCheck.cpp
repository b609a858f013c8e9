#include "settings/db/SettingsFileCheck.h"

#include "platform/archive/AutFile.h"
#include "platform/data/ExCondition.h"
#include "platform/text/TextHelpers.h"
#include "settings/BunruiData.h"
#include "settings/ComboData.h"
#include "settings/CounterInfo.h"
#include "settings/DefaultSort.h"
#include "settings/QXColSet.h"
#include "settings/SettingsArchive.h"
#include "settings/db/DbFiles.h"
#include "settings/db/DbFolders.h"

#include <QDir>

#include <optional>

namespace
{

template <class Elem> void ReadElems(CArchiveReader& ar)
{
    SettingsElems<Elem> elems;
    ReadSettingsElems(ar, elems);
}

struct CArchiveFile {
    const char* name;
    void (*read)(CArchiveReader&);
};

// Files that only hold values read one by one, each falling back to its
// default (the environment settings, column widths, list filters), or
// that the program only writes, are not among them.
constexpr CArchiveFile kArchives[] = {
    {CCounterInfo::kFileName, ReadElems<CCounterInfoElem>},
    {CBunruiData::kFileName, ReadElems<CBunruiDataElem>},
    {"Tanto.dat", ReadElems<CComboDataElem>},
    {"Money.dat", ReadElems<CComboDataElem>},
    {"Unit.dat", ReadElems<CComboDataElem>},
    {CQXColOperate::kDisplayFile, ReadElems<CQXColSet>},
    {CDefaultSortList::kFileName, ReadElems<CDefaultSort>},
    {"QXExtract.sys", ReadElems<CExCondition>},
};

QStringList PlainFiles(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

} // namespace

QString FindDamagedSettingsFile(const QString& folder)
{
    // Every spelling of a name: a copy keeps them all.
    for (const QString& name : PlainFiles(folder)) {
        for (const CArchiveFile& archive : kArchives) {
            if (EqualsNoAsciiCase(name, QString::fromLatin1(archive.name)) &&
                !SettingsArchiveReads(JoinPath(folder, name), archive.read))
                return name;
        }
    }
    const QString other = SubFolder(folder, QLatin1String(kDbOtherFolder));
    for (const QString& name : PlainFiles(other)) {
        if (!name.endsWith(u'.' + QLatin1String(kDefaultFileExt), Qt::CaseInsensitive))
            continue;
        std::optional<CArchiveError::Kind> error;
        ReadAutFile(JoinPath(other, name), &error);
        if (error)
            return QLatin1String(kDbOtherFolder) + u'/' + name;
    }
    return {};
}
