#include "dialogs/DeviceDialog.h"
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QCoreApplication>

TDeviceDlg::TDeviceDlg(const std::vector<SerialDeviceInfo>& present, int portNo, QWidget* owner)
    : QDialog(owner), m_present(present)
{
    setWindowTitle(QCoreApplication::translate("DeviceDialog", "串行口设备"));
    auto* grid = new QGridLayout(this);

    DeviceList = new QTableWidget(int(present.size()), 4, this);
    DeviceList->setHorizontalHeaderLabels(
        {QCoreApplication::translate("DeviceDialog", "名称"), QCoreApplication::translate("DeviceDialog", "描述"), QCoreApplication::translate("DeviceDialog", "制造商"), QCoreApplication::translate("DeviceDialog", "序列号")});
    DeviceList->verticalHeader()->hide();
    DeviceList->setSelectionBehavior(QAbstractItemView::SelectRows);
    DeviceList->setSelectionMode(QAbstractItemView::SingleSelection);
    DeviceList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    for (int r = 0; r < int(present.size()); ++r) {
        const SerialDeviceInfo& d = present[size_t(r)];
        const QString cells[4] = {d.name, d.description, d.manufacturer, d.serialNumber};
        for (int c = 0; c < 4; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setToolTip(d.location);
            DeviceList->setItem(r, c, item);
        }
    }
    DeviceList->resizeColumnsToContents();
    DeviceList->horizontalHeader()->setStretchLastSection(true);
    DeviceList->setMinimumSize(520, 160);
    grid->addWidget(DeviceList, 0, 0, 1, 4);

    if (present.empty())
        grid->addWidget(new QLabel(QCoreApplication::translate("DeviceDialog", "未找到串行口设备。"), this), 1, 0, 1, 4);
    grid->addWidget(new QLabel(QCoreApplication::translate("DeviceDialog", "设备："), this), 2, 0);
    EdDevice = new QLineEdit(this);
    grid->addWidget(EdDevice, 2, 1, 1, 3);
    grid->addWidget(new QLabel(QCoreApplication::translate("DeviceDialog", "端口号："), this), 3, 0);
    PortNumber = new QComboBox(this);
    for (int i = 1; i <= 16; ++i)
        PortNumber->addItem(QStringLiteral("COM%1").arg(i));
    PortNumber->setCurrentIndex(portNo >= 1 && portNo <= 16 ? portNo - 1 : 0);
    grid->addWidget(PortNumber, 3, 1);

    OKBtn = new QPushButton(QCoreApplication::translate("DeviceDialog", "确定"), this);
    CancelBtn = new QPushButton(QCoreApplication::translate("DeviceDialog", "取消"), this);
    OKBtn->setDefault(true);
    grid->addWidget(OKBtn, 4, 2);
    grid->addWidget(CancelBtn, 4, 3);

    auto refresh = [this] { OKBtn->setEnabled(!device().isEmpty()); };
    refresh();
    connect(EdDevice, &QLineEdit::textChanged, this, refresh);
    connect(DeviceList, &QTableWidget::itemSelectionChanged, this, &TDeviceDlg::DeviceListSelect);
    connect(DeviceList, &QTableWidget::cellDoubleClicked, this, [this] {
        if (!device().isEmpty())
            accept();
    });
    connect(OKBtn, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelBtn, &QPushButton::clicked, this, &QDialog::reject);
}

void TDeviceDlg::DeviceListSelect()
{
    const int row = DeviceList->currentRow();
    if (row >= 0 && row < int(m_present.size()))
        EdDevice->setText(m_present[size_t(row)].location);
}

int TDeviceDlg::portNo() const
{
    return PortNumber->currentIndex() + 1;
}

QString TDeviceDlg::device() const
{
    return EdDevice->text().trimmed();
}
