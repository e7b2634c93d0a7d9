#pragma once
#include "dialogs/Prompts.h"
#include <QStringList>

class QWidget;

// The real prompts: message boxes, file dialogs and the project's dialogs.
class WidgetPrompts : public Prompts
{
public:
    explicit WidgetPrompts(QWidget* parent) : m_parent(parent) {}
    void message(const QString& text) override;
    void information(const QString& text, const QString& caption) override;
    void error(const QString& text) override;
    bool question(const QString& text, const QString& caption) override;
    void beep() override;
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
private:
    QWidget* m_parent;
};

// Turns "A(*.a)|*.A|B(*.b)|*.B" into Qt name filters "A(*.a) (*.A)" ...
QStringList qtNameFilters(const QString& windowsFilter);
