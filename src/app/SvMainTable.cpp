// Profile files and the table page: opening, the grid, editing, the depth-layer filter.
#include "dialogs/Prompts.h"
#include "app/SvMain.h"
#include "app/ChartSeries.h"
#include "app/ProfilePlot.h"
#include "app/UpDown.h"
#include "document/ProfileDocument.h"
#include "storage/ProfileTable.h"
#include "text/Format.h"
#include <QCheckBox>
#include <QFileInfo>
#include <QScopeGuard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QCoreApplication>

namespace {
QString chartTitle(const QString& description, const QDateTime& date)
{
    return description + "(" + fmt::formatDateTime("yy-m-d hh:mm", date) + ")";
}
}  // namespace

void TSvMain::BtnOpenClick(QObject* sender)
{
    FileDialogRequest r;
    r.title = QCoreApplication::translate("TSvMain", "选择要打开的文件");
    r.filter = QCoreApplication::translate("TSvMain", "数据库文件(*.db)|*.DB");
    r.defaultExt = "db";
    r.initialDir = Path;
    r.overwritePrompt = false;
    r.mustExist = true;
    const FileDialogResult chosen = m_prompts->openFile(r);
    if (chosen.accepted)
        OpenChosenProfile(chosen.fileName, sender);
}

bool TSvMain::OpenChosenProfile(const QString& fileName, QObject* sender)
{
    const QString remembered = svTable->tableName();
    const bool wasOpen = svTable->isActive();
    if (fileName == remembered)
        return true;
    Path = QFileInfo(fileName).absolutePath() + "/";
    // A long cast takes a moment to read and draw.
    setBusy(true);
    auto idle = qScopeGuard([this] { setBusy(false); });
    if (OpenProfileFile(fileName) < 0) {
        idle.dismiss();
        setBusy(false);   // no hourglass over the message
        m_prompts->message(QCoreApplication::translate("TSvMain", "数据文件错误或空数据文件！"));
        restoreProfile(remembered, !remembered.isEmpty(), wasOpen);
        return false;
    }
    // The document has read the header and dropped the values (ResetChart ran).
    {
        const QSignalBlocker block(ChBoxFilter);
        ChBoxFilter->setChecked(false);
    }
    setCaptionForFile(fileName);
    DBChart->setTitle(chartTitle(FileDescription(), FileDate()));
    setVelocityColumnTitle(ProfileKind() == kKindAverage ? QCoreApplication::translate("TSvMain", "平均声速") : QCoreApplication::translate("TSvMain", "声速"));
    PgCtrl->setTabEnabled(PgCtrl->indexOf(ChartPg), true);
    BtnPreview->setEnabled(true);
    BtnPrintTable->setEnabled(true);
    BtnExport->setEnabled(true);
    showStatus(2, FileDescription());
    if (sender == Load) {
        DrawProfile();   // reloads the table-bound series itself
    } else {
        reloadTableSeries();
        DBChart->replot();
    }
    return true;
}

void TSvMain::restoreProfile(const QString& name, bool reopen, bool wasOpen)
{
    svTable->close();
    svTable->setTableName(name);
    if (!reopen)
        return;
    const Status back = m_doc->reopen(name);
    if (back)
        return;
    m_prompts->error(back.message());
    if (!wasOpen)
        return;
    // Not even the profile that was open opens again: the window says none is.
    setWindowTitle("Sondix2.1");
    DBEdit1->clear();
    showStatus(2, QString());
    ResetChart();
}

int TSvMain::OpenProfileFile(const QString& path)
{
    if (ChBoxFilter->isChecked())
        ChBoxFilter->setChecked(false);   // runs the filter's switch-off path
    return m_doc->open(path);
}
bool TSvMain::CheckTableOpen()
{
    if (svTable->exists())
        return true;
    m_prompts->information(QCoreApplication::translate("TSvMain", "无数据文件！"), QCoreApplication::translate("TSvMain", "提示信息"));
    return false;
}

void TSvMain::ResetChart()
{
    for (ChartSeries* s : chartSeries()) {
        s->setValues(nullptr);
        DBChart->showSeries(s, false);
    }
    DBChart->zoomReset();
    for (QAction* a : {SvTwo, TempTwo, PMSv, PMTemp, PMAv}) {
        a->setEnabled(false);
        a->setChecked(false);
    }
    PMSave->setEnabled(false);
    PMSaveAv->setEnabled(false);
}

bool TSvMain::ensureWritableProfile()
{
    if (!svTable->isActive() || !svTable->isReadOnly())
        return true;
    const QFileInfo old(svTable->tableName());
    // An old Paradox file, or a file the system will not let us write (another
    // user's, read-only media): the change goes into a copy under a new name.
    const QString title = svTable->isLegacy() ? QCoreApplication::translate("TSvMain", "旧格式数据文件只能查看，修改前请另存为新格式文件")
                                              : QCoreApplication::translate("TSvMain", "数据文件只读，修改前请另存为新文件");
    const QString name = askSaveName(title, QCoreApplication::translate("TSvMain", "数据库文件(*.db)|*.DB"), "db",
                                     old.absolutePath() + "/" + old.completeBaseName() + "-new."
                                         + (old.suffix().isEmpty() ? QStringLiteral("db") : old.suffix()),
                                     old.absolutePath());
    if (name.isEmpty())
        return false;
    setBusy(true);
    showStatus(0, QCoreApplication::translate("TSvMain", "正在转换......"));
    const SaveOutcome converted = m_doc->convertTo(name);
    setBusy(false);
    if (!converted.ok()) {
        showStatus(0, QString());
        if (converted.openFailed)
            m_prompts->error(converted.status.message());
        else
            m_prompts->message(converted.status.message());
        return false;
    }
    Path = QFileInfo(name).absolutePath() + "/";
    setCaptionForFile(name);
    showStatus(0, QCoreApplication::translate("TSvMain", "完成"));
    return true;
}

void TSvMain::svTableAfterScroll()
{
    StatusPanel[1]->setText(QString::number(svTable->recNo()));
}

void TSvMain::svTableAfterEdit()
{
    m_doc->markChanged();
}

void TSvMain::UpDownZoneClick()
{
    EditZone->setText(fmt::formatFloat("0.0", UpDownZone->position() * 0.5));
}

void TSvMain::ChBoxFilterClick()
{
    if (!svTable->exists())
        return;
    const bool on = ChBoxFilter->isChecked();
    Status done = m_doc->ensureOpen();
    if (done && on && !ensureWritableProfile()) {
        // The marks cannot be written into an old file: the filter stays off.
        const QSignalBlocker block(ChBoxFilter);
        ChBoxFilter->setChecked(false);
        return;
    }
    if (done && on) {
        double z = 0.5;
        fmt::parseFloat(EditZone->text(), &z);
        svTable->disableControls();
        showStatus(0, "Filtering......");
        setBusy(true);
        done = m_doc->markDepthLayers(static_cast<float>(z));
        svTable->enableControls();
        if (done) {
            showStatus(0, QCoreApplication::translate("TSvMain", "完成"));
            DBGrid->setFocus();
        }
        setBusy(false);
    }
    if (done)
        done = m_doc->setFiltered(on);
    if (!done) {
        // The box shows what the view is: marks that could not be written leave it unfiltered.
        if (!svTable->filtered()) {
            const QSignalBlocker block(ChBoxFilter);
            ChBoxFilter->setChecked(false);
        }
        m_prompts->error(done.message());
    }
    m_doc->markChanged();
    reloadTableSeries();
}

bool TSvMain::changeCurrentRow(const QString& firstRowMessage, const std::function<Status()>& change)
{
    if (!svTable->isActive() || svTable->recordCount() == 0) {
        m_prompts->beep();
        m_prompts->message(QCoreApplication::translate("TSvMain", "空数据文件不能进行这个操作！"));
        return false;
    }
    if (svTable->recNo() == 1) {
        m_prompts->beep();
        m_prompts->message(firstRowMessage);
        return false;
    }
    if (!ensureWritableProfile())
        return false;
    if (const Status changed = change(); !changed) {
        // A file that refuses the change says why; it is not called empty.
        m_prompts->beep();
        m_prompts->error(changed.message());
        return false;
    }
    m_doc->markChanged();
    return true;
}

void TSvMain::DeletRecClick()
{
    if (changeCurrentRow(QCoreApplication::translate("TSvMain", "不能删除第一个记录！"), [this] { return m_doc->deleteRow(); }))
        reloadTableSeries();
}

void TSvMain::GridDeleteKey()
{
    if (!svTable->isActive() || (svTable->recordCount() == 0 && svTable->state() != ProfileTable::State::Insert))
        return;
    if (svTable->state() == ProfileTable::State::Insert) {
        svTable->cancel();   // an unposted row is only dropped
        return;
    }
    const QString question = svTable->recNo() == 1
                                 ? QCoreApplication::translate("TSvMain", "删除第一个记录？它保存测点描述、时间和数据类型。")
                                 : QCoreApplication::translate("TSvMain", "删除当前记录？");
    if (!m_prompts->question(question, QCoreApplication::translate("TSvMain", "确认")))
        return;
    if (!ensureWritableProfile())
        return;
    if (const Status deleted = m_doc->deleteRow(); !deleted) {
        m_prompts->beep();
        m_prompts->error(deleted.message());
        return;
    }
    m_doc->markChanged();
    reloadTableSeries();
}

void TSvMain::InsertRecClick()
{
    changeCurrentRow(QCoreApplication::translate("TSvMain", "不能插入第一个记录！"), [this] { return m_doc->insertRow(); });
}
