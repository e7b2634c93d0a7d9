// Profile files and the table page: opening, the grid, editing, the depth-layer filter.
#include "app/SvMain.h"

void TSvMain::BtnOpenClick(QObject*) {}
int TSvMain::OpenProfileFile(const QString&) { return -1; }
bool TSvMain::CheckTableOpen() { return false; }
void TSvMain::ResetChart() {}
void TSvMain::svTableAfterScroll() {}
void TSvMain::svTableAfterEdit() {}
void TSvMain::UpDownZoneClick() {}
void TSvMain::ChBoxFilterClick() {}
void TSvMain::DeletRecClick() {}
void TSvMain::InsertRecClick() {}
