#include "ScriptedPrompts.h"
#include <QDir>
#include <QPdfWriter>

bool ScriptedPrompts::question(const QString& text, const QString&)
{
    questions << text;
    if (answers.empty())
        return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
}

FileDialogResult ScriptedPrompts::openFile(const FileDialogRequest& r)
{
    fileRequests.push_back(r);
    if (files.empty())
        return {};
    FileDialogResult f = files.front();
    files.pop_front();
    return f;
}

FileDialogResult ScriptedPrompts::saveFile(const FileDialogRequest& r)
{
    return openFile(r);
}

bool ScriptedPrompts::oneValue(const QString&, const QString& prompt, const QString&, float* value)
{
    valuePrompts << prompt;
    if (values.empty() || !values.front()) {
        if (!values.empty())
            values.pop_front();
        return false;
    }
    *value = *values.front();
    values.pop_front();
    return true;
}

bool ScriptedPrompts::density(float* value)
{
    return oneValue({}, "density", {}, value);
}

bool ScriptedPrompts::directory(const QString&, QString* chosen)
{
    if (directories.empty())
        return false;
    *chosen = directories.front();
    directories.pop_front();
    return !chosen->isEmpty();
}

QStringList ScriptedPrompts::openFiles(const FileDialogRequest& r)
{
    fileRequests.push_back(r);
    if (fileLists.empty())
        return {};
    const QStringList f = fileLists.front();
    fileLists.pop_front();
    return f;
}

bool ScriptedPrompts::choose(const QString&, const QString& prompt, const QStringList& items, int* index)
{
    choicePrompts << prompt + " " + items.join('|');
    if (choices.empty())
        return false;
    *index = choices.front();
    choices.pop_front();
    return *index >= 0 && *index < items.size();
}

bool ScriptedPrompts::surveyExport(SurveyExportRequest* request)
{
    surveyRequests.push_back(*request);
    offeredPositions.push_back({request->latitude, request->longitude});
    if (positions.empty())
        return false;
    request->latitude = positions.front().first;
    request->longitude = positions.front().second;
    positions.pop_front();
    if (!utcOffsets.empty()) {
        request->utcOffset = utcOffsets.front();
        utcOffsets.pop_front();
    }
    return true;
}

namespace {
QString renderPdf(const QString& dir, int n, const PagePainter& paint, bool landscape)
{
    const QString path = QDir(dir.isEmpty() ? QDir::tempPath() : dir).filePath(QStringLiteral("page-%1.pdf").arg(n));
    QPdfWriter pdf(path);
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageOrientation(landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    paint(&pdf);
    return path;
}
}  // namespace

void ScriptedPrompts::preview(const PagePainter& paint, const std::function<void()>& saveText)
{
    pdfFiles << renderPdf(pdfDirectory, int(pdfFiles.size()), paint, false);
    if (saveTextInPreview && saveText)
        saveText();
}

bool ScriptedPrompts::print(const PagePainter& paint, bool landscape)
{
    if (!printConfirmed)
        return false;
    lastPrintLandscape = landscape;
    pdfFiles << renderPdf(pdfDirectory, int(pdfFiles.size()), paint, landscape);
    return true;
}

bool ScriptedPrompts::serialDevice(const std::vector<SerialDeviceInfo>& present, int* portNo, QString* device)
{
    offeredDevices.push_back(present);
    offeredPortNo.push_back(*portNo);
    if (devices.empty())
        return false;
    *portNo = devices.front().first;
    *device = devices.front().second;
    devices.pop_front();
    return true;
}
