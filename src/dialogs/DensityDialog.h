#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class Prompts;

// The water-density dialog "水密度" before an upload. Tag is the confirmation flag.
class TDlgDensity : public QDialog
{
    Q_OBJECT
public:
    TDlgDensity(float* density, QWidget* owner, Prompts* prompts);
    void Button1Click();
    int Tag = 0;
    QLabel* Label1;
    QLineEdit* EdDensity;
    QPushButton* Button1;
private:
    float* m_density;
    Prompts* m_prompts;
};
