// Hostile files against the import's readers, each generated once: a CSV
// line of ten million commas, a CSV of one value of 100 MB, a UTF-8 CSV of tens of megabytes whose last
// character is cut, one contact of five million empty elements, one contact
// tag of a hundred thousand attributes; contacts of 150 000 attributes in
// EBCDIC and in UTF-7, where no byte looks like a tag, thousands of
// namespace declarations nested before half a million elements, a million
// comments; a Shift_JIS contact whose character data ends in a character
// ending in "]" and opens a comment, before a tag of 150 000 attributes;
// document types of 450 000 entities, and one whose subset hides a root of
// 150 000 attributes in UTF-16; a comment opened as "<!-->" before a tag of
// 150 000 attributes (UTF-8, Shift_JIS, UTF-16) or a document type of
// 450 000 entities. Each is refused; the time of the refusal and the peak
// resident memory from its start are bounded. And contacts each holding
// the longest tag allowed, read within half a second.

#include "BenchMain.h"

#include "exchange/CsvReader.h"
#include "platform/office/ContactXml.h"
#include "platform/ui/FakeUi.h"
#include "support/Iconv.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>

namespace
{

constexpr double kBoundMs = 1000;
constexpr double kBoundMB = 300;

const char* const kNames[] = {"HostileFiles/CsvLineOf10000000Commas",
                              "HostileFiles/CsvUtf8OfCutLastCharacter",
                              "HostileFiles/ContactOf5000000Elements",
                              "HostileFiles/ContactTagOf100000Attributes",
                              "HostileFiles/CsvValueOf100MB",
                              "HostileFiles/ContactInEbcdicOf150000Attributes",
                              "HostileFiles/ContactInUtf7Of150000Attributes",
                              "HostileFiles/ContactOf7200NamespacesNested",
                              "HostileFiles/ContactOf1000000Comments",
                              "HostileFiles/ContactShiftJisDataHidingATagOf150000Attributes",
                              "HostileFiles/ContactDocTypeOf450000Entities",
                              "HostileFiles/ContactDocTypeHidingTheRootInUtf16",
                              "HostileFiles/ContactCommentOfItsOwnDashesBeforeATagOf150000Attributes",
                              "HostileFiles/ContactCommentOfItsOwnDashesBeforeATagOf150000AttributesShiftJis",
                              "HostileFiles/ContactCommentOfItsOwnDashesBeforeATagOf150000AttributesUtf16",
                              "HostileFiles/ContactCommentOfItsOwnDashesBeforeADocTypeOf450000Entities"};
// The longest tag the watch lets through is read at once: the stop is
// looked at before and after it.
constexpr char kLongestTag[] = "HostileFiles/ContactLongestTagAllowedRead";
constexpr double kLongestTagBoundMs = 500;

const bool s_bounds = [] {
    for (const char* name : kNames) {
        RegisterBound(name, kBoundMs);
        RegisterMemoryBound(name, kBoundMB);
    }
    RegisterBound(kLongestTag, kLongestTagBoundMs);
    RegisterMemoryBound(kLongestTag, kBoundMB);
    return true;
}();

QTemporaryDir& Folder()
{
    static QTemporaryDir folder;
    return folder;
}

// The file, written by `write` on first use; empty when it cannot be.
QString File(const char* name, const std::function<void(QFile&)>& write)
{
    const QString path = Folder().filePath(QLatin1String(name));
    if (QFile::exists(path))
        return path;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    write(file);
    return file.error() == QFileDevice::NoError ? path : QString();
}

// Runs `refuse` once per iteration; it answers true when the file was
// refused. The peak resident memory of the runs is the counter.
void Refusal(benchmark::State& state, const QString& path, const std::function<bool(const QString&)>& refuse)
{
    if (path.isEmpty()) {
        state.SkipWithError("the file was not written");
        return;
    }
    ScopedFakeUi ui;
    double peak = 0;
    for (auto _ : state) {
        ResetPeakMemory();
        const bool refused = refuse(path);
        peak = std::max(peak, PeakMemoryMB());
        if (!refused) {
            state.SkipWithError("the file was read");
            break;
        }
    }
    state.counters[kPeakMemoryCounter] = peak;
    state.counters["file_MB"] = double(QFile(path).size()) / (1 << 20);
}

// The import's check of a text file: its head kept, the rest read through.
bool CsvRefused(const QString& path)
{
    CImportRows rows;
    qint64 count = 0;
    return CCsvReader(path, u',', 0).ReadHead(&rows, 10, &count) <= 0;
}

// A CSV of one line: `megabytes` MiB of one character, then CR LF.
QString OneLineCsv(const char* name, char c, int megabytes)
{
    return File(name, [c, megabytes](QFile& file) {
        const QByteArray block(1 << 20, c);
        for (int i = 0; i < megabytes; ++i)
            file.write(block);
        file.write("\r\n");
    });
}

void CsvCommas(benchmark::State& state)
{
    Refusal(state, OneLineCsv("commas.csv", ',', 10), CsvRefused);
}

void CsvLongValue(benchmark::State& state)
{
    Refusal(state, OneLineCsv("value.csv", 'v', 100), CsvRefused);
}

void CsvCutUtf8(benchmark::State& state)
{
    const QString path = File("cut.csv", [](QFile& file) {
        file.write("\xEF\xBB\xBF");
        const QByteArray line =
            QStringLiteral("コード,取込商事株式会社,東京都千代田区丸の内一丁目\r\n").toUtf8();
        QByteArray block;
        for (int i = 0; i < 200000; ++i) {
            block += line;
            if (block.size() > (1 << 20)) {
                file.write(block);
                block.clear();
            }
        }
        block += QStringLiteral("最後,行,末").toUtf8();
        block.chop(1); // the last character loses its last byte
        file.write(block);
    });
    Refusal(state, path, CsvRefused);
}

// The import's first pass over a contact file.
bool ContactRefused(const QString& path)
{
    CContactXmlConv::Survey survey;
    return CContactXmlConv().SurveyContacts(path, QStringLiteral("CustomerCode"), survey) == 2;
}

void ContactElements(benchmark::State& state)
{
    const QString path = File("elements.xml", [](QFile& file) {
        file.write("<?xml version=\"1.0\"?><ContactXML><ContactXMLItem>");
        const QByteArray block = QByteArray("<a/>").repeated(1 << 18);
        for (int written = 0; written < 5000000; written += 1 << 18)
            file.write(block);
        file.write("</ContactXMLItem></ContactXML>");
    });
    Refusal(state, path, ContactRefused);
}

void ContactAttributes(benchmark::State& state)
{
    const QString path = File("attributes.xml", [](QFile& file) {
        QByteArray tag = "<?xml version=\"1.0\"?><ContactXML><ContactXMLItem><Occupation";
        for (int i = 0; i < 100000; ++i)
            tag += " a" + QByteArray::number(i) + "=\"\"";
        file.write(tag + "/></ContactXMLItem></ContactXML>");
    });
    Refusal(state, path, ContactRefused);
}

// A contact whose one tag holds 150 000 attributes, the declaration
// naming `encoding` in ASCII and the rest written in it, or all of it in
// it.
QByteArray ContactOfAttributes(const char* encoding, bool all)
{
    const QByteArray declaration = "<?xml version=\"1.0\" encoding=\"" + QByteArray(encoding) + "\"?>";
    QByteArray body = "<ContactXML><ContactXMLItem><Occupation";
    for (int i = 0; i < 150000; ++i)
        body += " a" + QByteArray::number(i) + "=\"\"";
    body += "/></ContactXMLItem></ContactXML>";
    return all ? Iconv::Encode(declaration + body, encoding) : declaration + Iconv::Encode(body, encoding);
}

void ContactEbcdic(benchmark::State& state)
{
    Refusal(state, File("ebcdic.xml", [](QFile& file) { file.write(ContactOfAttributes("IBM037", true)); }),
            ContactRefused);
}

void ContactUtf7(benchmark::State& state)
{
    Refusal(state, File("utf7.xml", [](QFile& file) { file.write(ContactOfAttributes("UTF-7", false)); }),
            ContactRefused);
}

// 240 nested tags of 30 declarations each, then 500 000 empty elements.
void ContactNamespaces(benchmark::State& state)
{
    const QString path = File("namespaces.xml", [](QFile& file) {
        file.write("<?xml version=\"1.0\"?><ContactXML><ContactXMLItem>");
        for (int tag = 0; tag < 240; ++tag) {
            QByteArray open = "<Extension";
            for (int i = 0; i < 30; ++i)
                open += " xmlns:n" + QByteArray::number(tag * 30 + i) + "=\"u\"";
            file.write(open + ">");
        }
        file.write(QByteArray("<a/>").repeated(500000));
        file.write(QByteArray("</Extension>").repeated(240) + "</ContactXMLItem></ContactXML>");
    });
    Refusal(state, path, ContactRefused);
}

// libxml2's reader keeps every comment to the end of the file.
void ContactComments(benchmark::State& state)
{
    const QString path = File("comments.xml", [](QFile& file) {
        file.write("<?xml version=\"1.0\"?><ContactXML>");
        file.write(QByteArray("<!---->").repeated(1000000));
        file.write("</ContactXML>");
    });
    Refusal(state, path, ContactRefused);
}

QByteArray Attributes(int count)
{
    QByteArray text;
    for (int i = 0; i < count; ++i)
        text += " a" + QByteArray::number(i) + "=\"\"";
    return text;
}

// "‐" is 0x81 0x5D in Shift_JIS: the character data goes on past "]>",
// and the "<!--" in it is text.
void ContactShiftJisData(benchmark::State& state)
{
    const QString path = File("sjis.xml", [](QFile& file) {
        file.write("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>");
        file.write(Iconv::Encode("<ContactXML><ContactXMLItem><Extension><![CDATA[‐]><!--]]><ExtensionItem" +
                                     Attributes(150000) + "/></Extension></ContactXMLItem></ContactXML>-->",
                                 "SHIFT_JIS"));
    });
    Refusal(state, path, ContactRefused);
}

void ContactEntities(benchmark::State& state)
{
    const QString path = File("entities.xml", [](QFile& file) {
        file.write("<?xml version=\"1.0\"?><!DOCTYPE ContactXML [");
        file.write(QByteArray("<!ENTITY e \"x\">").repeated(450000));
        file.write("]><ContactXML/>");
    });
    Refusal(state, path, ContactRefused);
}

void ContactHiddenRoot(benchmark::State& state)
{
    const QString path = File("hidden16.xml", [](QFile& file) {
        file.write(Iconv::Encode("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-16\"?>"
                                 "<!DOCTYPE r [<!-- > <?x -->]><ContactXML" +
                                     Attributes(150000) + "/>",
                                 "UTF-16LE"));
    });
    Refusal(state, path, ContactRefused);
}

// "<!-->" opens a comment that ends at the next "-->": the "<?" in it is
// comment, and what follows is watched as any markup.
constexpr char kOwnDashes[] = "<!--><?x -->";

QByteArray DashesBeforeAttributes(const char* encoding)
{
    const QByteArray body = QByteArray("<ContactXML>") + kOwnDashes + "<ContactXMLItem><Occupation" +
                            Attributes(150000) + "/></ContactXMLItem></ContactXML>";
    if (QByteArray(encoding) == "UTF-16LE")
        return Iconv::Encode("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-16\"?>" + body, encoding);
    return "<?xml version=\"1.0\" encoding=\"" + QByteArray(encoding) + "\"?>" +
           Iconv::Encode(body, encoding);
}

void ContactDashesUtf8(benchmark::State& state)
{
    Refusal(state, File("dashes.xml", [](QFile& file) { file.write(DashesBeforeAttributes("UTF-8")); }),
            ContactRefused);
}

void ContactDashesShiftJis(benchmark::State& state)
{
    Refusal(state,
            File("dashes-sjis.xml", [](QFile& file) { file.write(DashesBeforeAttributes("SHIFT_JIS")); }),
            ContactRefused);
}

void ContactDashesUtf16(benchmark::State& state)
{
    Refusal(state, File("dashes16.xml", [](QFile& file) { file.write(DashesBeforeAttributes("UTF-16LE")); }),
            ContactRefused);
}

void ContactDashesEntities(benchmark::State& state)
{
    const QString path = File("dashes-entities.xml", [](QFile& file) {
        file.write(QByteArray("<?xml version=\"1.0\"?>") + kOwnDashes + "<!DOCTYPE ContactXML [");
        file.write(QByteArray("<!ENTITY e \"x\">").repeated(450000));
        file.write("]><ContactXML/>");
    });
    Refusal(state, path, ContactRefused);
}

// Contacts whose every item holds the longest tag the watch lets through:
// 64 attributes filling 16 K after its "<".
void ContactLongestTag(benchmark::State& state)
{
    const QString path = File("longest.xml", [](QFile& file) {
        QByteArray tag = "<Occupation" + Attributes(63) + " z=\"\"";
        tag.insert(tag.size() - 1, QByteArray((16 << 10) - tag.size(), 'v'));
        tag += ">";
        file.write("<?xml version=\"1.0\"?><ContactXML>");
        file.write(QByteArray("<ContactXMLItem>" + tag + "</Occupation></ContactXMLItem>").repeated(60));
        file.write("</ContactXML>");
    });
    // Answers true when the file was read whole.
    Refusal(state, path, [](const QString& read) { return !ContactRefused(read); });
}

} // namespace

BENCHMARK(CsvCommas)->Name(kNames[0])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(CsvCutUtf8)->Name(kNames[1])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactElements)->Name(kNames[2])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactAttributes)->Name(kNames[3])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(CsvLongValue)->Name(kNames[4])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactEbcdic)->Name(kNames[5])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactUtf7)->Name(kNames[6])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactNamespaces)->Name(kNames[7])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactComments)->Name(kNames[8])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactShiftJisData)->Name(kNames[9])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactEntities)->Name(kNames[10])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactHiddenRoot)->Name(kNames[11])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactDashesUtf8)->Name(kNames[12])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactDashesShiftJis)
    ->Name(kNames[13])
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(ContactDashesUtf16)->Name(kNames[14])->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ContactDashesEntities)
    ->Name(kNames[15])
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(ContactLongestTag)->Name(kLongestTag)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(3);
