// The main commands' keys, F1's help, and a profile file named on the command line.
#include "app/SvMain.h"
#include "dialogs/Prompts.h"
#include "storage/ProfileTable.h"
#include <QDir>
#include <QFileInfo>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QTabWidget>
#include <QCoreApplication>

#ifndef SV_VERSION
#define SV_VERSION "0"
#endif

namespace {

// In the order the help lists them. Each key presses its button as a click
// would, after showing the button's page.
struct CommandKey
{
    QPushButton* TSvMain::*button;
    QWidget* TSvMain::*page;
    QKeySequence keys;
};

const CommandKey kCommandKeys[] = {
    {&TSvMain::BtnBegin, &TSvMain::CablePg, QKeySequence(Qt::Key_F5)},
    {&TSvMain::btnRec, &TSvMain::CablePg, QKeySequence(Qt::Key_F6)},
    {&TSvMain::BtnStop1, &TSvMain::CablePg, QKeySequence(Qt::Key_F7)},
    {&TSvMain::BtnOpen, &TSvMain::TablePg, QKeySequence(Qt::CTRL | Qt::Key_O)},
    {&TSvMain::BtnExport, &TSvMain::TablePg, QKeySequence(Qt::CTRL | Qt::Key_E)},
    {&TSvMain::BtnPreview, &TSvMain::TablePg, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P)},
    {&TSvMain::BtnPrintTable, &TSvMain::TablePg, QKeySequence(Qt::CTRL | Qt::Key_P)},
};

QKeySequence helpKey()
{
    return QKeySequence(Qt::Key_F1);
}

QString keyText(const QKeySequence& keys)
{
    return keys.toString(QKeySequence::NativeText);
}

}  // namespace

void TSvMain::buildShortcuts()
{
    for (const CommandKey& k : kCommandKeys) {
        QPushButton* button = this->*k.button;
        QWidget* page = this->*k.page;
        const QString tip = button->toolTip().isEmpty() ? button->text() : button->toolTip();
        button->setToolTip(QStringLiteral("%1 (%2)").arg(tip, keyText(k.keys)));
        // Window-wide rather than the button's own shortcut, which works only on its page.
        auto* shortcut = new QShortcut(k.keys, this);
        connect(shortcut, &QShortcut::activated, this, [this, button, page] {
            // A disabled button, or its page disabled while measuring, takes no key.
            if (!button->isEnabled() || !PgCtrl->isTabEnabled(PgCtrl->indexOf(page)))
                return;
            if (PgCtrl->currentWidget() != page)
                PgCtrl->setCurrentWidget(page);   // as the user's tab click, PgCtrlChange included
            button->click();
        });
    }
    connect(new QShortcut(helpKey(), this), &QShortcut::activated, this, &TSvMain::HelpKeyPress);
}

void TSvMain::HelpKeyPress()
{
    QString text = firstCaption() + QCoreApplication::translate("TSvMain", "\n版本 %1\n\n").arg(QStringLiteral(SV_VERSION));
    for (const CommandKey& k : kCommandKeys)
        text += QStringLiteral("%1\t%2\n").arg(keyText(k.keys), (this->*k.button)->text());
    text += QCoreApplication::translate("TSvMain", "%1\t帮助\n\n设置文件：%2").arg(keyText(helpKey()), QDir::toNativeSeparators(m_settingsPath));
    m_prompts->information(text, QCoreApplication::translate("TSvMain", "帮助"));
}

void TSvMain::OpenFileArgument(const QString& fileName)
{
    // Nothing was open before: a refused file brings no other table back (the
    // start's "sample.db" was never opened, and its absence is no news to the user).
    if (!svTable->isActive())
        svTable->setTableName(QString());
    if (OpenChosenProfile(QFileInfo(fileName).absoluteFilePath(), BtnOpen))
        PgCtrl->setCurrentWidget(TablePg);
}
