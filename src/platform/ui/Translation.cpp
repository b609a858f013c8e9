#include "platform/ui/Translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <clocale>
#include <cstring>

namespace
{

// The texts Qt's Japanese translation does not have: the file pickers'
// type column names a folder, a drive or a file without a known type by
// these.
class CQtMissingTexts : public QTranslator
{
  public:
    using QTranslator::QTranslator;

    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* sourceText, const char* disambiguation,
                      int n) const override
    {
        Q_UNUSED(disambiguation);
        Q_UNUSED(n);
        if (!context || !sourceText || std::strcmp(context, "QAbstractFileIconProvider") != 0)
            return {};
        static const struct {
            const char* source;
            const char16_t* text;
        } texts[] = {
            {"Folder", u"フォルダ"},  {"File Folder", u"フォルダ"}, {"Drive", u"ドライブ"},
            {"File", u"ファイル"},    {"%1 File", u"%1 ファイル"},  {"Shortcut", u"ショートカット"},
            {"Alias", u"エイリアス"}, {"Unknown", u"不明"},
        };
        for (const auto& t : texts) {
            if (std::strcmp(sourceText, t.source) == 0)
                return QString::fromUtf16(t.text);
        }
        return {};
    }
};

// The variables Qt reads for the desktop's locale, the first that is set
// deciding; LANGUAGE can name another language for the texts.
constexpr const char* kLocaleVariables[] = {"LC_ALL", "LANGUAGE"};
constexpr char kJapanese[] = "ja_JP.UTF-8";

} // namespace

bool InstallQtTranslation(QCoreApplication& app)
{
    // Owned by the application: it must live as long as the texts are used.
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_ja"), folder)) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    // Installed last, asked first; it answers only what the other lacks.
    QCoreApplication::installTranslator(new CQtMissingTexts(&app));
    QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    return true;
}

CQtJapaneseLocale::CQtJapaneseLocale()
{
    for (const char* name : kLocaleVariables) {
        m_saved.append({name, {qEnvironmentVariableIsSet(name), qgetenv(name)}});
        qputenv(name, std::strcmp(name, "LANGUAGE") == 0 ? QByteArray("ja_JP") : QByteArray(kJapanese));
    }
}

void CQtJapaneseLocale::Restore()
{
    if (m_bRestored)
        return;
    m_bRestored = true;
    // Read now, should the application object not have read it yet.
    if (QCoreApplication::instance())
        (void)QLocale::system();
    for (const auto& [name, before] : m_saved) {
        if (before.first)
            qputenv(name, before.second);
        else
            qunsetenv(name);
    }
    // The application object set the C library's locale from the variables.
    std::setlocale(LC_ALL, "");
}
