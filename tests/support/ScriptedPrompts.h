#pragma once
#include "dialogs/Prompts.h"
#include <QStringList>
#include <deque>
#include <optional>

// Prompts for window tests: every text shown is recorded, every question and
// dialog is answered from a script (a missing answer is a "cancel" / "No").
class ScriptedPrompts : public Prompts
{
public:
    void message(const QString& text) override { shown << text; }
    void information(const QString& text, const QString& caption) override { shown << caption + ": " + text; }
    void error(const QString& text) override { shown << "error: " + text; }
    bool question(const QString& text, const QString&) override;
    void beep() override { ++beeps; }
    FileDialogResult openFile(const FileDialogRequest& r) override;
    QStringList openFiles(const FileDialogRequest& r) override;
    FileDialogResult saveFile(const FileDialogRequest& r) override;
    bool oneValue(const QString& caption, const QString& prompt, const QString& initialText, float* value) override;
    bool density(float* value) override;
    bool directory(const QString& initial, QString* chosen) override;
    bool choose(const QString& caption, const QString& prompt, const QStringList& items, int* index) override;
    bool surveyExport(SurveyExportRequest* request) override;
    void preview(const PagePainter& paint, const std::function<void()>& saveText = {}) override;
    bool print(const PagePainter& paint, bool landscape) override;
    bool serialDevice(const std::vector<SerialDeviceInfo>& present, int* portNo, QString* device) override;

    // The script.
    std::deque<bool> answers;                       // questions
    std::deque<FileDialogResult> files;             // open and save dialogs
    std::deque<std::optional<float>> values;        // one-value and density dialogs; nullopt = closed
    std::deque<QString> directories;                // directory dialog; empty = cancelled
    std::deque<QStringList> fileLists;              // open-files dialog; none left = cancelled
    std::deque<int> choices;                        // choice dialog; none left = cancelled
    std::deque<std::pair<QString, QString>> positions; // survey export dialog; none left = cancelled
    std::deque<QString> utcOffsets;                 // survey export dialog's offset; none left = as offered
    bool printConfirmed = true;                     // the print dialog's answer
    bool saveTextInPreview = false;                 // the preview's "save as text" is used
    QString pdfDirectory;                           // previews and prints go to PDF files here
    std::deque<std::pair<int, QString>> devices;    // device dialog: port number and device; none left = cancelled

    // What happened.
    QStringList shown;
    QStringList questions;
    std::vector<FileDialogRequest> fileRequests;
    QStringList valuePrompts;
    std::vector<std::pair<QString, QString>> offeredPositions; // what the survey export dialog showed
    std::vector<SurveyExportRequest> surveyRequests; // every survey export dialog as shown
    QStringList choicePrompts;
    int beeps = 0;
    QStringList pdfFiles;                           // one per preview or print, in order
    bool lastPrintLandscape = false;
    std::vector<std::vector<SerialDeviceInfo>> offeredDevices;  // what each device dialog listed
    std::vector<int> offeredPortNo;                 // the port number each offered first

    QString last() const { return shown.isEmpty() ? QString() : shown.last(); }
    static FileDialogResult file(const QString& name, int filterIndex = 1) { return {true, name, filterIndex}; }
};
