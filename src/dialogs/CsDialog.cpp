#include "dialogs/CsDialog.h"
#include "dialogs/Prompts.h"
#include "text/Format.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QCoreApplication>

Tcs::Tcs(float* editedValue, QWidget* owner, Prompts* prompts)
    : QDialog(owner), m_value(editedValue), m_prompts(prompts)
{
    setObjectName("cs");
    setWindowTitle(QCoreApplication::translate("Tcs", "计算平均声速"));
    setFixedSize(192, 126);
    QFont song;
    song.setFamilies({"SimSun", "Noto Sans CJK SC"});
    song.setPointSize(12);
    Label1 = new QLabel(QCoreApplication::translate("Tcs", "请输入起算深度 (米)"), this);
    Label1->setFont(song);
    Label1->move(8, 8);
    Edit1 = new QLineEdit(fmt::formatFloat("0.00", *m_value), this);
    Edit1->setGeometry(40, 40, 129, 23);
    Button1 = new QPushButton(QCoreApplication::translate("Tcs", "确定"), this);
    Button1->setGeometry(64, 88, 75, 25);
    Button1->setDefault(true);
    setTabOrder(Button1, Edit1);
    Button1->setFocus();
    connect(Button1, &QPushButton::clicked, this, &Tcs::Button1Click);
}

void Tcs::Button1Click()
{
    double v = 0;
    if (!fmt::parseFloat(Edit1->text(), &v)) {
        m_prompts->message(QCoreApplication::translate("Tcs", "输入数据中有非法字符!"));
        return;
    }
    *m_value = static_cast<float>(v);
    Tag = 1;
    accept();
}
