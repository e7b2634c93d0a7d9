// The window in English: every caption, menu, tooltip, header, chart title and
// message the user meets is English, Qt's own buttons too; the files written
// are the same bytes as in Chinese.
#include "ProfileFiles.h"
#include "WindowFixture.h"
#include "app/Splash.h"
#include "app/Translations.h"
#include "dialogs/CsDialog.h"
#include "dialogs/DensityDialog.h"
#include "dialogs/DeviceDialog.h"
#include "dialogs/PathDialog.h"
#include "storage/ProfileTable.h"
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QRegularExpression>
#include <QTableWidget>
#include <QTranslator>
#include <QtTest>
#include <qcustomplot.h>

namespace {

const QRegularExpression kChinese(QStringLiteral("[\\x{3000}-\\x{303f}\\x{4e00}-\\x{9fff}\\x{ff00}-\\x{ffef}]"));

// Every text a widget and its children show, each with where it stands.
// `data` lists the edits that hold the user's own data (paths, remarks).
QStringList shownTexts(QWidget* top, const QList<QWidget*>& data = {})
{
    QStringList out;
    auto add = [&](const QObject* o, const QString& what, const QString& text) {
        if (!text.isEmpty())
            out << o->objectName() + " " + what + ": " + text;
    };
    QList<QWidget*> widgets = top->findChildren<QWidget*>();
    widgets.prepend(top);
    for (QWidget* w : widgets) {
        if (data.contains(w))
            continue;
        add(w, "title", w->windowTitle());
        add(w, "tooltip", w->toolTip());
        for (QAction* a : w->actions()) {
            add(a, "action", a->text());
            add(a, "action tooltip", a->toolTip());
        }
        if (auto* l = qobject_cast<QLabel*>(w))
            add(w, "label", l->text());
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            add(w, "button", b->text());
        if (auto* g = qobject_cast<QGroupBox*>(w))
            add(w, "group", g->title());
        if (auto* e = qobject_cast<QLineEdit*>(w)) {
            add(w, "edit", e->text());
            add(w, "placeholder", e->placeholderText());
        }
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                add(w, "item", c->itemText(i));
        if (auto* t = qobject_cast<QTabWidget*>(w))
            for (int i = 0; i < t->count(); ++i)
                add(w, "tab", t->tabText(i));
        if (auto* m = qobject_cast<QMenu*>(w))
            add(w, "menu", m->title());
        if (auto* v = qobject_cast<QAbstractItemView*>(w); v && v->model())
            for (int i = 0; i < v->model()->columnCount(); ++i)
                add(w, "header", v->model()->headerData(i, Qt::Horizontal).toString());
        if (auto* p = qobject_cast<QCustomPlot*>(w)) {
            for (QCPAxis* a : p->axisRect()->axes())
                add(w, "axis", a->label());
            for (int i = 0; i < p->plottableCount(); ++i)
                add(w, "series", p->plottable(i)->name());
        }
    }
    return out;
}

QStringList chinese(const QStringList& texts)
{
    QStringList found;
    for (const QString& t : texts)
        if (t.contains(kChinese))
            found << t;
    return found;
}

// A raw cast: down to 20 m in 0.5 m steps, then back up.
void writeProfile(const QString& path, const QString& description)
{
    std::vector<ProfileRow> rows = downUpCast(40);
    rows[0].discrip = description;
    postRows(path, rows);
}

// The files a user makes from one cast: both exports and the saved average.
QList<QByteArray> filesMadeBy(WindowFixture& f, const QString& tag)
{
    TSvMain& w = *f.window;
    const QString cast = f.dir.file(tag + "-cast.db");
    writeProfile(cast, "S3");
    f.prompts.files.push_back(ScriptedPrompts::file(cast));
    w.BtnOpenClick(w.Load);
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file(tag), 1));
    w.BtnExportClick();
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file(tag), 2));
    w.BtnExportClick();
    w.PMSvClick();
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file(tag + "-merged.db")));
    w.PMSaveClick(w.PMSave);
    f.prompts.values.push_back(0.8f);
    w.PMAvClick();
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file(tag + "-avg.db")));
    w.PMSaveClick(w.PMSaveAv);
    // The window holds the saved file open: its first row as the window reads it.
    return {TestDir::readAll(f.dir.file(tag + ".CSV")), TestDir::readAll(f.dir.file(tag + ".VEL")),
            w.table().visibleRow(0).discrip.value_or(QString()).toUtf8()};
}

}  // namespace

class EnglishWindowTest : public QObject
{
    Q_OBJECT
private slots:
    void qtDialogsSpeakChineseInChinese();
    void everyPageAndDialogIsEnglish();
    void messagesAreEnglish();
    void filesAreTheSameInEitherLanguage();
    void cleanup();

private:
    QTranslator* m_translator = nullptr;
};

void EnglishWindowTest::cleanup()
{
    if (m_translator)
        QCoreApplication::removeTranslator(m_translator);
    delete m_translator;
    m_translator = nullptr;
}

void EnglishWindowTest::qtDialogsSpeakChineseInChinese()
{
    m_translator = installTranslations(*qApp, uilang::Language::Chinese);
    QVERIFY2(m_translator, "Qt's Chinese translation (qtbase_zh_CN.qm) did not load");
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes);
    QVERIFY(box.button(QDialogButtonBox::Cancel)->text().contains(kChinese));
    QVERIFY(box.button(QDialogButtonBox::Yes)->text().contains(kChinese));
}

void EnglishWindowTest::everyPageAndDialogIsEnglish()
{
    m_translator = installTranslations(*qApp, uilang::Language::English);
    QVERIFY2(m_translator, "the English translation did not load");
    QApplication::setApplicationName(QCoreApplication::translate("TSvMain", "VX4400声速仪客户软件"));

    Tlogo logo;
    QCOMPARE(chinese(shownTexts(&logo)), QStringList());

    WindowFixture f;
    f.writeIni("[Record]\r\nSelf=Yes\r\n");
    TSvMain& w = f.start();
    w.show();
    // Before any profile is open too: the grid's column titles.
    QCOMPARE(chinese(shownTexts(w.DBGrid)), QStringList());
    const QString cast = f.dir.file("cast.db");
    writeProfile(cast, "S3");
    f.prompts.files.push_back(ScriptedPrompts::file(cast));
    w.BtnOpenClick(w.BtnOpen);
    f.prompts.values.push_back(0.8f);
    w.PMAvClick();
    const QList<QWidget*> data = {w.EdFileName, w.DBEdit1};
    for (int page = 0; page < w.PgCtrl->count(); ++page) {
        w.PgCtrl->setCurrentIndex(page);
        QTest::qWait(20);
        const QStringList texts = shownTexts(&w, data);
        QVERIFY(texts.size() > 20);
        QCOMPARE(chinese(texts), QStringList());
    }
    QCOMPARE(w.PgCtrl->tabText(0), QString("Self-Contained"));
    QCOMPARE(w.BtnBegin->text(), QString("Power On"));
    QVERIFY(w.BtnBegin->toolTip().startsWith("Sound velocity measurement"));
    QCOMPARE(chinese(shownTexts(w.PopupMenuGrid)), QStringList());
    QCOMPARE(chinese(shownTexts(w.MenuChart)), QStringList());
    QVERIFY(!shownTexts(w.MenuChart).isEmpty());

    float value = 1.0f;
    Tcs cs(&value, &w, &f.prompts);
    TDlgDensity density(&value, &w, &f.prompts);
    TPathDlg path(&w, f.dir.path());
    TDeviceDlg none({}, 1, &w);
    TDeviceDlg some({{"ttyUSB0", "/dev/ttyUSB0", "FT232R USB UART", "FTDI", "A10K3"}}, 1, &w);
    for (QDialog* d : std::initializer_list<QDialog*>{&cs, &density, &path, &none, &some}) {
        const QStringList texts = shownTexts(d, {&path});
        QVERIFY2(!texts.isEmpty(), qPrintable(d->objectName()));
        QCOMPARE(chinese(texts), QStringList());
    }
    QCOMPARE(cs.windowTitle(), QString("Average Sound Velocity"));
}

void EnglishWindowTest::messagesAreEnglish()
{
    m_translator = installTranslations(*qApp, uilang::Language::English);
    QVERIFY(m_translator);
    WindowFixture f;
    f.writeIni("[Record]\r\nSelf=Yes\r\n");
    TSvMain& w = f.start();
    w.BtnExportClick();                                       // no profile open
    w.btnRecClick();                                          // no storage file
    f.prompts.files.push_back(ScriptedPrompts::file(f.dir.file("missing.db")));
    w.BtnOpenClick(w.BtnOpen);                                // a file that is not there
    w.btnFileClick();                                         // the probe's file list
    QVERIFY2(f.prompts.shown.size() >= 4, qPrintable(f.prompts.shown.join('|')));
    QCOMPARE(chinese(f.prompts.shown), QStringList());
    QCOMPARE(f.prompts.shown[0], QString("Information: No data file!"));
    QVERIFY2(f.prompts.shown.last().contains(" files, free memory: "), qPrintable(f.prompts.shown.join('|')));
}

void EnglishWindowTest::filesAreTheSameInEitherLanguage()
{
    QList<QByteArray> inChinese, inEnglish;
    {
        WindowFixture f;
        f.start();
        inChinese = filesMadeBy(f, "zh");
    }
    m_translator = installTranslations(*qApp, uilang::Language::English);
    QVERIFY(m_translator);
    {
        WindowFixture f;
        f.start();
        inEnglish = filesMadeBy(f, "en");
    }
    QCOMPARE(inChinese.size(), 3);
    QVERIFY(inChinese[0].startsWith("S3(09-3-7 14:05)\nDepth,Sound Velocity,Temperature\n"));
    QVERIFY(inChinese[1].startsWith("FTP NEW\n"));
    QCOMPARE(QString::fromUtf8(inChinese[2]), QString("平均声速(0.80米起算)"));
    QCOMPARE(inEnglish, inChinese);
}

QTEST_MAIN(EnglishWindowTest)
#include "english_window_test.moc"
