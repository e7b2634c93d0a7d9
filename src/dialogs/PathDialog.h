#pragma once
#include <QDialog>

class QComboBox;
class QListWidget;
class QPushButton;
class QTreeView;
class QFileSystemModel;

// The directory dialog of the upload: profile files of the current directory
// on the left, the directory tree on the right, the drives (mount points) below.
class TPathDlg : public QDialog
{
    Q_OBJECT
public:
    TPathDlg(QWidget* owner, const QString& initialPath);
    void OKBtnClick();
    void CancelBtnClick();
    void DriveComboBoxChange();
    void DirectoryListBoxChange();
    QString directory() const { return m_directory; }
    QString chosen() const { return m_text; }   // the directory + separator after OK
    void setDirectory(const QString& dir);

    QListWidget* FileListBox;
    QTreeView* DirectoryListBox;
    QComboBox* DriveComboBox;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
private:
    void showFiles();
    QFileSystemModel* m_dirs;
    QString m_directory;
    QString m_text;
};
