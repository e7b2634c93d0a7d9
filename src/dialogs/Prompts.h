#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QPagedPaintDevice;

// Paints a document onto a paged device (a printer, a PDF writer).
using PagePainter = std::function<void(QPagedPaintDevice* device)>;

// What a file dialog is asked to show. `filter` uses the window's pattern
// notation "Description(*.ext)|*.EXT|..."; `filterIndex` is 1-based as the user chose.
struct FileDialogRequest
{
    QString title;
    QString filter;
    QString defaultExt;
    QString initialDir;
    QString fileName;
    bool overwritePrompt = true;
    bool mustExist = false;
};

struct FileDialogResult
{
    bool accepted = false;
    QString fileName;
    int filterIndex = 1;
};

// The survey-format export dialog: it tells which profile is written and how
// many points, and takes the cast's position and the zone of the probe's clock.
struct SurveyExportRequest
{
    QString fileName;           // the profile file exported
    QString format;             // "CARIS格式"
    QString profileText;        // which profile, how many points
    bool positionRequired = false;
    QString latitude, longitude;   // in and out; both empty: no position
    QString utcOffset;          // in and out: hours east of UTC, "+08:00"
};

// A serial device present on the system, as the device dialog lists it.
struct SerialDeviceInfo
{
    QString name;           // "ttyUSB0", "COM3"
    QString location;       // "/dev/ttyUSB0": what a port number is mapped to
    QString description;
    QString manufacturer;
    QString serialNumber;
};

// Every message box and modal dialog of the window goes through here, so that a
// test can script the answers and read back every text shown.
class Prompts
{
public:
    virtual ~Prompts() = default;
    virtual void message(const QString& text) = 0;                        // plain message, OK
    virtual void information(const QString& text, const QString& caption) = 0;
    virtual void error(const QString& text) = 0;                          // an error that ended a handler
    virtual bool question(const QString& text, const QString& caption) = 0; // Yes / No
    virtual void beep() = 0;
    virtual FileDialogResult openFile(const FileDialogRequest& r) = 0;
    // Several existing files at once; none when cancelled.
    virtual QStringList openFiles(const FileDialogRequest& r) = 0;
    virtual FileDialogResult saveFile(const FileDialogRequest& r) = 0;
    // The one-value dialog: prompt, value shown "0.00"; true when confirmed.
    virtual bool oneValue(const QString& caption, const QString& prompt, const QString& initialText, float* value) = 0;
    // The water-density dialog; true when confirmed (the value is 0.8..1.5).
    virtual bool density(float* value) = 0;
    // The directory dialog; the chosen directory with a trailing separator.
    virtual bool directory(const QString& initial, QString* chosen) = 0;
    // One of `items`; `index` in and out. False when cancelled.
    virtual bool choose(const QString& caption, const QString& prompt, const QStringList& items, int* index) = 0;
    // The survey-format export dialog; true when confirmed.
    virtual bool surveyExport(SurveyExportRequest* request) = 0;
    // The print preview of a document; returns when the preview is closed.
    // `saveText`, when given, is the preview's "save as text" command.
    virtual void preview(const PagePainter& paint, const std::function<void()>& saveText = {}) = 0;
    // The print dialog, then printing (to a printer or a PDF file); false when cancelled.
    virtual bool print(const PagePainter& paint, bool landscape) = 0;
    // The device dialog: the serial devices present and the port number (1..16)
    // the chosen one is mapped to, `*portNo` offered first. True with
    // `*portNo` and `*device` (a location) set when confirmed.
    virtual bool serialDevice(const std::vector<SerialDeviceInfo>& present, int* portNo, QString* device) = 0;
};
