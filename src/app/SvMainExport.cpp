// Output: the survey formats of the export dialog, and the export of several
// profile files at once.
#include "app/SvMain.h"
#include "dialogs/Prompts.h"
#include "document/SurveyExport.h"
#include "output/Export.h"
#include "output/SurveyFormats.h"
#include "storage/AtomicFile.h"
#include "storage/ProfileStore.h"
#include "storage/ProfileTable.h"
#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QCoreApplication>

namespace {

QString noDateText() { return QCoreApplication::translate("TSvMain", "数据文件的第一个记录没有时间，不能导出这种格式！"); }
QString needsPositionText() { return QCoreApplication::translate("TSvMain", "这种格式需要测点位置，请输入纬度和经度！"); }

// "CARIS格式" of "CARIS格式(*.svp)|*.SVP".
QString formatTitle(SurveyFormat format)
{
    const QString label = surveyFormatEntry(format).section('|', 0, 0);
    return label.left(label.indexOf('('));
}

struct SurveyAnswer
{
    std::optional<GeoPosition> position;
    std::optional<int> utcOffset;   // none: this computer's zone
};

// The export dialog for one cast: it shows what will be written and takes the
// position and the probe clock's zone. Nothing when cancelled or refused (the
// reason shown). The answers are kept in `settings` for the next export and
// reach the settings file at close.
std::optional<SurveyAnswer> askSurvey(Prompts& prompts, Settings& settings, SurveyFormat format,
                                      const SurveyExportPlan& plan, const QString& file, const QDateTime& clock)
{
    SurveyExportRequest r;
    r.fileName = file;
    r.format = formatTitle(format);
    r.profileText = surveyProfileText(plan);
    r.positionRequired = surveyFormatNeedsPosition(format);
    r.latitude = settings.latitude;
    r.longitude = settings.longitude;
    const int computer = computerUtcOffset(clock);
    r.utcOffset = settings.utcOffset.isEmpty() ? utcOffsetSetting(computer) : settings.utcOffset;
    if (!prompts.surveyExport(&r))
        return std::nullopt;
    SurveyAnswer a;
    if (!r.latitude.isEmpty() || !r.longitude.isEmpty()) {
        a.position = parsePosition(r.latitude + ',' + r.longitude);
        if (!a.position) {
            prompts.message(QCoreApplication::translate("TSvMain", "测点位置格式错误：") + r.latitude + ", " + r.longitude
                            + QCoreApplication::translate("TSvMain", "\n请输入十进制度（22.5431）或度:分:秒（22:32:35.2），南纬、西经为负。"));
            return std::nullopt;
        }
    }
    const std::optional<int> offset = parseUtcOffset(r.utcOffset);
    if (!offset) {
        prompts.message(QCoreApplication::translate("TSvMain", "探头时钟时区错误：") + r.utcOffset
                        + QCoreApplication::translate("TSvMain", "\n请输入 -12 到 +14 之间的UTC偏移小时数（如 8、-3.5、+05:45）。"));
        return std::nullopt;
    }
    settings.latitude = r.latitude;
    settings.longitude = r.longitude;
    // This computer's zone stays the default until another zone is given.
    if (!settings.utcOffset.isEmpty() || *offset != computer) {
        settings.utcOffset = utcOffsetSetting(*offset);
        a.utcOffset = *offset;
    }
    if (!a.position && surveyFormatNeedsPosition(format)) {
        prompts.message(needsPositionText());
        return std::nullopt;
    }
    return a;
}

bool sameFile(const QString& a, const QString& b)
{
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

}  // namespace

bool TSvMain::ExportSurveyFormat(SurveyFormat format, const QString& fileName)
{
    if (!FileDate().isValid()) {
        m_prompts->message(noDateText());
        return false;
    }
    if (const Status opened = m_doc->ensureOpen(); !opened) {
        m_prompts->error(opened.message());
        return false;
    }
    // The merged, smoothed profile the chart builds; a cast too short for it
    // is refused with the chart's own message.
    const Result<SurveyExportPlan> plan = planSurveyExport(*m_doc, format);
    if (!plan) {
        m_prompts->message(plan.message());
        return false;
    }
    const std::optional<SurveyAnswer> answer =
        askSurvey(*m_prompts, LoadedSettings, format, plan.value(), svTable->tableName(), FileDate());
    if (!answer)
        return false;
    const SurveyHeader header{fileName, FileDate(), answer->utcOffset, answer->position, FileDescription(), SN};
    const std::vector<SurveyPoint>& points = plan->profile.points;
    return writeExport(fileName, [format, &points, &header](const std::vector<ProfileRow>&, QString* error) {
        const Result<QByteArray> bytes = exportSurveyFormat(format, points, header);
        if (!bytes)
            *error = bytes.message();
        return bytes ? bytes.value() : QByteArray();
    });
}

void TSvMain::addBatchExport()
{
    BatchExport = new QAction(QCoreApplication::translate("TSvMain", "批量导出"), this);
    QList<QAction*> actions = MenuChart->actions();
    const qsizetype at = actions.indexOf(Load);
    MenuChart->insertAction(at >= 0 && at + 1 < actions.size() ? actions[at + 1] : nullptr, BatchExport);
    connect(BatchExport, &QAction::triggered, this, &TSvMain::BatchExportClick);
}

void TSvMain::BatchExportClick()
{
    FileDialogRequest open;
    open.title = QCoreApplication::translate("TSvMain", "批量导出：选择数据文件");
    open.filter = QCoreApplication::translate("TSvMain", "数据库文件(*.db)|*.DB");
    open.initialDir = Path;
    open.mustExist = true;
    open.overwritePrompt = false;
    const QStringList files = m_prompts->openFiles(open);
    if (files.isEmpty())
        return;
    // The client's own layouts, then the survey formats.
    QStringList labels = {QCoreApplication::translate("TSvMain", "逗号分隔符文件(*.csv)"), QCoreApplication::translate("TSvMain", "HYPACK格式(*.vel)"), QCoreApplication::translate("TSvMain", "Vantrel软件格式(*.csv)")};
    for (SurveyFormat f : surveyFormats())
        labels << surveyFormatEntry(f).section('|', 0, 0);
    int choice = 0;
    if (!m_prompts->choose(QCoreApplication::translate("TSvMain", "批量导出"), QCoreApplication::translate("TSvMain", "导出格式："), labels, &choice))
        return;
    QString dir;
    if (!m_prompts->directory(Path, &dir))
        return;
    const std::optional<SurveyFormat> survey =
        choice >= 3 ? std::optional(surveyFormats()[size_t(choice - 3)]) : std::nullopt;
    float interval = 0.0f;
    if (choice == 2 && !m_prompts->oneValue(QCoreApplication::translate("TSvMain", "计算平均声速"), QCoreApplication::translate("TSvMain", "请输入声速间隔（米/秒）："), "0", &interval))
        interval = 0.0f;
    const QString ext = survey ? surveyFormatExtension(*survey).toUpper() : choice == 1 ? ".VEL" : ".CSV";
    auto target = [&](const QString& file) { return QDir(dir).filePath(QFileInfo(file).completeBaseName() + ext); };
    int existing = 0;
    for (const QString& f : files)
        existing += QFileInfo::exists(target(f)) ? 1 : 0;
    if (existing > 0
        && !m_prompts->question(QCoreApplication::translate("TSvMain", "文件夹中已有 %1 个同名的导出文件，是否覆盖？").arg(existing), QCoreApplication::translate("TSvMain", "批量导出")))
        return;

    // One file: its bytes, or why not. An empty result without a reason: the user cancelled.
    auto build = [&](const QString& file, QString* why) -> QByteArray {
        ProfileDocument loaded;
        const ProfileDocument* doc = &loaded;
        if (svTable->isActive() && sameFile(file, svTable->tableName())) {
            doc = m_doc;   // the open profile, as the table shows it
        } else {
            Result<StoredProfile> read = readProfile(file);
            const Status held = read ? loaded.load(std::move(read.value())) : read.status();
            if (!held) {
                *why = QCoreApplication::translate("TSvMain", "数据文件错误或空数据文件！");
                return {};
            }
        }
        const RowsSnapshot rows = doc->shownRows();
        const bool average = doc->kind() == kKindAverage;
        if (choice == 2 || average) {
            if (choice == 2 && average)
                return exportAverageCsv(*rows, OutputFormat, interval);
            *why = average ? QCoreApplication::translate("TSvMain", "平均声速剖面只能导出为Vantrel软件格式！")
                           : QCoreApplication::translate("TSvMain", "Vantrel软件格式只用于平均声速剖面！");
            return {};
        }
        if (!survey)
            return choice == 0 ? exportCommaCsv(*rows, OutputFormat) : exportHypackVel(*rows);
        if (!doc->date().isValid()) {
            *why = noDateText();
            return {};
        }
        const Result<SurveyExportPlan> plan = planSurveyExport(*doc, *survey);
        if (!plan) {
            *why = plan.message();
            return {};
        }
        const std::optional<SurveyAnswer> answer = askSurvey(*m_prompts, LoadedSettings, *survey, plan.value(), file, doc->date());
        if (!answer)
            return {};
        const Result<QByteArray> bytes = exportSurveyFormat(
            *survey, plan->profile.points,
            {target(file), doc->date(), answer->utcOffset, answer->position, doc->description(), SN});
        if (!bytes)
            *why = bytes.message();
        return bytes ? bytes.value() : QByteArray();
    };

    setBusy(true);
    QStringList failures;
    int written = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString name = QFileInfo(files[i]).fileName();
        showStatus(0, QCoreApplication::translate("TSvMain", "正在导出 %1/%2：%3......").arg(i + 1).arg(files.size()).arg(name));
        QString why;
        const QByteArray bytes = build(files[i], &why);
        if (bytes.isEmpty() && why.isEmpty()) {
            // Cancelled: the files after it are not exported either.
            for (qsizetype j = i; j < files.size(); ++j)
                failures << QFileInfo(files[j]).fileName() + QCoreApplication::translate("TSvMain", "：已取消");
            break;
        }
        if (why.isEmpty())
            writeFileAtomically(target(files[i]), bytes, &why);
        if (!why.isEmpty()) {
            failures << name + QCoreApplication::translate("TSvMain", "：") + why;
            continue;
        }
        ++written;
    }
    setBusy(false);
    showStatus(0, failures.isEmpty() ? QCoreApplication::translate("TSvMain", "完成") : QString());
    QString summary = QCoreApplication::translate("TSvMain", "已导出 %1 个文件到 %2").arg(written).arg(QDir::toNativeSeparators(dir));
    if (!failures.isEmpty())
        summary += QCoreApplication::translate("TSvMain", "，%1 个文件未导出：\n").arg(failures.size()) + failures.join('\n');
    m_prompts->message(summary + (failures.isEmpty() ? QCoreApplication::translate("TSvMain", "。") : QString()));
}
