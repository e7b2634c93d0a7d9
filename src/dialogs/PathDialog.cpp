#include "dialogs/PathDialog.h"
#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>
#include <QCoreApplication>

TPathDlg::TPathDlg(QWidget* owner, const QString& initialPath) : QDialog(owner)
{
    setObjectName("PathDlg");
    setWindowTitle("Dialog");
    setFixedSize(313, 214);
    FileListBox = new QListWidget(this);
    FileListBox->setGeometry(8, 8, 129, 161);
    m_dirs = new QFileSystemModel(this);
    m_dirs->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    m_dirs->setRootPath(QDir::rootPath());
    DirectoryListBox = new QTreeView(this);
    DirectoryListBox->setModel(m_dirs);
    for (int c = 1; c < m_dirs->columnCount(); ++c)
        DirectoryListBox->hideColumn(c);
    DirectoryListBox->header()->hide();
    DirectoryListBox->setGeometry(160, 8, 145, 121);
    DriveComboBox = new QComboBox(this);
    DriveComboBox->setGeometry(160, 136, 145, 23);
    // Drives where the platform has them; elsewhere the root and mount points.
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes())
        if (v.isValid() && v.isReady())
            DriveComboBox->addItem(v.rootPath());
    if (DriveComboBox->findText(QDir::rootPath()) < 0)
        DriveComboBox->insertItem(0, QDir::rootPath());
    OKBtn = new QPushButton(QCoreApplication::translate("TPathDlg", "确定"), this);
    OKBtn->setGeometry(160, 176, 67, 27);
    OKBtn->setDefault(true);
    CancelBtn = new QPushButton(QCoreApplication::translate("TPathDlg", "取消"), this);
    CancelBtn->setGeometry(238, 176, 67, 27);

    connect(OKBtn, &QPushButton::clicked, this, &TPathDlg::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &TPathDlg::CancelBtnClick);
    connect(DriveComboBox, &QComboBox::currentIndexChanged, this, &TPathDlg::DriveComboBoxChange);
    connect(DirectoryListBox->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& i) {
                m_directory = m_dirs->filePath(i);
                DirectoryListBoxChange();
            });

    QString start = initialPath;
    if (start.isEmpty() || !QDir(start).exists())
        start = QDir::homePath();
    // The drive box takes the mount point that holds the directory.
    const QString mount = QStorageInfo(start).rootPath();
    const int drive = DriveComboBox->findText(mount);
    if (drive >= 0) {
        const QSignalBlocker block(DriveComboBox);
        DriveComboBox->setCurrentIndex(drive);
    }
    setDirectory(start);
}

void TPathDlg::setDirectory(const QString& dir)
{
    m_directory = QDir::cleanPath(dir);
    const QModelIndex i = m_dirs->index(m_directory);
    DirectoryListBox->setCurrentIndex(i);
    DirectoryListBox->scrollTo(i);
    showFiles();
}

void TPathDlg::showFiles()
{
    FileListBox->clear();
    const QStringList files = QDir(m_directory).entryList({"*.db"}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    FileListBox->addItems(files);
}

void TPathDlg::DriveComboBoxChange()
{
    setDirectory(DriveComboBox->currentText());
}

void TPathDlg::DirectoryListBoxChange()
{
    showFiles();
}

void TPathDlg::OKBtnClick()
{
    m_text = QDir::toNativeSeparators(m_directory);
    if (!m_text.endsWith(QDir::separator()))
        m_text += QDir::separator();
    done(1);
}

void TPathDlg::CancelBtnClick()
{
    done(2);
}
