// The window's controls at their places, captions and initial states.
#include "app/SvMain.h"
#include "app/ProfileGrid.h"
#include "app/UpDown.h"
#include "app/Artwork.h"
#include "app/ProfileChartView.h"
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QtCharts/QChartView>
#include <QtCharts/QDateTimeAxis>
#include <QtCharts/QLegendMarker>
#include <QtCharts/QLineSeries>
#include <QtCharts/QValueAxis>

namespace {

QFont songTi(int pixels, bool bold = false)
{
    QFont f;
    f.setFamilies({"SimSun", "宋体", "Noto Sans CJK SC", "Noto Serif CJK SC"});
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QFont timesNumbers(int pixels)
{
    QFont f;
    f.setFamilies({"Times New Roman", "Liberation Serif", "DejaVu Serif", "Noto Serif CJK SC"});
    f.setPixelSize(pixels);
    return f;
}

template <class W>
W* place(W* w, int left, int top, int width = -1, int height = -1)
{
    if (width < 0) {
        w->adjustSize();
        w->move(left, top);
    } else {
        w->setGeometry(left, top, width, height);
    }
    return w;
}

QLabel* label(QWidget* parent, const QString& text, int left, int top)
{
    auto* l = new QLabel(text, parent);
    l->setFont(songTi(15));
    return place(l, left, top);
}

QPushButton* button(QWidget* parent, const QString& text, int left, int top, int width, int height,
                    const QString& icon = {})
{
    auto* b = new QPushButton(text, parent);
    b->setFont(songTi(15));
    if (!icon.isEmpty()) {
        b->setIcon(glyph(icon));
        b->setIconSize(QSize(16, 16));
    }
    return place(b, left, top, width, height);
}

QLineEdit* edit(QWidget* parent, const QString& text, int left, int top, int width, int height,
                bool readOnly, const QFont& font)
{
    auto* e = new QLineEdit(text, parent);
    e->setReadOnly(readOnly);
    e->setFont(font);
    return place(e, left, top, width, height);
}

QLineSeries* lineSeries(QChart* chart, const QString& title, const QColor& colour, int width)
{
    auto* s = new QLineSeries(chart);
    s->setName(title);
    QPen pen(colour);
    pen.setWidth(width);
    s->setPen(pen);
    s->setPointsVisible(false);
    chart->addSeries(s);
    return s;
}

QValueAxis* valueAxis(QChart* chart, const QString& title, const QString& labels, Qt::Alignment where)
{
    auto* a = new QValueAxis(chart);
    a->setTitleText(title);
    a->setTitleFont(songTi(13));
    a->setLabelFormat(labels);
    a->setMinorTickCount(4);
    chart->addAxis(a, where);
    return a;
}

}  // namespace

void TSvMain::buildLayout()
{
    setWindowIcon(appIcon());
    PgCtrl = new QTabWidget(this);
    PgCtrl->setFont(songTi(19));
    PgCtrl->setStyleSheet("QTabBar::tab { width: 195px; height: 30px; }");
    setCentralWidget(PgCtrl);

    SelfPg = new QWidget;
    CablePg = new QWidget;
    TablePg = new QWidget;
    ChartPg = new QWidget;
    PgCtrl->addTab(SelfPg, "自容方式");
    PgCtrl->addTab(CablePg, "工作参数");
    PgCtrl->addTab(TablePg, "数据表格");
    PgCtrl->addTab(ChartPg, "声速曲线");

    auto* bar = new QStatusBar(this);
    bar->setFixedHeight(24);
    bar->setSizeGripEnabled(false);
    const int widths[4] = {200, 50, 145, 200};
    for (int i = 0; i < 4; ++i) {
        StatusPanel[i] = new QLabel(bar);
        StatusPanel[i]->setFixedWidth(widths[i]);
        StatusPanel[i]->setFont(songTi(13));
        StatusPanel[i]->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        bar->addWidget(StatusPanel[i]);
    }
    StatusPanel[3]->setText("海洋声速测量 · VX4400 客户软件");
    setStatusBar(bar);

    buildSelfPage();
    buildCablePage();
    buildTablePage();
    buildChartPage();
    buildMenus();
    buildShortcuts();

    Timer.setInterval(100);
    Timer1s.setInterval(1000);
    Timer1s.start();
}

void TSvMain::buildSelfPage()
{
    QWidget* p = SelfPg;
    FileList = place(new QTreeWidget(p), 32, 0, 713, 249);
    FileList->setRootIsDecorated(false);
    FileList->setHeaderLabels({"编号", "时间"});
    FileList->setColumnWidth(0, 150);
    FileList->setColumnWidth(1, 200);
    FileList->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    FileList->setStyleSheet("QTreeView::item { border: 1px solid #d0d0d0; }");
    FileList->setFont(songTi(15));

    GroupBox1 = place(new QGroupBox("时钟", p), 32, 264, 345, 145);
    GroupBox1->setFont(songTi(15));
    label(GroupBox1, "计算机时间：", 16, 24);
    lbTime = place(new QLabel("2001-12-12 20:20:20", GroupBox1), 16, 48, 152, 15);
    lbTime->setAlignment(Qt::AlignCenter);
    lbTime->setAutoFillBackground(true);
    lbTime->setBackgroundRole(QPalette::HighlightedText);   // the highlight-text colour as background
    lbTime->setForegroundRole(QPalette::WindowText);
    btnQuery = button(GroupBox1, "读出", 16, 80, 113, 49);
    btnSetTime = button(GroupBox1, "校准", 216, 80, 113, 49);

    GroupBox2 = place(new QGroupBox("记录间距 (米)", p), 400, 264, 345, 145);
    GroupBox2->setFont(songTi(15));
    edReadIntv = edit(GroupBox2, "", 24, 48, 113, 23, true, timesNumbers(15));
    btnReadIntv = button(GroupBox2, "读出", 24, 80, 113, 49);
    edSetIntv = edit(GroupBox2, "", 208, 48, 95, 23, true, timesNumbers(15));
    udIntv = place(new UpDown(1, 20, 5, GroupBox2), 303, 48, 18, 23);
    btnSetIntv = button(GroupBox2, "重置", 208, 80, 113, 49);

    label(p, "文件保存在：", 32, 416);
    edPath = edit(p, "", 32, 440, 321, 28, false, timesNumbers(15));
    sbBtnDir = place(new QToolButton(p), 352, 440, 25, 25);
    sbBtnDir->setIcon(glyph("folder"));
    pr = place(new QProgressBar(p), 32, 472, 345, 15);
    pr->setRange(0, 100);
    // The figure beside the bar: an upload or an erase runs for many seconds.
    pr->setTextVisible(true);
    pr->setFormat("%p%");
    pr->setFont(timesNumbers(12));
    pr->hide();
    btnCancel = button(p, "取消", 32, 492, 89, 30, "stop");
    btnCancel->hide();
    btnFile = button(p, "文件列表", 400, 440, 89, 49, "list");
    btnUpLoad = button(p, "上传", 528, 440, 89, 49, "upload");
    btnClear = button(p, "删除", 653, 440, 89, 49, "delete");
}

void TSvMain::buildCablePage()
{
    QWidget* p = CablePg;
    gbPram = place(new QGroupBox("参数设置", p), 32, 16, 601, 337);
    gbPram->setFont(songTi(15));
    label(gbPram, "指定存储文件", 24, 47);
    EdFileName = edit(gbPram, "", 128, 43, 412, 25, false, timesNumbers(14));
    BtnFileName = place(new QToolButton(gbPram), 540, 43, 29, 25);
    BtnFileName->setIcon(glyph("folder"));
    label(gbPram, "测点描述", 24, 124);
    Description = edit(gbPram, "测点1", 128, 120, 153, 23, false, songTi(15));
    label(gbPram, "密度", 24, 200);
    EdDensity = edit(gbPram, "", 128, 200, 153, 25, false, timesNumbers(15));
    EdDensity->setInputMask("9.999;_");
    EdDensity->setMaxLength(5);
    EdDensity->setText("1.   ");
    label(gbPram, "端口号", 24, 285);
    PortNumber = place(new QComboBox(gbPram), 128, 280, 153, 25);
    // "COMn" with the device it maps to beside it in the list (refreshPortNames),
    // then the device dialog; the box itself shows "COMn".
    auto* ports = new QStandardItemModel(0, 2, PortNumber);
    for (int i = 1; i <= 16; ++i)
        ports->appendRow({new QStandardItem(QStringLiteral("COM%1").arg(i)), new QStandardItem()});
    ports->appendRow({new QStandardItem("设备…"), new QStandardItem()});
    auto* portList = new QTableView;
    portList->horizontalHeader()->hide();
    portList->verticalHeader()->hide();
    portList->setShowGrid(false);
    portList->setSelectionBehavior(QAbstractItemView::SelectRows);
    portList->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    portList->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    PortNumber->setModel(ports);
    PortNumber->setView(portList);
    PortNumber->setMaxVisibleItems(17);
    PortNumber->setCurrentIndex(15);

    ModeSelect = place(new QGroupBox("工作模式", gbPram), 304, 112, 265, 193);
    LogAll = place(new QRadioButton("Whole recorde", ModeSelect), 16, 32, 121, 25);
    LogAll->setChecked(true);
    LogDistance = place(new QRadioButton("定深 (米)", ModeSelect), 16, 90, 121, 24);
    EditDistance = edit(ModeSelect, "0.5", 160, 90, 57, 23, true, timesNumbers(14));
    EditDistance->setEnabled(false);
    UpDownDistance = place(new UpDown(1, 100, 5, ModeSelect), 217, 90, 18, 24);
    UpDownDistance->setEnabled(false);
    LogTime = place(new QRadioButton("定时 (秒)", ModeSelect), 16, 147, 121, 24);
    EditTime = edit(ModeSelect, "1", 160, 147, 57, 23, true, timesNumbers(14));
    EditTime->setEnabled(false);
    UpDownTime = place(new UpDown(1, 300, 1, ModeSelect), 217, 147, 18, 23);
    UpDownTime->setEnabled(false);

    // The live chart takes the place of the parameter group while measuring.
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setBrush(QColor(192, 192, 192));
    chart->legend()->setFont(songTi(13));
    chart->setBackgroundRoundness(0);
    Chart1 = place(new QChartView(chart, p), 0, 0, 665, 393);
    Chart1->setRenderHint(QPainter::Antialiasing);
    Chart1Bottom = new QDateTimeAxis(chart);
    Chart1Bottom->setFormat("hh:mm:ss");
    chart->addAxis(Chart1Bottom, Qt::AlignBottom);
    Chart1Left = valueAxis(chart, "", "%.1f", Qt::AlignLeft);
    Chart1Right = valueAxis(chart, "", "%.1f", Qt::AlignRight);
    Chart1Right->setGridLineVisible(false);
    SerRealSv = lineSeries(chart, "声速", Qt::red, 1);
    SerRealTemp = lineSeries(chart, "温度", QColor(0, 128, 0), 1);
    SerRealSv->attachAxis(Chart1Bottom);
    SerRealSv->attachAxis(Chart1Left);
    SerRealTemp->attachAxis(Chart1Bottom);
    SerRealTemp->attachAxis(Chart1Right);
    Chart1->hide();

    BtnBegin = button(p, "电源开", 680, 24, 89, 73, "power");
    QFont bold = BtnBegin->font();
    bold.setBold(true);
    BtnBegin->setFont(bold);
    BtnBegin->setToolTip("声速测量");
    btnRec = button(p, "开始记录", 680, 152, 89, 73, "record");
    btnRec->setEnabled(false);
    BtnStop1 = button(p, "停！", 680, 282, 89, 73, "stop");
    BtnStop1->setEnabled(false);
    lbLowBatt = place(new QLabel("LV", p), 680, 376, 18, 15);
    lbLowBatt->setFont(songTi(13, true));
    lbLowBatt->hide();

    const struct { const char* text; int left; } titles[] = {
        {"声速 (米/秒)", 0}, {"深度 (米)", 246}, {"温度 (℃)", 465}};
    const int widths[] = {230, 200, 200};
    for (int i = 0; i < 3; ++i) {
        QLabel* l = label(p, titles[i].text, titles[i].left, 400);
        l->setFixedWidth(widths[i]);
        l->setAlignment(Qt::AlignCenter);
    }
    stSv = edit(p, "", 0, 424, 230, 65, true, songTi(64));
    stDepth = edit(p, "", 246, 424, 200, 65, true, songTi(64));
    stTemp = edit(p, "", 465, 424, 200, 65, true, songTi(64));
}

void TSvMain::buildTablePage()
{
    QWidget* p = TablePg;
    DBGrid = place(new ProfileGrid(p), 32, 0, 713, 289);
    DBGrid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    DBGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid->setContextMenuPolicy(Qt::CustomContextMenu);
    DBGrid->horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    DBGrid->setFont(timesNumbers(15));
    DBGrid->verticalHeader()->setDefaultSectionSize(20);
    label(p, "备注：", 32, 304);
    DBEdit1 = edit(p, "", 32, 328, 385, 24, false, songTi(15));
    DBEdit1->setMaxLength(255);

    PnFilterCtrl = place(new QGroupBox("过滤控制", p), 32, 360, 385, 129);
    PnFilterCtrl->setFont(songTi(15));
    label(PnFilterCtrl, "深度层 (米)", 24, 48);
    EditZone = edit(PnFilterCtrl, "0.5", 120, 45, 65, 25, true, timesNumbers(15));
    UpDownZone = place(new UpDown(1, 100, 1, PnFilterCtrl), 184, 45, 18, 25);
    ChBoxFilter = place(new QCheckBox("过滤", PnFilterCtrl), 263, 45, 65, 25);

    BtnOpen = button(p, "打开", 496, 328, 89, 49);
    BtnPreview = button(p, "打印预览", 496, 384, 89, 49);
    BtnPreview->setEnabled(false);
    BtnPrintTable = button(p, "打印", 496, 440, 89, 49);
    BtnPrintTable->setEnabled(false);
    BtnExport = button(p, "导出", 656, 328, 89, 49);
    BtnExport->setEnabled(false);
    BtnStop = button(p, "停！", 656, 384, 89, 49);
    BtnStop->setEnabled(false);
    BtnQuit = button(p, "退出", 656, 440, 89, 49);
}

void TSvMain::buildChartPage()
{
    auto* chart = new QChart;
    chart->setTitle("Sound Velocity/Temperature Curve");
    QFont titleFont = songTi(13);
    chart->setTitleFont(titleFont);
    chart->setTitleBrush(Qt::blue);
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->legend()->setFont(songTi(13));
    chart->legend()->setLabelColor(Qt::black);
    chart->legend()->setBorderColor(Qt::transparent);
    chart->setBackgroundRoundness(0);

    DBChartBottom = valueAxis(chart, "深度 (m)", "%.1f", Qt::AlignBottom);
    DBChartLeft = valueAxis(chart, "声速 (m/s)", "%.1f", Qt::AlignLeft);
    DBChartRight = valueAxis(chart, "温度 (℃)", "%.1f", Qt::AlignRight);

    struct Def { QLineSeries** s; const char* title; QColor colour; bool left; int width; };
    const Def defs[] = {
        {&SerTwoSv, "Sv", QColor(255, 0, 0), true, 1},
        {&SerTwoTemp, "Temp", QColor(0, 128, 0), false, 1},
        {&SerSv, "声速", QColor(255, 0, 0), true, 2},
        {&SerTemp, "温度", QColor(0, 128, 0), false, 2},
        {&SerAvSv, "平均声速", QColor(255, 0, 255), true, 2},
        {&SerSvUp, "声速(上)", QColor(255, 128, 128), true, 1},
        {&SerSvDown, "声速(下)", QColor(255, 0, 0), true, 1},
        {&SerTempUp, "温度(上)", QColor(0, 128, 128), false, 1},
        {&SerTempDown, "温度(下)", QColor(0, 255, 64), false, 1},
    };
    for (const Def& d : defs) {
        *d.s = lineSeries(chart, d.title, d.colour, d.width);
        (*d.s)->attachAxis(DBChartBottom);
        (*d.s)->attachAxis(d.left ? DBChartLeft : DBChartRight);
        (*d.s)->setVisible(false);
    }
    for (QLegendMarker* m : chart->legend()->markers())
        m->setVisible(m->series()->isVisible());

    DBChart = new ProfileChartView(chart, ChartPg);
    DBChart->setRenderHint(QPainter::Antialiasing);
    DBChart->setGeometry(0, 0, 792, 520);
    // Margins in percent of the chart: top 3, left 2, right 2, bottom 1.
    chart->setMargins(QMargins(qRound(792 * 0.02), qRound(520 * 0.03), qRound(792 * 0.02), qRound(520 * 0.01)));
    btnAnalyze = button(ChartPg, "数据分析", 33, 5, 139, 25);
    btnAnalyze->raise();
}

QList<QLineSeries*> TSvMain::chartSeries() const
{
    return {SerTwoSv, SerTwoTemp, SerSv, SerTemp, SerAvSv, SerSvUp, SerSvDown, SerTempUp, SerTempDown};
}

void TSvMain::buildMenus()
{
    PopupMenuGrid = new QMenu(this);
    DeletRec = PopupMenuGrid->addAction("删除记录");
    InsertRec = PopupMenuGrid->addAction("添加记录");

    MenuChart = new QMenu(this);
    Load = MenuChart->addAction("打开");
    Save = MenuChart->addMenu("保存");
    PMSave = Save->addAction("保存声速剖面");
    PMSave->setEnabled(false);
    PMSaveAv = Save->addAction("保存平均声速");
    PMSaveAv->setEnabled(false);
    SaveBMP = Save->addAction("保存曲线图");
    MenuChart->addSeparator();
    SvTwo = MenuChart->addAction("双向声速");
    TempTwo = MenuChart->addAction("双向温度");
    PMSv = MenuChart->addAction("声速");
    PMTemp = MenuChart->addAction("温度");
    PMAv = MenuChart->addAction("平均");
    PMPrint = MenuChart->addAction("打印");
    for (QAction* a : {SvTwo, TempTwo, PMSv, PMTemp, PMAv})
        a->setCheckable(true);
    addBatchExport();
}
