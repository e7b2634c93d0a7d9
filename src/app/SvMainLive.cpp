// Live measurement and recording on the page CablePg.
#include "app/SvMain.h"
#include "app/UpDown.h"
#include "settings/Format.h"
#include <QLineEdit>
#include <QRadioButton>

void TSvMain::createLiveState() {}

void TSvMain::LogAllClick()
{
    LogAll->setChecked(true);
    EditDistance->setEnabled(false);
    UpDownDistance->setEnabled(false);
    EditTime->setEnabled(false);
    UpDownTime->setEnabled(false);
    Mode = 0;
}

void TSvMain::LogDistanceClick()
{
    LogDistance->setChecked(true);
    EditDistance->setEnabled(true);
    UpDownDistance->setEnabled(true);
    EditTime->setEnabled(false);
    UpDownTime->setEnabled(false);
    Mode = 1;
}

void TSvMain::LogTimeClick()
{
    LogTime->setChecked(true);
    EditDistance->setEnabled(false);
    UpDownDistance->setEnabled(false);
    EditTime->setEnabled(true);
    UpDownTime->setEnabled(true);
    Mode = 2;
}

void TSvMain::UpDownDistanceClick()
{
    EditDistance->setText(fmt::formatFloat("0.0", UpDownDistance->position() * 0.1));
}

void TSvMain::TimerTimer() {}
void TSvMain::BtnFileNameClick() {}
void TSvMain::BtnBeginClick() {}
void TSvMain::btnRecClick() {}
void TSvMain::BtnStopClick() {}
