#include "app/WidgetPrompts.h"
#include "dialogs/CsDialog.h"
#include "dialogs/DensityDialog.h"
#include "dialogs/DeviceDialog.h"
#include "dialogs/PathDialog.h"
#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>
#include <QCoreApplication>

QStringList qtNameFilters(const QString& windowsFilter)
{
    const QStringList parts = windowsFilter.split('|');
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        // Patterns compare case-insensitively on the Windows file system: offer both spellings.
        QStringList patterns;
        for (const QString& p : parts[i + 1].split(';'))
            patterns << p.toLower() << p.toUpper();
        patterns.removeDuplicates();
        out << QStringLiteral("%1 (%2)").arg(parts[i], patterns.join(' '));
    }
    return out;
}

namespace {
QString caption()
{
    return QApplication::applicationName().isEmpty() ? QCoreApplication::translate("WidgetPrompts", "VX4400声速仪客户软件")
                                                     : QApplication::applicationName();
}

FileDialogResult runFileDialog(QWidget* parent, const FileDialogRequest& r, QFileDialog::AcceptMode mode)
{
    QFileDialog dlg(parent, r.title, r.initialDir);
    dlg.setAcceptMode(mode);
    dlg.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    const QStringList filters = qtNameFilters(r.filter);
    dlg.setNameFilters(filters);
    if (!r.defaultExt.isEmpty())
        dlg.setDefaultSuffix(r.defaultExt);
    if (!r.fileName.isEmpty())
        dlg.selectFile(r.fileName);
    dlg.setOption(QFileDialog::DontConfirmOverwrite, !r.overwritePrompt);
    FileDialogResult out;
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return out;
    out.accepted = true;
    out.fileName = QDir::toNativeSeparators(dlg.selectedFiles().first());
    out.filterIndex = int(filters.indexOf(dlg.selectedNameFilter())) + 1;
    return out;
}
}  // namespace

void WidgetPrompts::message(const QString& text)
{
    QMessageBox::information(m_parent, caption(), text);
}

void WidgetPrompts::information(const QString& text, const QString& title)
{
    QMessageBox::information(m_parent, title, text, QMessageBox::Ok);
}

void WidgetPrompts::error(const QString& text)
{
    QMessageBox::critical(m_parent, caption(), text);
}

bool WidgetPrompts::question(const QString& text, const QString& title)
{
    return QMessageBox::question(m_parent, title, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
           == QMessageBox::Yes;
}

void WidgetPrompts::beep()
{
    QApplication::beep();
}

FileDialogResult WidgetPrompts::openFile(const FileDialogRequest& r)
{
    return runFileDialog(m_parent, r, QFileDialog::AcceptOpen);
}

QStringList WidgetPrompts::openFiles(const FileDialogRequest& r)
{
    QFileDialog dlg(m_parent, r.title, r.initialDir);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFiles);
    dlg.setNameFilters(qtNameFilters(r.filter));
    if (dlg.exec() != QDialog::Accepted)
        return {};
    QStringList files;
    for (const QString& f : dlg.selectedFiles())
        files << QDir::toNativeSeparators(f);
    return files;
}

FileDialogResult WidgetPrompts::saveFile(const FileDialogRequest& r)
{
    return runFileDialog(m_parent, r, QFileDialog::AcceptSave);
}

bool WidgetPrompts::oneValue(const QString& title, const QString& prompt, const QString& initialText, float* value)
{
    Tcs dlg(value, m_parent, this);
    if (!title.isEmpty())
        dlg.setWindowTitle(title);
    if (!prompt.isEmpty())
        dlg.Label1->setText(prompt);
    if (!initialText.isEmpty())
        dlg.Edit1->setText(initialText);
    dlg.Label1->adjustSize();
    dlg.Tag = 0;
    dlg.exec();
    return dlg.Tag != 0;
}

bool WidgetPrompts::density(float* value)
{
    TDlgDensity dlg(value, m_parent, this);
    dlg.Tag = 0;
    dlg.exec();
    return dlg.Tag != 0;
}

bool WidgetPrompts::directory(const QString& initial, QString* chosen)
{
    TPathDlg dlg(m_parent, initial);
    if (dlg.exec() != 1)
        return false;
    *chosen = dlg.chosen();
    return true;
}

bool WidgetPrompts::choose(const QString& title, const QString& prompt, const QStringList& items, int* index)
{
    bool ok = false;
    const QString item = QInputDialog::getItem(m_parent, title, prompt, items, *index, false, &ok);
    if (!ok)
        return false;
    *index = int(items.indexOf(item));
    return *index >= 0;
}

bool WidgetPrompts::surveyExport(SurveyExportRequest* r)
{
    QDialog dlg(m_parent);
    dlg.setWindowTitle(QCoreApplication::translate("WidgetPrompts", "导出") + r->format);
    auto* form = new QFormLayout(&dlg);
    auto* what = new QLabel(QFileInfo(r->fileName).fileName() + "\n" + r->profileText, &dlg);
    what->setWordWrap(true);
    form->addRow(what);
    auto* lat = new QLineEdit(r->latitude, &dlg);
    auto* lon = new QLineEdit(r->longitude, &dlg);
    lat->setPlaceholderText(QCoreApplication::translate("WidgetPrompts", "22.5431 或 22:32:35.2"));
    lon->setPlaceholderText(QCoreApplication::translate("WidgetPrompts", "114.0579 或 114:03:28.4"));
    form->addRow(r->positionRequired ? QCoreApplication::translate("WidgetPrompts", "纬度：") : QCoreApplication::translate("WidgetPrompts", "纬度（可不填）："), lat);
    form->addRow(r->positionRequired ? QCoreApplication::translate("WidgetPrompts", "经度：") : QCoreApplication::translate("WidgetPrompts", "经度（可不填）："), lon);
    auto* offset = new QLineEdit(r->utcOffset, &dlg);
    offset->setPlaceholderText("+08:00");
    form->addRow(QCoreApplication::translate("WidgetPrompts", "探头时钟时区（UTC偏移，小时）："), offset);
    form->addRow(new QLabel(QCoreApplication::translate("WidgetPrompts", "文件中的时间按此时区换算为UTC。"), &dlg));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    buttons->button(QDialogButtonBox::Ok)->setText(QCoreApplication::translate("WidgetPrompts", "确定"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QCoreApplication::translate("WidgetPrompts", "取消"));
    form->addRow(buttons);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    r->latitude = lat->text().trimmed();
    r->longitude = lon->text().trimmed();
    r->utcOffset = offset->text().trimmed();
    return true;
}

void WidgetPrompts::preview(const PagePainter& paint, const std::function<void()>& saveText)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    QPrintPreviewDialog dlg(&printer, m_parent);
    dlg.setWindowTitle(QCoreApplication::translate("WidgetPrompts", "数据报告"));
    if (saveText) {
        if (QToolBar* bar = dlg.findChild<QToolBar*>()) {
            bar->addSeparator();
            QAction* save = bar->addAction(QCoreApplication::translate("WidgetPrompts", "保存为文本文件"));
            QObject::connect(save, &QAction::triggered, &dlg, [&saveText] { saveText(); });
        }
    }
    QObject::connect(&dlg, &QPrintPreviewDialog::paintRequested, [&paint](QPrinter* p) { paint(p); });
    dlg.exec();
}

bool WidgetPrompts::print(const PagePainter& paint, bool landscape)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintDialog dlg(&printer, m_parent);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    if (landscape)
        printer.setPageOrientation(QPageLayout::Landscape);
    paint(&printer);
    return true;
}

bool WidgetPrompts::serialDevice(const std::vector<SerialDeviceInfo>& present, int* portNo, QString* device)
{
    TDeviceDlg dlg(present, *portNo, m_parent);
    if (dlg.exec() != QDialog::Accepted || dlg.device().isEmpty())
        return false;
    *portNo = dlg.portNo();
    *device = dlg.device();
    return true;
}
