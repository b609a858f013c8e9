#pragma once

#include <QByteArrayList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

#include "platform/archive/ArchiveError.h"
#include "platform/archive/ArchiveReader.h"
#include "platform/archive/ArchiveWriter.h"

// The small settings files beside a database: each holds one collection
// (a count, then per element its object tag and fields) and is rewritten
// whole. These are the shared load and save steps with their messages.

// The current database's folder; empty when no database is current, the
// register cannot be read or the folder does not exist.
QString GetCurrentDBFolder();

// The path of a settings file in the current database folder: the existing
// file of that name in any letter case, else folder/name. Empty without a
// current database folder, so nothing is ever written elsewhere.
QString GetSettingsFilePath(const QString& fileName);

// Loads `fileName` of the current database folder. `clear` empties the
// collection; `read` reads it, raising CArchiveError on damaged bytes.
// `path` receives the file's path (empty without a current database).
//  - no current database folder: 0, no message;
//  - no file: 1 with the collection empty (factory state);
//  - read: 1;
//  - cannot open or damaged: the collection is emptied and the user asked
//    whether to reset the file, named; Yes deletes it and gives 1 (0 when
//    it cannot be deleted), No gives 0 and leaves the file alone.
int LoadSettingsArchive(const QString& fileName, QString& path, const std::function<void()>& clear,
                        const std::function<void(CArchiveReader&)>& read);

// Reads the file of an earlier load again, for a change of one element
// that must keep what others have saved since; the same results as a load,
// 0 without a message when the path is empty or its folder is gone.
int ReloadSettingsArchive(const QString& path, const std::function<void()>& clear,
                          const std::function<void(CArchiveReader&)>& read);

// Whether the file at `path` opens and reads whole through `read` (which
// raises CArchiveError on damaged bytes), telling and asking nothing: the
// check of a file from elsewhere before it replaces one in use.
bool SettingsArchiveReads(const QString& path, const std::function<void(CArchiveReader&)>& read);

// Writes the collection to `path` (from a load) through the atomic replace,
// so a failed save keeps the previous file. 0 when the path is empty, the
// folder is gone or not writable (silently), or the write fails (with a
// message naming the file and the reason); else 1.
int SaveSettingsArchive(const QString& path, const std::function<void(CArchiveWriter&)>& write);

// A collection of owned elements in file order. An element class names
// itself in `kClassName` and offers Serialize(CArchiveReader&) and
// Serialize(CArchiveWriter&) const for its own fields.
template <class Elem> using SettingsElems = std::vector<std::unique_ptr<Elem>>;

// The count, then each element's tag and fields.
template <class Elem> void ReadSettingsElems(CArchiveReader& ar, SettingsElems<Elem>& elems)
{
    const quint32 count = ar.ReadCount();
    for (quint32 i = 0; i < count; ++i) {
        ar.ReadObjectTag(QByteArrayList{QByteArray(Elem::kClassName)});
        auto elem = std::make_unique<Elem>();
        elem->Serialize(ar);
        elems.push_back(std::move(elem));
    }
}

template <class Elem> void WriteSettingsElems(CArchiveWriter& ar, const SettingsElems<Elem>& elems)
{
    ar.WriteCount(quint32(elems.size()));
    for (const auto& elem : elems) {
        ar.WriteObjectTag(Elem::kClassName);
        elem->Serialize(ar);
    }
}

// The load, reload and save steps for a file that is just a collection of
// elements.
template <class Elem>
int LoadSettingsElems(const QString& fileName, QString& path, SettingsElems<Elem>& elems)
{
    return LoadSettingsArchive(
        fileName, path, [&elems] { elems.clear(); },
        [&elems](CArchiveReader& ar) { ReadSettingsElems(ar, elems); });
}

template <class Elem> int ReloadSettingsElems(const QString& path, SettingsElems<Elem>& elems)
{
    return ReloadSettingsArchive(
        path, [&elems] { elems.clear(); }, [&elems](CArchiveReader& ar) { ReadSettingsElems(ar, elems); });
}

template <class Elem> int SaveSettingsElems(const QString& path, const SettingsElems<Elem>& elems)
{
    return SaveSettingsArchive(path, [&elems](CArchiveWriter& ar) { WriteSettingsElems(ar, elems); });
}

// A dialog's OK after the user refused to reset the damaged file at `path`
// when it was loaded: its edits would be lost, so the reset is offered
// again. 1 when the file is gone and the edits may be saved in its place;
// 0 after telling the user that the damaged file was kept and nothing
// saved.
int AskResetBeforeSave(const QString& path);
// The last part of that: the damaged file was kept, nothing was saved.
void ShowDamagedFileKept(const QString& path);

// The framework's error box for a settings or default-value file: `text`
// holds %1 for the path. Exclamation icon, OK only.
void ShowFileError(const char* text, const QString& path);

// The error box for a file that could not be read whole, by what went wrong.
void ShowReadError(const QString& path, CArchiveError::Kind kind);
