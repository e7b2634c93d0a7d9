#pragma once
#include "dialogs/Prompts.h"
#include <QDialog>
#include <vector>

class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

// The device dialog "串行口设备": the serial devices present (name,
// description, manufacturer, serial number) and the port number the chosen
// one is mapped to. A device that is not listed (not plugged in yet, or the
// simulator) may be typed.
class TDeviceDlg : public QDialog
{
    Q_OBJECT
public:
    TDeviceDlg(const std::vector<SerialDeviceInfo>& present, int portNo, QWidget* owner);

    int portNo() const;        // 1..16
    QString device() const;    // the location chosen or typed, trimmed

    QTableWidget* DeviceList;
    QLineEdit* EdDevice;
    QComboBox* PortNumber;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

private:
    void DeviceListSelect();
    std::vector<SerialDeviceInfo> m_present;
};
