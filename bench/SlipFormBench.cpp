// The slip-form program's document builder: 1 000 address labels of the
// generated customers laid out and every page drawn.

#include "BenchMain.h"

#include "platform/data/MakeMsgID.h"
#include "platform/data/Record.h"
#include "platform/ui/PrintCanvas.h"
#include "slipform/WorkDocument.h"

namespace
{

const bool registered = [] {
    RegisterBounded("SlipForm/1000AddressLabels", 0.3, [](benchmark::State& state) {
        CMakeMsgID data;
        if (!Open(state, data))
            return;
        // The labels as the report list writes them: the partner's address
        // block with an amount.
        CCDSData request, labels;
        request.m_strCondition = QStringLiteral("SELECT ID AS \"WAtena.ID\", CustomerCode AS "
                                                "\"WAtena.CustomerCode\", Company AS \"WAtena.Company\", "
                                                "\"Section\" AS \"WAtena.Section\", Name AS \"WAtena.Name\", "
                                                "Keisho AS \"WAtena.Keisho\", Keisho2 AS "
                                                "\"WAtena.Keisho2\", Zip AS \"WAtena.Zip\", Address AS "
                                                "\"WAtena.Address\", TEL AS \"WAtena.TEL\", FAX AS "
                                                "\"WAtena.FAX\", MyPerson AS \"WAtena.MyPerson\", Collect AS "
                                                "\"WAtena.Amount\" FROM Customer ORDER BY ID "
                                                "LIMIT 1000");
        QString err;
        if (data.GetDataList(request, labels, err) != CMakeMsgID::kOk || labels.GetCount() < 1000) {
            state.SkipWithError(err.isEmpty() ? "fewer than 1000 customers" : qPrintable(err));
            return;
        }
        int pages = 0;
        qsizetype calls = 0;
        for (auto _ : state) {
            CWorkDocument document(11);
            document.SetRows(labels, CCDSData());
            CRecordingCanvas canvas;
            for (int page = 0; page < document.GetPageCount(); ++page)
                document.DrawPage(canvas, page);
            pages = document.GetPageCount();
            calls = canvas.Calls().size();
        }
        state.counters["pages"] = pages;
        state.counters["calls"] = double(calls);
    });
    return true;
}();

} // namespace
