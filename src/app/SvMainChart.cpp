// The profile chart on ChartPg and the average sound velocity.
#include "app/SvMain.h"

void TSvMain::reloadTableSeries() {}
void TSvMain::DrawProfile() {}
bool TSvMain::BuildMergedProfile() { return false; }
void TSvMain::PMSvClick() {}
void TSvMain::PMTempClick() {}
void TSvMain::SvTwoClick() {}
void TSvMain::TempTwoClick() {}
void TSvMain::PMAvClick() {}
void TSvMain::DBChartClickSeries(QLineSeries*, double, double) {}
void TSvMain::btnAnalyzeMouseMove() {}
void TSvMain::SaveBMPClick() {}
