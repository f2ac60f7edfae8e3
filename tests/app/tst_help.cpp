// The help file: compiled into the program folder from the pages in help/,
// every page in it, and the pages covering every command, button, message
// and status text of the program.
#include "app/MDIForm1.h"
#include "support/TestSupport.h"

#include <QRegularExpression>
#include <QTextDocumentFragment>
#include <QToolBar>
#include <QtTest>

namespace {

QString helpSource(const QString &name = QString())
{
    const QString dir = qEnvironmentVariable("VEXA_SOURCE_DIR") + QStringLiteral("/help");
    return name.isEmpty() ? dir : dir + QLatin1Char('/') + name;
}

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The [FILES] section of the help project.
QStringList projectFiles()
{
    QStringList files;
    bool inFiles = false;
    for (const QByteArray &raw : readAll(helpSource(QStringLiteral("vexa.hhp"))).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inFiles = line == QLatin1String("[FILES]");
        else if (inFiles && !line.isEmpty())
            files << line;
    }
    return files;
}

QStringList pages()
{
    return QDir(helpSource()).entryList({ QStringLiteral("*.html") }, QDir::Files, QDir::Name);
}

// What a reader sees of all pages, blanks made single.
QString allPageText()
{
    QString text;
    for (const QString &page : pages())
        text += QTextDocumentFragment::fromHtml(QString::fromUtf8(readAll(helpSource(page))))
                        .toPlainText()
                + QLatin1Char('\n');
    return text.replace(QChar(0x00A0), QLatin1Char(' ')).simplified();
}

} // namespace

class TestHelp : public QObject
{
    Q_OBJECT

private slots:
    void compiledIntoProgramFolder();
    void everyPageInProjectAndContents();
    void linksResolve();
    void coversTheProgram();
};

void TestHelp::compiledIntoProgramFolder()
{
    const QString chm = qEnvironmentVariable("VEXA_PROGRAM_DIR") + QStringLiteral("/vexa.chm");
    const QByteArray data = readAll(chm);
    QVERIFY2(!data.isEmpty(), qPrintable(chm));
    QVERIFY(data.startsWith("ITSF")); // the signature of a compiled HTML help file
    // Its directory names every file of the project (the contents are compressed).
    for (const QString &file : projectFiles())
        QVERIFY2(data.contains(QByteArray("/") + file.toUtf8()), qPrintable(file));
    QVERIFY(data.contains("/#SYSTEM"));
    // Not older than its pages.
    const QDateTime built = QFileInfo(chm).lastModified();
    for (const QString &file : projectFiles())
        QVERIFY2(QFileInfo(helpSource(file)).lastModified() <= built, qPrintable(file));
}

void TestHelp::everyPageInProjectAndContents()
{
    const QStringList files = projectFiles();
    const QString contents = QString::fromUtf8(readAll(helpSource(QStringLiteral("vexa.hhc"))));
    QVERIFY(!pages().isEmpty());
    for (const QString &page : pages()) {
        QVERIFY2(files.contains(page), qPrintable(page + QStringLiteral(" is not in vexa.hhp")));
        QVERIFY2(contents.contains(QStringLiteral("value=\"%1\"").arg(page)),
                 qPrintable(page + QStringLiteral(" is not in the contents")));
    }
    for (const QString &file : files)
        QVERIFY2(QFileInfo::exists(helpSource(file)), qPrintable(file));
}

void TestHelp::linksResolve()
{
    const QRegularExpression link(QStringLiteral("(?:href|value)=\"([^\"#:]+\\.(?:html|css))"));
    for (const QString &file : pages() + QStringList { QStringLiteral("vexa.hhc"), QStringLiteral("vexa.hhk") }) {
        const QString html = QString::fromUtf8(readAll(helpSource(file)));
        if (file.endsWith(QLatin1String(".html"))) {
            QVERIFY2(html.contains(QStringLiteral("charset=utf-8")), qPrintable(file));
            QVERIFY2(html.contains(QStringLiteral("<title>")), qPrintable(file));
        }
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QString target = it.next().captured(1);
            QVERIFY2(QFileInfo::exists(helpSource(target)),
                     qPrintable(file + QStringLiteral(" -> ") + target));
        }
    }
}

// Every menu item, toolbar button and tooltip of the main window, the
// dialogs' buttons, the messages and status texts, the amount form and the
// data file are explained somewhere in the help.
void TestHelp::coversTheProgram()
{
    const QString text = allPageText();
    TestSupport::ProgramFolder folder;
    MDIForm1 main(folder.path());

    QStringList wanted;
    for (QAction *action : main.findChildren<QAction *>()) {
        const bool menuItem = action->objectName().startsWith(QLatin1String("mnu"));
        const bool button = action->objectName().startsWith(QLatin1String("Toolbar1_Button"));
        if (action->isSeparator() || !(menuItem || button))
            continue;
        wanted << action->text().remove(QLatin1Char('&'));
        if (button)
            wanted << action->toolTip();
    }
    QVERIFY(wanted.size() >= 13);
    wanted << QStringLiteral("Сохранить") << QStringLiteral("OK") << QStringLiteral("ОК")
           << QStringLiteral("Отмена") << QStringLiteral("Удалить")
           << QStringLiteral("Нет связи с принтером.") << QStringLiteral("Пропущено значение")
           << QStringLiteral("Не верно введена сумма") << QStringLiteral("Запис виконано!")
           << QStringLiteral("Готово:") << QStringLiteral("Заполнение") << QStringLiteral("Архив")
           << QStringLiteral("Реквизиты") << QStringLiteral("Настройка")
           << QStringLiteral("Сохранено") << QStringLiteral("Удалено")
           << QStringLiteral("0,00") << QStringLiteral("vexa.mdb") << QStringLiteral("vexa.chm")
           << QStringLiteral("206 × 149,5 мм");
    for (const QString &w : wanted)
        QVERIFY2(text.contains(w.simplified()), qPrintable(QStringLiteral("not in the help: ") + w));
}

QTEST_MAIN(TestHelp)
#include "tst_help.moc"
