#include "dialogs/DensityDialog.h"
#include "dialogs/Prompts.h"
#include "text/Format.h"
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QCoreApplication>

TDlgDensity::TDlgDensity(float* density, QWidget* owner, Prompts* prompts)
    : QDialog(owner), m_density(density), m_prompts(prompts)
{
    setObjectName("DlgDensity");
    setWindowTitle(QCoreApplication::translate("TDlgDensity", "水密度"));
    setFixedSize(192, 126);
    Label1 = new QLabel(QCoreApplication::translate("TDlgDensity", "输入水密度"), this);
    Label1->move(16, 12);
    EdDensity = new QLineEdit(this);
    EdDensity->setGeometry(40, 40, 113, 23);
    EdDensity->setInputMask("9.999;_");
    EdDensity->setMaxLength(5);
    EdDensity->setText(fmt::formatFloat("0.000", *m_density));
    Button1 = new QPushButton(QCoreApplication::translate("TDlgDensity", "确定"), this);
    Button1->setGeometry(58, 84, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TDlgDensity::Button1Click);
}

void TDlgDensity::Button1Click()
{
    // A density that is no number or out of range is refused and the caller's
    // value kept: a refused value must not linger for the depth conversion.
    double v = 0;
    if (!fmt::parseFloat(EdDensity->text(), &v) || v > 1.5 || v < 0.8) {
        m_prompts->message(QCoreApplication::translate("TDlgDensity", "密度值不正确!"));
        return;
    }
    *m_density = static_cast<float>(v);
    Tag = 1;
    accept();
}
