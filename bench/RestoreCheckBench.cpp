// The check a backup's database passes before a restore moves it in: every
// page read and every row looked up in each index of its table by PRAGMA
// integrity_check, every line's slip looked up by the foreign-key check,
// then the opening. It runs while the user waits under the wait dialog,
// its bar moved by the check: some 6 to 8 seconds on the bench's 457 MB
// book, its bound half as much again. The user's 中止 is heard within half a
// second of the press, wherever the check is.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"

#include <QFileInfo>

namespace
{

const bool registered = [] {
    RegisterBounded("Restore/CheckWholeFile", 12.0, [](benchmark::State& state) {
        const QString folder = BenchDatabaseFolder();
        // Where the bar stood before the check ended, of its 1000 parts: how
        // well the total foreseen from the file's size fits these books.
        int before = 0;
        const auto bar = [&before](int done, int total) {
            if (done < total)
                before = done;
            return true;
        };
        for (auto _ : state) {
            QString err;
            if (CMakeMsgID::CheckFile(folder, err, nullptr, bar) != CMakeMsgID::EFileCheck::Whole) {
                state.SkipWithError(qPrintable(err));
                return;
            }
        }
        state.counters["bar_before_end"] = before;
        state.counters["file_MB"] =
            double(QFileInfo(CMakeMsgID::DatabasePath(folder)).size()) / (1024 * 1024);
    });
    // The user stops the check as it gets under way, where integrity_check
    // walks a table's pages in one step that moves no bar: the stop is heard
    // at once all the same, the file opened and left within the bound.
    RegisterBounded("Restore/StopAtTheCheckStart", 0.5, [](benchmark::State& state) {
        const QString folder = BenchDatabaseFolder();
        for (auto _ : state) {
            int looks = 0;
            // The first call opens the bar; the next is the first look once the check runs.
            const auto bar = [&looks](int, int) { return ++looks < 2; };
            QString err;
            if (CMakeMsgID::CheckFile(folder, err, nullptr, bar) != CMakeMsgID::EFileCheck::Stopped) {
                state.SkipWithError("the check was not stopped");
                return;
            }
        }
    });
    return true;
}();

} // namespace
