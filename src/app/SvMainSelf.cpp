// The probe's own memory on the page SelfPg: clock, interval, clearing, listing, upload.
#include "app/SvMain.h"

void TSvMain::sbBtnDirClick() {}
void TSvMain::btnFileClick() {}
void TSvMain::btnUpLoadClick() {}
void TSvMain::btnQueryClick() {}
void TSvMain::btnSetTimeClick() {}
void TSvMain::btnReadIntvClick() {}
void TSvMain::btnSetIntvClick() {}
void TSvMain::udIntvClick() {}
void TSvMain::btnClearClick() {}
