#pragma once
#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class Prompts;

// The one-value dialog "计算平均声速": edits the caller's 32-bit value in place.
// Tag is the confirmation flag: only a successful Button1Click sets it to 1.
class Tcs : public QDialog
{
    Q_OBJECT
public:
    Tcs(float* editedValue, QWidget* owner, Prompts* prompts);
    void Button1Click();
    int Tag = 0;
    QLabel* Label1;
    QLineEdit* Edit1;
    QPushButton* Button1;
private:
    float* m_value;
    Prompts* m_prompts;
};
