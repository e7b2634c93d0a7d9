// list and upload: the probe's stored recordings, as the self-contained page has them.
#include "cli/ProbeCommands.h"
#include "cli/CliCommon.h"
#include "storage/ProfileTable.h"
#include "probe/MsClock.h"
#include "probe/PortFactory.h"
#include "probe/ProbeMemory.h"
#include "probe/ProbeProtocol.h"
#include "document/ProbeMessages.h"
#include "document/UploadFiles.h"
#include "probe/ProbeUpload.h"
#include "probe/SerialPort.h"
#include <QDir>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace cli {

namespace {

void addPortOptions(QCommandLineParser& parser)
{
    parser.addOption({"port", "Port number 1..16 (default: Port No. of the settings).", "N"});
    parser.addOption({"simulate", "Talk to the built-in probe simulator instead of a port."});
    // The simulator on a simulated clock: a whole exchange in no real time (tests).
    QCommandLineOption simClock("sim-clock", "Run the simulator on a simulated clock.");
    simClock.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(simClock);
}

// The probe's port, opened and set up as the window opens it.
struct Link
{
    std::unique_ptr<MsClock> clock;
    std::unique_ptr<SerialPort> port;
    ~Link()
    {
        if (port)
            port->close();
    }
};

void openLink(Link& link, const QCommandLineParser& parser, const Settings& settings)
{
    int portNo = settings.portNo;
    if (parser.isSet("port")) {
        bool ok = false;
        portNo = parser.value("port").toInt(&ok);
        if (!ok || portNo < 1 || portNo > 16)
            fail("--port: not a port number 1..16: " + parser.value("port"));
    }
    const bool simulate = parser.isSet("simulate") || parser.isSet("sim-clock");
    if (parser.isSet("sim-clock"))
        link.clock = std::make_unique<SimulatedClock>();
    else
        link.clock = std::make_unique<SteadyClock>();
    const QString device = portNo >= 1 && portNo <= 16 ? settings.deviceOverride[portNo] : QString();
    link.port = createPort(portNo, device, simulate, *link.clock);
    const PortOpenResult opened = openProbePort(link.port.get());
    if (opened != PortOpenResult::Ok)
        fail(probemsg::portOpenMessage(opened, link.port ? link.port->deviceName() : QString(),
                                       link.port ? link.port->errorString() : QString()));
}

// One progress line on standard error, rewritten in place on a terminal.
class Progress
{
public:
    void status(const QString& text) { m_status = text; show(); }
    void percent(int p) { if (p != m_percent) { m_percent = p; show(); } }
    ~Progress()
    {
        if (m_shown && m_tty)
            std::fputc('\n', stderr);
    }
private:
    void show()
    {
        const QByteArray line = (m_status + QStringLiteral(" %1%").arg(m_percent)).toUtf8();
        std::fprintf(stderr, m_tty ? "\r%s" : "%s\n", line.constData());
        std::fflush(stderr);
        m_shown = true;
    }
    bool m_tty = ::isatty(2);
    bool m_shown = false;
    QString m_status;
    int m_percent = 0;
};

QString entryLine(const probemem::DirectoryEntry& e)
{
    return QString::number(e.number) + '\t' + e.time;
}

}  // namespace

int runList(const QStringList& args)
{
    QCommandLineParser parser;
    addIniOption(parser);
    addPortOptions(parser);
    if (!parseArgs(parser, {"list", "--port N | --simulate",
                            "List the recordings stored in the probe: number and start time."}, args, 0))
        return kOk;
    const Settings settings = loadSettings(parser);
    Link link;
    openLink(link, parser, settings);
    ProbeProtocol protocol(*link.port);
    probemem::SessionEvents events;
    events.entry = [](const probemem::DirectoryEntry& e) { out(entryLine(e) + '\n'); };
    const probemem::ListingResult r = probemem::listRecordings(protocol, events);
    if (r.status != probemem::ProbeStatus::Complete)
        fail(probemsg::message(r));
    out(probemsg::message(r) + '\n');
    return kOk;
}

int runUpload(const QStringList& args)
{
    QCommandLineParser parser;
    addIniOption(parser);
    addPortOptions(parser);
    parser.addOption({"dir", "Directory of the profile files (one level is created).", "DIR"});
    parser.addOption({"density", "Water density 0.8..1.5 (default: Density of the settings).", "D"});
    if (!parseArgs(parser, {"upload", "--dir DIR --port N | --simulate",
                            "Upload every stored recording as one profile file each."}, args, 0))
        return kOk;
    const Settings settings = loadSettings(parser);
    const QString dir = probemem::withTrailingSeparator(QDir::fromNativeSeparators(requiredValue(parser, "dir")));
    float density = settings.density;
    if (parser.isSet("density"))
        density = float(numberOption(parser.value("density"), "density"));
    if (density > 1.5f || density < 0.8f)
        fail(QStringLiteral("密度值不正确!"));
    const QString dirError = probemem::ensureUploadDirectory(dir);
    if (!dirError.isEmpty())
        fail(dirError);

    Link link;
    openLink(link, parser, settings);
    probemem::UploadRequest request;
    request.density = density;
    request.memorySize = settings.memorySize;
    request.atmosphere = settings.atmosphere;
    probemem::UploadResult r;
    {
        Progress progress;
        probemem::SessionEvents events;
        events.entry = [&progress](const probemem::DirectoryEntry& e) {
            progress.status(probemsg::recordingText(e.number));
        };
        events.percent = [&progress](int percent) { progress.percent(percent); };
        ProbeProtocol protocol(*link.port);
        ProfileTable table;
        probemem::TableUploadSink sink(table, dir);
        r = probemem::upload(protocol, sink, request, events);
    }
    for (const probemem::UploadedFile& f : r.files)
        out(entryLine(f.entry) + '\t' + QDir::toNativeSeparators(f.fileName) + '\t'
            + QString::number(f.rows) + '\n');
    if (r.status != probemem::ProbeStatus::Complete)
        fail(probemsg::message(r));
    out(probemsg::message(r) + '\n');
    return kOk;
}

}  // namespace cli
