// The check a backup's database passes before a restore moves it in: every
// page read once by PRAGMA quick_check, every line's slip looked up by the
// foreign-key check, then the opening. It runs while the user waits.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"

#include <QFileInfo>

namespace
{

const bool registered = [] {
    RegisterBounded("Restore/CheckWholeFile", 2.0, [](benchmark::State& state) {
        const QString folder = BenchDatabaseFolder();
        for (auto _ : state) {
            QString err;
            if (CMakeMsgID::CheckFile(folder, err) != CMakeMsgID::EFileCheck::Whole) {
                state.SkipWithError(qPrintable(err));
                return;
            }
        }
        state.counters["file_MB"] =
            double(QFileInfo(CMakeMsgID::DatabasePath(folder)).size()) / (1024 * 1024);
    });
    return true;
}();

} // namespace
