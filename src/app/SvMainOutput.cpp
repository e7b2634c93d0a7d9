// Output: export, saving processed profiles, the printed report.
#include "app/SvMain.h"

void TSvMain::BtnExportClick() {}
void TSvMain::PMSaveClick(QObject*) {}
void TSvMain::BtnPreviewClick() {}
void TSvMain::BtnPrintTableClick() {}
void TSvMain::PMPrintClick() {}
