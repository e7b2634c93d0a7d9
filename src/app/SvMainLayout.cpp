// The window's controls at their places, captions and initial states.
#include "app/SvMain.h"
#include "app/ProfileGrid.h"
#include "app/UpDown.h"
#include "app/Artwork.h"
#include "app/ChartSeries.h"
#include "app/ProfilePlot.h"
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
#include <QCoreApplication>

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
    PgCtrl->addTab(SelfPg, QCoreApplication::translate("TSvMain", "自容方式"));
    PgCtrl->addTab(CablePg, QCoreApplication::translate("TSvMain", "工作参数"));
    PgCtrl->addTab(TablePg, QCoreApplication::translate("TSvMain", "数据表格"));
    PgCtrl->addTab(ChartPg, QCoreApplication::translate("TSvMain", "声速曲线"));

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
    StatusPanel[3]->setText(QCoreApplication::translate("TSvMain", "海洋声速测量 · VX4400 客户软件"));
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
    FileList->setHeaderLabels({QCoreApplication::translate("TSvMain", "编号"), QCoreApplication::translate("TSvMain", "时间")});
    FileList->setColumnWidth(0, 150);
    FileList->setColumnWidth(1, 200);
    FileList->headerItem()->setTextAlignment(1, Qt::AlignCenter);
    FileList->setStyleSheet("QTreeView::item { border: 1px solid #d0d0d0; }");
    FileList->setFont(songTi(15));

    GroupBox1 = place(new QGroupBox(QCoreApplication::translate("TSvMain", "时钟"), p), 32, 264, 345, 145);
    GroupBox1->setFont(songTi(15));
    label(GroupBox1, QCoreApplication::translate("TSvMain", "计算机时间："), 16, 24);
    lbTime = place(new QLabel("2001-12-12 20:20:20", GroupBox1), 16, 48, 152, 15);
    lbTime->setAlignment(Qt::AlignCenter);
    lbTime->setAutoFillBackground(true);
    lbTime->setBackgroundRole(QPalette::HighlightedText);   // the highlight-text colour as background
    lbTime->setForegroundRole(QPalette::WindowText);
    btnQuery = button(GroupBox1, QCoreApplication::translate("TSvMain", "读出"), 16, 80, 113, 49);
    btnSetTime = button(GroupBox1, QCoreApplication::translate("TSvMain", "校准"), 216, 80, 113, 49);

    GroupBox2 = place(new QGroupBox(QCoreApplication::translate("TSvMain", "记录间距 (米)"), p), 400, 264, 345, 145);
    GroupBox2->setFont(songTi(15));
    edReadIntv = edit(GroupBox2, "", 24, 48, 113, 23, true, timesNumbers(15));
    btnReadIntv = button(GroupBox2, QCoreApplication::translate("TSvMain", "读出"), 24, 80, 113, 49);
    edSetIntv = edit(GroupBox2, "", 208, 48, 95, 23, true, timesNumbers(15));
    udIntv = place(new UpDown(1, 20, 5, GroupBox2), 303, 48, 18, 23);
    btnSetIntv = button(GroupBox2, QCoreApplication::translate("TSvMain", "重置"), 208, 80, 113, 49);

    label(p, QCoreApplication::translate("TSvMain", "文件保存在："), 32, 416);
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
    btnCancel = button(p, QCoreApplication::translate("TSvMain", "取消"), 32, 492, 89, 30, "stop");
    btnCancel->hide();
    btnFile = button(p, QCoreApplication::translate("TSvMain", "文件列表"), 400, 440, 89, 49, "list");
    btnUpLoad = button(p, QCoreApplication::translate("TSvMain", "上传"), 528, 440, 89, 49, "upload");
    btnClear = button(p, QCoreApplication::translate("TSvMain", "删除"), 653, 440, 89, 49, "delete");
}

void TSvMain::buildCablePage()
{
    QWidget* p = CablePg;
    gbPram = place(new QGroupBox(QCoreApplication::translate("TSvMain", "参数设置"), p), 32, 16, 601, 337);
    gbPram->setFont(songTi(15));
    label(gbPram, QCoreApplication::translate("TSvMain", "指定存储文件"), 24, 47);
    EdFileName = edit(gbPram, "", 128, 43, 412, 25, false, timesNumbers(14));
    BtnFileName = place(new QToolButton(gbPram), 540, 43, 29, 25);
    BtnFileName->setIcon(glyph("folder"));
    label(gbPram, QCoreApplication::translate("TSvMain", "测点描述"), 24, 124);
    Description = edit(gbPram, QCoreApplication::translate("TSvMain", "测点1"), 128, 120, 153, 23, false, songTi(15));
    label(gbPram, QCoreApplication::translate("TSvMain", "密度"), 24, 200);
    EdDensity = edit(gbPram, "", 128, 200, 153, 25, false, timesNumbers(15));
    EdDensity->setInputMask("9.999;_");
    EdDensity->setMaxLength(5);
    EdDensity->setText("1.   ");
    label(gbPram, QCoreApplication::translate("TSvMain", "端口号"), 24, 285);
    PortNumber = place(new QComboBox(gbPram), 128, 280, 153, 25);
    // "COMn" with the device it maps to beside it in the list (refreshPortNames),
    // then the device dialog; the box itself shows "COMn".
    auto* ports = new QStandardItemModel(0, 2, PortNumber);
    for (int i = 1; i <= 16; ++i)
        ports->appendRow({new QStandardItem(QStringLiteral("COM%1").arg(i)), new QStandardItem()});
    ports->appendRow({new QStandardItem(QCoreApplication::translate("TSvMain", "设备…")), new QStandardItem()});
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

    ModeSelect = place(new QGroupBox(QCoreApplication::translate("TSvMain", "工作模式"), gbPram), 304, 112, 265, 193);
    LogAll = place(new QRadioButton("Whole recorde", ModeSelect), 16, 32, 121, 25);
    LogAll->setChecked(true);
    LogDistance = place(new QRadioButton(QCoreApplication::translate("TSvMain", "定深 (米)"), ModeSelect), 16, 90, 121, 24);
    EditDistance = edit(ModeSelect, "0.5", 160, 90, 57, 23, true, timesNumbers(14));
    EditDistance->setEnabled(false);
    UpDownDistance = place(new UpDown(1, 100, 5, ModeSelect), 217, 90, 18, 24);
    UpDownDistance->setEnabled(false);
    LogTime = place(new QRadioButton(QCoreApplication::translate("TSvMain", "定时 (秒)"), ModeSelect), 16, 147, 121, 24);
    EditTime = edit(ModeSelect, "1", 160, 147, 57, 23, true, timesNumbers(14));
    EditTime->setEnabled(false);
    UpDownTime = place(new UpDown(1, 300, 1, ModeSelect), 217, 147, 18, 23);
    UpDownTime->setEnabled(false);

    // The live chart takes the place of the parameter group while measuring.
    // Its line is given at most four points a pixel column (LiveTrace), a
    // NaN value breaks it between two power-ons.
    Chart1 = place(new QCustomPlot(p), 0, 0, 665, 393);
    Chart1->setInteractions(QCP::Interactions());
    Chart1->setNotAntialiasedElements(QCP::aeAll);
    Chart1->setAntialiasedElements(QCP::aePlottables);
    Chart1->plotLayout()->addElement(1, 0, Chart1->legend);
    Chart1->plotLayout()->setRowStretchFactor(1, 0.001);
    Chart1->legend->setVisible(true);
    Chart1->legend->setFillOrder(QCPLegend::foColumnsFirst);
    Chart1->legend->setBrush(QColor(192, 192, 192));
    Chart1->legend->setBorderPen(Qt::NoPen);
    Chart1->legend->setFont(songTi(13));
    Chart1Bottom = Chart1->xAxis;
    auto clock = QSharedPointer<QCPAxisTickerDateTime>::create();
    clock->setDateTimeFormat("hh:mm:ss");
    Chart1Bottom->setTicker(clock);
    Chart1Left = Chart1->yAxis;
    Chart1Right = Chart1->yAxis2;
    setUpValueAxis(Chart1Left, QString(), songTi(13));
    setUpValueAxis(Chart1Right, QString(), songTi(13));
    Chart1Right->grid()->setVisible(false);
    const struct { QCPGraph** graph; QString title; QColor colour; QCPAxis* axis; } live[] = {
        {&SerRealSv, QCoreApplication::translate("TSvMain", "声速"), Qt::red, Chart1Left}, {&SerRealTemp, QCoreApplication::translate("TSvMain", "温度"), QColor(0, 128, 0), Chart1Right}};
    for (const auto& d : live) {
        *d.graph = Chart1->addGraph(Chart1Bottom, d.axis);
        (*d.graph)->setName(d.title);
        (*d.graph)->setPen(QPen(d.colour, 1));
        (*d.graph)->setLineStyle(QCPGraph::lsLine);
    }
    Chart1->hide();

    BtnBegin = button(p, QCoreApplication::translate("TSvMain", "电源开"), 680, 24, 89, 73, "power");
    QFont bold = BtnBegin->font();
    bold.setBold(true);
    BtnBegin->setFont(bold);
    BtnBegin->setToolTip(QCoreApplication::translate("TSvMain", "声速测量"));
    btnRec = button(p, QCoreApplication::translate("TSvMain", "开始记录"), 680, 152, 89, 73, "record");
    btnRec->setEnabled(false);
    BtnStop1 = button(p, QCoreApplication::translate("TSvMain", "停！"), 680, 282, 89, 73, "stop");
    BtnStop1->setEnabled(false);
    lbLowBatt = place(new QLabel("LV", p), 680, 376, 18, 15);
    lbLowBatt->setFont(songTi(13, true));
    lbLowBatt->hide();

    const struct { QString text; int left; } titles[] = {
        {QCoreApplication::translate("TSvMain", "声速 (米/秒)"), 0}, {QCoreApplication::translate("TSvMain", "深度 (米)"), 246}, {QCoreApplication::translate("TSvMain", "温度 (℃)"), 465}};
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
    label(p, QCoreApplication::translate("TSvMain", "备注："), 32, 304);
    DBEdit1 = edit(p, "", 32, 328, 385, 24, false, songTi(15));
    DBEdit1->setMaxLength(255);

    PnFilterCtrl = place(new QGroupBox(QCoreApplication::translate("TSvMain", "过滤控制"), p), 32, 360, 385, 129);
    PnFilterCtrl->setFont(songTi(15));
    label(PnFilterCtrl, QCoreApplication::translate("TSvMain", "深度层 (米)"), 24, 48);
    EditZone = edit(PnFilterCtrl, "0.5", 120, 45, 65, 25, true, timesNumbers(15));
    UpDownZone = place(new UpDown(1, 100, 1, PnFilterCtrl), 184, 45, 18, 25);
    ChBoxFilter = place(new QCheckBox(QCoreApplication::translate("TSvMain", "过滤"), PnFilterCtrl), 263, 45, 65, 25);

    BtnOpen = button(p, QCoreApplication::translate("TSvMain", "打开"), 496, 328, 89, 49);
    BtnPreview = button(p, QCoreApplication::translate("TSvMain", "打印预览"), 496, 384, 89, 49);
    BtnPreview->setEnabled(false);
    BtnPrintTable = button(p, QCoreApplication::translate("TSvMain", "打印"), 496, 440, 89, 49);
    BtnPrintTable->setEnabled(false);
    BtnExport = button(p, QCoreApplication::translate("TSvMain", "导出"), 656, 328, 89, 49);
    BtnExport->setEnabled(false);
    BtnStop = button(p, QCoreApplication::translate("TSvMain", "停！"), 656, 384, 89, 49);
    BtnStop->setEnabled(false);
    BtnQuit = button(p, QCoreApplication::translate("TSvMain", "退出"), 656, 440, 89, 49);
}

void TSvMain::buildChartPage()
{
    DBChart = new ProfilePlot(ChartPg);
    DBChart->setTitle("Sound Velocity/Temperature Curve");
    DBChart->setTitleFont(songTi(13));
    DBChart->legend->setFont(songTi(13));
    DBChartBottom = DBChart->xAxis;
    DBChartLeft = DBChart->yAxis;
    DBChartRight = DBChart->yAxis2;
    setUpValueAxis(DBChartBottom, QCoreApplication::translate("TSvMain", "深度 (m)"), songTi(13));
    setUpValueAxis(DBChartLeft, QCoreApplication::translate("TSvMain", "声速 (m/s)"), songTi(13));
    setUpValueAxis(DBChartRight, QCoreApplication::translate("TSvMain", "温度 (℃)"), songTi(13));

    struct Def { ChartSeries** s; QString title; QColor colour; bool left; int width; };
    const Def defs[] = {
        {&SerSv, QCoreApplication::translate("TSvMain", "声速"), QColor(255, 0, 0), true, 2},
        {&SerTemp, QCoreApplication::translate("TSvMain", "温度"), QColor(0, 128, 0), false, 2},
        {&SerAvSv, QCoreApplication::translate("TSvMain", "平均声速"), QColor(255, 0, 255), true, 2},
        {&SerSvUp, QCoreApplication::translate("TSvMain", "声速(上)"), QColor(255, 128, 128), true, 1},
        {&SerSvDown, QCoreApplication::translate("TSvMain", "声速(下)"), QColor(255, 0, 0), true, 1},
        {&SerTempUp, QCoreApplication::translate("TSvMain", "温度(上)"), QColor(0, 128, 128), false, 1},
        {&SerTempDown, QCoreApplication::translate("TSvMain", "温度(下)"), QColor(0, 255, 64), false, 1},
    };
    for (const Def& d : defs)
        *d.s = DBChart->addSeries(d.title, d.colour, d.width, d.left);

    DBChart->setGeometry(0, 0, 792, 520);
    // Margins in percent of the chart: top 3, left 2, right 2, bottom 1.
    DBChart->plotLayout()->setMargins(
        QMargins(qRound(792 * 0.02), qRound(520 * 0.03), qRound(792 * 0.02), qRound(520 * 0.01)));
    btnAnalyze = button(ChartPg, QCoreApplication::translate("TSvMain", "数据分析"), 33, 5, 139, 25);
    btnAnalyze->raise();
}

QList<ChartSeries*> TSvMain::chartSeries() const
{
    return DBChart->series();
}

void TSvMain::buildMenus()
{
    PopupMenuGrid = new QMenu(this);
    DeletRec = PopupMenuGrid->addAction(QCoreApplication::translate("TSvMain", "删除记录"));
    InsertRec = PopupMenuGrid->addAction(QCoreApplication::translate("TSvMain", "添加记录"));

    MenuChart = new QMenu(this);
    Load = MenuChart->addAction(QCoreApplication::translate("TSvMain", "打开"));
    Save = MenuChart->addMenu(QCoreApplication::translate("TSvMain", "保存"));
    PMSave = Save->addAction(QCoreApplication::translate("TSvMain", "保存声速剖面"));
    PMSave->setEnabled(false);
    PMSaveAv = Save->addAction(QCoreApplication::translate("TSvMain", "保存平均声速"));
    PMSaveAv->setEnabled(false);
    SaveBMP = Save->addAction(QCoreApplication::translate("TSvMain", "保存曲线图"));
    MenuChart->addSeparator();
    SvTwo = MenuChart->addAction(QCoreApplication::translate("TSvMain", "双向声速"));
    TempTwo = MenuChart->addAction(QCoreApplication::translate("TSvMain", "双向温度"));
    PMSv = MenuChart->addAction(QCoreApplication::translate("TSvMain", "声速"));
    PMTemp = MenuChart->addAction(QCoreApplication::translate("TSvMain", "温度"));
    PMAv = MenuChart->addAction(QCoreApplication::translate("TSvMain", "平均"));
    PMPrint = MenuChart->addAction(QCoreApplication::translate("TSvMain", "打印"));
    for (QAction* a : {SvTwo, TempTwo, PMSv, PMTemp, PMAv})
        a->setCheckable(true);
    addBatchExport();
}
