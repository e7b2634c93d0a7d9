// Profile files and the table page: opening, the grid, editing, the depth-layer filter.
#include "dialogs/Prompts.h"
#include "app/SvMain.h"
#include "app/UpDown.h"
#include "analysis/DepthLayer.h"
#include "document/ProfileFile.h"
#include "storage/ProfileTable.h"
#include "document/ProcessedProfiles.h"
#include "storage/ProfileStore.h"
#include "text/Format.h"
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QScopeGuard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QtCharts/QChartView>
#include <QtCharts/QLegend>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <cmath>

namespace {
QString chartTitle(const QString& description, const QDateTime& date)
{
    return description + "(" + fmt::formatDateTime("yy-m-d hh:mm", date) + ")";
}
}  // namespace

void TSvMain::BtnOpenClick(QObject* sender)
{
    FileDialogRequest r;
    r.title = "选择要打开的文件";
    r.filter = "数据库文件(*.db)|*.DB";
    r.defaultExt = "db";
    r.initialDir = Path;
    r.overwritePrompt = false;
    r.mustExist = true;
    const QString remembered = svTable->tableName();
    const bool wasOpen = svTable->isActive();
    const FileDialogResult chosen = m_prompts->openFile(r);
    if (!chosen.accepted)
        return;
    if (chosen.fileName == remembered)
        return;
    Path = QFileInfo(chosen.fileName).absolutePath() + "/";
    // A long cast takes a moment to read and draw.
    setBusy(true);
    auto idle = qScopeGuard([this] { setBusy(false); });
    if (OpenProfileFile(chosen.fileName) < 0) {
        idle.dismiss();
        setBusy(false);   // no hourglass over the message
        m_prompts->message("数据文件错误或空数据文件！");
        restoreProfile(remembered, !remembered.isEmpty(), wasOpen);
        return;
    }
    ChartDirty = true;
    svTable->first();
    const ProfileRow first = svTable->current();
    FileDescription = first.discrip.value_or(QString());
    FileDate = first.dt.value_or(QDateTime());
    svTable->setFiltered(false);
    {
        const QSignalBlocker block(ChBoxFilter);
        ChBoxFilter->setChecked(false);
    }
    setCaptionForFile(chosen.fileName);
    ResetChart();
    DBChart->chart()->setTitle(chartTitle(FileDescription, FileDate));
    reloadTableSeries();
    DBChart->repaint();
    ProfileKind = profileKind(first);
    setVelocityColumnTitle(ProfileKind == kKindAverage ? "平均声速" : "声速");
    PgCtrl->setTabEnabled(PgCtrl->indexOf(ChartPg), true);
    BtnPreview->setEnabled(true);
    BtnPrintTable->setEnabled(true);
    BtnExport->setEnabled(true);
    showStatus(2, first.discrip.value_or(QString()));
    if (sender == Load)
        DrawProfile();
}

void TSvMain::restoreProfile(const QString& name, bool reopen, bool wasOpen)
{
    svTable->close();
    svTable->setTableName(name);
    if (!reopen)
        return;
    try {
        svTable->open();
        return;
    } catch (const TableError& e) {
        m_prompts->error(e.message());
    }
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
    return openProfileFile(*svTable, path);
}

bool TSvMain::CheckTableOpen()
{
    if (svTable->exists())
        return true;
    m_prompts->information("无数据文件！", "提示信息");
    return false;
}

void TSvMain::ResetChart()
{
    for (QLineSeries* s : chartSeries()) {
        s->setVisible(false);
        s->clear();
    }
    for (QLegendMarker* m : DBChart->chart()->legend()->markers())
        m->setVisible(false);
    DBChart->chart()->zoomReset();
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
    const QString oldPath = svTable->tableName();
    const QFileInfo old(oldPath);
    // An old Paradox file, or a file the system will not let us write (another
    // user's, read-only media): the change goes into a copy under a new name.
    const QString title = svTable->isLegacy() ? "旧格式数据文件只能查看，修改前请另存为新格式文件"
                                              : "数据文件只读，修改前请另存为新文件";
    const QString name = askSaveName(title, "数据库文件(*.db)|*.DB", "db",
                                     old.absolutePath() + "/" + old.completeBaseName() + "-new."
                                         + (old.suffix().isEmpty() ? QStringLiteral("db") : old.suffix()),
                                     old.absolutePath());
    if (name.isEmpty())
        return false;
    QString reason;
    if (!mayOverwrite(name, &reason)) {   // the old file itself among them
        m_prompts->message(reason);
        return false;
    }

    // Every row in stored order, marks and all; the view and the row come back
    // on the new file.
    const bool wasFiltered = svTable->filtered();
    const int recNo = svTable->recNo();
    const std::vector<ProfileRow> rows = svTable->storedRows();
    setBusy(true);
    showStatus(0, "正在转换......");
    if (const Status written = writeProfile(name, rows); !written) {
        setBusy(false);
        showStatus(0, QString());
        m_prompts->message("建立数据文件时错误！\n" + written.message());
        return false;
    }
    // A file opened in place of the old one, with the same view and row.
    auto reopenAs = [&](const QString& path) {
        svTable->close();
        svTable->setTableName(path);
        svTable->open();
        svTable->setFiltered(wasFiltered);
        svTable->moveTo(recNo);
    };
    try {
        reopenAs(name);
    } catch (const TableError& e) {
        // The new file is written but will not open: the old one is shown again.
        try {
            reopenAs(oldPath);
        } catch (const TableError&) {
        }
        setBusy(false);
        showStatus(0, QString());
        m_prompts->error(e.message());
        return false;
    }
    Path = QFileInfo(name).absolutePath() + "/";
    setCaptionForFile(name);
    setBusy(false);
    showStatus(0, "完成");
    return true;
}

void TSvMain::svTableAfterScroll()
{
    StatusPanel[1]->setText(QString::number(svTable->recNo()));
}

void TSvMain::svTableAfterEdit()
{
    ChartDirty = true;
    ResetChart();
}

void TSvMain::UpDownZoneClick()
{
    EditZone->setText(fmt::formatFloat("0.0", UpDownZone->position() * 0.5));
}

void TSvMain::ChBoxFilterClick()
{
    if (!svTable->exists())
        return;
    try {
        if (!svTable->isActive())
            svTable->open();
        if (ChBoxFilter->isChecked() && !ensureWritableProfile()) {
            // The marks cannot be written into an old file: the filter stays off.
            const QSignalBlocker block(ChBoxFilter);
            ChBoxFilter->setChecked(false);
            return;
        }
        if (ChBoxFilter->isChecked()) {
            double z = 0.5;
            fmt::parseFloat(EditZone->text(), &z);
            svTable->disableControls();
            showStatus(0, "Filtering......");
            setBusy(true);
            // The marks are computed over every row in stored order, then written in one go.
            svTable->setFiltered(false);
            std::vector<double> depths;
            depths.reserve(svTable->recordCount());
            for (int i = 0; i < svTable->recordCount(); ++i)
                depths.push_back(svTable->visibleRow(i).depth.value_or(std::nan("")));
            // Every row's mark is written in one transaction; a pass cut short
            // is redone whole.
            if (!depths.empty())
                svTable->setMarks(markDepthLayers(depths, static_cast<float>(z)));
            svTable->enableControls();
            showStatus(0, "完成");
            DBGrid->setFocus();
            setBusy(false);
        }
        svTable->setFiltered(ChBoxFilter->isChecked());
    } catch (const TableError& e) {
        if (svTable->controlsDisabled())
            svTable->enableControls();
        setBusy(false);
        // The box shows what the view is: marks that could not be written leave it unfiltered.
        if (!svTable->filtered()) {
            const QSignalBlocker block(ChBoxFilter);
            ChBoxFilter->setChecked(false);
        }
        m_prompts->error(e.message());
    }
    ResetChart();
    reloadTableSeries();
    ChartDirty = true;
}

bool TSvMain::changeCurrentRow(const QString& firstRowMessage, const std::function<void()>& change)
{
    if (!svTable->isActive() || svTable->recordCount() == 0) {
        m_prompts->beep();
        m_prompts->message("空数据文件不能进行这个操作！");
        return false;
    }
    if (svTable->recNo() == 1) {
        m_prompts->beep();
        m_prompts->message(firstRowMessage);
        return false;
    }
    if (!ensureWritableProfile())
        return false;
    try {
        change();
    } catch (const TableError& e) {
        // A file that refuses the change says why; it is not called empty.
        m_prompts->beep();
        m_prompts->error(e.message());
        return false;
    }
    ChartDirty = true;
    ResetChart();
    return true;
}

void TSvMain::DeletRecClick()
{
    if (changeCurrentRow("不能删除第一个记录！", [this] { svTable->deleteRow(); }))
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
                                 ? "删除第一个记录？它保存测点描述、时间和数据类型。"
                                 : "删除当前记录？";
    if (!m_prompts->question(question, "确认"))
        return;
    if (!ensureWritableProfile())
        return;
    try {
        svTable->deleteRow();
    } catch (const TableError& e) {
        m_prompts->beep();
        m_prompts->error(e.message());
        return;
    }
    ChartDirty = true;
    ResetChart();
    reloadTableSeries();
}

void TSvMain::InsertRecClick()
{
    changeCurrentRow("不能插入第一个记录！", [this] { svTable->insert(); });
}
